Private Declare Function GetTickCount Lib "kernel32" () As Long
Private Declare Sub Sleep Lib "kernel32" Alias "Sleep" (ByVal ms As Long)
Public Declare Function Beep& Lib "kernel32.dll" Alias "Beep" (ByVal f&, ByVal d&)
Sub Main()
    Call Helper(1): Other 2, 3
    x = obj.Method(a, "Call NotThis(") ' Call NorThis()
    .Caption = Format$(Now, "hh:nn")
    Shell "notepad.exe", vbNormalFocus
    s = "say ""hi"" to Them()"
    If Check(x) Then Run Else Stop
    Sleep 10: t = GetTickCount()
End Sub
