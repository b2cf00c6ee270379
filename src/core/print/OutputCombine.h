#pragma once
#include "print/OutputWaits.h"

#include <QString>
#include <QStringList>

namespace quillon::model {
class DiagLog;
}
namespace quillon::platform {
class IMessageBox;
class IProcessLauncher;
class IStatusSink;
} // namespace quillon::platform

namespace quillon::print {

// The combining tool (qpdf): in the program folder as "qpdf Files/bin/qpdf", "qpdf" or
// "qpdf/qpdf", then in each absolute folder of searchPath (a PATH value). Empty when none of
// them is an executable file.
QString findCombineTool(const QString& programFolder, const QString& searchPath);

// Minutes and seconds, two digits each: "03:07".
QString elapsedText(qint64 milliseconds);

// File names for a message: each on a line of its own, indented under the text before.
QString nameList(const QStringList& names);

// The lines of the tool's error output that carry "WARNING", and which of the parts they name.
struct ToolWarnings {
    QStringList lines;
    QStringList parts;
};
ToolWarnings findToolWarnings(const QString& errorOutput, const QStringList& parts);

// A text as one word for the POSIX shell, in single quotes.
QString shellQuoted(const QString& text);

enum class CombineOutcome {
    NothingToCombine, // fewer than two files: the output is already in the user's file
    Combined, // the user's file holds every part; the parts are gone
    ToolNotFound, // the parts stay, the message names them
    Failed, // the parts stay, the message names them
    Abandoned, // the tool stopped making progress; the parts stay
};

struct CombineResult {
    CombineOutcome outcome = CombineOutcome::NothingToCombine;
    QStringList parts; // every file of the run, as absolute paths
    QString outputFile; // the user's file
    QString tool; // the tool that ran (empty when none)
    int exitCode = -1; // the tool's exit status; -1 when there is none
    QStringList missingParts; // parts that never had content
    ToolWarnings warnings; // what the tool warned about
    QStringList undeletedParts; // after a combine: parts that could not be removed
    QString title; // the message shown, if any
    QString text; // the message or, after a combine, the report
    bool succeeded() const { return outcome == CombineOutcome::Combined; }
};

// Merges the files of a split-mode run into the user's file with qpdf. The tool runs from a
// shell script beside the merged file, which writes the tool's exit status to an exit-code
// file; the run waits for that file and gives up when the merged file stops growing. The
// parts are deleted only after a combine that ended 0 or 3 without a warning and left a
// readable PDF, which then replaces the user's file in one rename.
class PartCombiner {
public:
    PartCombiner(platform::IProcessLauncher& launcher, platform::IMessageBox* box, platform::IStatusSink* status,
        model::DiagLog* log);

    QString programFolder; // where the tool is looked for first (the program's folder by default)
    QString searchPath; // then these folders (PATH by default)
    OutputWaits waits = OutputWaits::system();

    static constexpr int kPartTries = 120;
    static constexpr int kPartPauseMs = 250;
    static constexpr int kPollMs = 100;
    static constexpr qint64 kStallMs = 60000;

    // parts: the user's file first, then the temporary parts, in page order.
    CombineResult combine(const QStringList& parts, const QString& userOutputName);

private:
    struct ToolEnd {
        bool ended = false; // the exit-code file was written
        bool abandoned = false; // the merged file stopped growing and the tool was stopped
    };
    bool waitForParts(CombineResult& result);
    CombineResult& reportToolNotFound(CombineResult& result);
    // Waits until the tool has written its exit code, has ended, or stalls.
    ToolEnd awaitTool(qint64 id, const QString& exitFile, const QString& merged);
    // The exit code and the warnings of a tool run, from its exit-code and error-output files.
    void readToolOutcome(CombineResult& result, bool ended, const QString& exitFile, const QString& errorFile);
    CombineResult& replaceOutputWithMerged(CombineResult& result, const QString& merged);
    void status(const QString& text);
    void log(const QString& text);
    CombineResult& fail(CombineResult& result, const QStringList& reasons);

    platform::IProcessLauncher& launcher_;
    platform::IMessageBox* box_;
    platform::IStatusSink* status_;
    model::DiagLog* log_;
};

} // namespace quillon::print
