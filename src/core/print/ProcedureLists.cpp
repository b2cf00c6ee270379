#include "print/ProcedureLists.h"

#include "analysis/DependencyReport.h"
#include "model/ProjectLoader.h"
#include "model/RoutineParser.h"
#include "platform/MessageBox.h"

namespace quillon::print {

using namespace quillon::model;

ProcedureLists::ProcedureLists(const Project& project, const analysis::DependencyIndex* index, platform::IMessageBox* messages,
                               const SourceReader& reader)
    : project_(project), index_(index), messages_(messages), reader_(&reader)
{
    FileSelected.assign(project.ProjectFileList.size(), false);
}

bool ProcedureLists::IsDependencyText(const QString& text)
{
    return text.contains(QLatin1String("|DEP")) || text.contains(QLatin1String("|Dep"));
}

QHash<QString, RoutinePtr> ProcedureLists::RoutinesByUniqueKey() const
{
    QHash<QString, RoutinePtr> byKey;
    for (const auto& [path, routines] : project_.RoutinesByFile.entries()) {
        for (const RoutinePtr& r : routines)
            byKey.insert(r->UniqueKey, r);
    }
    for (const ListRow& row : Procedures)
        byKey.insert(row.routine->UniqueKey, row.routine);
    return byKey;
}

QString ProcedureLists::TextOf(const Routine& routine, const QHash<QString, RoutinePtr>& byKey) const
{
    return ListText(routine, [&byKey](const QString& key) { return byKey.value(key); });
}

int ProcedureLists::FillProcedures()
{
    auto warn = [this](platform::MessageIcon icon, const QString& text) {
        if (messages_)
            messages_->ShowMessage(icon, QStringLiteral("Quillon"), text);
    };
    if (project_.ProjectFileList.empty()) {
        warn(platform::MessageIcon::Exclamation, QStringLiteral("No project files loaded."));
        return 0;
    }
    FileSelected.resize(project_.ProjectFileList.size(), false);
    Procedures.clear();
    int count = 0;
    for (size_t i = 0; i < project_.ProjectFileList.size(); ++i) {
        if (!IncludeAllFiles && !FileSelected[i])
            continue;
        const QString& path = project_.ProjectFileList[i]->FilePath;
        // The routines the load split; a file it did not split is split anew and not kept.
        const RoutineList* loaded = project_.RoutinesByFile.find(path);
        const RoutineList routines = loaded ? *loaded : SplitFileIntoRoutines(path, *reader_);
        for (const RoutinePtr& routine : routines)
            Procedures.push_back({routine, QString(), false});
        count += int(routines.size());
        if (AggregateMode != 0) {
            const RoutineList members = CollectAggregateProperties(path, AggregateMode, &project_.RoutinesByFile, *reader_);
            if (!members.empty())
                Procedures.push_back({MakeAggregateRecord(path, members.front()->ModuleName, AggregateMode, qint32(members.size())),
                                      QString(), false});
        }
    }
    if (count == 0) {
        Procedures.clear();
        warn(platform::MessageIcon::Information, QStringLiteral("No procedures found for the selected modules."));
        return 0;
    }
    ProceduresFilled = true;
    const QHash<QString, RoutinePtr> byKey = RoutinesByUniqueKey();
    for (ListRow& row : Procedures)
        row.text = TextOf(*row.routine, byKey);
    if (DependencyReports)
        AddReports(Procedures, false);
    const QString message = QString::number(count) + QStringLiteral(" procedure")
        + (count > 1 ? QStringLiteral("s") : QString()) + QStringLiteral(" added to the procedures list");
    if (!DependencyReports) {
        StatusLine = message + QLatin1Char('.');
    } else {
        ProgramStatus = ProgramStatus + QStringLiteral("\r\n") + message
            + QStringLiteral(" now including all available Dependency Reports");
        StatusLine = ProgramStatus;
    }
    return count;
}

int ProcedureLists::BuildQueue()
{
    auto warn = [this](platform::MessageIcon icon, const QString& text) {
        if (messages_)
            messages_->ShowMessage(icon, QStringLiteral("Quillon"), text);
    };
    if (!ProceduresFilled) {
        warn(platform::MessageIcon::Exclamation, QStringLiteral("No procedures have been loaded. Select modules first."));
        return 0;
    }
    if (Procedures.empty()) {
        warn(platform::MessageIcon::Exclamation, QStringLiteral("No procedures available in the modules list."));
        return 0;
    }
    Queue.clear();
    SendEnabled = false;
    for (const ListRow& row : Procedures) {
        if (row.selected)
            Queue.push_back({row.routine, row.text, false});
    }
    if (Queue.empty()) {
        warn(platform::MessageIcon::Information, QStringLiteral("No procedures were added to the print queue."));
        return 0;
    }
    for (ListRow& row : Queue)
        row.selected = true;
    QueueStatus();
    if (DependencyReports)
        AddReports(Queue, true);
    SendEnabled = true;
    return int(Queue.size());
}

void ProcedureLists::QueueStatus()
{
    const qsizetype n = qsizetype(Queue.size());
    StatusLine = QString::number(n) + QStringLiteral(" procedure") + (n == 1 ? QString() : QStringLiteral("s"))
        + QStringLiteral(" added to the print queue.");
}

void ProcedureLists::AddReports(std::vector<ListRow>& rows, bool toQueue)
{
    if (!index_)
        return;
    RoutineList routines;
    routines.reserve(rows.size());
    for (const ListRow& row : rows)
        routines.push_back(row.routine);
    const size_t before = routines.size();
    if (toQueue)
        analysis::AddDependencyReportsToQueue(*index_, routines);
    else
        analysis::AddDependencyReports(*index_, routines);
    if (routines.size() == before)
        return;
    const QHash<QString, RoutinePtr> byKey = RoutinesByUniqueKey();
    for (size_t i = before; i < routines.size(); ++i)
        rows.push_back({routines[i], TextOf(*routines[i], byKey), toQueue});
}

void ProcedureLists::SetDependencyReports(bool on)
{
    DependencyReports = on;
    if (on) {
        // Checked again: the procedure list's reports are made afresh, never twice.
        Procedures.erase(std::remove_if(Procedures.begin(), Procedures.end(),
                                        [](const ListRow& row) { return row.routine->IsDepPseudo; }),
                         Procedures.end());
        AddReports(Procedures, false);
        AddReports(Queue, true);
        for (ListRow& row : Queue)
            row.selected = true;
    } else {
        for (std::vector<ListRow>* rows : {&Procedures, &Queue}) {
            rows->erase(std::remove_if(rows->begin(), rows->end(),
                                       [](const ListRow& row) { return IsDependencyText(row.text); }),
                        rows->end());
        }
    }
    QueueStatus();
}

void ProcedureLists::KeepOnlyDependencyReports()
{
    for (ListRow& row : Queue) {
        if (!row.text.endsWith(QLatin1String("|Dep")))
            row.selected = false;
    }
}

} // namespace quillon::print
