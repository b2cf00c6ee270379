#include "model/Routine.h"

#include "model/RoutineParser.h"

namespace quillon::model {

bool KindIs(const Routine& routine, QLatin1StringView upperKind)
{
    const QStringView k = trimBlanks(routine.RoutineKind);
    return k.size() == upperKind.size() && StartsWithUpper(k, upperKind);
}

bool IsPseudoRoutine(const Routine& routine)
{
    for (const char* name : {"LAYOUT", "IMAGE", "DECLARATIONS", "AGGREGATE", "DEPENDENCY"}) {
        if (KindIs(routine, QLatin1StringView(name)))
            return true;
    }
    return false;
}

QString MakeUniqueKey(const QString& filePath, const QString& moduleName, const QString& routineName,
                      const QString& routineKind)
{
    const QChar bar = QLatin1Char('|');
    if (routineKind.isEmpty())
        return filePath + bar + moduleName + bar + routineName;
    return filePath + bar + moduleName + bar + routineKind + bar + routineName;
}

void AssignUniqueKey(Routine& routine)
{
    routine.UniqueKey = MakeUniqueKey(routine.FilePath, routine.ModuleName, routine.RoutineName, routine.RoutineKind);
}

QString DependencyKey(const Routine* routine)
{
    if (!routine)
        return QString();
    return upperCase(trimBlanks(routine->ModuleName)) + QLatin1Char('|') + upperCase(trimBlanks(routine->RoutineName));
}

QString ListText(const Routine& routine, const RoutineLookup& findByKey)
{
    QString signature = routine.SigLineText;
    if (routine.IsDepPseudo && findByKey) {
        if (const RoutinePtr parent = findByKey(routine.ParentKey))
            signature = parent->SigLineText;
    }
    return FileNameOf(routine.FilePath) + QLatin1Char('|') + ScopeAndKindText(signature) + QLatin1Char(' ')
        + routine.RoutineName;
}

} // namespace quillon::model
