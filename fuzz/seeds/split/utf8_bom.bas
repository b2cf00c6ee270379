Sub Grüße()
  MsgBox "€"
End Sub
