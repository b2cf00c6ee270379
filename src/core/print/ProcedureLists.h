#pragma once
#include "model/Routine.h"
#include "model/SourceText.h"

#include <QHash>
#include <QString>

#include <vector>

namespace quillon::analysis {
class DependencyIndex;
}
namespace quillon::model {
class Project;
}
namespace quillon::platform {
class IMessageBox;
}

namespace quillon::print {

// One entry of the procedure list or the print queue: the shared routine record, the text
// shown for it and whether it is selected.
struct ListRow {
    model::RoutinePtr routine;
    QString text;
    bool selected = false;
};

// The main window's lists as a model: the project's files with their selection, the
// procedure list filled from the selected files, and the print queue built from the selected
// procedures, with dependency reports added and removed. The command line drives the same
// model headless.
class ProcedureLists {
public:
    ProcedureLists(const model::Project& project, const analysis::DependencyIndex* index, platform::IMessageBox* messages,
                   const model::SourceReader& reader = model::SourceReader::Default());

    int AggregateMode = 0;
    bool IncludeAllFiles = false;
    bool DependencyReports = false; // the dependency check box

    std::vector<bool> FileSelected; // one per file of the project's file list
    std::vector<ListRow> Procedures;
    std::vector<ListRow> Queue;
    bool SendEnabled = false;
    QString StatusLine;
    QString ProgramStatus; // the status text the load left, extended by the steps below

    // "Add All Procedures from Selected File(s) to the Procedures List": the number added.
    int FillProcedures();
    // "Add All Selected Procedures to Print Queue": the number queued.
    int BuildQueue();
    // The dependency check box: on adds the reports of the routines in the lists, off removes them.
    void SetDependencyReports(bool on);
    // In the queue, unselects every entry that is not a dependency report.
    void KeepOnlyDependencyReports();

    static bool IsDependencyText(const QString& text);
    bool ProceduresFilled = false; // the procedure list has been filled at least once

private:
    // List texts; a dependency report shows the signature of the routine it reports on.
    QString TextOf(const model::Routine& routine, const QHash<QString, model::RoutinePtr>& byKey) const;
    QHash<QString, model::RoutinePtr> RoutinesByUniqueKey() const;
    void AddReports(std::vector<ListRow>& rows, bool toQueue);
    void QueueStatus();

    const model::Project& project_;
    const analysis::DependencyIndex* index_;
    platform::IMessageBox* messages_;
    const model::SourceReader* reader_;
};

} // namespace quillon::print
