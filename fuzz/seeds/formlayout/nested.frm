VERSION 5.00
Begin VB.Form frmSeed
   Caption         =   "Seed ""Form"""
   ClientHeight    =   3195
   ClientWidth     =   4680
   BeginProperty Font
      Name            =   "MS Sans Serif"
      Size            =   8.25
   EndProperty
   Begin VB.Frame fraOuter
      Caption         =   "Outer"
      Height          =   2000
      Left            =   120
      Top             =   120
      Width           =   3000
      Begin VB.CommandButton cmdOK
         Caption         =   "&OK"
         Height          =   375
         Index           =   0
         Left            =   240
         Top             =   1.5E+2
         Visible         =   0   'False
         Width           =   1215
      End
      Begin VB.TextBox txtName
         Text            =   "name"
         Height          =   315
         Left            =   240
         Top             =   600
         Width           =   2000
      End
   End
   Begin VB.Line linDiagonal
      X1              =   3600
      X2              =   120
      Y1              =   2880
      Y2              =   2400
   End
   Begin VB.Menu mnuFile
      Caption         =   "&File"
      Begin VB.Menu mnuOpen
         Caption         =   "&Open..."
      End
      Begin VB.Menu mnuSep
         Caption         =   "-"
      End
   End
End
Attribute VB_Name = "frmSeed"
Private Sub cmdOK_Click(Index As Integer)
End Sub
