#include "print/PrintRun.h"

#include "analysis/DependencyReport.h"
#include "analysis/LoopBrackets.h"
#include "config/Options.h"
#include "config/SuppressibleMessages.h"
#include "model/DiagLog.h"
#include "model/RoutineParser.h"
#include "model/TextPrimitives.h"
#include "platform/InterruptCleanup.h"
#include "platform/MessageBox.h"
#include "platform/PrintSurface.h"
#include "platform/ReplacementFile.h"
#include "platform/StatusSink.h"
#include "print/OutputCombine.h"
#include "print/OutputFiles.h"
#include "print/OutputVerify.h"
#include "print/TableOfContents.h"
#include "print/TocRecord.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace quillon::print {

using config::PageSetup;
using config::twelveHourTime;

using namespace quillon::model;

namespace {
using model::kCrLf;

QString plural(int n, const QString& word)
{
    return QString::number(n) + QLatin1Char(' ') + word + (n == 1 ? QString() : QStringLiteral("s"));
}

// "PROPERTY GET " and the like, before the name of a property procedure in its title.
QString propertyPrefix(const Routine& routine)
{
    if (!isPropertyKind(routine.kind) || routine.kind == RoutineKind::Property)
        return QString();
    return upperCase(kindText(routine.kind)) + QLatin1Char(' ');
}
} // namespace

PrintRun::PrintRun(PrintRunConfig config)
    // Only the settings move into the base: the borrowed parts are read from config afterwards.
    : PrintRunSettings(std::move(static_cast<PrintRunSettings&>(config))),
      surface_(config.surface),
      setup_(config.setup),
      options_(config.options),
      warnings_(config.warnings),
      messages_(config.messages),
      log_(config.log),
      environment_(std::move(config.environment)),
      printer_(surface_, setup_),
      frame_(printer_, run_),
      lines_(frame_, run_, &warnings_)
{
    for (int i = 0; i < 10; ++i)
        lines_.colours[size_t(i)] = quint32(options_.color(i));
    frame_.normalTextColour = lines_.colours[0];
    printer_.now = environment_.now;
    frame_.routineStarted = [this] {
        if (startingEntry_) {
            startingEntry_->page = outputPage();
            marks_.entries.push_back(std::move(*startingEntry_));
            startingEntry_.reset();
        }
    };
}

PartCombiner PrintRun::partCombiner()
{
    PartCombiner combiner(*environment_.launcher, &messages_, statusSink, log_);
    combiner.programFolder = environment_.programFolder;
    combiner.searchPath = environment_.searchPath;
    return combiner;
}

void PrintRun::setStatus(const QString& text)
{
    if (status)
        status(text);
}

bool PrintRun::prepareOutputTarget(bool& fileTarget)
{
    run_.statusCode = 0;
    const platform::PrinterInfo device = surface_.currentDevice();
    fileTarget = classifyOutputTarget(device).fileTarget;
    if (fileTarget)
        return nameBatchFile(device);
    return settleDuplex(device);
}

bool PrintRun::nameBatchFile(const platform::PrinterInfo& device)
{
    // A file has no duplex unit: the blank back pages of a duplex run are kept for
    // whoever prints the file two-sided.
    names_.emplace(suggestedOutputName(projectName, now()));
    const QString suggested = suggest(names_->current());
    // The notice prepares the user for the save dialog; a caller that names the files
    // itself (the command line) has no dialog to prepare for.
    if (chooseOutputFile)
        warnings_.ask(
            suggestedFileNameNotice(suggested, classifyOutputTarget(device).pdfPrinter, bool(copyToClipboard)));
    OutputFileRequest request;
    request.suggested = suggested;
    request.batch = batch_;
    request.previous = currentFile_;
    batchFileReserved_ = !chooseOutputFile && batch_ > 1;
    if (chooseOutputFile || batch_ > 1) {
        const QString chosen = chooseFile(request);
        if (chosen.isEmpty()) {
            run_.statusCode = 1;
            return false;
        }
        outputPath = chosen;
    }
    batchFile_ = outputPath;
    currentFile_ = outputPath;
    if (!outputPath.isEmpty())
        surface_.setOutputFile(outputPath);
    return true;
}

bool PrintRun::deviceSupportsDuplex()
{
    const int original = surface_.duplexMode();
    surface_.setDuplexMode(2);
    bool supported = surface_.duplexMode() == 2;
    if (!supported) {
        surface_.setDuplexMode(3);
        supported = surface_.duplexMode() == 3;
    }
    surface_.setDuplexMode(original);
    return supported;
}

