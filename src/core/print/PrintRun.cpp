#include "print/PrintRun.h"

#include "analysis/DependencyReport.h"
#include "analysis/LoopBrackets.h"
#include "config/Options.h"
#include "config/ZrkMsgBox.h"
#include "model/DiagLog.h"
#include "model/RoutineParser.h"
#include "platform/Environment.h"
#include "platform/MessageBox.h"
#include "platform/PrintSurface.h"
#include "print/TableOfContents.h"
#include "print/OutputCombine.h"
#include "platform/ProcessLauncher.h"
#include "print/TocRecord.h"

#include <QFile>
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

modQLProcedures::modQLProcedures(platform::IPrintSurface& surface, PageSetup& setup, const config::Options& options,
                                 config::modZRK_MsgBox& warnings, platform::IMessageBox& messages, DiagLog* log)
    : surface_(surface), setup_(setup), options_(options), warnings_(warnings), messages_(messages), log_(log),
      printer_(surface, setup), frame_(printer_, run_), lines_(frame_, run_, &warnings)
{
    for (int i = 0; i < 10; ++i)
        lines_.Colours[size_t(i)] = quint32(options.Color(i));
    frame_.NormalTextColour = lines_.Colours[0];
}

void modQLProcedures::SetStatus(const QString& text)
{
    if (Status)
        Status(text);
}

