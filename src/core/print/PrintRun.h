#pragma once
#include "config/PageSetup.h"
#include "model/TextPrimitives.h"
#include "platform/Environment.h"
#include "print/LinePrinter.h"
#include "print/Navigation.h"
#include "print/OutputNames.h"
#include "print/OutputTarget.h"
#include "print/PageFrame.h"
#include "print/PrintRunConfig.h"
#include "print/ProcedureLists.h"
#include "print/SpoolLimit.h"

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>
#include <unordered_map>

namespace quillon::platform {
struct PrinterInfo;
}

namespace quillon::print {

class PartCombiner;
class TocList;

// The print history kept in the project's table of contents list.
class TocListHistory : public IPrintHistory {
public:
    explicit TocListHistory(TocList& list) : list_(list) { }
    void recordPrint(
        const QString& key, const QDateTime& when, int pages, bool duplex, const LineStatistics* aggregate) override;
    void recordDependencyCounts(const QString& key, int total, int blank, int other) override;
    void beginRun() override;
    void endRun() override;

private:
    TocList& list_;
};

// One file a run wrote (file targets) and its pages.
struct OutputDocument {
    QString path;
    int pages = 0;
};

// Counts of a run, for its completion report.
struct RunResult {
    bool ok = false;
    int routinesPrinted = 0; // over every batch
    int pages = 0;
    QString report; // the completion report
    QString status; // why the run ended early ("Batch printing terminated", ...), or a failure suffix
    QString outputPath; // file targets: the user's file (split parts are combined into it)
    int parts = 1; // output files written (combined into one when there were several)
    bool combined = true;
    int batches = 1;
    // The files that stay on disk, in the order they were written: one per batch, plus the
    // "_Part" files of routines larger than a whole file outside split mode.
    std::vector<OutputDocument> files;
    // Where each routine and each dependency report entry was printed, pages counted over the
    // run's output (a split run's parts as the one file they are combined into).
    DocumentMarks marks;
};

// The completion report of a run to a file target: procedures sent, the device, the times of a
// run in several sets (empty, or the lines that give them) and where to find the output.
QString fileTargetReport(int procedures, const QString& deviceName, const QString& times, bool severalSets);

// Turns the print queue into one document: checks the target, prepares duplex and the page
// geometry, prints every selected routine with its own frame and page numbers, keeps the
// line statistics and print history, and finishes with a completion report. The clock, the
// temporary folder and the launcher of the combining tool come from the environment. The run
// reads its settings as members of its own.
class PrintRun : private PrintRunSettings {
public:
    explicit PrintRun(PrintRunConfig config);

    // Rows printed in a batch that ended at the spool limit are unselected before the next batch.
    RunResult runPrintQueue(std::vector<ListRow>& queue);
    RunResult runPrintQueue(const std::vector<ListRow>& queue);
    // Prints one routine with its frame; false when it was not printed (and is not counted).
    bool printRoutine(model::Routine& routine);
    void reportInternalError(const model::Routine& routine, const QString& reason);

    // The dependency report a Dependency pseudo-routine prints, its line counts recorded in
    // the history; none when there is nothing to print.
    std::optional<model::Listing> dependencyListing(const model::Routine& pseudo, const model::Routine& parent);