bool PrintRun::settleDuplex(const platform::PrinterInfo& device)
{
    const bool supported = deviceSupportsDuplex();
    const bool simplexNow = surface_.duplexMode() == 1;
    auto settingWarning = [&](const QString& current, const QString& chosen) {
        const config::Warning w = config::Warning::notice(QStringLiteral("Printer Setting Warning"),
            QStringLiteral("Printer Setting Warning"), platform::MessageIcon::Exclamation,
            QStringLiteral("The output device ") + quote(device.deviceName) + QStringLiteral(" is currently set to ")
                + current + QStringLiteral(" printing but ") + chosen
                + QStringLiteral(" printing was selected.  The device driver may not honor the change."));
        warnings_.ask(w);
    };
    if (supported && setup_.duplex) {
        if (simplexNow)
            settingWarning(QStringLiteral("Simplex"), QStringLiteral("Duplex"));
        surface_.setDuplexMode(3);
    } else if (supported && !setup_.duplex) {
        if (!simplexNow) {
            settingWarning(QStringLiteral("Duplex"), QStringLiteral("Simplex"));
            messages_.showMessage(platform::MessageIcon::Exclamation, QStringLiteral("Duplex Conflict"),
                QStringLiteral("The output device you have selected, ") + device.deviceName
                    + QStringLiteral(", is currently set to Duplex printing but you have selected ")
                    + QStringLiteral("Simplex.  The device driver may not honor the change."));
        }
        surface_.setDuplexMode(1);
    } else if (!supported && setup_.duplex) {
        if (!askPrintWithoutDuplex(device)) {
            run_.statusCode = 1;
            return false;
        }
        setup_.duplex = false;
        setup_.bindingEdge = 0;
    }
    return true;
}

bool PrintRun::askPrintWithoutDuplex(const platform::PrinterInfo& device)
{
    static const char* const edgeNames[] = {"None", "Left", "Top", "Top_Left", "Top_Right", "Left_Top", "Left_Bottom"};
    QString text = QStringLiteral("You have selected to print Duplex but the output device ")
        + QStringLiteral("you have selected,") + device.deviceName + QStringLiteral(" does not support ")
        + QStringLiteral("Duplex printing.  ");
    if (setup_.bindingEdge != 0) {
        text += QStringLiteral("You have also elected to bind the output at the ")
            + QString::fromLatin1(edgeNames[std::clamp(setup_.bindingEdge, 0, 6)]) + QStringLiteral(" edge.  If you ")
            + QStringLiteral("continue then printing will default to Simplex without a ")
            + QStringLiteral("binding edge.  Do you want to continue printing?");
    } else {
        text += QStringLiteral("If you continue then printing will default ")
            + QStringLiteral("to Simplex.  Do you want to continue printing?");
    }
    return messages_.showMessage(platform::MessageId::DuplexUnavailable, platform::MessageIcon::Question,
               QStringLiteral("Duplex Unavailable"), text, platform::MessageButtons::YesNo)
        != platform::MessageResult::No;
}

const QStringList& PrintRun::linesOf(const QString& path)
{
    if (loadedPath_ != path.toLower()) {
        loadedPath_ = path.toLower();
        loadedLines_ = reader->read(path).valueOr({}).lines;
    }
    return loadedLines_;
}

void PrintRun::reportInternalError(const Routine& routine, const QString& reason)
{
    const QString text = QStringLiteral("INTERNAL ERROR ") + config::kProductName + kCrLf + QStringLiteral("Reason: ")
        + reason + kCrLf + QStringLiteral("File: ") + routine.filePath + kCrLf + QStringLiteral("Procedure: ")
        + routine.routineName + kCrLf + QStringLiteral("Kind: ") + kindText(routine.kind) + kCrLf
        + QStringLiteral("Start: ") + QString::number(routine.startLine) + QStringLiteral("  End: ")
        + QString::number(routine.endLine);
    if (log_)
        log_->write(QString(text).replace(kCrLf, QStringLiteral(" | ")));
    surface_.setTextColor(platform::rgb(255, 0, 0));
    surface_.setCurrentX(frame_.left);
    surface_.printText(QStringLiteral("*** ") + QString(text).replace(kCrLf, QStringLiteral(" | ")), true);
    surface_.setTextColor(lines_.colours[colour::Normal]);
}

QString PrintRun::historyKey(const Routine& routine) const
{
    return print::historyKey(routine, findRoutine ? findRoutine : RoutineLookup());
}

void TocListHistory::recordPrint(
    const QString& key, const QDateTime& when, int pages, bool duplex, const LineStatistics* aggregate)
{
    list_.recordPrint(key, when, pages, duplex, aggregate);
}

void TocListHistory::recordDependencyCounts(const QString& key, int total, int blank, int other)
{
    list_.recordDependencyReport(key, total, blank, other);
}

void TocListHistory::beginRun()
{
    list_.beginUpdates();
}

void TocListHistory::endRun()
{
    list_.commitUpdates();
}

void PrintRun::updateHistory(const Routine& routine)
{
    if (!history || isTableOfContents(routine))
        return;
    const bool aggregate = routine.kind == RoutineKind::Aggregate;
    history->recordPrint(
        historyKey(routine), now(), frame_.estimatedPages, setup_.duplex, aggregate ? &run_.stats : nullptr);
}

