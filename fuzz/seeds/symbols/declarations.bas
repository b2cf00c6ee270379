Attribute VB_Name = "modDecl"
Public Const MAXN = 10, MINN As Integer = 1
Global gCount As Long, gName$
Private mA As String, mB() As Long, _
    mC As Variant
Dim dLocal As Object
Public WithEvents mEvents As clsSeed
Private Enum eColour
    Red = 1
    [Dark Blue]
End Enum
Public Type tPoint
    X As Long
End Type
Private Declare Function GetTickCount Lib "kernel32" () As Long
' a comment that goes on _
    over this line
Public Event Changed()
Public Sub DoIt(ByRef x As Long, ByVal y As Long, Optional ByRef z As Variant)
    Dim notGlobal As Long
End Sub
Private Function Sum(ByRef a() As Long, _
    ByRef b As Long) As Long
End Function
Property Set Item(ByRef v As Object)
End Property
