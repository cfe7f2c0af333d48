Sub A()
