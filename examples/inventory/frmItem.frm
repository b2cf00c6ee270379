VERSION 5.00
Begin VB.Form frmItem 
   BorderStyle     =   3  'Fixed Dialog
   Caption         =   "Article"
   ClientHeight    =   3135
   ClientLeft      =   45
   ClientTop       =   330
   ClientWidth     =   5415
   LinkTopic       =   "Form1"
   MaxButton       =   0   'False
   MinButton       =   0   'False
   ScaleHeight     =   3135
   ScaleWidth      =   5415
   ShowInTaskbar   =   0   'False
   StartUpPosition =   1  'CenterOwner
   Begin VB.PictureBox picArticle 
      BorderStyle     =   0  'None
      Height          =   2295
      Left            =   120
      ScaleHeight     =   2295
      ScaleWidth      =   5175
      TabIndex        =   0
      Top             =   120
      Width           =   5175
      Begin VB.Frame fraArticle 
         Caption         =   "New article"
         Height          =   2295
         Left            =   0
         TabIndex        =   1
         Top             =   0
         Width           =   5175
         Begin VB.TextBox txtName 
            Height          =   315
            Left            =   1320
            TabIndex        =   3
            Top             =   360
            Width           =   3615
         End
         Begin VB.Label lblName 
            Caption         =   "&Description:"
            Height          =   255
            Left            =   240
            TabIndex        =   2
            Top             =   390
            Width           =   1095
         End
         Begin VB.TextBox txtPrice 
            Alignment       =   1  'Right Justify
            Height          =   315
            Left            =   1320
            TabIndex        =   5
            Top             =   780
            Width           =   1215
         End
         Begin VB.Label lblPrice 
            Caption         =   "&Price (Ä):"
            Height          =   255
            Left            =   240
            TabIndex        =   4
            Top             =   810
            Width           =   1095
         End
         Begin VB.TextBox txtQty 
            Alignment       =   1  'Right Justify
            Height          =   315
            Left            =   1320
            TabIndex        =   7
            Top             =   1200
            Width           =   1215
         End
         Begin VB.Label lblQty 
            Caption         =   "&Quantity:"
            Height          =   255
            Left            =   240
            TabIndex        =   6
            Top             =   1230
            Width           =   1095
         End
         Begin VB.OptionButton optMain 
            Caption         =   "Hauptlager"
            Height          =   255
            Left            =   1320
            TabIndex        =   8
            Top             =   1740
            Value           =   -1  'True
            Width           =   1455
         End
         Begin VB.OptionButton optOutside 
            Caption         =   "Auﬂenlager"
            Height          =   255
            Left            =   2880
            TabIndex        =   9
            Top             =   1740
            Width           =   1455
         End
         Begin VB.Label lblReorder 
            Caption         =   "Below the reorder level"
            ForeColor       =   &H000000C0&
            Height          =   255
            Left            =   240
            TabIndex        =   12
            Top             =   2010
            Visible         =   0   'False
            Width           =   4695
         End
      End
   End
   Begin VB.CommandButton cmdOK 
      Caption         =   "OK"
      Default         =   -1  'True
      Height          =   375
      Left            =   2760
      TabIndex        =   10
      Top             =   2640
      Width           =   1215
   End
   Begin VB.CommandButton cmdCancel 
      Cancel          =   -1  'True
      Caption         =   "Cancel"
      Height          =   375
      Left            =   4080
      TabIndex        =   11
      Top             =   2640
      Width           =   1215
   End
End
Attribute VB_Name = "frmItem"
Attribute VB_GlobalNameSpace = False
Attribute VB_Creatable = False
Attribute VB_PredeclaredId = True
Attribute VB_Exposed = False
Option Explicit

' WithEvents: warn the moment the quantity drops below reorder level
Private WithEvents mItem As clsItem
Private mOK As Boolean

' Shows the dialog modally; True if OK was pressed and oItem updated
Public Function EditItem(ByVal oItem As clsItem) As Boolean
    Set mItem = oItem
    mOK = False
    If mItem.Id <> 0 Then
        fraArticle.Caption = "Article " & mItem.Sku
        txtName.Text = mItem.Name
        txtPrice.Text = Replace(Format$(mItem.UnitPrice, "0.00"), ",", ".")
        txtQty.Text = CStr(mItem.Quantity)
    End If
    optOutside.Value = (mItem.Location = LOC_OUTSIDE)
    cmdOK.Enabled = Len(txtName.Text) > 0
    Show vbModal
    EditItem = mOK
    Set mItem = Nothing
    Unload Me
End Function

' Stores the values; clsItem raises an error for anything invalid
Private Sub cmdOK_Click()
    On Error GoTo BadValue
    mItem.Name = txtName.Text
    mItem.UnitPrice = CCur(Val(txtPrice.Text))
    If Val(txtQty.Text) <> mItem.Quantity Then
        RecordMovement mItem, mkAdjustment, CLng(Val(txtQty.Text)), "Changed by hand"
    End If
    mItem.Location = IIf(optOutside.Value, LOC_OUTSIDE, LOC_MAIN)
    mOK = True
    Hide
    Exit Sub

BadValue:
    MsgBox Err.Description, vbExclamation, Caption
End Sub

Private Sub cmdCancel_Click()
    Hide
End Sub

Private Sub txtName_Change()
    cmdOK.Enabled = Len(Trim$(txtName.Text)) > 0
End Sub

' Only digits and Backspace in the quantity box
Private Sub txtQty_KeyPress(KeyAscii As Integer)
	If KeyAscii = vbKeyBack Then Exit Sub
	If KeyAscii < vbKey0 Or KeyAscii > vbKey9 Then
		KeyAscii = 0
		Beep
	End If
End Sub

' Accepts ì12,50î as well as ì12.50î; anything else keeps the focus
Private Sub txtPrice_Validate(Cancel As Boolean)
    Dim sText As String

    sText = Replace(Trim$(txtPrice.Text), ",", ".")
    If sText Like "*[!0-9.]*" Or Len(sText) - Len(Replace(sText, ".", "")) > 1 Then
        MsgBox "Please enter a price such as 12.50", vbExclamation, Caption
        Cancel = True
    Else
        txtPrice.Text = sText
    End If
End Sub

' Raised by clsItem while cmdOK_Click stores the new quantity
Private Sub mItem_BelowReorderLevel(ByVal Quantity As Long, ByVal ReorderLevel As Long)
    lblReorder.Visible = True
    MsgBox mItem.Name & ": only " & Quantity & " left (reorder level " & _
           ReorderLevel & ").", vbInformation, Caption
End Sub
