#include "print/PrintRun.h"

#include "analysis/DependencyReport.h"
#include "analysis/LoopBrackets.h"
#include "config/Options.h"
#include "config/SuppressibleMessages.h"
#include "model/DiagLog.h"
#include "model/RoutineParser.h"
#include "platform/Environment.h"
#include "platform/MessageBox.h"
#include "platform/PrintSurface.h"
#include "platform/InterruptCleanup.h"
#include "print/TableOfContents.h"
#include "print/OutputCombine.h"
#include "platform/ProcessLauncher.h"
#include "platform/ReplacementFile.h"
#include "print/TocRecord.h"
#include "print/OutputFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

namespace quillon::print {

using namespace quillon::model;

namespace {
const QString kCrLf = QStringLiteral("\r\n");

QString Plural(int n, const QString& word)
{
    return QString::number(n) + QLatin1Char(' ') + word + (n == 1 ? QString() : QStringLiteral("s"));
}
} // namespace

PrintRun::PrintRun(platform::IPrintSurface& surface, PageSetup& setup, const config::Options& options,
                                 config::SuppressibleMessages& warnings, platform::IMessageBox& messages, DiagLog* log)
    : surface_(surface), setup_(setup), options_(options), warnings_(warnings), messages_(messages), log_(log),
      printer_(surface, setup), frame_(printer_, run_), lines_(frame_, run_, &warnings)
{
    for (int i = 0; i < 10; ++i)
        lines_.Colours[size_t(i)] = quint32(options.Color(i));
    frame_.NormalTextColour = lines_.Colours[0];
}

void PrintRun::SetStatus(const QString& text)
{
    if (Status)
        Status(text);
}

bool PrintRun::PrepareOutputTarget(bool& fileTarget)
{
    run_.statusCode = 0;
    const platform::PrinterInfo device = surface_.CurrentDevice();
    fileTarget = ClassifyOutputTarget(device).fileTarget;
    if (fileTarget) {
        // A file has no duplex unit: the blank back pages of a duplex run are kept for
        // whoever prints the file two-sided.
        names_.emplace(SuggestedOutputName(ProjectName, now()));
        const QString suggested = Suggest(names_->Current());
        // The notice prepares the user for the save dialog; a caller that names the files
        // itself (the command line) has no dialog to prepare for.
        if (ChooseOutputFile)
            warnings_.Ask(SuggestedFileNameNotice(suggested, ClassifyOutputTarget(device).pdfPrinter, bool(CopyToClipboard)));
        OutputFileRequest request;
        request.suggested = suggested;
        request.batch = batch_;
        request.previous = currentFile_;
        batchFileReserved_ = !ChooseOutputFile && batch_ > 1;
        if (ChooseOutputFile || batch_ > 1) {
            const QString chosen = ChooseFile(request);
            if (chosen.isEmpty()) {
                run_.statusCode = 1;
                return false;
            }
            OutputPath = chosen;
        }
        batchFile_ = OutputPath;
        currentFile_ = OutputPath;
        if (!OutputPath.isEmpty())
            surface_.SetOutputFile(OutputPath);
        return true;
    }
    const int original = surface_.DuplexMode();
    surface_.SetDuplexMode(2);
    bool supported = surface_.DuplexMode() == 2;
    if (!supported) {
        surface_.SetDuplexMode(3);
        supported = surface_.DuplexMode() == 3;
    }
    surface_.SetDuplexMode(original);
    const bool simplexNow = surface_.DuplexMode() == 1;
    auto settingWarning = [&](const QString& current, const QString& chosen) {
        const config::Warning w = config::Warning::Notice(
            QStringLiteral("Printer Setting Warning"), QStringLiteral("Printer Setting Warning"), QStringLiteral("!"),
            QStringLiteral("The output device ") + Quote(device.deviceName) + QStringLiteral(" is currently set to ") + current
                + QStringLiteral(" printing but ") + chosen
                + QStringLiteral(" printing was selected.  The device driver may not honor the change."));
        warnings_.Ask(w);
    };
    if (supported && setup_.Duplex) {
        if (simplexNow)
            settingWarning(QStringLiteral("Simplex"), QStringLiteral("Duplex"));
        surface_.SetDuplexMode(3);
    } else if (supported && !setup_.Duplex) {
        if (!simplexNow) {
            settingWarning(QStringLiteral("Duplex"), QStringLiteral("Simplex"));
            messages_.ShowMessage(platform::MessageIcon::Exclamation, QStringLiteral("Duplex Conflict"),
                                  QStringLiteral("The output device you have selected, ") + device.deviceName
                                      + QStringLiteral(", is currently set to Duplex printing but you have selected ")
                                      + QStringLiteral("Simplex.  The device driver may not honor the change."));
        }
        surface_.SetDuplexMode(1);
    } else if (!supported && setup_.Duplex) {
        static const char* const edgeNames[] = {"None", "Left", "Top", "Top_Left", "Top_Right", "Left_Top", "Left_Bottom"};
        QString text = QStringLiteral("You have selected to print Duplex but the output device ")
            + QStringLiteral("you have selected,") + device.deviceName + QStringLiteral(" does not support ")
            + QStringLiteral("Duplex printing.  ");
        if (setup_.BindingEdge != 0) {
            text += QStringLiteral("You have also elected to bind the output at the ")
                + QString::fromLatin1(edgeNames[std::clamp(setup_.BindingEdge, 0, 6)]) + QStringLiteral(" edge.  If you ")
                + QStringLiteral("continue then printing will default to Simplex without a ")
                + QStringLiteral("binding edge.  Do you want to continue printing?");
        } else {
            text += QStringLiteral("If you continue then printing will default ")
                + QStringLiteral("to Simplex.  Do you want to continue printing?");
        }
        if (messages_.ShowMessage(platform::MessageIcon::Question, QStringLiteral("Duplex Unavailable"), text,
                                  platform::MessageButtons::YesNo)
            == platform::MessageResult::No) {
            run_.statusCode = 1;
            return false;
        }
        setup_.Duplex = false;
        setup_.BindingEdge = 0;
    }
    return true;
}

const QStringList& PrintRun::LinesOf(const QString& path)
{
    if (loadedPath_ != path.toLower()) {
        loadedPath_ = path.toLower();
        const SourceFile file = Reader->Read(path);
        loadedLines_ = file.ok ? file.lines : QStringList();
    }
    return loadedLines_;
}

void PrintRun::ReportInternalError(const Routine& routine, const QString& reason)
{
    const QString text = QStringLiteral("INTERNAL ERROR ") + config::kProductName + kCrLf + QStringLiteral("Reason: ")
        + reason + kCrLf + QStringLiteral("File: ") + routine.FilePath + kCrLf + QStringLiteral("Procedure: ")
        + routine.RoutineName + kCrLf + QStringLiteral("Kind: ") + routine.RoutineKind + kCrLf
        + QStringLiteral("Start: ") + QString::number(routine.startLine) + QStringLiteral("  End: ")
        + QString::number(routine.endLine);
    if (log_)
        log_->Write(QString(text).replace(kCrLf, QStringLiteral(" | ")));
    surface_.SetTextColor(platform::Rgb(255, 0, 0));
    surface_.SetCurrentX(frame_.Left);
    surface_.PrintText(QStringLiteral("*** ") + QString(text).replace(kCrLf, QStringLiteral(" | ")), true);
    surface_.SetTextColor(lines_.Colours[colour::Normal]);
}

QString PrintRun::HistoryKey(const Routine& routine) const
{
    return print::HistoryKey(routine, FindRoutine ? FindRoutine : RoutineLookup());
}

void TocListHistory::RecordPrint(const QString& key, const QDateTime& when, int pages, bool duplex,
                                 const LineStatistics* aggregate)
{
    list_.RecordPrint(key, when, pages, duplex, aggregate);
}

void TocListHistory::RecordDependencyCounts(const QString& key, int total, int blank, int other)
{
    list_.RecordDependencyReport(key, total, blank, other);
}

void TocListHistory::BeginRun()
{
    list_.BeginUpdates();
}

void TocListHistory::EndRun()
{
    list_.CommitUpdates();
}

void PrintRun::UpdateHistory(const Routine& routine)
{
    if (!History || routine.RoutineName == QLatin1String("Table of Contents"))
        return;
    const bool aggregate = KindIs(routine, QLatin1StringView("AGGREGATE"));
    History->RecordPrint(HistoryKey(routine), now(), frame_.EstimatedPages, setup_.Duplex,
                         aggregate ? &run_.stats : nullptr);
}

bool PrintRun::PrepareDependencyRoutine(Routine& pseudo, const Routine& parent)
{
    if (!Index)
        return false;
    analysis::DependencyReporter reporter(*Index, TabWidth);
    const QStringList report = reporter.BuildDependencyReport(parent);
    if (report.isEmpty())
        return false;
    int blank = 0;
    for (const QString& line : report)
        blank += trimBlanks(line).isEmpty() ? 1 : 0;
    // A unique name under the usual prefix: two reports never overwrite each other.
    QString name = upperCase(trimBlanks(parent.ModuleName)) + QLatin1Char('_') + upperCase(trimBlanks(parent.RoutineName));
    for (const char* c : {":", "\\", "/", "|", " "})
        name.replace(QLatin1String(c), QLatin1String("_"));
    QTemporaryFile file(platform::TempFolder() + QStringLiteral("QLN_DEP_") + name + QStringLiteral("_XXXXXX.TXT"));
    file.setAutoRemove(false);
    if (!file.open())
        return false;
    if (log_)
        log_->OpenOutput(file.fileName());
    QByteArray bytes;
    for (const QString& line : report)
        bytes += line.toUtf8() + "\r\n";
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        file.close();
        QFile::remove(file.fileName());
        return false;
    }
    file.close();
    platform::InterruptCleanup::Track(file.fileName());
    if (History)
        History->RecordDependencyCounts(HistoryKey(pseudo), int(report.size()), blank, int(report.size()) - blank);
    pseudo.FilePath = file.fileName();
    pseudo.startLine = 1;
    pseudo.signatureLine = 1;
    pseudo.endLine = qint32(report.size());
    pseudo.SigLineText = QStringLiteral("'Dependency Report");
    return true;
}

