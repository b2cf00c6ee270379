Attribute VB_Name = "OddName"
Option Explicit

' 100% & #1 <i>not italic</i>
Public Function Percent(ByVal dValue As Double) As String
    Percent = Format$(dValue * 100, "0.0") & " %"
End Function

Public Sub UsesBoth()
    Debug.Print Percent(0.5)
    Grüße "&lt;"
End Sub
