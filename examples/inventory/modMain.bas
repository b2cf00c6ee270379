Attribute VB_Name = "modMain"
'------------------------------------------------------------------
' modMain – start-up code and application-wide settings
' Inventory 1.2, © 2004 Müller & Söhne Werkzeughandel
' Settings that can change without recompiling live in “Inventory.ini”
'------------------------------------------------------------------
Option Explicit

Private Declare Function GetTickCount Lib "kernel32" () As Long
Public Declare Function GetPrivateProfileString Lib "kernel32" _
    Alias "GetPrivateProfileStringA" (ByVal lpApplicationName As String, _
    ByVal lpKeyName As Any, ByVal lpDefault As String, _
    ByVal lpReturnedString As String, ByVal nSize As Long, _
    ByVal lpFileName As String) As Long
Public Declare Function WritePrivateProfileString Lib "kernel32" _
    Alias "WritePrivateProfileStringA" (ByVal lpApplicationName As String, _
    ByVal lpKeyName As Any, ByVal lpString As Any, _
    ByVal lpFileName As String) As Long

Public Const APP_TITLE As String = "Inventory"
Public Const LOC_MAIN As String = "Hauptlager"
Public Const LOC_OUTSIDE As String = "Außenlager"
Private Const INI_SECTION As String = "Settings"
Private Const DEFAULT_REORDER As Long = 5
Private Const MAX_REORDER As Long = 1000

' Kind of stock movement
Public Enum MovementKind
    mkReceipt = 1
    mkIssue = 2
    mkAdjustment = 3
    mkReturn = 4
End Enum

' One line in the movement journal
Public Type StockMovement
    ItemId As Long
    Kind As MovementKind
    Quantity As Long
    MovedOn As Date
    Note As String * 40
End Type

Public gInventory As clsInventory
Public gDataFile As String
Global gIniFile As String
Public gJournal() As StockMovement
Public gJournalCount As Long
Private mStartTicks As Long

'------------------------------------------------------------------
' Main – program entry point (Startup = "Sub Main"): shows the
' splash screen, loads settings and stock, opens the main window
'------------------------------------------------------------------
Public Sub Main()
    On Error GoTo StartError

    mStartTicks = GetTickCount()
    If App.PrevInstance Then
        MsgBox "Inventory is already running.", vbExclamation, APP_TITLE
        Exit Sub
    End If

    frmSplash.Show
    frmSplash.Refresh
    gIniFile = AppPath() & "Inventory.ini"
    gDataFile = ReadSetting("DataFile", AppPath() & "stock.dat")
    Set gInventory = New clsInventory
    If Not LoadInventory(gDataFile, gInventory) Then
        If MsgBox("The stock file " & Chr$(34) & gDataFile & Chr$(34) & _
                  " could not be read." & vbCrLf & "Start with an empty list?", _
                  vbQuestion + vbYesNo, APP_TITLE) = vbNo Then
            Unload frmSplash
            Exit Sub
        End If
    End If
    frmMain.Show
    Exit Sub

StartError:
    MsgBox "Start-up failed: " & Err.Description & " (" & Err.Number & ")", _
           vbCritical, APP_TITLE
End Sub

' Returns the application folder with a trailing backslash
Public Function AppPath() As String
    AppPath = App.Path
    If Right$(AppPath, 1) <> "\" Then AppPath = AppPath & "\"
End Function

' Reads one value from Inventory.ini – sDefault if the key is missing
Public Function ReadSetting(ByVal sKey As String, Optional ByVal sDefault As String = "") As String
    Dim sBuffer As String, lLen As Long

    sBuffer = String$(255, vbNullChar)
    lLen = GetPrivateProfileString(INI_SECTION, sKey, sDefault, sBuffer, Len(sBuffer), gIniFile)
    ReadSetting = Left$(sBuffer, lLen)
End Function

Public Sub WriteSetting(ByVal sKey As String, ByVal sValue As String)
    WritePrivateProfileString INI_SECTION, sKey, sValue, gIniFile
End Sub

' Reorder level for new articles (ini key "ReorderLevel"); values
' out of range fall back to the built-in default.
Public Function DefaultReorderLevel() As Long
    Dim lLevel As Long

    lLevel = Val(ReadSetting("ReorderLevel", CStr(DEFAULT_REORDER)))
    If lLevel < 0 Then
        lLevel = 0
    ElseIf lLevel > MAX_REORDER Then
        lLevel = DEFAULT_REORDER
    End If
    DefaultReorderLevel = lLevel
End Function

' Records a stock movement in the journal and updates the item.
' Returns False when an issue would take the stock below zero.
Public Function RecordMovement(ByVal oItem As clsItem, ByVal Kind As MovementKind, _
                               ByVal lQty As Long, Optional ByVal sNote As String) As Boolean
    Dim lNew As Long

    Select Case Kind
        Case mkReceipt, mkReturn
            lNew = oItem.Quantity + lQty
        Case mkIssue
            lNew = oItem.Quantity - lQty
        Case mkAdjustment
            lNew = lQty
        Case Else
            Err.Raise 5, "RecordMovement", "Unknown movement kind " & Kind
    End Select
    If lNew < 0 Then Exit Function

    gJournalCount = gJournalCount + 1
    ReDim Preserve gJournal(1 To gJournalCount)
    With gJournal(gJournalCount)
	.ItemId = oItem.Id
	.Kind = Kind
        .Quantity = lQty
        .MovedOn = Now
        .Note = sNote
    End With
    oItem.Quantity = lNew
    RecordMovement = True
End Function

' Next free item number. Static, so the counter survives between
' calls; numbers already in use (the stock file may have been
' edited by hand) are skipped.
Public Static Function NextItemId() As Long
    Dim lLast As Long

    Do
        lLast = lLast + 1
    Loop Until gInventory.ItemById(lLast) Is Nothing
    NextItemId = lLast
End Function

Rem Seconds since Main started
Public Function UpTimeSeconds() As Long
    UpTimeSeconds = (GetTickCount() - mStartTicks) \ 1000
End Function

' Called from frmMain.Form_Unload: saves settings and the journal
Public Sub ShutDown()
    Dim i As Integer

    WriteSetting "DataFile", gDataFile
    WriteSetting "LastRunSeconds", CStr(UpTimeSeconds())
    If gJournalCount > 0 Then WriteJournal AppPath() & "journal.log"
    ' backwards, because unloading shrinks the Forms collection
    For i = Forms.Count - 1 To 0 Step -1
	If Not Forms(i) Is frmMain Then Unload Forms(i)
    Next i
    Set gInventory = Nothing
End Sub ' done
