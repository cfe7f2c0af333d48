Attribute VB_Name = "modApi"
Option Explicit
' Windows API の宣言と共通ルーチン

Public Type RECT
    Left As Long
    Top As Long
    Right As Long
    Bottom As Long
End Type

Public Enum PhotoKind
    pkBitmap = 0
    pkJpeg = 1
End Enum

Public Const SW_SHOWNORMAL = 1
Public Declare Function GetTickCount Lib "kernel32" () As Long
Public Declare Function ShellExecute Lib "shell32.dll" Alias "ShellExecuteA" _
    (ByVal hWnd As Long, ByVal lpOperation As String, ByVal lpFile As String, _
     ByVal lpParameters As String, ByVal lpDirectory As String, _
     ByVal nShowCmd As Long) As Long
Private Declare Sub Sleep Lib "kernel32" (ByVal dwMilliseconds As Long)
Declare Function GetWindowRect Lib "user32" (ByVal hWnd As Long, lpRect As RECT) As Long

' 経過時間をミリ秒で返す
Public Function ElapsedMs(ByVal since As Long) As Long
    ElapsedMs = GetTickCount() - since
End Function

' 写真を既定のビューアで開く
Public Sub OpenPhoto(ByVal hWnd As Long, ByVal path As String, _
                     Optional ByVal show As Long = 1)
    ShellExecute hWnd, "open", path, vbNullString, vbNullString, show
End Sub

' フォルダ名とファイル名をつなぐ（\ を補う）
Public Function JoinPath(ParamArray parts() As Variant) As String
    Dim i As Long, s As String
    For i = LBound(parts) To UBound(parts)
        If Len(s) > 0 And Right$(s, 1) <> "\" Then s = s & "\"
        s = s & parts(i)
    Next i
    JoinPath = s
End Function

' 指定時間だけ待つ
Public Sub WaitMs(Optional ByVal ms As Long = (2 * 250), Optional ByVal tries As Integer = -1)
    Dim n As Integer
    Do
        Sleep ms
        n = n + 1
    Loop Until n >= tries And tries > 0
End Sub