std::optional<model::Listing> PrintRun::dependencyListing(const Routine& pseudo, const Routine& parent)
{
    if (!index)
        return std::nullopt;
    analysis::DependencyReporter reporter(*index, tabWidth);
    model::Listing report = reporter.buildDependencyReport(parent);
    if (report.lines.empty())
        return std::nullopt;
    const int total = int(report.lines.size());
    const int blank = int(std::count_if(report.lines.begin(), report.lines.end(),
        [](const ListingLine& line) { return line.connectors.empty() && trimBlanks(line.text).isEmpty(); }));
    if (history)
        history->recordDependencyCounts(historyKey(pseudo), total, blank, total - blank);
    return report;
}

QString PrintRun::suggest(const QString& name)
{
    if (copyToClipboard)
        copyToClipboard(name);
    return name;
}

QString PrintRun::derivedFile(const OutputFileRequest& request) const
{
    // Names nobody typed never take an existing file: reserveUniqueFile picks a free one.
    if (request.oversizePart > 0)
        return reserveUniqueFile(withoutPdfExtension(batchFile_) + QStringLiteral("_Part")
            + QString::number(request.oversizePart) + QStringLiteral(".pdf"));
    const QString folder = QFileInfo(request.previous.isEmpty() ? outputPath : request.previous).absolutePath();
    return reserveUniqueFile(folder + QLatin1Char('/') + fileNameOf(request.suggested));
}

QString PrintRun::chooseFile(const OutputFileRequest& request)
{
    for (;;) {
        if (!chooseOutputFile) {
            QString derived = derivedFile(request);
            if (!derived.isEmpty()) {
                // Reserved empty under a derived name: it is the run's until a document fills it.
                dropReservedFile();
                reservedFile_ = derived;
                platform::InterruptCleanup::track(derived);
            }
            return derived; // empty: the folder took no file, nothing to try again
        }
        QString chosen = chooseOutputFile(request);
        if (!chosen.isEmpty())
            return chosen;
        if (!reportTitle_.isEmpty()) {
            const QString report =
                reportTitle_ == QLatin1String("Table of Contents") ? QStringLiteral("TOC") : reportTitle_;
            messages_.showMessage(platform::MessageIcon::Information, QStringLiteral("No File Selection"),
                QStringLiteral("You selected cancel when asked for a file name.  The ") + report
                    + QStringLiteral(" print to file will now be cancelled."));
            return QString();
        }
        const QString text = QStringLiteral("The file save dialog was closed without selecting a file.") + kCrLf + kCrLf
            + QStringLiteral("Click <Yes> to try again or <No> to abandon the print run.");
        if (messages_.showMessage(platform::MessageId::FileSelectionCancelled, platform::MessageIcon::Question,
                QStringLiteral("File Selection Cancelled"), text, platform::MessageButtons::YesNo)
            != platform::MessageResult::Yes)
            return QString();
    }
}

void PrintRun::discardUnfinishedOutput()
{
    // Nothing of an unfinished split run is kept: the user's file stays as it was.
    if (documentOpen_) {
        documentOpen_ = false;
        surface_.abandonDocument();
    }
    parts_.discard();
    dropReservedFile();
}

void PrintRun::dropReservedFile()
{
    if (reservedFile_.isEmpty())
        return;
    platform::InterruptCleanup::forget(reservedFile_);
    if (QFileInfo(reservedFile_).size() == 0)
        QFile::remove(reservedFile_);
    reservedFile_.clear();
}

bool PrintRun::endCurrentDocument()
{
    documents_.push_back({currentFile_, surface_.pagesStarted()});
    for (platform::TextArea& link : surface_.takeLinkAreas()) {
        link.page += pagesDone_;
        marks_.links.push_back(std::move(link));
    }
    pagesDone_ += surface_.pagesStarted();
    documentOpen_ = false;
    if (surface_.endDocument()) {
        if (currentFile_ == reservedFile_) {
            platform::InterruptCleanup::forget(reservedFile_);
            reservedFile_.clear();
        }
        return true;
    }
    failed_ = true;
    reportPrinterError();
    return false;
}

bool PrintRun::startNextPart()
{
    if (!endCurrentDocument())
        return false;
    // The part replaces the file it continues in the list of files that stay.
    documents_.pop_back();
    QString error;
    const QString next = parts_.startNext(&error);
    if (next.isEmpty()) {
        failed_ = true;
        messages_.showMessage(platform::MessageIcon::Critical, QStringLiteral("Printer Error"),
            QStringLiteral("The next output part could not be created: ") + error);
        return false;
    }
    suggest(next);
    setStatus(temporaryPartStatus(next));
    continueDocumentIn(next);
    return true;
}

void PrintRun::continueDocumentIn(const QString& file)
{
    surface_.setOutputFile(file);
    currentFile_ = file;
    documentOpen_ = true;
    printer_.computePageGeometry(false);
    frame_.firstPageOfDocument = true;
    linesInPart_ = 0;
}

