Sub Café()
  s = "€ "
End Sub
