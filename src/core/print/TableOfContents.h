#pragma once
#include "model/Outcome.h"
#include "print/TocRecord.h"
#include "print/TocText.h"

#include <QDateTime>
#include <QString>

#include <vector>

namespace quillon::config {
class IniStore;
}
namespace quillon::model {
class Project;
}
namespace quillon::platform {
class IMessageBox;
}

// The table-of-contents list of a project: one record per printable routine with its kind,
// its line counts and its last printing. It lives in its own profile file beside the
// options file, one section per project, and outlives program runs.
//
// At project open: Open (creates the file, takes over a section still held in the options
// file), then, after the load's first two phases, Index and checkStaleKeys. Every printed
// routine: recordPrint. The table of contents: see TocText.h.
#include "print/PageFrame.h"

#include <QHash>

#include <memory>

namespace quillon::print {

// "App.vbp:TOC List" for a project file App.vbp in any folder.
QString tocSectionName(const QString& projectPath);
// "<folder of the options file>/TOC-File-For-App.txt".
QString tocListPath(const QString& optionsPath, const QString& projectPath);

struct StaleKeyReport {
    int examined = 0; // keys that no longer name a routine of the project
    int asked = 0;
    int moved = 0;
    int deleted = 0;
    model::Outcome<void> saved; // a failure: the list file could not be written; it is unchanged
};

class TocList {
public:
    // options: the store of the options file; the list file lies in the same folder.
    explicit TocList(const config::IniStore& options);

    // Names the section and the file, creates an empty file when there is none, and moves
    // the project's section out of the options file when it is still there. Fails when the
    // file cannot be created or the section cannot be moved; the options file keeps a section
    // it could not hand over.
    model::Outcome<void> open(const QString& projectPath);
    bool isOpen() const { return !section_.isEmpty(); }
    const QString& section() const { return section_; }
    const QString& path() const { return path_; }

    // During a print run every routine updates its record: the records are then read once
    // and kept in memory until commitUpdates writes them all in one pass, instead of
    // rewriting the whole list file per routine.
    void beginUpdates();
    model::Outcome<void> commitUpdates();

    // The stored record, "N/A" for every missing field.
    TocRecord readRecord(const QString& key) const;
    model::Outcome<void> writeRecord(const QString& key, const TocRecord& record);
    // Every entry as stored, in file order.
    std::vector<TocEntry> entries() const;

    // The print history of one printed routine: fields 1 and 2 from the time the page
    // geometry was computed and the page estimate with "D" or "S"; for an Aggregate page
    // fields 3 to 6 from its line statistics; everything else as stored.
    model::Outcome<void> recordPrint(const QString& key, const QDateTime& printedAt, int pageEstimate, bool duplex,
        const LineStatistics* aggregateLines = nullptr);
    // The same for a routine record; the table of contents itself records nothing (and succeeds).
    model::Outcome<void> recordPrint(const model::Routine& routine, const model::RoutineLookup& findByKey,
        const QDateTime& printedAt, int pageEstimate, bool duplex, const LineStatistics& lines);
    // A dependency report's counts, written when its text is produced: fields 3 to 7 become
    // total, blank, the other lines, "0" and "Dependency".
    model::Outcome<void> recordDependencyReport(const QString& key, int totalLines, int blankLines, int otherLines);

    // The third load phase: every routine of the project gets its kind and line counts in
    // its record (a routine new to the list a record of its own, never printed); a stored
    // key that names no routine is left for checkStaleKeys. Progress goes to the project's
    // status as "Phase 3 of 3: Indexing procedure n of total" for the first, the last and
    // every 25th key; the final text is appended to loadStatusText. The file is written at
    // most once.
    model::Outcome<void> index(model::Project& project);

    // Keys that no longer name a routine of the project are deleted. When such a record has
    // a history and its procedure now lives in exactly one other file of the project, the
    // user is asked ("Move print history?") whether the history moves with it.
    StaleKeyReport checkStaleKeys(const model::Project& project, platform::IMessageBox& box);

private:
    struct PendingUpdates {
        QHash<QString, QString> stored; // upper-cased key -> value, as read
        std::vector<std::pair<QString, QString>> changes; // in the order they were made
        QHash<QString, size_t> changed; // upper-cased key -> index in changes
    };

    const config::IniStore& options_;
    std::unique_ptr<PendingUpdates> pending_;
    QString section_;
    QString path_;
};

// Moves a section of the options file into a list file, without the characters 1 and 2 in
// its keys. The section leaves the options file only after the list file was written.
model::Outcome<void> migrateTocSection(
    const config::IniStore& options, const QString& section, const QString& listPath);

struct TocMigration {
    int sections = 0; // moved
    int failed = 0; // left in the options file
    QString error; // the first failure
};
// At start-up: every section of the options file whose name ends in ":TOC List" goes to
// the list file of its project.
TocMigration migrateAllTocSections(const config::IniStore& options);

} // namespace quillon::print