QString PrintRun::Suggest(const QString& name)
{
    if (CopyToClipboard)
        CopyToClipboard(name);
    return name;
}

QString PrintRun::DerivedFile(const OutputFileRequest& request) const
{
    // Names nobody typed never take an existing file: ReserveUniqueFile picks a free one.
    if (request.oversizePart > 0)
        return ReserveUniqueFile(WithoutPdfExtension(batchFile_) + QStringLiteral("_Part")
                                 + QString::number(request.oversizePart) + QStringLiteral(".pdf"));
    const QString folder = QFileInfo(request.previous.isEmpty() ? OutputPath : request.previous).absolutePath();
    return ReserveUniqueFile(folder + QLatin1Char('/') + FileNameOf(request.suggested));
}

QString PrintRun::ChooseFile(const OutputFileRequest& request)
{
    for (;;) {
        if (!ChooseOutputFile) {
            const QString derived = DerivedFile(request);
            if (!derived.isEmpty()) {
                // Reserved empty under a derived name: it is the run's until a document fills it.
                DropReservedFile();
                reservedFile_ = derived;
                platform::InterruptCleanup::Track(derived);
            }
            return derived; // empty: the folder took no file, nothing to try again
        }
        const QString chosen = ChooseOutputFile(request);
        if (!chosen.isEmpty())
            return chosen;
        if (tocRun_) {
            messages_.ShowMessage(platform::MessageIcon::Information, QStringLiteral("No File Selection"),
                                  QStringLiteral("You selected cancel when asked for a file name.  The TOC print to file "
                                                 "will now be cancelled."));
            return QString();
        }
        const QString text = QStringLiteral("The file save dialog was closed without selecting a file.") + kCrLf + kCrLf
            + QStringLiteral("Click <Yes> to try again or <No> to abandon the print run.");
        if (messages_.ShowMessage(platform::MessageIcon::Question, QStringLiteral("File Selection Cancelled"), text,
                                  platform::MessageButtons::YesNo)
            != platform::MessageResult::Yes)
            return QString();
    }
}

