Attribute VB_Name = "Api"
Option Explicit
' éûçèÇï‘Ç∑ API
Private Declare Function GetTickCount Lib "kernel32" () As Long
Public Declare Sub Sleep Lib "kernel32" (ByVal dwMilliseconds As Long)
Declare Function MessageBox Lib "user32" Alias "MessageBoxA" (ByVal hWnd As Long, ByVal lpText As String, _
    ByVal lpCaption As String, ByVal wType As Long) As Long
Global Function GetValue(ByVal x As Long, Optional ByVal n As Integer = -1) As String
    GetValue = CStr(x + n)
End Function
