Attribute VB_Name = "modTricky"
Option Explicit
' A comment with "quotes" and Sub Foo() inside
Public Const APP_TITLE As String = "Tricky ' not a comment"
Public Const MAX_ITEMS% = 10
Private mCount As Long, mName$
Global gFlag As Boolean
Public Declare Function GetTickCount Lib "kernel32" () As Long
Private Declare Sub Sleep Lib "kernel32" (ByVal dwMilliseconds As Long)
Public Type PointRec
    X As Long
    Y As Long
End Type
Public Enum Colours
    Red = 1
    Green
End Enum

Sub Main()
    Dim i As Integer, s As String
    s = "He said ""Sub Main"" twice" ' trailing comment "x"
    For i = 1 To MAX_ITEMS%
        If i Mod 2 = 0 Then DoEven i Else DoOdd (i)
        Do While mCount < i
            mCount = mCount + 1: Call Bump(mCount)
        Loop
    Next i
    With frmTricky
        .Caption = APP_TITLE & _
            " - continued"
    End With
    Rem a Rem comment Call Nothing
    Select Case s
        Case "A": DoEven 1
        Case Else
            DoOdd 2
    End Select
    Sleep 10: mName$ = CStr(GetTickCount())
End Sub

Private Sub DoEven(ByVal n As Integer)
    Debug.Print "even"; n
End Sub

Public Function DoOdd(n As Integer) As Boolean
    DoOdd = (n And 1) = 1
    If DoOdd Then
        While n > 0
            n = n - 1
        Wend
    End If
End Function

Friend Sub Bump(ByRef v As Long)
    Static calls As Long
    calls = calls + 1
    v = v + calls
10  GoTo Done
Done:
End Sub

Public Property Get Count() As Long
    Count = mCount
End Property

Public Property Let Count(ByVal v As Long)
    mCount = v
End Property
