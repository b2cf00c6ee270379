Sub A()
    x = 1
    Dim y As Long _
End Sub
Sub B()
End Sub
