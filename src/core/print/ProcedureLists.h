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
    ProcedureLists(const model::Project& project, const analysis::DependencyIndex* index,
        platform::IMessageBox* messages, const model::SourceReader& reader = model::SourceReader::standard());

    model::AggregateMode aggregateMode = model::AggregateMode::None;
    bool includeAllFiles = false;
    bool dependencyReports = false; // the dependency check box

    std::vector<bool> fileSelected; // one per file of the project's file list
    std::vector<ListRow> procedures;
    std::vector<ListRow> queue;
    bool sendEnabled = false;
    QString statusLine;
    QString programStatus; // the status text the load left, extended by the steps below

    // "Add All Procedures from Selected File(s) to the Procedures List": the number added.
    int fillProcedures();
    // "Add All Selected Procedures to Print Queue": the number queued.
    int buildQueue();
    // The dependency check box: on adds the reports of the routines in the lists, off removes them.
    void setDependencyReports(bool on);
    // In the queue, unselects every entry that is not a dependency report.
    void keepOnlyDependencyReports();

    static bool isDependencyText(const QString& text);
    bool proceduresFilled = false; // the procedure list has been filled at least once

private:
    // List texts; a dependency report shows the signature of the routine it reports on.
    QString textOf(const model::Routine& routine, const QHash<QString, model::RoutinePtr>& byKey) const;
    QHash<QString, model::RoutinePtr> routinesByUniqueKey() const;
    void addReports(std::vector<ListRow>& rows, bool toQueue);
    void queueStatus();

    const model::Project& project_;
    const analysis::DependencyIndex* index_;
    platform::IMessageBox* messages_;
    const model::SourceReader* reader_;
};

} // namespace quillon::print
