Attribute VB_Name = "modScript"
Option Explicit

' Shown as text: <b>&amp; is not bold
Public Const PAYLOAD As String = "</script><script>alert(1)</script>"

Public Sub Main()
    ShowPayload PAYLOAD
    Grüße "<!-- not a comment -->"
    frmOdd.Show
End Sub

Public Sub ShowPayload(ByVal sText As String)
    MsgBox sText & "<img src=x onerror=alert(2)>", vbOKOnly, "A & B"
End Sub
