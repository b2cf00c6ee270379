VERSION 5.00
Begin VB.Form frmMain 
   Caption         =   "Inventory – Lagerbestand"
   ClientHeight    =   5490
   ClientLeft      =   165
   ClientTop       =   735
   ClientWidth     =   8295
   LinkTopic       =   "Form1"
   ScaleHeight     =   5490
   ScaleWidth      =   8295
   StartUpPosition =   3  'Windows Default
   Begin VB.ComboBox cboLocation 
      Height          =   315
      Left            =   120
      Style           =   2  'Dropdown List
      TabIndex        =   0
      Top             =   120
      Width           =   2775
   End
   Begin VB.ListBox lstItems 
      Height          =   4545
      Left            =   120
      TabIndex        =   1
      Top             =   600
      Width           =   6495
   End
   Begin VB.CommandButton cmdAction 
      Caption         =   "&Add..."
      Height          =   375
      Index           =   0
      Left            =   6840
      TabIndex        =   2
      Top             =   600
      Width           =   1335
   End
   Begin VB.CommandButton cmdAction 
      Caption         =   "&Edit..."
      Height          =   375
      Index           =   1
      Left            =   6840
      TabIndex        =   3
      Top             =   1080
      Width           =   1335
   End
   Begin VB.CommandButton cmdAction 
      Caption         =   "&Delete"
      Height          =   375
      Index           =   2
      Left            =   6840
      TabIndex        =   4
      Top             =   1560
      Width           =   1335
   End
   Begin VB.Menu mnuFile 
      Caption         =   "&File"
      Begin VB.Menu mnuFileOpen 
         Caption         =   "&Open..."
      End
      Begin VB.Menu mnuFileSave 
         Caption         =   "&Save"
      End
      Begin VB.Menu mnuFileSep1 
         Caption         =   "-"
      End
      Begin VB.Menu mnuFileExit 
         Caption         =   "E&xit"
      End
   End
   Begin VB.Menu mnuReports 
      Caption         =   "&Reports"
      Begin VB.Menu mnuReportsPrint 
         Caption         =   "&Print"
         Begin VB.Menu mnuReportsPrintWhat 
            Caption         =   "&All articles"
            Index           =   0
            Shortcut        =   ^P
         End
         Begin VB.Menu mnuReportsPrintWhat 
            Caption         =   "&Low stock only"
            Index           =   1
         End
         Begin VB.Menu mnuReportsPrintWhat 
            Caption         =   "&Out of stock"
            Index           =   2
         End
      End
      Begin VB.Menu mnuReportsSep1 
         Caption         =   "-"
      End
      Begin VB.Menu mnuReportsExport 
         Caption         =   "&Export..."
      End
   End
End
Attribute VB_Name = "frmMain"
Attribute VB_GlobalNameSpace = False
Attribute VB_Creatable = False
Attribute VB_PredeclaredId = True
Attribute VB_Exposed = False
Option Explicit

' Selecting the first location fires cboLocation_Click -> RefreshList
Private Sub Form_Load()
    cboLocation.AddItem "(all locations)"
    cboLocation.AddItem LOC_MAIN
    cboLocation.AddItem LOC_OUTSIDE
    cboLocation.ListIndex = 0
End Sub

' Offers to save unsaved changes; Cancel keeps the program running
Private Sub Form_QueryUnload(Cancel As Integer, UnloadMode As Integer)
    If Not gInventory.IsDirty Then Exit Sub
    Select Case MsgBox("Save the changes to " & gDataFile & "?", _
                       vbQuestion + vbYesNoCancel, APP_TITLE)
        Case vbYes:    If Not SaveInventory(gDataFile, gInventory) Then Cancel = True
        Case vbCancel: Cancel = True
    End Select
End Sub

Private Sub Form_Unload(Cancel As Integer)
    ShutDown
End Sub

' Keeps the list and the buttons glued to the window edges
Private Sub Form_Resize()
    Dim i As Integer
    If WindowState = vbMinimized Or ScaleWidth < 3000 Then Exit Sub
    For i = cmdAction.LBound To cmdAction.UBound
        cmdAction(i).Left = ScaleWidth - cmdAction(i).Width - 120
    Next i
    lstItems.Width = cmdAction(0).Left - 2 * lstItems.Left
    If ScaleHeight > lstItems.Top + 600 Then lstItems.Height = ScaleHeight - lstItems.Top - 120
End Sub

Private Sub cboLocation_Click()
    RefreshList
End Sub

' The three buttons share one handler: 0 = Add, 1 = Edit, 2 = Delete
Private Sub cmdAction_Click(Index As Integer)
    Dim oItem As clsItem
    If Index > 0 Then
        If lstItems.ListIndex < 0 Then Beep: Exit Sub
        Set oItem = gInventory.ItemById(lstItems.ItemData(lstItems.ListIndex))
    End If
    Select Case Index
        Case 0
            Set oItem = New clsItem
            If frmItem.EditItem(oItem) Then gInventory.Add oItem
        Case 1
            frmItem.EditItem oItem
        Case 2
            If MsgBox("Delete """ & oItem.Name & """?", vbQuestion + vbYesNo, APP_TITLE) = vbYes Then
                gInventory.Remove oItem.Sku
            End If
    End Select
    RefreshList
End Sub

Private Sub lstItems_DblClick()
    cmdAction_Click 1
End Sub

' Rebuilds lstItems for the selected location and updates the caption
Private Sub RefreshList()
    Dim oItem As clsItem

    lstItems.Clear
    For Each oItem In gInventory
        If cboLocation.ListIndex <= 0 Or oItem.Location = cboLocation.Text Then
            lstItems.AddItem oItem.Sku & vbTab & oItem.Name & vbTab & oItem.Quantity
            lstItems.ItemData(lstItems.NewIndex) = oItem.Id
        End If
    Next oItem
    Caption = APP_TITLE & " – " & gDataFile & "  (" & gInventory.Count & " articles)"
End Sub

Private Sub mnuFileOpen_Click()
    If OpenStockFile(InputBox("Stock file to open:", APP_TITLE, gDataFile)) Then RefreshList
End Sub

Private Sub mnuFileSave_Click()
    If SaveInventory(gDataFile, gInventory) Then gInventory.MarkSaved
End Sub

Private Sub mnuFileExit_Click()
    Unload Me
End Sub

' Menu index = ReportFilter value (all, low stock, out of stock)
Private Sub mnuReportsPrintWhat_Click(Index As Integer)
    PrintStockList gInventory, Index
End Sub

Private Sub mnuReportsExport_Click()
    ExportWithPrompt gInventory
End Sub