void PrintRun::DiscardUnfinishedOutput()
{
    // Nothing of an unfinished split run is kept: the user's file stays as it was.
    parts_.Discard();
    DropReservedFile();
}

void PrintRun::DropReservedFile()
{
    if (reservedFile_.isEmpty())
        return;
    platform::InterruptCleanup::Forget(reservedFile_);
    if (QFileInfo(reservedFile_).size() == 0)
        QFile::remove(reservedFile_);
    reservedFile_.clear();
}

bool PrintRun::EndCurrentDocument()
{
    documents_.push_back({currentFile_, surface_.PagesStarted()});
    pagesDone_ += surface_.PagesStarted();
    documentOpen_ = false;
    if (surface_.EndDocument()) {
        if (currentFile_ == reservedFile_) {
            platform::InterruptCleanup::Forget(reservedFile_);
            reservedFile_.clear();
        }
        return true;
    }
    failed_ = true;
    ReportPrinterError();
    return false;
}

bool PrintRun::StartNextPart()
{
    if (!EndCurrentDocument())
        return false;
    // The part replaces the file it continues in the list of files that stay.
    documents_.pop_back();
    QString error;
    const QString next = parts_.StartNext(&error);
    if (next.isEmpty()) {
        failed_ = true;
        messages_.ShowMessage(platform::MessageIcon::Critical, QStringLiteral("Printer Error"),
                              QStringLiteral("The next output part could not be created: ") + error);
        return false;
    }
    Suggest(next);
    surface_.SetOutputFile(next);
    currentFile_ = next;
    documentOpen_ = true;
    SetStatus(TemporaryPartStatus(next));
    printer_.ComputePageGeometry(false);
    frame_.FirstPageOfDocument = true;
    linesInPart_ = 0;
    return true;
}

