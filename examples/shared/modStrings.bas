Attribute VB_Name = "modStrings"
' modStrings - small string helpers shared by several projects
' (Inventory, Orders, Kasse). No references to project code here!
Option Explicit

Public Const CURRENCY_SIGN As String = "А"

' Pads s with blanks on the right to exactly n characters
' (longer strings are cut).
Public Function PadRight(ByVal s As String, ByVal n As Integer) As String
    PadRight = Left$(s & Space$(n), n)
End Function

' Pads s with blanks on the left to n characters
Public Function PadLeft(ByVal s As String, ByVal n As Integer) As String
    If Len(s) >= n Then PadLeft = s Else PadLeft = Space$(n - Len(s)) & s
End Function

' Money with two decimals and the euro sign, e.g. "1.234,50 А"
Public Function FormatMoney(ByVal c As Currency) As String
    FormatMoney = Format$(c, "#,##0.00") & " " & CURRENCY_SIGN
End Function

' Quotes a CSV field if it contains a separator, a quote or a line break
Public Function CsvField(ByVal s As String) As String
    If InStr(s, ";") > 0 Or InStr(s, """") > 0 Or InStr(s, vbLf) > 0 Then
        CsvField = """" & Replace(s, """", """""") & """"
    Else
        CsvField = s
    End If
End Function

' Replaces umlauts and accents so the text is safe for the shelf
' label printer, which only knows 7-bit ASCII: д -> ae, й -> e ...
Public Function ToAscii(ByVal s As String) As String
    Dim i As Integer
    Dim sFrom As String
    Dim vTo As Variant

    sFrom = "дцьƒ÷№яйиказ"
    vTo = Array("ae", "oe", "ue", "Ae", "Oe", "Ue", "ss", "e", "e", "e", "a", "c")
    For i = 1 To Len(sFrom)
	s = Replace(s, Mid$(sFrom, i, 1), vTo(i - 1))
    Next i
    ToAscii = s
End Function
