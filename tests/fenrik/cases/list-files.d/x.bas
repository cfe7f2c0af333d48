Sub X()
