#pragma once
#include "analysis/DependencyIndex.h"
#include "model/Routine.h"

#include <QSet>
#include <QStringList>

#include <vector>

namespace quillon::model {
class SourceReader;
}

namespace quillon::analysis {

// Procedures no root of the program reaches through the calls, and Declare statements no
// routine calls.
struct UnusedReport {
    std::vector<model::RoutinePtr> routines; // in routine-map order
    std::vector<ApiDeclaration> declarations; // in declaration-map order
    qint64 unusedCodeLines = 0;
    qint64 procedures = 0; // indexed routines other than the declarations
    qint64 procedureCodeLines = 0;
};

// The variables a file declares WithEvents, as written.
QStringList withEventsNames(const QStringList& lines);
// The interfaces a file implements ("Implements IPlugin", "Implements Lib.IPlugin": IPlugin), as
// written; their members are procedures named IPlugin_Member that only the interface calls.
QStringList implementedInterfaces(const QStringList& lines);

// True when a procedure named `name` (with or without the event-handler prefix) handles an
// event of one of `sources` (upper-cased): the text before one of its underscores is a source.
bool handlesEventOf(QStringView name, const QSet<QString>& sources);

// The roots: the start-up routine, the event handlers, what a class shows to the outside
// and the procedures shaped as handlers of a form's controls or of WithEvents variables.
// The form and class files are read again with `reader` for their controls and variables.
UnusedReport findUnused(const DependencyIndex& dep, const model::FileList& files, const model::SourceReader& reader);

// The index keys of the report's routines.
QSet<QString> unusedKeys(const UnusedReport& report);

// True when a procedure list entry is one of these routines or the dependency report of one;
// the layout, image, declarations and property group entries stand for no routine of the index.
bool isUnusedEntry(const model::Routine& entry, const QSet<QString>& unusedKeys);

} // namespace quillon::analysis
