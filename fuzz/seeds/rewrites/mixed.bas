Sub A()    Dim i
End Sub
