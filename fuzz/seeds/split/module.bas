Attribute VB_Name = "modSeed"
Option Explicit
' header comment
Private Const A = "its ""quoted"""

' about Main
Public Sub Main()
    Dim s As String: s = "a" & _
        "b"   ' trailing
    Rem a remark
End Sub
Private Function Twice(ByVal n As Long) _
    As Long
    Twice = n * 2
End Function
Public Property Get Size() As Long
    Size = 1
End Property
Public Property Let Size(ByVal v As Long)
End Property
