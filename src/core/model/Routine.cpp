#include "model/Routine.h"

#include "model/RoutineParser.h"

namespace quillon::model {

QString kindText(RoutineKind kind)
{
    switch (kind) {
    case RoutineKind::None:
        return QString();
    case RoutineKind::Layout:
        return QStringLiteral("Layout");
    case RoutineKind::Image:
        return QStringLiteral("Image");
    case RoutineKind::Declarations:
        return QStringLiteral("Declarations");
    case RoutineKind::Aggregate:
        return QStringLiteral("Aggregate");
    case RoutineKind::Dependency:
        return QStringLiteral("Dependency");
    case RoutineKind::Sub:
        return QStringLiteral("Sub");
    case RoutineKind::Function:
        return QStringLiteral("Function");
    case RoutineKind::PropertyGet:
        return QStringLiteral("Property Get");
    case RoutineKind::PropertyLet:
        return QStringLiteral("Property Let");
    case RoutineKind::PropertySet:
        return QStringLiteral("Property Set");
    case RoutineKind::Property:
        return QStringLiteral("Property");
    case RoutineKind::TableOfContents:
        return QStringLiteral("TOC");
    }
    return QString();
}

bool isPseudoRoutine(const Routine& routine)
{
    switch (routine.kind) {
    case RoutineKind::Layout:
    case RoutineKind::Image:
    case RoutineKind::Declarations:
    case RoutineKind::Aggregate:
    case RoutineKind::Dependency:
        return true;
    default:
        return false;
    }
}

bool isPropertyKind(RoutineKind kind)
{
    return kind == RoutineKind::PropertyGet || kind == RoutineKind::PropertyLet || kind == RoutineKind::PropertySet
        || kind == RoutineKind::Property;
}

QString makeUniqueKey(const QString& filePath, const QString& moduleName, const QString& routineName, RoutineKind kind)
{
    const QChar bar = QLatin1Char('|');
    if (kind == RoutineKind::None)
        return filePath + bar + moduleName + bar + routineName;
    return filePath + bar + moduleName + bar + kindText(kind) + bar + routineName;
}

void assignUniqueKey(Routine& routine)
{
    routine.uniqueKey = makeUniqueKey(routine.filePath, routine.moduleName, routine.routineName, routine.kind);
}

QString dependencyKey(const Routine* routine)
{
    if (!routine)
        return QString();
    return upperCase(trimBlanks(routine->moduleName)) + QLatin1Char('|') + upperCase(trimBlanks(routine->routineName));
}

QString listText(const Routine& routine, const RoutineLookup& findByKey)
{
    QString signature = routine.sigLineText;
    if (routine.isDepPseudo && findByKey) {
        if (const RoutinePtr parent = findByKey(routine.parentKey))
            signature = parent->sigLineText;
    }
    return fileNameOf(routine.filePath) + QLatin1Char('|') + scopeAndKindText(signature) + QLatin1Char(' ')
        + routine.routineName;
}

QStringList filePaths(const FileList& files)
{
    QStringList paths;
    paths.reserve(qsizetype(files.size()));
    for (const FilePtr& file : files)
        paths.append(file->filePath);
    return paths;
}

} // namespace quillon::model