int PrintRun::imagePagesOf(const Routine& routine)
{
    if (!formImages)
        return 0;
    // Counting reads and plans the whole form: the part estimate and the routine share it.
    const auto known = imagePages_.find(&routine);
    if (known != imagePages_.end())
        return known->second;
    return imagePages_[&routine] = formImages->imagePages(routine, printer_, frame_);
}

qint64 PrintRun::imageLinesOf(int imagePages) const
{
    return imageSpoolLines(printer_.geometry().printableHeight, printer_.geometry().charHeight, imagePages);
}

QString PrintRun::chooseOversizeFile()
{
    OutputFileRequest request;
    request.suggested = suggest(names_ ? names_->forOversizePart(oversizePart_) : QString());
    request.batch = batch_;
    request.oversizePart = oversizePart_;
    request.previous = currentFile_;
    return chooseFile(request);
}

bool PrintRun::startNextOversizeFile()
{
    if (!endCurrentDocument())
        return false;
    ++oversizePart_;
    const QString next = chooseOversizeFile();
    if (next.isEmpty()) {
        endStatus_ = kOversizeAbandonedStatus;
        return false;
    }
    continueDocumentIn(next);
    return true;
}

void PrintRun::printLines(const std::vector<ListingLine>& lines, int firstNumber, Routine& routine,
    const QString& title, model::ListingColours colours, bool oversize)
{
    statements_.reset();
    const int last = firstNumber + int(lines.size()) - 1;
    for (int n = firstNumber; n <= last; ++n) {
        const ListingLine& line = lines[size_t(n - firstNumber)];
        const int pageBefore = frame_.pageNumber;
        setStatus(QStringLiteral("Printing ") + title + QStringLiteral(" (Procedure ") + procedureOfTotal()
            + QStringLiteral(") line ") + QString::number(n) + QStringLiteral(" of ") + QString::number(last));
        bool go = true;
        if (!line.link.isEmpty())
            surface_.setLinkTarget(line.link);
        lines_.printListingLine(line, &routine, go, colours);
        if (!line.link.isEmpty())
            surface_.setLinkTarget(QString());
        if (run_.tocPrint)
            noteTocHeading(line);
        if (!go)
            break;
        addLineStatements(line.text, statements_);
        ++linesInPart_;
        // A routine larger than a whole file goes on in the next file at an even page.
        if (oversize && spoolControl_ && n < last
            && oversizeRoutineStopsHere(
                frame_.pageNumber != pageBefore, frame_.pageNumber, linesInPart_, frame_.linesPerPage, gdiSpoolSize)) {
            if (!splitMode_ && !askContinueOversize(messages_, oversizePart_)) {
                oversizeAbandoned_ = true;
                endStatus_ = kOversizeAbandonedStatus;
                run_.abort = true;
                break;
            }
            frame_.printFooter();
            if (!(splitMode_ ? startNextPart() : startNextOversizeFile())) {
                oversizeAbandoned_ = !failed_;
                run_.abort = true;
                documentOpen_ = false;
                break;
            }
            frame_.startPage();
        }
    }
    run_.stats.statements = statements_.count;
}

bool PrintRun::printImageRoutine(Routine& routine)
{
    setStatus(QStringLiteral("Printing ") + fileNameOf(routine.filePath) + QStringLiteral("|Image (Procedure ")
        + procedureOfTotal() + QLatin1Char(')'));
    frame_.connectorsInUse = false;
    frame_.headerTitle = fileNameOf(routine.filePath) + QStringLiteral("|Image");
    frame_.pageNumber = 0;
    run_.abort = false;
    if (!formImages || !formImages->printImage(routine, printer_, frame_))
        return false;
    // The next routine starts on a front side.
    if (setup_.duplex && frame_.pageNumber % 2 == 1 && !run_.abort)
        frame_.printBlankPage();
    frame_.estimateFlag = false;
    updateHistory(routine);
    return true;
}

bool PrintRun::sendImageElsewhere(Routine& routine, const QString& fileDevice)
{
    const QString name = fileNameOf(routine.filePath);
    const FormImageRoute route = chooseFormImageRoute(messages_, name, surface_.defaultDeviceName(), fileDevice);
    bool sent = false;
    if (route.toDefaultPrinter) {
        sent = formImages && formImages->printOnPrinter(routine, route.device);
        if (!sent)
            reportDefaultPrinterNotSelected(messages_, route.device);
    }
    printOmittedOutputPage(frame_, name, sent);
    return sent;
}

void PrintRun::printAggregate(Routine& routine, const QStringList& lines)
{
    statements_.reset();
    for (const AggregateListingLine& line : buildAggregateListing(routine, lines, loaded, *reader)) {
        bool go = true;
        lines_.printListingLine(ListingLine(line.text), &routine, go);
        if (!go)
            break;
        if (line.countsStatements)
            addLineStatements(line.text, statements_);
    }
    run_.stats.statements = statements_.count;
    frame_.endRoutine();
    updateHistory(routine);
}

