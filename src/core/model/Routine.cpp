#include "model/Routine.h"

#include "model/RoutineParser.h"

namespace quillon::model {

bool kindIs(const Routine& routine, QLatin1StringView upperKind)
{
    const QStringView k = trimBlanks(routine.routineKind);
    return k.size() == upperKind.size() && startsWithUpper(k, upperKind);
}

bool isPseudoRoutine(const Routine& routine)
{
    for (const char* name : {"LAYOUT", "IMAGE", "DECLARATIONS", "AGGREGATE", "DEPENDENCY"}) {
        if (kindIs(routine, QLatin1StringView(name)))
            return true;
    }
    return false;
}

QString makeUniqueKey(
    const QString& filePath, const QString& moduleName, const QString& routineName, const QString& routineKind)
{
    const QChar bar = QLatin1Char('|');
    if (routineKind.isEmpty())
        return filePath + bar + moduleName + bar + routineName;
    return filePath + bar + moduleName + bar + routineKind + bar + routineName;
}

void assignUniqueKey(Routine& routine)
{
    routine.uniqueKey = makeUniqueKey(routine.filePath, routine.moduleName, routine.routineName, routine.routineKind);
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

} // namespace quillon::model
