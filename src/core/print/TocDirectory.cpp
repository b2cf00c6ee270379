#include "print/TocDirectory.h"

#include "model/ProjectLoader.h"
#include "model/TextPrimitives.h"

namespace quillon::print {

using model::equalsNoCase;

namespace {

QString folderOfPath(const QString& path)
{
    const qsizetype cut = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return cut < 0 ? QString() : path.left(cut);
}

QString fileAndName(const QString& file, const QString& name)
{
    return file + QLatin1Char('|') + name;
}

bool isPropertyProcedure(const model::Routine& routine)
{
    using model::RoutineKind;
    return routine.kind == RoutineKind::PropertyGet || routine.kind == RoutineKind::PropertyLet
        || routine.kind == RoutineKind::PropertySet;
}

} // namespace

TocDirectory::TocDirectory(const model::Project& project) : projectFolder_(folderOfPath(project.projectPath))
{
    for (const model::FilePtr& file : project.projectFileList) {
        if (file)
            folders_.insertIfAbsent(model::fileNameOf(file->filePath), folderOfPath(file->filePath));
    }
    for (const auto& [path, routines] : project.routinesByFile.entries()) {
        folders_.insertIfAbsent(model::fileNameOf(path), folderOfPath(path));
        for (const model::RoutinePtr& routine : routines) {
            if (!routine || model::trimBlanks(routine->filePath).isEmpty())
                continue;
            const QString key = historyKey(*routine);
            const std::optional<TocKey> parts = parseTocKey(key);
            if (!parts)
                continue;
            const QString joined = fileAndName(parts->file, parts->procedure);
            if (keys_.insertIfAbsent(joined, true))
                routineKeys_ << joined;
            const QString byName = fileAndName(parts->file, parts->name);
            if (std::vector<Named>* list = byFileAndName_.find(byName))
                list->push_back({routine, parts->kindWord});
            else
                byFileAndName_.insert(byName, {{routine, parts->kindWord}});
            QStringList* files = filesByProcedure_.find(parts->procedure);
            if (!files) {
                filesByProcedure_.insert(parts->procedure, {});
                files = filesByProcedure_.find(parts->procedure);
            }
            if (!files->contains(parts->file, Qt::CaseInsensitive))
                files->append(parts->file);
            if (isPropertyProcedure(*routine))
                filesWithProperties_.insertIfAbsent(parts->file, true);
        }
    }
}

model::RoutinePtr TocDirectory::find(const TocKey& key) const
{
    if (key.dependency)
        return nullptr;
    const std::vector<Named>* list = byFileAndName_.find(fileAndName(key.file, key.name));
    if (!list || list->empty())
        return nullptr;
    for (const Named& named : *list) {
        if (equalsNoCase(named.kindWord, key.kindWord))
            return named.routine;
    }
    return list->front().routine;
}

bool TocDirectory::names(const TocKey& key) const
{
    if (key.dependency) {
        QString reported = key.procedure;
        reported.chop(4); // "|Dep"
        return keys_.contains(fileAndName(key.file, model::trimBlanks(reported).toString()));
    }
    if (tocKindText(fileAndName(key.file, key.procedure)) == model::kindText(model::RoutineKind::Aggregate))
        return filesWithProperties_.contains(key.file);
    return keys_.contains(fileAndName(key.file, key.procedure));
}

QStringList TocDirectory::filesWithProcedure(const QString& procedure, const QString& except) const
{
    QStringList out;
    if (const QStringList* files = filesByProcedure_.find(procedure)) {
        for (const QString& file : *files) {
            if (!equalsNoCase(file, except))
                out << file;
        }
    }
    return out;
}

QString TocDirectory::folderOf(const QString& fileName) const
{
    const QString* folder = folders_.find(fileName);
    return folder ? *folder : projectFolder_;
}

} // namespace quillon::print
