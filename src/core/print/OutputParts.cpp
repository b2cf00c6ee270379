#include "print/OutputParts.h"

#include "config/Options.h"
#include "model/TextPrimitives.h"
#include "platform/InterruptCleanup.h"
#include "platform/MessageBox.h"
#include "platform/ReplacementFile.h"
#include "print/OutputCombine.h"
#include "print/PageFrame.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <memory>

namespace quillon::print {

namespace {

using model::kCrLf;

constexpr qint64 kMiB = 1048576;
constexpr qint64 kUnknownMemoryMiB = 512;
constexpr qint64 kUnknownDiskMiB = 500;
constexpr qint64 kHandleBudget = 10000;

bool endsWithPdf(const QString& name)
{
    return name.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive);
}

// "name.pdf" → ("name", ".pdf"); names without a suffix keep it empty.
std::pair<QString, QString> splitSuffix(const QString& fileName)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0)
        return {fileName, QString()};
    return {fileName.left(dot), fileName.mid(dot)};
}

bool createNew(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    file.close();
    return true;
}

} // namespace

// ---------------------------------------------------------------------------------------------

TargetClass OutputTarget::targetClass() const
{
    if (pdfPrinter)
        return TargetClass::PdfPrinter;
    if (fileTarget)
        return TargetClass::FilePort;
    if (physicalPort)
        return TargetClass::PhysicalPort;
    return TargetClass::Other;
}

OutputTarget classifyOutputTarget(const QString& deviceName, const QString& port)
{
    OutputTarget target;
    target.pdfPrinter = deviceName.contains(QLatin1String("PDF"), Qt::CaseInsensitive);
    const QString upperPort = port.trimmed().toUpper();
    target.fileTarget =
        target.pdfPrinter || upperPort == QLatin1String("FILE:") || upperPort == QLatin1String("PORTPROMPT:");
    static const char* const kPhysicalPrefixes[] = {"USB", "LPT", "COM", "WSD-", "IP_", "\\\\"};
    for (const char* prefix : kPhysicalPrefixes) {
        if (upperPort.startsWith(QLatin1String(prefix)))
            target.physicalPort = true;
    }
    return target;
}

// ---------------------------------------------------------------------------------------------

std::optional<qint64> parseMemAvailable(const QByteArray& meminfo)
{
    for (const QByteArray& line : meminfo.split('\n')) {
        if (!line.startsWith("MemAvailable:"))
            continue;
        const QList<QByteArray> fields = line.mid(13).simplified().split(' ');
        bool ok = false;
        const qint64 value = fields.value(0).toLongLong(&ok);
        if (!ok || value < 0)
            return std::nullopt;
        const QByteArray unit = fields.value(1).toLower();
        if (unit.isEmpty())
            return value;
        if (unit != "kb" || value > std::numeric_limits<qint64>::max() / 1024)
            return std::nullopt;
        return value * 1024;
    }
    return std::nullopt;
}

SpoolReadings readSpoolReadings(const QString& tempFolder)
{
    SpoolReadings readings;
    QFile meminfo(QStringLiteral("/proc/meminfo"));
    if (meminfo.open(QIODevice::ReadOnly))
        readings.availableMemoryBytes = parseMemAvailable(meminfo.readAll());
    const QStorageInfo storage(tempFolder);
    if (storage.isValid() && storage.isReady() && storage.bytesAvailable() >= 0)
        readings.freeDiskBytes = storage.bytesAvailable();
    // Open descriptors stand in for the interface objects a process may hold before the
    // spooler runs short; the listing's own descriptor is among them, which does no harm.
    const QDir descriptors(QStringLiteral("/proc/self/fd"));
    if (descriptors.exists())
        readings.objectsInUse =
            descriptors.entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot).size();
    return readings;
}