int PrintRun::ImagePagesOf(const Routine& routine)
{
    if (!ImagePages)
        return 0;
    // Counting reads and plans the whole form: the part estimate and the routine share it.
    const auto known = imagePages_.find(&routine);
    if (known != imagePages_.end())
        return known->second;
    return imagePages_[&routine] = ImagePages(routine);
}

qint64 PrintRun::ImageLinesOf(int imagePages) const
{
    return ImageSpoolLines(printer_.Geometry().PrintableHeight, printer_.Geometry().CharHeight, imagePages);
}

QString PrintRun::ChooseOversizeFile()
{
    OutputFileRequest request;
    request.suggested = Suggest(names_ ? names_->ForOversizePart(oversizePart_) : QString());
    request.batch = batch_;
    request.oversizePart = oversizePart_;
    request.previous = currentFile_;
    return ChooseFile(request);
}

bool PrintRun::StartNextOversizeFile()
{
    if (!EndCurrentDocument())
        return false;
    ++oversizePart_;
    const QString next = ChooseOversizeFile();
    if (next.isEmpty()) {
        endStatus_ = kOversizeAbandonedStatus;
        return false;
    }
    surface_.SetOutputFile(next);
    currentFile_ = next;
    documentOpen_ = true;
    printer_.ComputePageGeometry(false);
    frame_.FirstPageOfDocument = true;
    linesInPart_ = 0;
    return true;
}

void PrintRun::PrintLines(const QStringList& lines, int first, int last, Routine& routine,
                                 const QString& title, bool oversize)
{
    statements_.Reset();
    for (int n = first; n <= last; ++n) {
        const int pageBefore = frame_.PageNumber;
        SetStatus(QStringLiteral("Printing ") + title + QStringLiteral(" (Procedure ") + QString::number(routinesSent_ + 1)
                  + QStringLiteral(" of ") + QString::number(totalSelected_) + QStringLiteral(") line ")
                  + QString::number(n) + QStringLiteral(" of ") + QString::number(last));
        bool go = true;
        lines_.PrintSourceLine(lines[n - 1], &routine, go);
        if (!go)
            break;
        AddLineStatements(lines[n - 1], statements_);
        ++linesInPart_;
        // A routine larger than a whole file goes on in the next file at an even page.
        if (oversize && spoolControl_ && n < last
            && OversizeRoutineStopsHere(frame_.PageNumber != pageBefore, frame_.PageNumber, linesInPart_,
                                        frame_.LinesPerPage, GdiSpoolSize)) {
            if (!splitMode_ && !AskContinueOversize(messages_, oversizePart_)) {
                oversizeAbandoned_ = true;
                endStatus_ = kOversizeAbandonedStatus;
                run_.abort = true;
                break;
            }
            frame_.PrintFooter();
            if (!(splitMode_ ? StartNextPart() : StartNextOversizeFile())) {
                oversizeAbandoned_ = !failed_;
                run_.abort = true;
                documentOpen_ = false;
                break;
            }
            frame_.StartPage();
        }
    }
    run_.stats.statements = statements_.count;
}

bool PrintRun::PrintImageRoutine(Routine& routine)
{
    SetStatus(QStringLiteral("Printing ") + FileNameOf(routine.FilePath) + QStringLiteral("|Image (Procedure ")
              + QString::number(routinesSent_ + 1) + QStringLiteral(" of ") + QString::number(totalSelected_)
              + QLatin1Char(')'));
    frame_.ConnectorsInUse = false;
    frame_.HeaderTitle = FileNameOf(routine.FilePath) + QStringLiteral("|Image");
    frame_.PageNumber = 0;
    run_.abort = false;
    if (!PrintImage || !PrintImage(routine))
        return false;
    // The next routine starts on a front side.
    if (setup_.Duplex && frame_.PageNumber % 2 == 1 && !run_.abort)
        frame_.PrintBlankPage();
    frame_.EstimateFlag = false;
    UpdateHistory(routine);
    return true;
}