bool modQLProcedures::PrepareOutputTarget(bool& fileTarget)
{
    run_.statusCode = 0;
    const platform::PrinterInfo device = surface_.CurrentDevice();
    fileTarget = ClassifyOutputTarget(device).fileTarget;
    if (fileTarget) {
        // A file has no duplex unit: the blank back pages of a duplex run are kept for
        // whoever prints the file two-sided.
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
        config::Warning w;
        w.key = QStringLiteral("Printer Setting Warning");
        w.title = QStringLiteral("Printer Setting Warning");
        w.text = QStringLiteral("The output device ") + Quote(device.deviceName) + QStringLiteral(" is currently set to ")
            + current + QStringLiteral(" printing but ") + chosen
            + QStringLiteral(" printing was selected.  The device driver may not honor the change.");
        w.buttons = {QStringLiteral("OK")};
        warnings_.Ask(w);
    };
    if (supported && setup_.Duplex) {
        if (simplexNow)
            settingWarning(QStringLiteral("Simplex"), QStringLiteral("Duplex"));
        surface_.SetDuplexMode(3);
    } else if (supported && !setup_.Duplex) {
        if (!simplexNow) {
            settingWarning(QStringLiteral("Duplex"), QStringLiteral("Simplex"));
            messages_.ShowMessage(platform::MsgIcon::Exclamation, QStringLiteral("Duplex Conflict"),
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
        if (messages_.ShowMessage(platform::MsgIcon::Question, QStringLiteral("Duplex Unavailable"), text,
                                  platform::MsgButtons::YesNo)
            == platform::MsgResult::No) {
            run_.statusCode = 1;
            return false;
        }
        setup_.Duplex = false;
        setup_.BindingEdge = 0;
    }
    return true;
}

const QStringList& modQLProcedures::LinesOf(const QString& path)
{
    if (loadedPath_ != path.toLower()) {
        loadedPath_ = path.toLower();
        const SourceFile file = Reader->Read(path);
        loadedLines_ = file.ok ? file.lines : QStringList();
    }
    return loadedLines_;
}

void modQLProcedures::ReportInternalError(const clsRoutineInfo& routine, const QString& reason)
{
    const QString text = QStringLiteral("INTERNAL ERROR ") + config::kProductName + kCrLf + QStringLiteral("Reason: ")
        + reason + kCrLf + QStringLiteral("File: ") + routine.FilePath + kCrLf + QStringLiteral("Procedure: ")
        + routine.RoutineName + kCrLf + QStringLiteral("Kind: ") + routine.RoutineKind + kCrLf
        + QStringLiteral("Start: ") + QString::number(routine.lStartLine) + QStringLiteral("  End: ")
        + QString::number(routine.lEndLine);
    if (log_)
        log_->Write(QString(text).replace(kCrLf, QStringLiteral(" | ")));
    surface_.SetTextColor(platform::Rgb(255, 0, 0));
    surface_.SetCurrentX(frame_.Left);
    surface_.PrintText(QStringLiteral("*** ") + QString(text).replace(kCrLf, QStringLiteral(" | ")), true);
    surface_.SetTextColor(lines_.Colours[colour::Normal]);
}

QString modQLProcedures::HistoryKey(const clsRoutineInfo& routine) const
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

void modQLProcedures::UpdateHistory(const clsRoutineInfo& routine)
{
    if (!History || routine.RoutineName == QLatin1String("Table of Contents"))
        return;
    const bool aggregate = KindIs(routine, QLatin1StringView("AGGREGATE"));
    History->RecordPrint(HistoryKey(routine), now(), frame_.EstimatedPages, setup_.Duplex,
                         aggregate ? &run_.stats : nullptr);
}

bool modQLProcedures::PrepareDependencyRoutine(clsRoutineInfo& pseudo, const clsRoutineInfo& parent)
{
    if (!Index)
        return false;
    analysis::DependencyReporter reporter(*Index, TabWidth);
    const QStringList report = reporter.BuildDependencyReport(parent);
    if (report.isEmpty())
        return false;
    int blank = 0;
    for (const QString& line : report)
        blank += Trim(line).isEmpty() ? 1 : 0;
    // A unique name under the usual prefix: two reports never overwrite each other.
    QString name = UCase(Trim(parent.ModuleName)) + QLatin1Char('_') + UCase(Trim(parent.RoutineName));
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
    if (History)
        History->RecordDependencyCounts(HistoryKey(pseudo), int(report.size()), blank, int(report.size()) - blank);
    pseudo.FilePath = file.fileName();
    pseudo.lStartLine = 1;
    pseudo.lSigLine = 1;
    pseudo.lEndLine = qint32(report.size());
    pseudo.SigLineText = QStringLiteral("'Dependency Report");
    return true;
}

bool modQLProcedures::StartNextPart()
{
    pagesInEarlierParts_ += surface_.PagesStarted();
    if (!surface_.EndDocument())
        return false;
    QString error;
    const QString next = parts_.StartNext(&error);
    if (next.isEmpty()) {
        messages_.ShowMessage(platform::MsgIcon::Critical, QStringLiteral("Printer Error"),
                              QStringLiteral("The next output part could not be created: ") + error);
        return false;
    }
    surface_.SetOutputFile(next);
    SetStatus(TemporaryPartStatus(next));
    printer_.ComputePageGeometry(false);
    frame_.FirstPageOfDocument = true;
    linesInPart_ = 0;
    return true;
}

void modQLProcedures::PrintLines(const QStringList& lines, int first, int last, clsRoutineInfo& routine,
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
        // A routine larger than a whole file goes on in the next part at an even page.
        if (oversize && splitMode_ && n < last
            && OversizeRoutineStopsHere(frame_.PageNumber != pageBefore, frame_.PageNumber, linesInPart_,
                                        frame_.LinesPerPage, GdiSpoolSize)) {
            frame_.PrintFooter();
            if (!StartNextPart()) {
                run_.abort = true;
                break;
            }
            frame_.StartPage();
        }
    }
    run_.stats.statements = statements_.count;
}

bool modQLProcedures::PrintRoutine(clsRoutineInfo& routine)
{
    if (Trim(routine.FilePath).isEmpty())
        return false;
    if (KindIs(routine, QLatin1StringView("IMAGE")))
        return false; // form images print once the form image renderer exists
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

    int first = routine.lStartLine;
    int last = routine.lEndLine;
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
    frame_.EndRoutine();
    UpdateHistory(routine);
    if (dependency) {
        // The report was written for this print only.
        QFile::remove(routine.FilePath);
        routine.FilePath = originalPath;
        loadedPath_.clear();
    }
    return true;
}

RunResult modQLProcedures::RunPrintQueue(const std::vector<ListRow>& queue)
{
    RunResult result;
    if (queue.empty()) {
        messages_.ShowMessage(platform::MsgIcon::Exclamation, config::kProductName,
                              QStringLiteral("No routines are in the print queue."));
        return result;
    }
    printer_.ApplyPageSetup();
    const platform::PrinterInfo device = surface_.CurrentDevice();
    const OutputTarget target = ClassifyOutputTarget(device);
    if (!target.pdfPrinter && !target.physicalPort) {
        const QString text = QStringLiteral("Your selected output target, ") + device.deviceName
            + QStringLiteral(", is not a .pdf printer.") + kCrLf + kCrLf
            + QStringLiteral("If a .pdf file output is selected, output that would ")
            + QStringLiteral("otherwise exceed the GDI spool limit will be ")
            + QStringLiteral("automatically continued in temporary files and then ")
            + QStringLiteral("combined into the single file you name.  Otherwise, ")
            + QStringLiteral("large volume output will be split into separate files.") + kCrLf + kCrLf
            + QStringLiteral("Do you want to change the output target?");
        if (messages_.ShowMessage(platform::MsgIcon::Question, QStringLiteral("Output Target Is Not ") + QStringLiteral(".pdf"),
                                  text, platform::MsgButtons::YesNo)
            == platform::MsgResult::Yes)
            return result;
    }
    ++batch_;
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
    bool fileTarget = false;
    if (!PrepareOutputTarget(fileTarget))
        return result;
    printer_.ComputePageGeometry(batch_ == 1);
    loadedPath_.clear();
    routinesSent_ = 0;
    frame_.FirstPageOfDocument = true;
    linesInPart_ = 0;
    pagesInEarlierParts_ = 0;
    splitMode_ = fileTarget && target.pdfPrinter && GdiSpoolSize >= 1 && !OutputPath.isEmpty();
    if (splitMode_)
        parts_.Begin(OutputPath);
    totalSelected_ = 0;
    for (const ListRow& row : queue)
        totalSelected_ += row.selected ? 1 : 0;

    for (const ListRow& row : queue) {
        if (!row.selected)
            continue;
        clsRoutineInfo& routine = *row.routine;
        run_.tocPrint = KindIs(routine, QLatin1StringView("TOC"));
        oversize_ = false;
        if (splitMode_) {
            SpoolRoutine spool;
            spool.image = KindIs(routine, QLatin1StringView("IMAGE"));
            spool.startLine = routine.lStartLine;
            spool.endLine = routine.lEndLine;
            SpoolCounters counters;
            counters.spoolControl = true;
            counters.splitMode = true;
            counters.gdiSpoolSize = GdiSpoolSize;
            counters.linesInPart = linesInPart_;
            const SpoolDecision decision = DecideSpoolLimit(spool, counters);
            if (decision.action == SpoolAction::NextTemporaryPart && !StartNextPart())
                break;
            oversize_ = decision.action == SpoolAction::StartOversize || decision.action == SpoolAction::ContinueOversize;
        }
        frame_.EstimatePages(routine, Reader);
        if (PrintRoutine(routine))
            ++routinesSent_;
    }
    if (totalSelected_ == 0) {
        messages_.ShowMessage(platform::MsgIcon::Exclamation, config::kProductName,
                              QStringLiteral("No procedures were selected to print."));
        return result;
    }

    result.pages = pagesInEarlierParts_ + surface_.PagesStarted();
    result.routinesPrinted = routinesSent_;
    result.outputPath = fileTarget ? OutputPath : QString();
    if (!surface_.EndDocument()) {
        messages_.ShowMessage(platform::MsgIcon::Critical, QStringLiteral("Printer Error"),
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
        batch_ = 0;
        return result;
    }
    SetStatus(QStringLiteral("Running File Integrity Test"));
    QString combinedReport;
    if (splitMode_ && parts_.HasTemporaryParts()) {
        platform::ProcessLauncher launcher;
        PartCombiner combiner(launcher, &messages_, nullptr, log_);
        const CombineResult combine = combiner.Combine(parts_.Files(), OutputPath);
        result.parts = int(parts_.Files().size());
        result.combined = combine.Succeeded();
        if (!combine.Succeeded()) {
            result.report = combine.text;
            batch_ = 0;
            return result;
        }
        combinedReport = combine.text;
    }
    if (fileTarget) {
        result.report = Plural(routinesSent_, QStringLiteral("procedure")) + QStringLiteral(" sent to a file-based printer (")
            + device.deviceName + QStringLiteral(").") + kCrLf + QStringLiteral("Find the file name")
            + QStringLiteral(" selected for the output and use a PDF/file ") + QStringLiteral("reader to open and print ")
            + QStringLiteral("the ") + QStringLiteral("file as needed.");
    } else {
        result.report = QStringLiteral("Output of ") + Plural(routinesSent_, QStringLiteral("procedure"))
            + QStringLiteral(" sent to ") + device.deviceName + QStringLiteral(" completed.");
    }
    if (!combinedReport.isEmpty())
        result.report += kCrLf + combinedReport;
    result.ok = true;
    batch_ = 0;
    return result;
}

} // namespace quillon::print
