' nothing