int estimateGdiSpoolSize(const SpoolReadings& readings)
{
    qint64 memoryBytes = readings.availableMemoryBytes.value_or(-1);
    if (memoryBytes < 0)
        memoryBytes = kUnknownMemoryMiB * kMiB;
    // Int(MiB × 102.4) without rounding error: 102.4 / 1048576 is exactly 1 / 10240.
    const qint64 memoryTerm = memoryBytes / 10240;
    qint64 diskMiB = readings.freeDiskBytes.value_or(-1);
    diskMiB = diskMiB < 0 ? kUnknownDiskMiB : diskMiB / kMiB;
    const qint64 diskTerm = diskMiB * 256;
    const qint64 handles = std::max<qint64>(0, kHandleBudget - std::max<qint64>(0, readings.objectsInUse));
    const qint64 handleTerm = handles / 4;
    const qint64 size =
        std::clamp<qint64>(std::min({memoryTerm, diskTerm, handleTerm}), kMinimumSpoolSize, kMaximumSpoolSize);
    return int(size * 95 / 100);
}

QString spoolRecalibratedNote(int previous, int estimate)
{
    if (previous == 0 || previous == estimate)
        return QString();
    return QStringLiteral("GDI Spool Size recalibrated from ") + QString::number(previous) + QStringLiteral(" to ")
        + QString::number(estimate)
        + QStringLiteral(
            ". Use File|User Options to restore a previous value as desired if you have been making manual "
            "adjustments.");
}

bool storeGdiSpoolSize(config::Options& options, int value)
{
    options.setInt(config::opt::GDISpoolSize, value);
    return options.save();
}

bool askToReestimate(platform::IMessageBox& box, const SpoolFont& estimatedFor, const SpoolFont& current)
{
    const bool sameName = estimatedFor.name.trimmed().compare(current.name.trimmed(), Qt::CaseInsensitive) == 0;
    if (sameName && estimatedFor.size == current.size)
        return false;
    return box.showMessage(platform::MessageId::ReestimateSpoolSize, platform::MessageIcon::Question,
               QStringLiteral("GDI Spool Size"),
               QStringLiteral("Your font settings have changed since the GDI Spool Size was last estimated. "
                              "Do you want to re-estimate the GDI Spool Size for the current font?"),
               platform::MessageButtons::YesNo)
        == platform::MessageResult::Yes;
}

GdiSpoolEstimator::GdiSpoolEstimator(config::Options& options, std::function<SpoolReadings()> readings)
    : options_(options), readings_(std::move(readings))
{ }

int GdiSpoolEstimator::value() const
{
    return options_.integer(config::opt::GDISpoolSize);
}

bool GdiSpoolEstimator::estimate(const SpoolFont& font)
{
    estimatedFor_ = font;
    return storeGdiSpoolSize(options_, estimateGdiSpoolSize(readings_()));
}

QString GdiSpoolEstimator::recalibrateAtStart(const SpoolFont& font)
{
    const int previous = value();
    estimate(font);
    return spoolRecalibratedNote(previous, value());
}

bool GdiSpoolEstimator::offerReestimate(platform::IMessageBox& box, const SpoolFont& current)
{
    // Nothing was estimated for any font in this session: there is no change to tell about.
    if (!estimatedFor_ || !askToReestimate(box, *estimatedFor_, current))
        return false;
    return estimate(current);
}

// ---------------------------------------------------------------------------------------------

qint64 imageSpoolLines(double printableHeight, double charHeight, int imagePages)
{
    double linesPerPage = charHeight > 0 ? printableHeight / charHeight : 1;
    // A nonsense geometry must not turn into an undefined conversion.
    if (!std::isfinite(linesPerPage) || linesPerPage < 1)
        linesPerPage = 1;
    linesPerPage = std::min(linesPerPage, 1e9);
    return qint64(std::floor(linesPerPage)) * std::max(imagePages, 1);
}

PartEstimate estimateParts(const std::vector<SpoolRow>& rows, int gdiSpoolSize, bool haveProject)
{
    PartEstimate estimate;
    if (gdiSpoolSize < 1 || !haveProject)
        return estimate;
    const qint64 limit = gdiSpoolSize;
    qint64 running = 0;
    for (const SpoolRow& row : rows) {
        if (!row.selected)
            continue;
        qint64 lines = row.image ? (row.imageLines > limit ? 0 : row.imageLines) : row.endLine - row.startLine + 1;
        lines = std::max<qint64>(lines, 0);
        if (running >= 1 && running + lines > limit) {
            ++estimate.parts;
            running = 0;
        }
        if (lines > limit) {
            const qint64 extra = (lines - 1) / limit;
            estimate.parts += extra;
            running = lines - limit * extra;
        } else {
            running += lines;
        }
    }
    estimate.lastPartLines = running;
    return estimate;
}

