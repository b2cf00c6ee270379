VERSION 5.00
Begin VB.Form frmDashboard 
   Caption         =   "Dashboard"
   ClientHeight    =   2520
   ClientLeft      =   60
   ClientTop       =   345
   ClientWidth     =   4080
   LinkTopic       =   "Form1"
   ScaleHeight     =   2520
   ScaleWidth      =   4080
   StartUpPosition =   3  'Windows Default
   Begin Gauges.ctlGauge gauSpeed 
      Height          =   1500
      Left            =   240
      TabIndex        =   0
      Top             =   120
      Width           =   3600
      _ExtentX        =   6350
      _ExtentY        =   2646
      Value           =   40
   End
   Begin VB.CommandButton cmdFaster 
      Caption         =   "Faster"
      Height          =   375
      Left            =   240
      TabIndex        =   1
      Top             =   1800
      Width           =   1215
   End
   Begin VB.Label lblStatus 
      Caption         =   "40 / 100"
      Height          =   255
      Left            =   1680
      TabIndex        =   2
      Top             =   1860
      Width           =   2175
   End
End
Attribute VB_Name = "frmDashboard"
Attribute VB_GlobalNameSpace = False
Attribute VB_Creatable = False
Attribute VB_PredeclaredId = True
Attribute VB_Exposed = False
Option Explicit

Private Sub cmdFaster_Click()
    gauSpeed.Value = gauSpeed.Value + 10
End Sub

' The gauge tells the form about every change; the form only shows it.
Private Sub gauSpeed_ValueChanged(ByVal NewValue As Long)
    lblStatus.Caption = FormatReading(NewValue, gauSpeed.Max)
End Sub

Private Sub gauSpeed_Overload()
    lblStatus.Caption = "Overload!"
    cmdFaster.Enabled = False
End Sub
