Attribute VB_Name = "modFormat"
Option Explicit

' Shared by the gauge, its property page and any host: one place decides
' how a reading looks and which readings are allowed.

Public Const GAUGE_STEPS As Long = 4

' Formats a reading as "value / max".
Public Function FormatReading(ByVal Value As Long, ByVal Max As Long) As String
    FormatReading = CStr(Value) & " / " & CStr(Max)
End Function

' Only the gauge's needle calls this one.
Public Function PercentOf(ByVal Value As Long, ByVal Max As Long) As Long
    If Max <= 0 Then
        PercentOf = 0
    Else
        PercentOf = (Value * 100) \ Max
    End If
End Function

Public Function ClampValue(ByVal Value As Long, ByVal Low As Long, ByVal High As Long) As Long
    If Value < Low Then
        ClampValue = Low
    ElseIf Value > High Then
        ClampValue = High
    Else
        ClampValue = Value
    End If
End Function

' Kept from an older dashboard; nothing calls it any more.
Public Sub ResetAllGauges()
    Debug.Print "reset"
End Sub
