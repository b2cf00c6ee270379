Public Const MAXN = 10
Public gCount As Long
Private mName As String
Sub DoIt(ByRef x As Long, ByVal y As Long)
    x = MAXN + gCount: mName = "text ""with"" quotes" ' and a comment
	y = Left$(mName, 2) & UCase(Trim$(mName))
    Call DoIt(x, y): DoIt x, y
[ZRK-UL]If x Then[ZRK-N][ZRK-B]
[ZRK-V]  [ZRK-T]Else
    s = "unterminated ' no comment
End Sub
