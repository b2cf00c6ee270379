Sub A()
                s = "ab\cdefghijklmnopqrstuvwxyz0123456789"
End Sub
