#include "print/TocDirectory.h"

#include "model/ProjectLoader.h"
#include "model/TextPrimitives.h"

namespace quillon::print {

using model::EqualsNoCase;

namespace {

QString FolderOfPath(const QString& path)
{
    const qsizetype cut = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return cut < 0 ? QString() : path.left(cut);
}

QString FileAndName(const QString& file, const QString& name)
{
    return file + QLatin1Char('|') + name;
}

bool IsPropertyProcedure(const model::Routine& routine)
{
    return model::KindIs(routine, QLatin1StringView("PROPERTY GET"))
        || model::KindIs(routine, QLatin1StringView("PROPERTY LET"))
        || model::KindIs(routine, QLatin1StringView("PROPERTY SET"));
}

} // namespace

TocDirectory::TocDirectory(const model::Project& project) : projectFolder_(FolderOfPath(project.ProjectPath))
{
    for (const model::FilePtr& file : project.ProjectFileList) {
        if (file)
            folders_.insertIfAbsent(model::FileNameOf(file->FilePath), FolderOfPath(file->FilePath));
    }
    for (const auto& [path, routines] : project.RoutinesByFile.entries()) {
        folders_.insertIfAbsent(model::FileNameOf(path), FolderOfPath(path));
        for (const model::RoutinePtr& routine : routines) {
            if (!routine || model::trimBlanks(routine->FilePath).isEmpty())
                continue;
            const QString key = HistoryKey(*routine);
            const std::optional<TocKey> parts = ParseTocKey(key);
            if (!parts)
                continue;
            const QString joined = FileAndName(parts->file, parts->procedure);
            if (keys_.insertIfAbsent(joined, true))
                routineKeys_ << joined;
            const QString byName = FileAndName(parts->file, parts->name);
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
            if (IsPropertyProcedure(*routine))
                filesWithProperties_.insertIfAbsent(parts->file, true);
        }
    }
}

model::RoutinePtr TocDirectory::Find(const TocKey& key) const
{
    if (key.dependency)
        return nullptr;
    const std::vector<Named>* list = byFileAndName_.find(FileAndName(key.file, key.name));
    if (!list || list->empty())
        return nullptr;
    for (const Named& named : *list) {
        if (EqualsNoCase(named.kindWord, key.kindWord))
            return named.routine;
    }
    return list->front().routine;
}

bool TocDirectory::Names(const TocKey& key) const
{
    if (key.dependency) {
        QString reported = key.procedure;
        reported.chop(4); // "|Dep"
        return keys_.contains(FileAndName(key.file, model::trimBlanks(reported).toString()));
    }
    if (TocKindText(FileAndName(key.file, key.procedure)) == model::kind::Aggregate)
        return filesWithProperties_.contains(key.file);
    return keys_.contains(FileAndName(key.file, key.procedure));
}

QStringList TocDirectory::FilesWithProcedure(const QString& procedure, const QString& except) const
{
    QStringList out;
    if (const QStringList* files = filesByProcedure_.find(procedure)) {
        for (const QString& file : *files) {
            if (!EqualsNoCase(file, except))
                out << file;
        }
    }
    return out;
}

QString TocDirectory::FolderOf(const QString& fileName) const
{
    const QString* folder = folders_.find(fileName);
    return folder ? *folder : projectFolder_;
}

} // namespace quillon::print