bool expectsMultipleTemporaryFiles(const PartEstimate& estimate, int gdiSpoolSize)
{
    if (gdiSpoolSize < 1)
        return false;
    return estimate.parts >= 2 || estimate.lastPartLines > qint64(gdiSpoolSize) * 85 / 100;
}

config::Warning multipleTemporaryFilesNotice()
{
    return config::Warning::notice(QStringLiteral("Multiple Temporary Files"),
        QStringLiteral("MULTIPLE TEMPORARY FILES EXPECTED"), platform::MessageIcon::Exclamation,
        QStringLiteral("The selected output is expected to pass the GDI Spool Size, so it will be written to several "
                       "temporary files that are combined automatically into the file you name when the run completes.")
            + kCrLf + kCrLf
            + QStringLiteral(
                "Each temporary file is named automatically: the name of the first file plus \"_QLNTemp\" and a "
                "sequential counter.")
            + kCrLf + kCrLf + QStringLiteral("Form images are slow to render; a run with many of them takes a while.")
            + kCrLf + kCrLf
            + QStringLiteral(
                "If the run is interrupted, the name of the latest temporary file is on the clipboard, so the "
                "files written so far are easy to find."));
}

// ---------------------------------------------------------------------------------------------

SpoolDecision decideSpoolLimit(const SpoolRoutine& routine, const SpoolCounters& counters)
{
    SpoolDecision decision;
    const bool continuing = !routine.image && routine.lastPrintedLine > 0;
    qint64 lines = 0;
    if (routine.image)
        lines = routine.imageLines;
    else if (continuing)
        lines = routine.endLine - routine.lastPrintedLine;
    else
        lines = routine.endLine - routine.startLine + 1;
    decision.routineLines = std::max<qint64>(lines, 0);
    if (!counters.spoolControl || counters.gdiSpoolSize < 1)
        return decision;

    const qint64 limit = counters.gdiSpoolSize;
    // An image larger than a whole file cannot go into any file, so a new part or batch would
    // only be wasted on it.
    if (routine.image && decision.routineLines > limit) {
        decision.action = SpoolAction::FormImageException;
        return decision;
    }
    if (counters.linesInPart + decision.routineLines <= limit)
        return decision;
    if (counters.linesInPart <= 0)
        decision.action = continuing ? SpoolAction::ContinueOversize : SpoolAction::StartOversize;
    else
        decision.action = counters.splitMode ? SpoolAction::NextTemporaryPart : SpoolAction::EndBatch;
    return decision;
}

bool oversizeRoutineStopsHere(
    bool newPageBegun, int pageNumber, qint64 linesInPart, double linesPerPage, int gdiSpoolSize)
{
    if (!newPageBegun || gdiSpoolSize < 1 || pageNumber % 2 != 0)
        return false;
    return double(linesInPart) + 2 * linesPerPage > double(gdiSpoolSize);
}

bool askContinueOversize(platform::IMessageBox& box, int partNumber)
{
    const QString text = QStringLiteral("Part ") + QString::number(partNumber)
        + QStringLiteral(" of the current procedure has been sent to file.") + kCrLf
        + QStringLiteral("This procedure is too large to fit in a single file and is being split across multiple part "
                         "files.")
        + kCrLf + QStringLiteral("Press <Yes> to continue printing Part ") + QString::number(qint64(partNumber) + 1)
        + QStringLiteral(".  The suggested file name includes the part number to help you locate connected files.  You "
                         "may accept the suggested name or change it.")
        + kCrLf + QStringLiteral("Press <No> to abandon printing of the remaining parts of this procedure.");
    return box.showMessage(platform::MessageId::ProcedureTooLarge, platform::MessageIcon::Question,
               QStringLiteral("Procedure Too Large - Continuing In New File"), text, platform::MessageButtons::YesNo)
        == platform::MessageResult::Yes;
}

