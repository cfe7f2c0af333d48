VERSION 5.00
Begin VB.Form Form2
End
Attribute VB_Name = "Form2"
Private Sub Form_Click()
End Sub
