VERSION 5.00
Begin VB.Form frmOdd 
   Caption         =   "<script>alert(3)</script>"
   ClientHeight    =   2400
   ClientLeft      =   60
   ClientTop       =   345
   ClientWidth     =   4680
   LinkTopic       =   "Form1"
   ScaleHeight     =   2400
   ScaleWidth      =   4680
   StartUpPosition =   3  'Windows Default
   Begin VB.CommandButton cmdGo 
      Caption         =   "<img src=x onerror=alert(1)>"
      Height          =   495
      Left            =   240
      TabIndex        =   0
      Tag             =   "say ""hi"" & it's <done>"
      Top             =   240
      Width           =   2895
   End
   Begin VB.Label lbl"Odd' 
      Caption         =   "Tom's ""<q>"""
      Height          =   255
      Left            =   240
      TabIndex        =   1
      Tag             =   "'"""
      Top             =   960
      Width           =   2895
   End
End
Attribute VB_Name = "frmOdd"
Attribute VB_GlobalNameSpace = False
Attribute VB_Creatable = False
Attribute VB_PredeclaredId = True
Attribute VB_Exposed = False
Option Explicit

Private Sub cmdGo_Click()
    Grüße cmdGo.Tag
    UsesBoth
End Sub