void PrintRun::printRoutineRange(Routine& routine, const QString& title, const model::Listing* own, bool bracketListing)
{
    if (own) {
        if (own->lines.empty()) {
            reportInternalError(routine, QStringLiteral("Routine range invalid"));
            return;
        }
        if (routine.kind == RoutineKind::Dependency)
            frame_.connectors.lineAdvance = printer_.geometry().charHeight;
        printLines(own->lines, 1, routine, title, own->colours, oversize_);
        return;
    }
    const int first = routine.startLine;
    int last = routine.endLine;
    if (first < 1 || last < 1 || last < first) {
        reportInternalError(routine, QStringLiteral("Routine range invalid"));
        return;
    }
    const QStringList& lines = linesOf(routine.filePath);
    last = std::min<int>(last, int(lines.size()));
    if (bracketListing) {
        const std::vector<ListingLine> listing = analysis::buildBracketListing(lines, first, last);
        if (listing.empty()) {
            reportInternalError(routine, QStringLiteral("Bracket temporary file was empty"));
        } else {
            frame_.connectorsInUse = true;
            frame_.connectors.lineAdvance = printer_.geometry().charHeight;
            printLines(listing, 1, routine, title, model::ListingColours::Source, oversize_);
        }
        return;
    }
    std::vector<ListingLine> plain;
    plain.reserve(size_t(std::max(last - first + 1, 0)));
    for (int n = first; n <= last; ++n)
        plain.emplace_back(lines[n - 1]);
    printLines(plain, first, routine, title, model::ListingColours::Source, oversize_);
}

bool PrintRun::printRoutine(Routine& routine)
{
    // A report the program made has no file; every other routine is read from its own.
    if (!routine.listing && trimBlanks(routine.filePath).isEmpty())
        return false;
    if (routine.kind == RoutineKind::Image)
        return printImageRoutine(routine);
    const bool dependency = routine.kind == RoutineKind::Dependency;
    const bool toc = isTableOfContents(routine);
    std::optional<model::Listing> report;
    if (dependency) {
        const RoutinePtr parent = findRoutine ? findRoutine(routine.parentKey) : nullptr;
        if (parent)
            report = dependencyListing(routine, *parent);
        if (!report)
            return false;
    }
    frame_.connectorsInUse = dependency;
    lines_.symbols = symbols;
    const bool bracketListing = brackets && !dependency && !toc && !run_.tocPrint;

    const QString title = toc
        ? routine.routineName
        : fileNameOf(routine.filePath) + QLatin1Char('|') + propertyPrefix(routine) + routine.routineName;
    if (toc) {
        routinesSent_ = 0;
        frame_.firstPageOfDocument = true;
    }
    frame_.headerTitle = title;
    frame_.pageNumber = 0;
    frame_.startPage();
    run_.abort = false;

    const model::Listing* own = report ? &*report : routine.listing.get();
    if (routine.kind == RoutineKind::Aggregate && !own) {
        printAggregate(routine, linesOf(routine.filePath));
        return true;
    }
    printRoutineRange(routine, title, own, bracketListing);
    // A document that could not go on in its next file takes nothing more.
    if (documentOpen_)
        frame_.endRoutine();
    updateHistory(routine);
    return true;
}

void PrintRun::reportPrinterError()
{
    platform::DocumentError error = surface_.documentError();
    if (error.description.isEmpty())
        error = {1, QStringLiteral("the output could not be completed")};
    messages_.showMessage(platform::MessageIcon::Critical, QStringLiteral("Printer Error"),
        QStringLiteral("Printing has terminated with error ") + QString::number(error.number) + QStringLiteral(":  ")
            + error.description + kCrLf + kCrLf + QStringLiteral("If the output was to a file ")
            + QStringLiteral("either you ") + kCrLf + QStringLiteral("    o  entered an invalid file name, or") + kCrLf
            + QStringLiteral("    o  do not have permission to access the selected ")
            + QStringLiteral("drive/folder/file, or") + kCrLf
            + QStringLiteral("    o  changed the printer while the file selection ")
            + QStringLiteral("dialog was open.") + kCrLf
            + QStringLiteral("If none of the above apply or the selected output target ")
            + QStringLiteral("was a physical printer, some other unspecified printer ")
            + QStringLiteral("error occurred.") + kCrLf + kCrLf
            + QStringLiteral("Control will be returned to the main screen."));
}

RunResult PrintRun::runPrintQueue(const std::vector<ListRow>& queue)
{
    std::vector<ListRow> copy = queue;
    return runPrintQueue(copy);
}