bool askNextBatch(platform::IMessageBox& box, int firstSent, int lastSent, int totalSelected)
{
    const QString text = QStringLiteral("Your output to a file has reached the maximum allowed GDI Spool Size.") + kCrLf
        + QStringLiteral("Selected procedures ") + QString::number(firstSent) + QStringLiteral(" through ")
        + QString::number(lastSent) + QStringLiteral(" out of the total ") + QString::number(totalSelected)
        + QStringLiteral(" selected procedures have been sent to file.") + kCrLf
        + QStringLiteral(
            "Press <Yes> to continue printing the next batch of selected procedures.  The procedures already "
            "sent will be unselected and you will be asked for a new file name.")
        + kCrLf + QStringLiteral("Press <No> to abandon further procedure printing.");
    return box.showMessage(platform::MessageId::SpoolSizeReached, platform::MessageIcon::Question,
               QStringLiteral("GDI Spool Size Reached"), text, platform::MessageButtons::YesNo)
        == platform::MessageResult::Yes;
}

// ---------------------------------------------------------------------------------------------

QString withoutPdfExtension(const QString& name)
{
    return endsWithPdf(name) ? name.left(name.size() - 4) : name;
}

QString temporaryPartName(const QString& userOutputName, int partNumber)
{
    return withoutPdfExtension(userOutputName) + QStringLiteral("_QLNTemp") + QString::number(partNumber)
        + QStringLiteral(".pdf");
}

QString mergedOutputName(const QString& userOutputName)
{
    return withoutPdfExtension(userOutputName) + QStringLiteral("_QLNMerged.pdf");
}

SuggestedNames::SuggestedNames(QString suggestedOutputName)
    : suggested_(std::move(suggestedOutputName)), current_(suggested_)
{ }

QString SuggestedNames::forOversizePart(int oversizePartNumber)
{
    if (oversizePartNumber <= 0)
        current_ = suggested_;
    else
        current_ = withoutPdfExtension(suggested_) + QStringLiteral("_Part") + QString::number(oversizePartNumber)
            + QStringLiteral(".pdf");
    return current_;
}

config::Warning suggestedFileNameNotice(const QString& name, bool pdfPrinter, bool onClipboard)
{
    config::Warning notice = config::Warning::notice(QStringLiteral("Suggested File Name"),
        QStringLiteral("Suggested File Name"), platform::MessageIcon::Information, QString());
    notice.text = QStringLiteral("Quillon will ask for the output file name when printing starts.") + kCrLf + kCrLf
        + (onClipboard ? QStringLiteral("A suggested file name, copied to the clipboard, is:")
                       : QStringLiteral("A suggested file name is:"))
        + nameList({name});
    if (pdfPrinter) {
        notice.text += kCrLf + kCrLf
            + QStringLiteral(
                "Output beyond the GDI Spool Size continues in temporary part files, which are combined into "
                "the file you name when the run completes.  The second and later parts are named and written "
                "automatically; nothing needs to be entered for them.");
    }
    return notice;
}

QString reserveUniqueFile(const QString& wanted, QString* error)
{
    QString reason;
    if (createNew(wanted, &reason))
        return wanted;
    const QFileInfo info(wanted);
    // Anything but a name already taken (a missing or read-only folder) will not get better
    // with another name.
    if (!info.exists() && !info.isSymLink()) {
        if (error)
            *error = reason;
        return QString();
    }
    const auto [stem, suffix] = splitSuffix(info.fileName());
    const QString folder = info.path() + QLatin1Char('/');
    for (int n = 2; n <= 9999; ++n) {
        const QString candidate = folder + stem + QStringLiteral(" (") + QString::number(n) + QLatin1Char(')') + suffix;
        if (createNew(candidate, &reason))
            return candidate;
        const QFileInfo taken(candidate);
        if (!taken.exists() && !taken.isSymLink())
            break;
    }
    if (error)
        *error = QStringLiteral("no free file name for ") + wanted + QStringLiteral(": ") + reason;
    return QString();
}

TemporaryPartList::~TemporaryPartList()
{
    discard();
}

