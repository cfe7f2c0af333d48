VERSION 5.00
Begin VB.Form Form1 
   Caption         =   "画像表示"
   ClientHeight    =   3090
   Begin VB.CommandButton ボタン 
      Caption         =   "表示"
   End
   Begin VB.TextBox Text1 
      Text            =   "ソフト"
   End
End
Attribute VB_Name = "Form1"
Attribute VB_GlobalNameSpace = False
Attribute VB_Exposed = False
Option Explicit
' 画像を表示するフォーム
Private Type SIZEINFO
    cx As Long
    cy As Long
End Type
Private Enum Mode
    mdNone = 0
End Enum

Private Sub Form_Load()
    Me.Caption = "表示"
End Sub

Private Sub ボタン_Click()
    If Text1.Text = "" Then
        End
    End If
End Sub

Private Sub Text1_Change_Extra(Index As Integer) ' 予備
End Sub

Public Function ダウンロード(Optional ByVal 題名 As String = "表示", Optional n As Long = 1.5) As Boolean
    ダウンロード = True
End Funtion

Public Property Get Count() As Long
End Property
