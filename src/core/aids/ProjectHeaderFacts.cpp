#include "aids/ProjectHeaderFacts.h"

#include "analysis/DependencyIndex.h"
#include "config/Options.h"
#include "model/ProjectLoader.h"

namespace quillon::aids {

namespace {

// "Module.Procedure" for each key of the list, as the code spells them; an event handler by its
// own name, not by the label the listings give it.
QStringList procedureNames(const analysis::DependencyIndex& index, const analysis::OrderedKeyList* keys)
{
    QStringList names;
    if (!keys)
        return names;
    for (const QString& key : keys->items()) {
        const model::RoutinePtr routine = index.routineFor(key);
        if (!routine)
            continue;
        QString name = routine->routineName;
        if (name.startsWith(model::kEventHandlerPrefix))
            name.remove(0, model::kEventHandlerPrefix.size());
        names.append(routine->moduleName + QLatin1Char('.') + name);
    }
    return names;
}

} // namespace

HeaderFacts projectHeaderFacts(const model::Project& project, const analysis::DependencyIndex* dependencies,
    const config::Options& options, const QDate& date)
{
    HeaderFacts facts;
    facts.projectName = project.projectName;
    facts.author = options.text(config::opt::HeaderAuthor);
    facts.date = date;
    if (!dependencies)
        return facts;
    facts.callers = [dependencies](const model::Routine& routine) {
        return procedureNames(*dependencies, dependencies->callers(model::dependencyKey(&routine)));
    };
    facts.callees = [dependencies](const model::Routine& routine) {
        return procedureNames(*dependencies, dependencies->callees(model::dependencyKey(&routine)));
    };
    return facts;
}

} // namespace quillon::aids