QString TemporaryPartList::begin(const QString& userOutputName, QString* error)
{
    discard();
    userOutputName_ = platform::replaceablePath(userOutputName);
    partNumber_ = 0;
    if (userOutputName_.isEmpty()) {
        if (error)
            *error = userOutputName.isEmpty() ? QStringLiteral("no output file has been named for this run")
                                              : QStringLiteral("it is not a file that can be replaced");
        return QString();
    }
    // Even the first part stays away from the user's file until the run is complete, so that a
    // run that fails or is interrupted leaves the file as it was.
    const QString first = reserveUniqueFile(temporaryPartName(userOutputName_, 0), error);
    if (!first.isEmpty())
        add(first);
    return first;
}

void TemporaryPartList::add(const QString& part)
{
    files_ << part;
    platform::InterruptCleanup::track(part);
}

QString TemporaryPartList::startNext(QString* error)
{
    if (files_.isEmpty()) {
        if (error)
            *error = QStringLiteral("no output file has been named for this run");
        return QString();
    }
    if (partNumber_ >= kMaxParts) {
        if (error)
            *error = QStringLiteral("the run already has the most temporary parts it can take (")
                + QString::number(kMaxParts) + QLatin1Char(')');
        return QString();
    }
    const QString name = reserveUniqueFile(temporaryPartName(userOutputName_, partNumber_ + 1), error);
    if (name.isEmpty())
        return name;
    ++partNumber_;
    add(name);
    return name;
}

bool TemporaryPartList::publishSinglePart(QString* error)
{
    if (files_.size() != 1) {
        if (error)
            *error = QStringLiteral("the output is in ") + QString::number(files_.size()) + QStringLiteral(" parts");
        return false;
    }
    if (!platform::renameOver(files_.front(), userOutputName_, error))
        return false;
    release();
    return true;
}

void TemporaryPartList::release()
{
    for (const QString& part : std::as_const(files_))
        platform::InterruptCleanup::forget(part);
    files_.clear();
}

void TemporaryPartList::discard()
{
    for (const QString& part : std::as_const(files_))
        QFile::remove(part);
    release();
}

QString temporaryPartStatus(const QString& partName)
{
    return QStringLiteral(
               "GDI Spool Size reached - output is continuing in a temporary file that will be combined into "
               "your selected file when the run completes.")
        + kCrLf + QStringLiteral("The temporary file is:") + kCrLf + partName;
}

// ---------------------------------------------------------------------------------------------

OutputWaits OutputWaits::system()
{
    auto timer = std::make_shared<QElapsedTimer>();
    timer->start();
    // In a program with an event loop the window stays alive while the driver or qpdf works:
    // pending events run between short sleeps until the pause is over.
    auto pause = [](int ms) {
        QDeadlineTimer until(std::max(ms, 0));
        do {
            if (QCoreApplication::instance())
                QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            const qint64 left = until.remainingTime();
            if (left > 0)
                QThread::msleep(ulong(std::min<qint64>(left, 20)));
        } while (!until.hasExpired());
    };
    return {pause, [timer] { return timer->elapsed(); }};
}

qint64 readableLength(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    return file.size();
}

