Attribute VB_Name = "modReports"
' modReports – printed stock list and CSV export
Option Explicit

Private Const LINES_PER_PAGE As Integer = 60
Private mPageNo As Integer

' Which articles a report lists
Public Enum ReportFilter
    rfAll = 0
    rfLowStock = 1
    rfOutOfStock = 2
End Enum

' Prints the stock list on the default printer
Public Sub PrintStockList(ByVal oInv As clsInventory, Optional ByVal Filter As ReportFilter = rfAll)
    Dim oItem As clsItem
    Dim iLine As Integer
    Dim curTotal As Currency

    On Error GoTo PrintError
    Screen.MousePointer = vbHourglass
    mPageNo = 0
    PrintHeader
    For Each oItem In oInv
        If IncludeItem(oItem, Filter) Then
            If iLine >= LINES_PER_PAGE Then
                Printer.NewPage
                PrintHeader
                iLine = 0
            End If
            Printer.Print PadRight(oItem.Sku, 10); PadRight(oItem.Name, 36); _
                          PadLeft(CStr(oItem.Quantity), 8); PadLeft(FormatMoney(oItem.StockValue), 16)
            curTotal = curTotal + oItem.StockValue
            iLine = iLine + 1
        End If
    Next oItem
    Printer.Print
    Printer.Print PadLeft("Total stock value: " & FormatMoney(curTotal), 70)
    Printer.EndDoc
    Screen.MousePointer = vbDefault
    Exit Sub

PrintError:
    Screen.MousePointer = vbDefault
    MsgBox "Printing failed: " & Err.Description, vbExclamation, APP_TITLE
End Sub

' Page header: title, page number, date and a rule

Private Sub PrintHeader()
    mPageNo = mPageNo + 1
    With Printer
        .FontName = "Courier New"
        .FontSize = 9
        .FontBold = True
        Printer.Print APP_TITLE & " – stock list"; Tab(60); "Page " & mPageNo
        .FontBold = False
        Printer.Print Format$(Date, "dd.mm.yyyy")
        Printer.Print String$(70, "-")
    End With
End Sub

Private Function IncludeItem(ByVal oItem As clsItem, ByVal Filter As ReportFilter) As Boolean
    Select Case Filter
        Case rfAll:        IncludeItem = True
        Case rfLowStock:   IncludeItem = oItem.IsLow
        Case rfOutOfStock: IncludeItem = (oItem.Quantity = 0)
    End Select
End Function

' Writes the articles as CSV, separated by semicolons as Excel
' expects it here. Returns the number of rows written.
Public Function ExportCsv(ByVal oInv As clsInventory, ByVal sFile As String, _
                          Optional ByVal Filter As ReportFilter = rfAll) As Long
    Dim iFile As Integer
    Dim oItem As clsItem

    iFile = FreeFile
    Open sFile For Output As #iFile
    Print #iFile, "SKU;Description;Quantity;Reorder level;Unit price;Location"
    For Each oItem In oInv
        If IncludeItem(oItem, Filter) Then
            Print #iFile, CsvField(oItem.Sku); ";"; CsvField(oItem.Name); ";"; _
                          CStr(oItem.Quantity); ";"; CStr(oItem.ReorderLevel); ";"; _
                          Format$(oItem.UnitPrice, "0.00"); ";"; CsvField(oItem.Location)
            ExportCsv = ExportCsv + 1
        End If
    Next oItem
    Close #iFile
End Function

' Asks for a file name and writes the CSV export
Public Sub ExportWithPrompt(ByVal oInv As clsInventory)
    Dim sFile As String, lRows As Long

    sFile = InputBox("Export to file:", APP_TITLE, AppPath() & "stock.csv")
    If Len(sFile) = 0 Then Exit Sub
    On Error GoTo ExportError
    lRows = ExportCsv(oInv, sFile)
    MsgBox lRows & " articles written to " & sFile, vbInformation, APP_TITLE
    Exit Sub

ExportError:
    Close
    MsgBox "Export failed: " & Err.Description, vbExclamation, APP_TITLE
End Sub
