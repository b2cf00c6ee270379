Sub A()End Sub
Sub B()
End Sub