RunResult PrintRun::runPrintQueue(std::vector<ListRow>& queue)
{
    RunResult result;
    if (queue.empty()) {
        messages_.showMessage(platform::MessageIcon::Exclamation, config::kProductName,
            QStringLiteral("No routines are in the print queue."));
        return result;
    }
    // The history of every routine printed is written once, however the run ends.
    struct HistoryRun {
        IPrintHistory* history;
        explicit HistoryRun(IPrintHistory* h) : history(h)
        {
            if (history)
                history->beginRun();
        }
        ~HistoryRun()
        {
            if (history)
                history->endRun();
        }
    } historyRun(history.get());
    runStart_ = now();
    if (!documentInfo.created.isValid())
        documentInfo.created = runStart_;
    marks_ = {};
    documents_.clear();
    pagesDone_ = 0;
    sentInRun_ = 0;
    endStatus_.clear();
    failed_ = false;
    currentFile_.clear();
    bool continuation = false;
    for (;;) {
        size_t processed = 0;
        const BatchEnd end = runBatch(queue, continuation, processed);
        sentInRun_ += routinesSent_;
        if (end == BatchEnd::NextBatch) {
            // What this batch sent is unselected, so the next batch starts after it.
            for (size_t i = 0; i < processed && i < queue.size(); ++i)
                queue[i].selected = false;
            continuation = true;
            continue;
        }
        if (end == BatchEnd::Cancelled || end == BatchEnd::Failed) {
            discardUnfinishedOutput();
            result.routinesPrinted = sentInRun_;
            result.status = endStatus_;
            batch_ = 0;
            return result;
        }
        return finishRun(result);
    }
}

bool PrintRun::askForPdfTarget(const platform::PrinterInfo& device)
{
    const QString text = QStringLiteral("Your selected output target, ") + device.deviceName
        + QStringLiteral(", is not a .pdf printer.") + kCrLf + kCrLf
        + QStringLiteral("If a .pdf file output is selected, output that would ")
        + QStringLiteral("otherwise exceed the GDI spool limit will be ")
        + QStringLiteral("automatically continued in temporary files and then ")
        + QStringLiteral("combined into the single file you name.  Otherwise, ")
        + QStringLiteral("large volume output will be split into separate files.") + kCrLf + kCrLf
        + QStringLiteral("Do you want to change the output target?");
    return messages_.showMessage(platform::MessageId::OutputTargetNotPdf, platform::MessageIcon::Question,
               QStringLiteral("Output Target Is Not ") + QStringLiteral(".pdf"), text, platform::MessageButtons::YesNo)
        == platform::MessageResult::Yes;
}

bool PrintRun::startTemporaryParts(const std::vector<ListRow>& queue)
{
    QString error;
    const QString first = parts_.begin(outputPath, &error);
    if (first.isEmpty()) {
        failed_ = true;
        messages_.showMessage(platform::MessageIcon::Critical, QStringLiteral("Printer Error"),
            QStringLiteral("The output file could not be created: ") + error);
        return false;
    }
    surface_.setOutputFile(first);
    currentFile_ = first;
    std::vector<SpoolRow> rows;
    for (const ListRow& row : queue) {
        SpoolRow spool;
        spool.selected = row.selected;
        spool.image = row.routine->kind == RoutineKind::Image;
        if (spool.image && row.selected)
            spool.imageLines = imageLinesOf(imagePagesOf(*row.routine));
        spool.startLine = row.routine->startLine;
        spool.endLine = row.routine->endLine;
        rows.push_back(spool);
    }
    if (expectsMultipleTemporaryFiles(estimateParts(rows, gdiSpoolSize), gdiSpoolSize))
        warnings_.ask(multipleTemporaryFilesNotice());
    return true;
}

SpoolDecision PrintRun::spoolDecisionFor(const Routine& routine, bool image, int imagePages) const
{
    SpoolRoutine spool;
    spool.image = image;
    spool.imageLines = imageLinesOf(imagePages);
    spool.startLine = routine.startLine;
    spool.endLine = routine.endLine;
    SpoolCounters counters;
    counters.spoolControl = true;
    counters.splitMode = splitMode_;
    counters.gdiSpoolSize = gdiSpoolSize;
    counters.linesInPart = linesInPart_;
    return decideSpoolLimit(spool, counters);
}

std::optional<PrintRun::BatchEnd> PrintRun::followSpoolDecision(SpoolAction action)
{
    switch (action) {
    case SpoolAction::NextTemporaryPart:
        if (!startNextPart())
            return BatchEnd::Failed;
        break;
    case SpoolAction::EndBatch:
        if (!endCurrentDocument())
            return BatchEnd::Failed;
        if (askNextBatch(messages_, 1, routinesSent_, totalSelected_))
            return BatchEnd::NextBatch;
        endStatus_ = kBatchTerminatedStatus;
        return BatchEnd::Terminated;
    case SpoolAction::StartOversize:
    case SpoolAction::ContinueOversize:
        oversize_ = true;
        if (!splitMode_ && oversizePart_ == 0 && !startOversizeRoutine())
            return BatchEnd::Terminated;
        break;
    default:
        break;
    }
    return std::nullopt;
}

