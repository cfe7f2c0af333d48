Private Sub Form_Load()
End Sub