VerifyResult verifyOutput(const QString& outputFile, const OutputTarget& target, int gdiSpoolSize,
    config::SuppressibleMessages* messages, const OutputWaits& waits, QString* statusSuffix)
{
    if (gdiSpoolSize < 1 || !target.fileTarget || target.pdfPrinter)
        return VerifyResult::NotChecked;
    const QFileInfo info(outputFile);
    if (outputFile.isEmpty() || !info.exists() || info.isDir()) {
        if (messages) {
            messages->ask(config::Warning::notice(QStringLiteral("Verify Output File"),
                QStringLiteral("Verify Output File"), platform::MessageIcon::Information,
                QStringLiteral("The GDI Spool size appears to have been exceeded.  This may be a false positive.  "
                               "Verification cannot be completed because it also appears as if you did not use the "
                               "suggested file name. Please verify that your output file opened correctly.")
                    + kCrLf
                    + QStringLiteral(
                        "If the file is corrupt or zero bytes, use menu Options to reduce the GDI Spool Size "
                        "setting and rerun the print job.  If the file saved as expected it may be that your "
                        "device took more than a full minute to flush the GDI buffer to the selected file.")));
        }
        return VerifyResult::Missing;
    }
    for (int attempt = 1; attempt <= kVerifyTries; ++attempt) {
        if (readableLength(outputFile) > 0)
            return VerifyResult::Verified;
        if (attempt < kVerifyTries && waits.pause)
            waits.pause(kVerifyPauseMs);
    }
    if (statusSuffix)
        *statusSuffix = kVerifyFailStatus;
    if (messages) {
        messages->ask(config::Warning::notice(QStringLiteral("Bad Output File Notice"),
            QStringLiteral("Bad Output File Notice"), platform::MessageIcon::Question,
            QStringLiteral(
                "Quillon could not verify your output file.  It reads as empty, which can mean the print run "
                "failed - but this is often a false positive:  the printer driver may simply not have finished "
                "writing the file by the time the check ran.")
                + kCrLf
                + QStringLiteral(
                    "Find the output file and try to open it.  If it opens correctly, no action is needed and the "
                    "run was fine.")
                + QStringLiteral(
                    "If it will not open, the run did fail.  The most likely causes are a GDI Spool Size set too "
                    "high for your device, or a device that needs more than a full minute to flush its buffer to "
                    "the file.  Use menu Options to reduce the GDI Spool Size, delete the unusable file yourself, "
                    "and rerun the print job.")));
    }
    return VerifyResult::Empty;
}

// ---------------------------------------------------------------------------------------------

FormImageRoute chooseFormImageRoute(platform::IMessageBox& box, const QString& imageName,
    const QString& defaultDeviceSetting, const QString& fileTargetDevice)
{
    const QString question = QStringLiteral("The form image ") + imageName
        + QStringLiteral(
            " is estimated to exceed the GDI Spool Size limit by itself, so it cannot be sent to the output "
            "file (a drawn image cannot be split across files the way a large procedure can).")
        + kCrLf + QStringLiteral("All other selected procedures will continue to be sent to the file.") + kCrLf
        + QStringLiteral("Send this form image to the default printer instead?");
    if (box.showMessage(platform::MessageId::FormImageExceedsSpoolSize, platform::MessageIcon::Question,
            QStringLiteral("Form Image Exceeds GDI Spool Size"), question, platform::MessageButtons::YesNo)
        != platform::MessageResult::Yes)
        return {};
    const QString device = defaultDeviceSetting.section(QLatin1Char(','), 0, 0).trimmed();
    if (device.isEmpty() || device.compare(fileTargetDevice.trimmed(), Qt::CaseInsensitive) == 0) {
        box.showMessage(platform::MessageIcon::Information, QStringLiteral("Form Image Skipped"),
            QStringLiteral("The Windows default printer could not be determined or is the same device as the "
                           "file target.  The form image will be skipped."));
        return {};
    }
    return {true, device};
}

void reportDefaultPrinterNotSelected(platform::IMessageBox& box, const QString& device)
{
    box.showMessage(platform::MessageIcon::Information, QStringLiteral("Form Image Skipped"),
        QStringLiteral("The default printer ") + device
            + QStringLiteral(" could not be selected.  The form image will be skipped."));
}

void printOmittedOutputPage(PageFrame& frame, const QString& imageName, bool sentToPrinter)
{
    frame.headerTitle = QStringLiteral("Omitted Output Notice");
    frame.totalPagesText = QStringLiteral("1");
    frame.estimateFlag = false;
    frame.pageNumber = 0;
    frame.startPage();
    platform::IPrintSurface& s = frame.surface();
    s.setCurrentX(frame.left);
    s.setCurrentY(frame.top + frame.geometry().charHeight);
    s.setTextColor(platform::rgb(255, 0, 0));
    s.setBold(true);
    s.printText(QStringLiteral("A single page was omitted here - ")
            + (sentToPrinter ? QStringLiteral("sent to") : QStringLiteral("not sent to"))
            + QStringLiteral(" the printer"),
        true);
    s.setCurrentX(frame.left);
    s.printText(QLatin1Char('(') + imageName + QLatin1Char(')'), true);
    s.setBold(false);
    s.setTextColor(frame.normalTextColour);
    frame.endRoutine();
}

} // namespace quillon::print
