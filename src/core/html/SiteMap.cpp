#include "html/SiteMap.h"

#include "analysis/DependencyIndex.h"
#include "html/HtmlText.h"
#include "model/ProjectLoader.h"
#include "model/TextPrimitives.h"

#include <QSet>

#include <algorithm>

namespace quillon::html {

using namespace quillon::model;

namespace {

// Pages with names of their own, and names that differ only in case (a folder on a
// case-blind disk would take them for one file), numbered apart.
class PageNames {
public:
    PageNames()
    {
        for (const QString& name : {kIndexPage, kInsightPage, kModulesPage, kAssetsFolder})
            taken_.insert(name.toLower());
    }
    QString claim(const QString& stem)
    {
        QString name = stem + QStringLiteral(".html");
        for (int n = 2; taken_.contains(name.toLower()); ++n)
            name = stem + QLatin1Char('-') + QString::number(n) + QStringLiteral(".html");
        taken_.insert(name.toLower());
        return name;
    }

private:
    QSet<QString> taken_;
};

bool isShownKind(const Routine& routine)
{
    // An aggregate or a dependency report is a way of printing records the page shows anyway.
    return routine.kind != RoutineKind::Aggregate && routine.kind != RoutineKind::Dependency
        && !isTableOfContents(routine);
}

// Records in line order, the form's image, which has no lines, at the top.
RoutineList orderedForPage(RoutineList routines)
{
    std::stable_sort(routines.begin(), routines.end(), [](const RoutinePtr& a, const RoutinePtr& b) {
        auto rank = [](const Routine& r) {
            return r.kind == RoutineKind::Image ? 0 : r.kind == RoutineKind::Layout ? 1 : 2;
        };
        if (rank(*a) != rank(*b))
            return rank(*a) < rank(*b);
        return a->startLine < b->startLine;
    });
    return routines;
}

int lineCount(const Routine& routine)
{
    return std::max(0, routine.endLine - routine.startLine + 1);
}

} // namespace

SiteMap::SiteMap(const Project& project, const analysis::DependencyIndex& index, const QStringList& files,
    const QStringList& routineKeys)
    : index_(index)
{
    QSet<QString> wantedFiles;
    for (const QString& path : files)
        wantedFiles.insert(path);
    QSet<QString> wantedKeys;
    for (const QString& key : routineKeys)
        wantedKeys.insert(upperCase(trimBlanks(key)));
    PageNames names;
    for (const FilePtr& file : project.projectFileList) {
        if (!wantedFiles.isEmpty() && !wantedFiles.contains(file->filePath))
            continue;
        RoutineList shown;
        if (const RoutineList* routines = project.routinesByFile.find(file->filePath)) {
            for (const RoutinePtr& routine : *routines) {
                if (!isShownKind(*routine))
                    continue;
                if (!wantedKeys.isEmpty() && !isPseudoRoutine(*routine)
                    && !wantedKeys.contains(dependencyKey(routine.get())))
                    continue;
                shown.push_back(routine);
            }
        }
        SiteFile site {file, {}};
        const QString stem = pageStem(file->fileName);
        FilePage page;
        int lines = 0;
        for (const RoutinePtr& routine : orderedForPage(std::move(shown))) {
            if (lines > 0 && lines + lineCount(*routine) > kLinesPerPage) {
                site.pages.push_back(std::move(page));
                page = FilePage();
                lines = 0;
            }
            page.routines.push_back(routine);
            lines += lineCount(*routine);
        }
        site.pages.push_back(std::move(page));
        const int parts = int(site.pages.size());
        for (int i = 0; i < parts; ++i) {
            FilePage& p = site.pages[size_t(i)];
            p.part = i + 1;
            p.parts = parts;
            p.name = names.claim(i == 0 ? stem : stem + QStringLiteral("-part") + QString::number(i + 1));
            for (const RoutinePtr& routine : p.routines) {
                pageByRoutine_.insert(routine.get(), p.name);
                if (routine->kind == RoutineKind::PropertyLet || routine->kind == RoutineKind::PropertySet) {
                    const QString kind =
                        routine->kind == RoutineKind::PropertyLet ? QStringLiteral("|LET") : QStringLiteral("|SET");
                    assignedProperties_.insert(
                        dependencyKey(routine.get()) + kind, p.name + QLatin1Char('#') + anchorOf(*routine));
                }
            }
        }
        firstPageByFile_.insert(file->filePath, site.pages.front().name);
        if (const RoutineList* routines = project.routinesByFile.find(file->filePath); routines && !routines->empty())
            firstPageByModule_.insert(routines->front()->moduleName, site.pages.front().name);
        files_.push_back(std::move(site));
    }
}

QString SiteMap::anchorOf(const Routine& routine)
{
    switch (routine.kind) {
    case RoutineKind::Layout:
        return QStringLiteral("layout");
    case RoutineKind::Image:
        return QStringLiteral("image");
    case RoutineKind::Declarations:
        return QStringLiteral("declarations");
    case RoutineKind::PropertyGet:
        return QStringLiteral("r-") + safeName(displayName(routine)) + QStringLiteral("-get");
    case RoutineKind::PropertyLet:
        return QStringLiteral("r-") + safeName(displayName(routine)) + QStringLiteral("-let");
    case RoutineKind::PropertySet:
        return QStringLiteral("r-") + safeName(displayName(routine)) + QStringLiteral("-set");
    default:
        return QStringLiteral("r-") + safeName(displayName(routine));
    }
}

QString SiteMap::displayName(const Routine& routine)
{
    if (routine.routineName.startsWith(kEventHandlerPrefix))
        return routine.routineName.mid(kEventHandlerPrefix.size());
    return routine.routineName;
}

QString SiteMap::hrefOf(const Routine& routine) const
{
    const auto page = pageByRoutine_.constFind(&routine);
    if (page == pageByRoutine_.cend())
        return QString();
    return *page + QLatin1Char('#') + anchorOf(routine);
}

QString SiteMap::hrefOfKey(const QString& key) const
{
    const RoutinePtr routine = index_.routineFor(key);
    return routine ? hrefOf(*routine) : QString();
}

QString SiteMap::hrefOfAssignment(const QString& key, bool set) const
{
    const QString own = assignedProperties_.value(key + (set ? QStringLiteral("|SET") : QStringLiteral("|LET")));
    return own.isEmpty() ? hrefOfKey(key) : own;
}

QString SiteMap::pageOfFile(const QString& filePath) const
{
    return firstPageByFile_.value(filePath);
}

} // namespace quillon::html
