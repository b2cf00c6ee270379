#pragma once
#include "config/PageSetup.h"
#include "platform/DeferredMessageBox.h"
#include "platform/PrintSurface.h"
#include "print/PrintRun.h"

#include <QDateTime>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace quillon::print {

// A print history kept in memory in the order it was given, to be told to the real one once
// every slice of a run has printed.
class RecordedHistory : public IPrintHistory {
public:
    void recordPrint(
        const QString& key, const QDateTime& when, int pages, bool duplex, const LineStatistics* aggregate) override;
    void recordDependencyCounts(const QString& key, int total, int blank, int other) override;
    void replayInto(IPrintHistory& history) const;

private:
    struct Entry {
        QString key;
        QDateTime when;
        int pages = 0;
        bool duplex = false;
        bool dependency = false; // a dependency report's counts rather than a print
        std::optional<LineStatistics> aggregate;
        int total = 0;
        int blank = 0;
        int other = 0;
    };
    std::vector<Entry> entries_;
};

// One consecutive slice of the print queue, printed by a run of its own into a file of its own.
struct PrintSlice {
    std::vector<ListRow> rows; // the slice's selected rows, in queue order
    int procedureOffset = 0; // selected rows before the slice
    int procedureTotal = 0; // selected rows in the whole queue
    QString partPath; // the file the slice's run writes
    // Made on the calling thread before any slice prints: device lists and printer set-up are
    // not for other threads; drawing on the surface is.
    std::unique_ptr<platform::IPrintSurface> surface;
    config::PageSetup setup;
    std::shared_ptr<RecordedHistory> history = std::make_shared<RecordedHistory>();
    platform::DeferredMessageBox plainMessages; // the run's plain message boxes
    platform::DeferredMessageBox warnings; // the box behind the run's suppressible warnings
    RunResult result;
};

// Splits the selected rows into at most `count` consecutive slices holding about the same
// number of source lines each (a form image counts as a page of lines).
std::vector<std::vector<ListRow>> sliceQueue(const std::vector<ListRow>& queue, int count);

// The print queue printed in slices side by side, one thread each, and their files joined
// into the output in queue order. The output is the same document a run of one PrintRun
// makes: each routine starts on a page of its own and numbers its own pages.
class ParallelPrint {
public:
    // Gives the slice its surface and page set-up, on the calling thread; false when it cannot.
    std::function<bool(PrintSlice&)> prepareSlice;
    // Makes and runs the slice's own PrintRun (its own surface, messages and history) on the
    // slice's thread; sets slice.result.
    std::function<void(PrintSlice&)> printSlice;
    // Joins the part files into the output (replacing it only when complete): false with the
    // reason when they could not be joined.
    std::function<bool(const QStringList& parts, const QString& output, QString* error)> join;
    // What the slices were asked, told afterwards in queue order (either may be null).
    platform::IMessageBox* plainMessages = nullptr;
    platform::IMessageBox* warnings = nullptr;
    IPrintHistory* history = nullptr;
    // The device named in the completion report.
    QString deviceName;
    // The joined PDF gets an outline, links and these properties from it (null: none); what
    // went wrong goes to the log.
    platform::IPdfNavigator* navigator = nullptr;
    platform::DocumentInfo documentInfo;
    model::DiagLog* log = nullptr;

    // Prints the queue's selected rows to outputPath with up to `jobs` threads.
    RunResult run(const std::vector<ListRow>& queue, int jobs, const QString& outputPath);
    // Why the last run failed (empty when it did not).
    const QString& error() const { return error_; }

private:
    // Reserves a new, empty file beside the output for each slice; false when one cannot be made.
    bool reserveParts(std::vector<std::unique_ptr<PrintSlice>>& slices, const QString& outputPath);
    void tellWhatWasAsked(const std::vector<std::unique_ptr<PrintSlice>>& slices);

    QString error_;
};

} // namespace quillon::print