bool PrintRun::startOversizeRoutine()
{
    // The routine fills files of its own: the file it starts in is its first part.
    oversizePart_ = 1;
    const QString first = chooseOversizeFile();
    if (first.isEmpty()) {
        endStatus_ = kOversizeAbandonedStatus;
        return false;
    }
    // Nothing is in the current file yet: it is given up for the part's name,
    // and an empty file reserved under a derived name goes with it.
    if (first != currentFile_ && batchFileReserved_)
        QFile::remove(currentFile_);
    surface_.setOutputFile(first);
    currentFile_ = first;
    return true;
}

std::optional<PrintRun::BatchEnd> PrintRun::startBatch(const std::vector<ListRow>& queue, bool continuation)
{
    routinesSent_ = 0;
    printer_.applyPageSetup();
    const platform::PrinterInfo device = surface_.currentDevice();
    target_ = classifyOutputTarget(device);
    reportTitle_.clear();
    for (const ListRow& row : queue) {
        if (isTableOfContents(*row.routine))
            reportTitle_ = row.routine->routineName;
    }
    // The table of contents is one short document that is never split: where it goes needs no
    // question about PDF output.
    if (!continuation && reportTitle_.isEmpty() && !target_.pdfPrinter && !target_.physicalPort
        && askForPdfTarget(device))
        return BatchEnd::Cancelled;
    ++batch_;
    if (!prepareOutputTarget(fileTarget_))
        return BatchEnd::Cancelled;
    printer_.computePageGeometry(batch_ == 1);
    imagePages_.clear(); // page counts hold for this batch's geometry
    documentOpen_ = true;
    // Parts and batches end in files beside the output: a device or a FIFO named as output
    // gets the whole document in one piece instead, and nothing is renamed over it.
    const bool streamOutput = !outputPath.isEmpty() && platform::replaceablePath(outputPath).isEmpty();
    spoolControl_ = fileTarget_ && gdiSpoolSize >= 1 && !streamOutput;
    splitMode_ = spoolControl_ && target_.pdfPrinter && !outputPath.isEmpty();
    totalSelected_ = 0;
    for (const ListRow& row : queue)
        totalSelected_ += row.selected ? 1 : 0;
    if (splitMode_ && !startTemporaryParts(queue))
        return BatchEnd::Failed;
    loadedPath_.clear();
    frame_.firstPageOfDocument = true;
    linesInPart_ = 0;
    oversizePart_ = 0;
    return std::nullopt;
}

PrintRun::BatchEnd PrintRun::runBatch(std::vector<ListRow>& queue, bool continuation, size_t& processed)
{
    if (const std::optional<BatchEnd> end = startBatch(queue, continuation))
        return *end;
    for (size_t i = 0; i < queue.size(); ++i) {
        const ListRow& row = queue[i];
        if (!row.selected) {
            processed = i + 1;
            continue;
        }
        Routine& routine = *row.routine;
        run_.tocPrint = isTableOfContents(routine);
        oversize_ = false;
        oversizeAbandoned_ = false;
        SpoolDecision decision;
        const bool image = routine.kind == RoutineKind::Image;
        const int imagePages = image ? imagePagesOf(routine) : 0;
        // Until a renderer is given, images print nothing and take no room in a file.
        if (spoolControl_ && (!image || formImages)) {
            decision = spoolDecisionFor(routine, image, imagePages);
            if (decision.action == SpoolAction::FormImageException) {
                // A drawing cannot be split across files: it goes to a printer or is left out,
                // with a page in the file that says which.
                if (sendImageElsewhere(routine, surface_.currentDevice().deviceName))
                    ++routinesSent_;
                processed = i + 1;
                continue;
            }
            if (const std::optional<BatchEnd> end = followSpoolDecision(decision.action))
                return *end;
        }
        frame_.estimatePages(routine, imagePages);
        const qint64 linesBefore = linesInPart_;
        if (!run_.tocPrint) {
            startingEntry_ = PrintedEntry {fileNameOf(routine.filePath),
                bookmarkTitle(row.text, model::kindText(routine.kind)),
                routine.kind == RoutineKind::Dependency ? QString() : analysis::DependencyIndex::routineKey(routine),
                0};
        }
        if (printRoutine(routine))
            ++routinesSent_;
        startingEntry_.reset();
        processed = i + 1;
        if (statusSink)
            statusSink->showProgress(
                procedureOffset + routinesSent_, procedureTotal > 0 ? procedureTotal : totalSelected_);
        if (failed_)
            return BatchEnd::Failed;
        if (cancelRequested && cancelRequested()) {
            endStatus_ = QStringLiteral("Print run cancelled after ") + QString::number(procedureOffset + routinesSent_)
                + QStringLiteral(" of ") + QString::number(procedureTotal > 0 ? procedureTotal : totalSelected_)
                + QStringLiteral(" procedures; the unfinished output was discarded.");
            return BatchEnd::Cancelled;
        }
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
        messages_.showMessage(platform::MessageIcon::Exclamation, config::kProductName,
            QStringLiteral("No procedures were selected to print."));
        return BatchEnd::Cancelled;
    }
    return BatchEnd::Finished;
}

