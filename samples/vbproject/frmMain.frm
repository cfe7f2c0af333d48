VERSION 5.00
Begin VB.Form frmMain 
   Caption         =   "写真一覧表示"
   ClientHeight    =   4335
   ClientLeft      =   60
   ClientTop       =   345
   ClientWidth     =   6240
   LinkTopic       =   "Form1"
   ScaleHeight     =   4335
   ScaleWidth      =   6240
   StartUpPosition =   3  'Windows の既定値
   Begin VB.TextBox txtFolder 
      Height          =   375
      Left            =   120
      TabIndex        =   2
      Text            =   "C:\写真"
      Top             =   120
      Width           =   4575
   End
   Begin VB.CommandButton cmdLoad 
      Caption         =   "読込(&L)"
      Height          =   375
      Left            =   4800
      TabIndex        =   1
      Top             =   120
      Width           =   1335
   End
   Begin VB.ListBox lstFiles 
      Height          =   3570
      Left            =   120
      TabIndex        =   0
      Top             =   600
      Width           =   6015
   End
End
Attribute VB_Name = "frmMain"
Attribute VB_GlobalNameSpace = False
Attribute VB_Creatable = False
Attribute VB_PredeclaredId = True
Attribute VB_Exposed = False
Option Explicit
' 写真一覧フォーム：フォルダの写真を一覧表示する
Private WithEvents mList As clsPhotoList
Private mStarted As Long

Private Sub Form_Load()
    Set mList = New clsPhotoList
    mStarted = GetTickCount()
    If Len(Command$) > 0 Then txtFolder.Text = Command$
End Sub

Private Sub cmdLoad_Click()
    Dim i As Long
    lstFiles.Clear
    ' ソート済みの一覧を読み込む
    If mList.Load(txtFolder.Text, "*.jpg", "*.bmp") = 0 Then
        MsgBox "写真がありません", vbExclamation
        Exit Sub
    End If
    For i = 1 To mList.Count
	lstFiles.AddItem mList.Item(i)
    Next i
End Sub

Private Sub lstFiles_DblClick()
    If lstFiles.ListIndex < 0 Then Exit Sub
    OpenPhoto Me.hWnd, JoinPath(txtFolder.Text, lstFiles.Text)
End Sub

Private Sub mList_Loaded(ByVal count As Long)
    Caption = "写真一覧表示 (" & count & ")"
End Sub

Private Sub Form_QueryUnload(Cancel As Integer, UnloadMode As Integer)
    If ElapsedMs(mStarted) < 500 Then Cancel = True
End Sub
