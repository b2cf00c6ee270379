#include "print/SpoolLimit.h"

#include "model/TextPrimitives.h"
#include "platform/MessageBox.h"
#include "platform/PrintSurface.h"
#include "print/PageFrame.h"

#include <algorithm>
#include <cmath>

namespace quillon::print {

using model::kCrLf;

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
