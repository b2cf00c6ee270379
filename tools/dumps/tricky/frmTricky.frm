VERSION 5.00
Begin VB.Form frmTricky 
   Caption         =   "Tricky"
   ClientHeight    =   3090
   ClientLeft      =   60
   ClientTop       =   450
   ClientWidth     =   4680
   Begin VB.Frame fraOuter 
      Caption         =   "Outer"
      Height          =   1500
      Left            =   120
      TabIndex        =   0
      Top             =   120
      Width           =   3000
      Begin VB.CommandButton cmdGo 
         Caption         =   "&Go"
         Height          =   375
         Left            =   120
         TabIndex        =   1
         Top             =   240
         Width           =   1215
      End
      Begin VB.TextBox txtName 
         Height          =   375
         Left            =   1400
         TabIndex        =   2
         Text            =   "Name"
         Top             =   240
         Width           =   1215
      End
   End
   Begin VB.Label lblInfo 
      Caption         =   "Info"
      Height          =   255
      Index           =   0
      Left            =   120
      TabIndex        =   3
      Top             =   1800
      Width           =   4000
   End
   Begin VB.Menu mnuFile 
      Caption         =   "&File"
      Begin VB.Menu mnuFileExit 
         Caption         =   "E&xit"
      End
   End
End
Attribute VB_Name = "frmTricky"
Attribute VB_GlobalNameSpace = False
Option Explicit
Private WithEvents mObj As CTricky

Private Sub cmdGo_Click()
    Dim t As New CTricky
    t.Add txtName.Text
    If DoOdd(3) Then Main
End Sub

Private Sub Form_Load()
    Me.Caption = APP_TITLE: Set mObj = New CTricky
End Sub

Private Sub mnuFileExit_Click()
    Unload Me
End Sub

Private Sub mObj_Changed(ByVal What As String)
    lblInfo(0).Caption = What
End Sub