    PageFrame& frame() { return frame_; }

private:
    enum class BatchEnd { Finished, Cancelled, NextBatch, Terminated, Failed };
    QDateTime now() const { return environment_.now(); }
    // Combines the temporary parts of a split run with the environment's tool.
    PartCombiner partCombiner();
    BatchEnd runBatch(std::vector<ListRow>& queue, bool continuation, size_t& processedRows);
    // The batch's target, file and page geometry; the batch's end when it cannot start.
    std::optional<BatchEnd> startBatch(const std::vector<ListRow>& queue, bool continuation);
    // A target that is neither a PDF printer nor a printer port: true when the user would
    // rather change it.
    bool askForPdfTarget(const platform::PrinterInfo& device);
    // Split mode: the batch starts in the first temporary part, with a notice when the
    // queue looks large enough to need several.
    bool startTemporaryParts(const std::vector<ListRow>& queue);
    SpoolDecision spoolDecisionFor(const model::Routine& routine, bool image, int imagePages) const;
    // Acts on the spool limit before a routine prints: the next part, the end of the batch,
    // or the routine's own files; the batch's end when the decision ends it.
    std::optional<BatchEnd> followSpoolDecision(SpoolAction action);
    // Outside split mode: the file an oversize routine starts in, asked for; false when cancelled.
    bool startOversizeRoutine();
    RunResult finishRun(RunResult result);
    // What the run sent where; severalSets: the output is in more than one file.
    QString completionReport(const QString& deviceName, bool severalSets);
    QString procedureOfTotal() const;
    bool prepareOutputTarget(bool& fileTarget);
    // A file target: the name of the batch's file, asked for or derived; false when cancelled.
    bool nameBatchFile(const platform::PrinterInfo& device);
    // A printer: its duplex mode set as the page setup asks, with a warning where the device
    // may not follow; false when the user stops the run.
    bool settleDuplex(const platform::PrinterInfo& device);
    // Tries the duplex modes and puts the current one back.
    bool deviceSupportsDuplex();
    bool askPrintWithoutDuplex(const platform::PrinterInfo& device);
    QString chooseFile(const OutputFileRequest& request);
    QString derivedFile(const OutputFileRequest& request) const;
    QString suggest(const QString& name);
    // Removes a derived file name reserved for a document that was never completed.
    void dropReservedFile();
    // A run that failed or was cancelled: its parts and its reserved file go.
    void discardUnfinishedOutput();
    bool endCurrentDocument();
    bool startNextOversizeFile();
    // The name of the file for part oversizePart_ of the routine being split.
    QString chooseOversizeFile();
    // The pages imagePages gives for an image, counted once per batch.
    int imagePagesOf(const model::Routine& routine);
    // The lines an image of that many pages takes in an output file.
    qint64 imageLinesOf(int imagePages) const;
    void reportPrinterError();
    bool printImageRoutine(model::Routine& routine);
    bool sendImageElsewhere(model::Routine& routine, const QString& fileDevice);
    const QStringList& linesOf(const QString& path);
    // The lines in their order; the status numbers them from firstNumber (a file's line number).
    void printLines(const std::vector<model::ListingLine>& lines, int firstNumber, model::Routine& routine,
        const QString& title, model::ListingColours colours, bool oversize = false);
    bool startNextPart();
    // The document goes on in file, from a first page with the page geometry worked out again.
    void continueDocumentIn(const QString& file);
    // An Aggregate group: its listing, built from the routines of its file, as one routine.
    void printAggregate(model::Routine& routine, const QStringList& lines);
    // A report's own lines (own), or the routine's lines of its file or their bracket listing;
    // an invalid range prints an error line.
    void printRoutineRange(
        model::Routine& routine, const QString& title, const model::Listing* own, bool bracketListing);
    void setStatus(const QString& text);
    // The page the surface is on, counted over the run's output.
    int outputPage() const { return pagesDone_ + surface_.pagesStarted() - 1; }
    // Notes a table of contents heading that a printed line began (a category, the summary).
    void noteTocHeading(const model::ListingLine& line);
    void updateHistory(const model::Routine& routine);
    QString historyKey(const model::Routine& routine) const;

    platform::IPrintSurface& surface_;
    config::PageSetup& setup_;
    const config::Options& options_;
    config::SuppressibleMessages& warnings_;
    platform::IMessageBox& messages_;
    model::DiagLog* log_;
    platform::RunEnvironment environment_;
    config::PrintDevice printer_;
    PrintRunState run_;
    PageFrame frame_;
    LinePrinter lines_;

    int batch_ = 0;
    bool fileTarget_ = false;
    OutputTarget target_;
    bool spoolControl_ = false; // a file target with a GDI Spool Size: output files have a line limit
    bool splitMode_ = false; // ... and a PDF printer: the run continues in temporary parts
    bool oversize_ = false; // the routine being printed is larger than a whole output file
    int oversizePart_ = 0; // outside split mode: the "_Part" file the routine is in
    bool oversizeAbandoned_ = false;
    bool documentOpen_ = false;
    // The title of the table of contents or another report the run prints ("Project Insight"):
    // a cancelled file name ends it without asking.
    QString reportTitle_;
    bool failed_ = false;
    qint64 linesInPart_ = 0;
    int pagesDone_ = 0; // pages of the documents already ended
    TemporaryPartList parts_;
    std::optional<SuggestedNames> names_;
    QString batchFile_; // the file the current batch started in
    bool batchFileReserved_ = false; // ... created empty under a derived name
    QString currentFile_; // the file the current document goes to
    QString reservedFile_; // a derived name reserved (empty) for the current document
    std::vector<OutputDocument> documents_;
    std::unordered_map<const model::Routine*, int> imagePages_;
    QDateTime runStart_;
    QString endStatus_;
    int routinesSent_ = 0;
    int sentInRun_ = 0;
    int totalSelected_ = 0;
    QString loadedPath_;
    QStringList loadedLines_;
    model::StatementCounter statements_;
    DocumentMarks marks_;
    std::optional<PrintedEntry> startingEntry_; // the routine whose first page is to come
};

} // namespace quillon::print
