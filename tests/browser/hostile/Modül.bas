Attribute VB_Name = "Modul"
Option Explicit

' Grüße an Müller & Söhne
Public Sub Grüße(ByVal sWem As String)
    Debug.Print "Grüße, " & sWem & "! <u>"
    ShowPayload sWem
End Sub

Public Property Get Größe() As Long
    Größe = Len(Percent(1))
End Property