QString PrintRun::procedureOfTotal() const
{
    return QString::number(procedureOffset + routinesSent_ + 1) + QStringLiteral(" of ")
        + QString::number(procedureTotal > 0 ? procedureTotal : totalSelected_);
}

QString fileTargetReport(int procedures, const QString& deviceName, const QString& times, bool severalSets)
{
    return plural(procedures, QStringLiteral("procedure")) + QStringLiteral(" sent to a file-based printer (")
        + deviceName + QStringLiteral(").") + times + kCrLf + QStringLiteral("Find the file name")
        + QStringLiteral(" selected for the output and use a PDF/file ") + QStringLiteral("reader to open and print ")
        + (severalSets ? QStringLiteral("each ") : QStringLiteral("the ")) + QStringLiteral("file as needed.");
}

QString PrintRun::completionReport(const QString& deviceName, bool severalSets)
{
    if (!fileTarget_)
        return QStringLiteral("Output of ") + plural(sentInRun_, QStringLiteral("procedure"))
            + QStringLiteral(" sent to ") + deviceName + QStringLiteral(" completed.");
    QString times;
    if (batch_ > 1) {
        times = kCrLf + QStringLiteral("    Starting at ") + twelveHourTime(runStart_.time(), true) + kCrLf
            + QStringLiteral("    Ending at ") + twelveHourTime(now().time(), true);
    }
    return fileTargetReport(sentInRun_, deviceName, times, severalSets);
}

RunResult PrintRun::finishRun(RunResult result)
{
    const platform::PrinterInfo device = surface_.currentDevice();
    if (documentOpen_ && !endCurrentDocument()) {
        discardUnfinishedOutput();
        batch_ = 0;
        result.routinesPrinted = sentInRun_;
        return result;
    }
    result.pages = pagesDone_;
    result.routinesPrinted = sentInRun_;
    result.batches = batch_;
    result.outputPath = fileTarget_ ? outputPath : QString();
    result.status = endStatus_;
    if (fileTarget_)
        result.files = documents_;
    setStatus(QStringLiteral("Running File Integrity Test"));
    if (!target_.pdfPrinter && fileTarget_) {
        QString suffix;
        const VerifyResult verified = verifyOutput(currentFile_, target_, gdiSpoolSize, &warnings_, waits, &suffix);
        if (verified == VerifyResult::Empty) {
            result.status += suffix;
            run_.statusCode = 1;
            batch_ = 0;
            return result;
        }
    }
    QString combinedReport;
    if (splitMode_ && parts_.hasTemporaryParts()) {
        PartCombiner combiner = partCombiner();
        const CombineResult combine = combiner.combine(parts_.files(), outputPath);
        result.parts = int(parts_.files().size());
        result.combined = combine.succeeded();
        if (!combine.succeeded()) {
            // The parts stay: they are the output.
            result.files.clear();
            for (const QString& part : parts_.files())
                result.files.push_back({part, 0});
            parts_.release();
            result.report = combine.text;
            batch_ = 0;
            return result;
        }
        parts_.release();
        // One file holds every page now.
        result.files = {{outputPath, result.pages}};
        combinedReport = combine.text;
    } else if (splitMode_) {
        QString error;
        if (!parts_.publishSinglePart(&error)) {
            messages_.showMessage(platform::MessageIcon::Critical, QStringLiteral("Printer Error"),
                QStringLiteral("The output could not be given the name ") + outputPath + QStringLiteral(": ") + error);
            parts_.discard();
            batch_ = 0;
            return result;
        }
        result.files = {{outputPath, result.pages}};
    }
    const bool severalSets = batch_ > 1 || result.files.size() > 1;
    result.report = completionReport(device.deviceName, severalSets);
    if (!combinedReport.isEmpty())
        result.report += kCrLf + combinedReport;
    if (!endStatus_.isEmpty())
        result.report += kCrLf + endStatus_;
    result.marks = std::move(marks_);
    // Only a PDF that holds the whole run: files of batches and oversize parts are pieces.
    if (fileTarget_ && target_.pdfPrinter && result.files.size() == 1 && result.files.front().path == outputPath)
        navigatePdf(navigator, outputPath, result.marks, documentInfo, log_);
    result.ok = true;
    batch_ = 0;
    return result;
}

void PrintRun::noteTocHeading(const ListingLine& line)
{
    // Only the titles of the categories and of the summary; a heading kept with its entry is none.
    if (!line.has(model::ListingMark::Bold) || line.has(model::ListingMark::KeepWithNext))
        return;
    const QString title = trimBlanks(line.text).toString();
    if (!title.isEmpty())
        marks_.entries.push_back({QString(), title, QString(), outputPage()});
}

} // namespace quillon::print
