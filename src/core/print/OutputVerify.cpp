#include "print/OutputVerify.h"

#include "config/SuppressibleMessages.h"
#include "model/TextPrimitives.h"
#include "platform/MessageBox.h"

#include <QFileInfo>

namespace quillon::print {

using model::kCrLf;

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

} // namespace quillon::print
