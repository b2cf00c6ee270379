#pragma once
#include "print/LinePrinter.h"
#include "print/PageFrame.h"
#include "print/PageSetup.h"
#include "print/ProcedureLists.h"
#include "print/OutputParts.h"
#include "model/TextPrimitives.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace quillon::analysis {
class modDep;
class modSymbols;
} // namespace quillon::analysis
namespace quillon::config {
class Options;
class modZRK_MsgBox;
} // namespace quillon::config
namespace quillon::model {
class DiagLog;
class Project;
} // namespace quillon::model
namespace quillon::platform {
class IMessageBox;
class IPrintSurface;
} // namespace quillon::platform

namespace quillon::print {

// The print history the run keeps per routine (the table of contents list).
class IPrintHistory {
public:
    virtual ~IPrintHistory() = default;
    // After a routine printed: when, its estimated pages and whether the run was duplex; for
    // an Aggregate group also its line statistics.
    virtual void RecordPrint(const QString& key, const QDateTime& when, int pages, bool duplex,
                             const LineStatistics* aggregate) = 0;
    // The line counts of a dependency report as written to its file.
    virtual void RecordDependencyCounts(const QString& key, int total, int blank, int other) = 0;
    // Around a run: the records may be kept in memory and written once at the end.
    virtual void BeginRun() {}
    virtual void EndRun() {}
};

class TocList;

// The print history kept in the project's table of contents list.
class TocListHistory : public IPrintHistory {
public:
    explicit TocListHistory(TocList& list) : list_(list) {}
    void RecordPrint(const QString& key, const QDateTime& when, int pages, bool duplex,
                     const LineStatistics* aggregate) override;
    void RecordDependencyCounts(const QString& key, int total, int blank, int other) override;
    void BeginRun() override;
    void EndRun() override;

private:
    TocList& list_;
};

// Counts of a run, for its completion report.
struct RunResult {
    bool ok = false;
    int routinesPrinted = 0;
    int pages = 0;
    QString report;     // the completion report
    QString outputPath; // file targets
    int parts = 1;      // output files written (combined into one when there were several)
    bool combined = true;
};

// Turns the print queue into one document: checks the target, prepares duplex and the page
// geometry, prints every selected routine with its own frame and page numbers, keeps the
// line statistics and print history, and finishes with a completion report.
class modQLProcedures {
public:
    modQLProcedures(platform::IPrintSurface& surface, PageSetup& setup, const config::Options& options,
                    config::modZRK_MsgBox& warnings, platform::IMessageBox& messages, model::DiagLog* log);

    // Where the routines' names, calls and symbols come from.
    const analysis::modDep* Index = nullptr;
    const analysis::modSymbols* Symbols = nullptr;
    IPrintHistory* History = nullptr;
    bool Brackets = false;
    int TabWidth = 4;
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };
    // The status caption ("Printing ... (Procedure i of n) line j of k").
    std::function<void(const QString&)> Status;
    // The file a file target writes; empty asks for none (a printer).
    QString OutputPath;
    // Finds a routine of the project by its unique key (the routine a dependency report is on).
    std::function<model::RoutinePtr(const QString&)> FindRoutine;
    // The most printed lines one output file takes (0: no limit). A PDF target continues in
    // temporary parts that are combined into OutputPath at the end.
    int GdiSpoolSize = 0;
    // How source files are read, and the routines the load split (for property groups).
    const model::SourceReader* Reader = &model::SourceReader::Default();
    const model::RoutinesByFileMap* Loaded = nullptr;

    RunResult RunPrintQueue(const std::vector<ListRow>& queue);
    // Prints one routine with its frame; false when it was not printed (and is not counted).
    bool PrintRoutine(model::clsRoutineInfo& routine);
    void ReportInternalError(const model::clsRoutineInfo& routine, const QString& reason);

    // Writes a routine's dependency report to a temporary file and points the Dependency
    // pseudo-routine at it; false when there is nothing to print.
    bool PrepareDependencyRoutine(model::clsRoutineInfo& pseudo, const model::clsRoutineInfo& parent);

    PageFrame& frame() { return frame_; }
    PrintRunState& runState() { return run_; }

private:
    bool PrepareOutputTarget(bool& fileTarget);
    const QStringList& LinesOf(const QString& path);
    void PrintLines(const QStringList& lines, int first, int last, model::clsRoutineInfo& routine,
                    const QString& title, bool oversize = false);
    bool StartNextPart();
    void SetStatus(const QString& text);
    void UpdateHistory(const model::clsRoutineInfo& routine);
    QString HistoryKey(const model::clsRoutineInfo& routine) const;

    platform::IPrintSurface& surface_;
    PageSetup& setup_;
    const config::Options& options_;
    config::modZRK_MsgBox& warnings_;
    platform::IMessageBox& messages_;
    model::DiagLog* log_;
    modProjectPrinterCalls printer_;
    PrintRunState run_;
    PageFrame frame_;
    LinePrinter lines_;

    int batch_ = 0;
    bool splitMode_ = false;
    bool oversize_ = false; // the routine being printed is larger than a whole output file
    qint64 linesInPart_ = 0;
    int pagesInEarlierParts_ = 0;
    TemporaryPartList parts_;
    int routinesSent_ = 0;
    int totalSelected_ = 0;
    QString loadedPath_;
    QStringList loadedLines_;
    model::StatementCounter statements_;
};

} // namespace quillon::print