bool PrintRun::SendImageElsewhere(Routine& routine, const QString& fileDevice)
{
    const QString name = FileNameOf(routine.FilePath);
    const FormImageRoute route = ChooseFormImageRoute(messages_, name, surface_.DefaultDeviceName(), fileDevice);
    bool sent = false;
    if (route.toDefaultPrinter) {
        sent = PrintImageOnPrinter && PrintImageOnPrinter(routine, route.device);
        if (!sent)
            ReportDefaultPrinterNotSelected(messages_, route.device);
    }
    PrintOmittedOutputPage(frame_, name, sent);
    return sent;
}

bool PrintRun::PrintRoutine(Routine& routine)
{
    if (trimBlanks(routine.FilePath).isEmpty())
        return false;
    if (KindIs(routine, QLatin1StringView("IMAGE")))
        return PrintImageRoutine(routine);
    const QString originalPath = routine.FilePath;
    const bool dependency = KindIs(routine, QLatin1StringView("DEPENDENCY"));
    const bool toc = routine.RoutineName == QLatin1String("Table of Contents");
    if (dependency) {
        const RoutinePtr parent = FindRoutine ? FindRoutine(routine.ParentKey) : nullptr;
        if (!parent || !PrepareDependencyRoutine(routine, *parent))
            return false;
    }
    frame_.ConnectorsInUse = dependency;
    lines_.Symbols = Symbols;
    const bool brackets = Brackets && !dependency && !toc && !run_.tocPrint;

    QString prefix;
    for (const char* kind : {"PROPERTY GET", "PROPERTY LET", "PROPERTY SET"}) {
        if (KindIs(routine, QLatin1StringView(kind)))
            prefix = QString::fromLatin1(kind) + QLatin1Char(' ');
    }
    const QString title = toc ? QStringLiteral("Table of Contents")
                              : FileNameOf(originalPath) + QLatin1Char('|') + prefix + routine.RoutineName;
    if (toc) {
        routinesSent_ = 0;
        frame_.FirstPageOfDocument = true;
    }
    frame_.HeaderTitle = title;
    frame_.PageNumber = 0;
    frame_.StartPage();
    run_.abort = false;

    const QStringList& lines = LinesOf(routine.FilePath);
    if (KindIs(routine, QLatin1StringView("AGGREGATE"))) {
        statements_.Reset();
        for (const AggregateListingLine& line : BuildAggregateListing(routine, lines, Loaded, *Reader)) {
            bool go = true;
            lines_.PrintSourceLine(line.text, &routine, go);
            if (!go)
                break;
            if (line.countsStatements)
                AddLineStatements(line.text, statements_);
        }
        run_.stats.statements = statements_.count;
        frame_.EndRoutine();
        UpdateHistory(routine);
        return true;
    }

    int first = routine.startLine;
    int last = routine.endLine;
    if (first < 1 || last < 1 || last < first) {
        ReportInternalError(routine, QStringLiteral("Routine range invalid"));
    } else {
        last = std::min<int>(last, int(lines.size()));
        if (brackets) {
            const QStringList listing = analysis::BuildBracketListing(lines, first, last);
            if (listing.isEmpty()) {
                ReportInternalError(routine, QStringLiteral("Bracket temporary file was empty"));
            } else {
                frame_.ConnectorsInUse = true;
                frame_.Connectors.lineAdvance = printer_.Geometry().CharHeight;
                PrintLines(listing, 1, int(listing.size()), routine, title, oversize_);
            }
        } else {
            if (dependency)
                frame_.Connectors.lineAdvance = printer_.Geometry().CharHeight;
            PrintLines(lines, first, last, routine, title, oversize_);
        }
    }
    // A document that could not go on in its next file takes nothing more.
    if (documentOpen_)
        frame_.EndRoutine();
    UpdateHistory(routine);
    if (dependency) {
        // The report was written for this print only.
        QFile::remove(routine.FilePath);
        platform::InterruptCleanup::Forget(routine.FilePath);
        routine.FilePath = originalPath;
        loadedPath_.clear();
    }
    return true;
}

