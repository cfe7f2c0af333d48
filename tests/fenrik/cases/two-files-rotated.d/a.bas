' no attribute lines here
Sub Main()
End Sub
Function Twice(x)
End Function
