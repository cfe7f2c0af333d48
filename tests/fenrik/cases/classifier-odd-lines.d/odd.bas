Begin VB.Form F
End Type
End
End
Public Dim x As Long
Private Declare PtrSafe Function F Lib "k" () As Long
Next
Loop Until x
End Select
End 'done
End Property
If x Then End
Static Function S()
Friend Function G()
Public Event E()
Enum K
End Enum
Private Sub
End Sub
End Function Extra
End Sub2
