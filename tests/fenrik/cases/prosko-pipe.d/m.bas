Attribute VB_Name = "M"
Public Sub Go(ByRef v)
End Sub
