#include "print/ProcedureLists.h"

#include "analysis/DependencyReport.h"
#include "model/ProjectLoader.h"
#include "model/RoutineParser.h"
#include "platform/MessageBox.h"

namespace quillon::print {

using namespace quillon::model;

ProcedureLists::ProcedureLists(const Project& project, const analysis::DependencyIndex* index,
    platform::IMessageBox* messages, const SourceReader& reader)
    : project_(project), index_(index), messages_(messages), reader_(&reader)
{
    fileSelected.assign(project.projectFileList.size(), false);
}

bool ProcedureLists::isDependencyText(const QString& text)
{
    return text.contains(QLatin1String("|DEP")) || text.contains(QLatin1String("|Dep"));
}

QHash<QString, RoutinePtr> ProcedureLists::routinesByUniqueKey() const
{
    QHash<QString, RoutinePtr> byKey;
    for (const auto& [path, routines] : project_.routinesByFile.entries()) {
        for (const RoutinePtr& r : routines)
            byKey.insert(r->uniqueKey, r);
    }
    for (const ListRow& row : procedures)
        byKey.insert(row.routine->uniqueKey, row.routine);
    return byKey;
}

QString ProcedureLists::textOf(const Routine& routine, const QHash<QString, RoutinePtr>& byKey) const
{
    return listText(routine, [&byKey](const QString& key) { return byKey.value(key); });
}

int ProcedureLists::fillProcedures()
{
    auto warn = [this](platform::MessageIcon icon, const QString& text) {
        if (messages_)
            messages_->showMessage(icon, QStringLiteral("Quillon"), text);
    };
    if (project_.projectFileList.empty()) {
        warn(platform::MessageIcon::Exclamation, QStringLiteral("No project files loaded."));
        return 0;
    }
    fileSelected.resize(project_.projectFileList.size(), false);
    procedures.clear();
    int count = 0;
    for (size_t i = 0; i < project_.projectFileList.size(); ++i) {
        if (!includeAllFiles && !fileSelected[i])
            continue;
        const QString& path = project_.projectFileList[i]->filePath;
        // The routines the load split; a file it did not split is split anew and not kept.
        const RoutineList* loaded = project_.routinesByFile.find(path);
        const RoutineList routines = loaded ? *loaded : splitFileIntoRoutines(path, *reader_);
        for (const RoutinePtr& routine : routines)
            procedures.push_back({routine, QString(), false});
        count += int(routines.size());
        if (aggregateMode != AggregateMode::None) {
            const RoutineList members =
                collectAggregateProperties(path, aggregateMode, &project_.routinesByFile, *reader_);
            if (!members.empty())
                procedures.push_back(
                    {makeAggregateRecord(path, members.front()->moduleName, aggregateMode, qint32(members.size())),
                        QString(), false});
        }
    }
    if (count == 0) {
        procedures.clear();
        warn(platform::MessageIcon::Information, QStringLiteral("No procedures found for the selected modules."));
        return 0;
    }
    proceduresFilled = true;
    const QHash<QString, RoutinePtr> byKey = routinesByUniqueKey();
    for (ListRow& row : procedures)
        row.text = textOf(*row.routine, byKey);
    if (dependencyReports)
        addReports(procedures, false);
    const QString message = QString::number(count) + QStringLiteral(" procedure")
        + (count > 1 ? QStringLiteral("s") : QString()) + QStringLiteral(" added to the procedures list");
    if (!dependencyReports) {
        statusLine = message + QLatin1Char('.');
    } else {
        programStatus = programStatus + QStringLiteral("\r\n") + message
            + QStringLiteral(" now including all available Dependency Reports");
        statusLine = programStatus;
    }
    return count;
}

int ProcedureLists::buildQueue()
{
    auto warn = [this](platform::MessageIcon icon, const QString& text) {
        if (messages_)
            messages_->showMessage(icon, QStringLiteral("Quillon"), text);
    };
    if (!proceduresFilled) {
        warn(platform::MessageIcon::Exclamation,
            QStringLiteral("No procedures have been loaded. Select modules first."));
        return 0;
    }
    if (procedures.empty()) {
        warn(platform::MessageIcon::Exclamation, QStringLiteral("No procedures available in the modules list."));
        return 0;
    }
    queue.clear();
    sendEnabled = false;
    for (const ListRow& row : procedures) {
        if (row.selected)
            queue.push_back({row.routine, row.text, false});
    }
    if (queue.empty()) {
        warn(platform::MessageIcon::Information, QStringLiteral("No procedures were added to the print queue."));
        return 0;
    }
    for (ListRow& row : queue)
        row.selected = true;
    queueStatus();
    if (dependencyReports)
        addReports(queue, true);
    sendEnabled = true;
    return int(queue.size());
}

void ProcedureLists::queueStatus()
{
    const qsizetype n = qsizetype(queue.size());
    statusLine = QString::number(n) + QStringLiteral(" procedure") + (n == 1 ? QString() : QStringLiteral("s"))
        + QStringLiteral(" added to the print queue.");
}

void ProcedureLists::addReports(std::vector<ListRow>& rows, bool toQueue)
{
    if (!index_)
        return;
    RoutineList routines;
    routines.reserve(rows.size());
    for (const ListRow& row : rows)
        routines.push_back(row.routine);
    const size_t before = routines.size();
    if (toQueue)
        analysis::addDependencyReportsToQueue(*index_, routines);
    else
        analysis::addDependencyReports(*index_, routines);
    if (routines.size() == before)
        return;
    const QHash<QString, RoutinePtr> byKey = routinesByUniqueKey();
    for (size_t i = before; i < routines.size(); ++i)
        rows.push_back({routines[i], textOf(*routines[i], byKey), toQueue});
}

void ProcedureLists::setDependencyReports(bool on)
{
    dependencyReports = on;
    if (on) {
        // Checked again: the procedure list's reports are made afresh, never twice.
        procedures.erase(std::remove_if(procedures.begin(), procedures.end(),
                             [](const ListRow& row) { return row.routine->isDepPseudo; }),
            procedures.end());
        addReports(procedures, false);
        addReports(queue, true);
        for (ListRow& row : queue)
            row.selected = true;
    } else {
        for (std::vector<ListRow>* rows : {&procedures, &queue}) {
            rows->erase(std::remove_if(
                            rows->begin(), rows->end(), [](const ListRow& row) { return isDependencyText(row.text); }),
                rows->end());
        }
    }
    queueStatus();
}

void ProcedureLists::keepOnlyDependencyReports()
{
    for (ListRow& row : queue) {
        if (!row.text.endsWith(QLatin1String("|Dep")))
            row.selected = false;
    }
}

} // namespace quillon::print
