Attribute VB_Name = "f"
Private Sub Form_Load()
End Sub
