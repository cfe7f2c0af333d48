Type T
End Type
