VERSION 5.00
Begin VB.Form frmSplash 
   BorderStyle     =   0  'None
   ClientHeight    =   2535
   ClientLeft      =   0
   ClientTop       =   0
   ClientWidth     =   4935
   ControlBox      =   0   'False
   LinkTopic       =   "Form1"
   ScaleHeight     =   2535
   ScaleWidth      =   4935
   ShowInTaskbar   =   0   'False
   StartUpPosition =   2  'CenterScreen
   Begin VB.Timer tmrClose 
      Interval        =   1500
      Left            =   4320
      Top             =   1920
   End
   Begin VB.Label lblTitle 
      Alignment       =   2  'Center
      Caption         =   "Inventory"
      BeginProperty Font 
         Name            =   "Arial"
         Size            =   20.25
         Charset         =   0
         Weight          =   700
         Underline       =   0   'False
         Italic          =   0   'False
         Strikethrough   =   0   'False
      EndProperty
      Height          =   495
      Left            =   240
      TabIndex        =   0
      Top             =   360
      Width           =   4455
   End
   Begin VB.Line linTop 
      BorderColor     =   &H00808080&
      X1              =   240
      X2              =   4680
      Y1              =   960
      Y2              =   960
   End
   Begin VB.Label lblVersion 
      Alignment       =   2  'Center
      Caption         =   "Version 1.2"
      Height          =   255
      Left            =   240
      TabIndex        =   1
      Top             =   1140
      Width           =   4455
   End
   Begin VB.Label lblCopyright 
      Alignment       =   2  'Center
      Caption         =   "© 2004 Müller & Söhne Werkzeughandel"
      Height          =   255
      Left            =   240
      TabIndex        =   2
      Top             =   1560
      Width           =   4455
   End
   Begin VB.Shape shpLamp 
      BackColor       =   &H0000C000&
      BackStyle       =   1  'Opaque
      Height          =   255
      Left            =   240
      Shape           =   3  'Circle
      Top             =   2100
      Width           =   255
   End
End
Attribute VB_Name = "frmSplash"
Attribute VB_GlobalNameSpace = False
Attribute VB_Creatable = False
Attribute VB_PredeclaredId = True
Attribute VB_Exposed = False
Option Explicit

' Version number comes from the project properties
Private Sub Form_Load()
    lblVersion.Caption = "Version " & App.Major & "." & App.Minor & "." & App.Revision
End Sub

' Closes the splash screen after 1.5 seconds
Private Sub tmrClose_Timer()
    tmrClose.Enabled = False
    Unload Me
End Sub

' A click closes it at once
Private Sub Form_Click()
    tmrClose_Timer
End Sub
