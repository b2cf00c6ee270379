Attribute VB_Name = "modData"
'------------------------------------------------------------------
' modData - reading and writing the stock file
' One article per line, fields separated by TAB:
'   Id, SKU, Description, Quantity, ReorderLevel, UnitPrice, Location
' Lines starting with # are comments. Prices are always written
' with a decimal point, whatever the regional settings say.
'------------------------------------------------------------------
Option Explicit

Private Const FIELD_SEP As String = vbTab
Private Const FIELD_COUNT As Integer = 7

' Loads the stock file into oInv. Returns False if the file is
' missing or a line cannot be read; oInv is left empty then.
Public Function LoadInventory(ByVal sFile As String, ByVal oInv As clsInventory) As Boolean
    Dim iFile As Integer
    Dim sLine As String
    Dim vFields As Variant
    Dim oItem As clsItem
    Dim lLineNo As Long

    On Error GoTo LoadError
    If Len(Dir$(sFile)) = 0 Then Exit Function
    iFile = FreeFile
    Open sFile For Input As #iFile
    Do Until EOF(iFile)
        Line Input #iFile, sLine
        lLineNo = lLineNo + 1
        If Len(Trim$(sLine)) > 0 And Left$(sLine, 1) <> "#" Then
            vFields = Split(sLine, FIELD_SEP)
            If UBound(vFields) + 1 < FIELD_COUNT Then
                Err.Raise vbObjectError + 1001, "LoadInventory", _
                          "Line " & lLineNo & ": expected " & FIELD_COUNT & " fields"
            End If
            Set oItem = New clsItem
            oItem.SetId CLng(vFields(0))
            oItem.Sku = vFields(1)
            oItem.Name = vFields(2)
            oItem.ReorderLevel = CLng(vFields(4))
            oItem.Quantity = CLng(vFields(3))
            oItem.UnitPrice = CCur(Val(vFields(5)))
            oItem.Location = vFields(6)
            oInv.Add oItem
        End If
    Loop
    Close #iFile
    oInv.MarkSaved
    LoadInventory = True
    Exit Function

LoadError:
    On Error Resume Next
    Close #iFile
    oInv.Clear
End Function

' Writes all articles back to the stock file. The previous file is
' kept as *.bak until the new one is complete.
Public Function SaveInventory(ByVal sFile As String, ByVal oInv As clsInventory) As Boolean
    Dim iFile As Integer
    Dim oItem As clsItem
    Dim sBackup As String

    On Error GoTo SaveError
    sBackup = Left$(sFile, InStrRev(sFile, ".")) & "bak"
    If Len(Dir$(sBackup)) > 0 Then Kill sBackup
    If Len(Dir$(sFile)) > 0 Then Name sFile As sBackup

    iFile = FreeFile
    Open sFile For Output As #iFile
    Print #iFile, "# Inventory stock file – written " & Format$(Now, "yyyy-mm-dd hh:nn")
    For Each oItem In oInv
        Print #iFile, Join(Array(CStr(oItem.Id), oItem.Sku, oItem.Name, _
                                 CStr(oItem.Quantity), CStr(oItem.ReorderLevel), _
                                 Trim$(Str$(oItem.UnitPrice)), oItem.Location), FIELD_SEP)
    Next oItem
    Close #iFile
    SaveInventory = True
    Exit Function

SaveError:
    If iFile <> 0 Then Close #iFile
    MsgBox "Could not save " & sFile & ":" & vbCrLf & Err.Description, vbExclamation, APP_TITLE
End Function

' Replaces the current inventory with the contents of sFile.
' On failure (or an empty name) the old data stays loaded.
Public Function OpenStockFile(ByVal sFile As String) As Boolean
    Dim oNew As clsInventory

    If Len(sFile) = 0 Then Exit Function
    Set oNew = New clsInventory
    If LoadInventory(sFile, oNew) Then
        Set gInventory = oNew
        gDataFile = sFile
        WriteSetting "DataFile", sFile
        OpenStockFile = True
    Else
        MsgBox "Could not read " & sFile & ".", vbExclamation, APP_TITLE
    End If
End Function

' Appends this session's movements to the journal file
Public Sub WriteJournal(ByVal sFile As String)
    Dim iFile As Integer
    Dim i As Long

    iFile = FreeFile
    Open sFile For Append As #iFile
    For i = 1 To gJournalCount
	With gJournal(i)
            Print #iFile, Format$(.MovedOn, "yyyy-mm-dd hh:nn:ss"); vbTab; .ItemId; vbTab; _
                          Choose(.Kind, "Receipt", "Issue", "Stocktake", "Return"); vbTab; _
                          .Quantity; vbTab; RTrim$(.Note)
	End With
    Next i
    Close #iFile
End Sub