void PrintRun::ReportPrinterError()
{
    messages_.ShowMessage(platform::MessageIcon::Critical, QStringLiteral("Printer Error"),
                          QStringLiteral("Printing has terminated with error 0:  the output could not be completed")
                              + kCrLf + kCrLf + QStringLiteral("If the output was to a file ")
                              + QStringLiteral("either you ") + kCrLf + QStringLiteral("    o  entered an invalid file name, or")
                              + kCrLf + QStringLiteral("    o  do not have permission to access the selected ")
                              + QStringLiteral("drive/folder/file, or") + kCrLf
                              + QStringLiteral("    o  changed the printer while the file selection ")
                              + QStringLiteral("dialog was open.") + kCrLf
                              + QStringLiteral("If none of the above apply or the selected output target ")
                              + QStringLiteral("was a physical printer, some other unspecified printer ")
                              + QStringLiteral("error occurred.") + kCrLf + kCrLf
                              + QStringLiteral("Control will be returned to the main screen."));
}

RunResult PrintRun::RunPrintQueue(const std::vector<ListRow>& queue)
{
    std::vector<ListRow> copy = queue;
    return RunPrintQueue(copy);
}

RunResult PrintRun::RunPrintQueue(std::vector<ListRow>& queue)
{
    RunResult result;
    if (queue.empty()) {
        messages_.ShowMessage(platform::MessageIcon::Exclamation, config::kProductName,
                              QStringLiteral("No routines are in the print queue."));
        return result;
    }
    // The history of every routine printed is written once, however the run ends.
    struct HistoryRun {
        IPrintHistory* history;
        explicit HistoryRun(IPrintHistory* h) : history(h)
        {
            if (history)
                history->BeginRun();
        }
        ~HistoryRun()
        {
            if (history)
                history->EndRun();
        }
    } historyRun(History);
    runStart_ = now();
    documents_.clear();
    pagesDone_ = 0;
    sentInRun_ = 0;
    endStatus_.clear();
    failed_ = false;
    currentFile_.clear();
    bool continuation = false;
    for (;;) {
        size_t processed = 0;
        const BatchEnd end = RunBatch(queue, continuation, processed);
        sentInRun_ += routinesSent_;
        if (end == BatchEnd::NextBatch) {
            // What this batch sent is unselected, so the next batch starts after it.
            for (size_t i = 0; i < processed && i < queue.size(); ++i)
                queue[i].selected = false;
            continuation = true;
            continue;
        }
        if (end == BatchEnd::Cancelled || end == BatchEnd::Failed) {
            DiscardUnfinishedOutput();
            result.routinesPrinted = sentInRun_;
            result.status = endStatus_;
            batch_ = 0;
            return result;
        }
        return FinishRun(result);
    }
}

