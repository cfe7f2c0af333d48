Sub Cut(ByVal a As Long, _
