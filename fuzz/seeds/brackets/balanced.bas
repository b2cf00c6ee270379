Sub Loops()
    If a Then
        For i = 1 To 10
            Do While x < 3
                x = x + 1
            Loop
        Next i
    ElseIf b Then
        Select Case c
            Case 1, 2
                While d
                Wend
            Case Else
        End Select
    Else
        For Each v In list: Next
    End If
    If a _
        And b Then
        y = 1
    End If
    If a Then b = 1 Else b = 2
    Do
    Loop Until z
End Sub