PrintRun::BatchEnd PrintRun::RunBatch(std::vector<ListRow>& queue, bool continuation, size_t& processed)
{
    routinesSent_ = 0;
    printer_.ApplyPageSetup();
    const platform::PrinterInfo device = surface_.CurrentDevice();
    target_ = ClassifyOutputTarget(device);
    if (!continuation && !target_.pdfPrinter && !target_.physicalPort) {
        const QString text = QStringLiteral("Your selected output target, ") + device.deviceName
            + QStringLiteral(", is not a .pdf printer.") + kCrLf + kCrLf
            + QStringLiteral("If a .pdf file output is selected, output that would ")
            + QStringLiteral("otherwise exceed the GDI spool limit will be ")
            + QStringLiteral("automatically continued in temporary files and then ")
            + QStringLiteral("combined into the single file you name.  Otherwise, ")
            + QStringLiteral("large volume output will be split into separate files.") + kCrLf + kCrLf
            + QStringLiteral("Do you want to change the output target?");
        if (messages_.ShowMessage(platform::MessageIcon::Question, QStringLiteral("Output Target Is Not ") + QStringLiteral(".pdf"),
                                  text, platform::MessageButtons::YesNo)
            == platform::MessageResult::Yes)
            return BatchEnd::Cancelled;
    }
    ++batch_;
    tocRun_ = false;
    for (const ListRow& row : queue)
        tocRun_ = tocRun_ || KindIs(*row.routine, QLatin1StringView("TOC"));
    if (!PrepareOutputTarget(fileTarget_))
        return BatchEnd::Cancelled;
    printer_.ComputePageGeometry(batch_ == 1);
    imagePages_.clear(); // page counts hold for this batch's geometry
    documentOpen_ = true;
    // Parts and batches end in files beside the output: a device or a FIFO named as output
    // gets the whole document in one piece instead, and nothing is renamed over it.
    const bool streamOutput = !OutputPath.isEmpty() && platform::ReplaceablePath(OutputPath).isEmpty();
    spoolControl_ = fileTarget_ && GdiSpoolSize >= 1 && !streamOutput;
    splitMode_ = spoolControl_ && target_.pdfPrinter && !OutputPath.isEmpty();
    totalSelected_ = 0;
    for (const ListRow& row : queue)
        totalSelected_ += row.selected ? 1 : 0;
    if (splitMode_) {
        QString error;
        const QString first = parts_.Begin(OutputPath, &error);
        if (first.isEmpty()) {
            failed_ = true;
            messages_.ShowMessage(platform::MessageIcon::Critical, QStringLiteral("Printer Error"),
                                  QStringLiteral("The output file could not be created: ") + error);
            return BatchEnd::Failed;
        }
        surface_.SetOutputFile(first);
        currentFile_ = first;
        std::vector<SpoolRow> rows;
        for (const ListRow& row : queue) {
            SpoolRow spool;
            spool.selected = row.selected;
            spool.image = KindIs(*row.routine, QLatin1StringView("IMAGE"));
            if (spool.image && row.selected)
                spool.imageLines = ImageLinesOf(ImagePagesOf(*row.routine));
            spool.startLine = row.routine->startLine;
            spool.endLine = row.routine->endLine;
            rows.push_back(spool);
        }
        if (ExpectsMultipleTemporaryFiles(EstimateParts(rows, GdiSpoolSize), GdiSpoolSize))
            warnings_.Ask(MultipleTemporaryFilesNotice());
    }
    loadedPath_.clear();
    frame_.FirstPageOfDocument = true;
    linesInPart_ = 0;
    oversizePart_ = 0;

    for (size_t i = 0; i < queue.size(); ++i) {
        const ListRow& row = queue[i];
        if (!row.selected) {
            processed = i + 1;
            continue;
        }
        Routine& routine = *row.routine;
        run_.tocPrint = KindIs(routine, QLatin1StringView("TOC"));
        oversize_ = false;
        oversizeAbandoned_ = false;
        SpoolDecision decision;
        const bool image = KindIs(routine, QLatin1StringView("IMAGE"));
        const int imagePages = image ? ImagePagesOf(routine) : 0;
        // Until a renderer is given, images print nothing and take no room in a file.
        if (spoolControl_ && (!image || PrintImage)) {
            SpoolRoutine spool;
            spool.image = image;
            spool.imageLines = ImageLinesOf(imagePages);
            spool.startLine = routine.startLine;
            spool.endLine = routine.endLine;
            SpoolCounters counters;
            counters.spoolControl = true;
            counters.splitMode = splitMode_;
            counters.gdiSpoolSize = GdiSpoolSize;
            counters.linesInPart = linesInPart_;
            decision = DecideSpoolLimit(spool, counters);
            switch (decision.action) {
            case SpoolAction::NextTemporaryPart:
                if (!StartNextPart())
                    return BatchEnd::Failed;
                break;
            case SpoolAction::FormImageException:
                // A drawing cannot be split across files: it goes to a printer or is left out,
                // with a page in the file that says which.
                if (SendImageElsewhere(routine, surface_.CurrentDevice().deviceName))
                    ++routinesSent_;
                processed = i + 1;
                continue;
            case SpoolAction::EndBatch:
                if (!EndCurrentDocument())
                    return BatchEnd::Failed;
                if (AskNextBatch(messages_, 1, routinesSent_, totalSelected_))
                    return BatchEnd::NextBatch;
                endStatus_ = kBatchTerminatedStatus;
                return BatchEnd::Terminated;
            case SpoolAction::StartOversize:
            case SpoolAction::ContinueOversize:
                oversize_ = true;
                if (!splitMode_ && oversizePart_ == 0) {
                    // The routine fills files of its own: the file it starts in is its first part.
                    oversizePart_ = 1;
                    const QString first = ChooseOversizeFile();
                    if (first.isEmpty()) {
                        endStatus_ = kOversizeAbandonedStatus;
                        return BatchEnd::Terminated;
                    }
                    // Nothing is in the current file yet: it is given up for the part's name,
                    // and an empty file reserved under a derived name goes with it.
                    if (first != currentFile_ && batchFileReserved_)
                        QFile::remove(currentFile_);
                    surface_.SetOutputFile(first);
                    currentFile_ = first;
                }
                break;
            default:
                break;
            }
        }
        frame_.EstimatePages(routine, Reader, imagePages);
        const qint64 linesBefore = linesInPart_;
        if (PrintRoutine(routine))
            ++routinesSent_;
        processed = i + 1;
        if (failed_)
            return BatchEnd::Failed;
        if (oversizeAbandoned_)
            return BatchEnd::Terminated;
        if (oversize_) {
            // The next routine starts a file of its own.
            oversizePart_ = 0;
        } else if (spoolControl_) {
            linesInPart_ = linesBefore + decision.routineLines;
        }
    }
    if (totalSelected_ == 0) {
        messages_.ShowMessage(platform::MessageIcon::Exclamation, config::kProductName,
                              QStringLiteral("No procedures were selected to print."));
        return BatchEnd::Cancelled;
    }
    return BatchEnd::Finished;
}

