Sub A()
    x = a + b + c + d + e + f + g + h + i + j '
End Sub
