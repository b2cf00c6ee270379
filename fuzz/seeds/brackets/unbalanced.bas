Sub Broken()
    If a Then
        Do
    End If
    Next
    Case 3
    Wend
    Else ' stray
    For i = 1 To 2
End Sub
