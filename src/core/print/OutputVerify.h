#pragma once
#include "print/OutputTarget.h"
#include "print/OutputWaits.h"

#include <QString>

namespace quillon::config {
class SuppressibleMessages;
}

namespace quillon::print {

// Verify output: a file target's file has content once the driver is done.

enum class VerifyResult {
    NotChecked, // no spool limit, a PDF printer or not a file target
    Verified, // the file has content
    Missing, // not under the expected name (told, not a failure: the user may have renamed it)
    Empty, // still empty after every try: the run failed
};
inline constexpr int kVerifyTries = 120;
inline constexpr int kVerifyPauseMs = 500;
inline const QString kVerifyFailStatus = QStringLiteral(" (Fail at 120)");

// Checks the output file of a file target; messages may be null (nothing is shown).
// *statusSuffix gets what is appended to the run's status.
VerifyResult verifyOutput(const QString& outputFile, const OutputTarget& target, int gdiSpoolSize,
    config::SuppressibleMessages* messages, const OutputWaits& waits, QString* statusSuffix = nullptr);

} // namespace quillon::print
