Function C() As Long
