Attribute VB_Name = "Trace"
Private Declare Function GetUserName Lib "advapi32.dll" Alias "GetUserNameA" (ByVal lpBuffer As String, _
    nSize As Long) As Long
Public Sub Show(Optional ByVal msg As String = "a""b", Optional n As Long = -2) ' •\Ž¦
Type Pair
End Type
End