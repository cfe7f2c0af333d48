Sub Cut(a, _