RunResult PrintRun::FinishRun(RunResult result)
{
    const platform::PrinterInfo device = surface_.CurrentDevice();
    if (documentOpen_ && !EndCurrentDocument()) {
        DiscardUnfinishedOutput();
        batch_ = 0;
        result.routinesPrinted = sentInRun_;
        return result;
    }
    result.pages = pagesDone_;
    result.routinesPrinted = sentInRun_;
    result.batches = batch_;
    result.outputPath = fileTarget_ ? OutputPath : QString();
    result.status = endStatus_;
    if (fileTarget_)
        result.files = documents_;
    SetStatus(QStringLiteral("Running File Integrity Test"));
    if (!target_.pdfPrinter && fileTarget_) {
        QString suffix;
        const VerifyResult verified = VerifyOutput(currentFile_, target_, GdiSpoolSize, &warnings_, Waits, &suffix);
        if (verified == VerifyResult::Empty) {
            result.status += suffix;
            run_.statusCode = 1;
            batch_ = 0;
            return result;
        }
    }
    QString combinedReport;
    if (splitMode_ && parts_.HasTemporaryParts()) {
        platform::ProcessLauncher launcher;
        PartCombiner combiner(launcher, &messages_, StatusSink, log_);
        const CombineResult combine = combiner.Combine(parts_.Files(), OutputPath);
        result.parts = int(parts_.Files().size());
        result.combined = combine.Succeeded();
        if (!combine.Succeeded()) {
            // The parts stay: they are the output.
            result.files.clear();
            for (const QString& part : parts_.Files())
                result.files.push_back({part, 0});
            parts_.Release();
            result.report = combine.text;
            batch_ = 0;
            return result;
        }
        parts_.Release();
        // One file holds every page now.
        result.files = {{OutputPath, result.pages}};
        combinedReport = combine.text;
    } else if (splitMode_) {
        QString error;
        if (!parts_.PublishSinglePart(&error)) {
            messages_.ShowMessage(platform::MessageIcon::Critical, QStringLiteral("Printer Error"),
                                  QStringLiteral("The output could not be given the name ") + OutputPath
                                      + QStringLiteral(": ") + error);
            parts_.Discard();
            batch_ = 0;
            return result;
        }
        result.files = {{OutputPath, result.pages}};
    }
    const bool severalSets = batch_ > 1 || result.files.size() > 1;
    if (fileTarget_) {
        result.report = Plural(sentInRun_, QStringLiteral("procedure")) + QStringLiteral(" sent to a file-based printer (")
            + device.deviceName + QStringLiteral(").");
        if (batch_ > 1) {
            result.report += kCrLf + QStringLiteral("    Starting at ") + TwelveHourTime(runStart_.time(), true) + kCrLf
                + QStringLiteral("    Ending at ") + TwelveHourTime(now().time(), true);
        }
        result.report += kCrLf + QStringLiteral("Find the file name") + QStringLiteral(" selected for the output and use a PDF/file ")
            + QStringLiteral("reader to open and print ") + (severalSets ? QStringLiteral("each ") : QStringLiteral("the "))
            + QStringLiteral("file as needed.");
    } else {
        result.report = QStringLiteral("Output of ") + Plural(sentInRun_, QStringLiteral("procedure"))
            + QStringLiteral(" sent to ") + device.deviceName + QStringLiteral(" completed.");
    }
    if (!combinedReport.isEmpty())
        result.report += kCrLf + combinedReport;
    if (!endStatus_.isEmpty())
        result.report += kCrLf + endStatus_;
    result.ok = true;
    batch_ = 0;
    return result;
}

} // namespace quillon::print
