#pragma once
#include "aids/SourceTransforms.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace quillon::config {
class Options;
}

namespace quillon::aids {

// The orders Sort File Procedures puts procedures in ("Sort By" of ":DASortForm").
enum class ProcedureOrder {
    ByName, // by name, ignoring case
    // Event handlers, then properties (Get, Let, Set of one name together), then the rest;
    // public before private within each; by name within those.
    ByKind,
    // As ByKind, but the event handlers follow their controls: the object's own (Form_Load ...)
    // first, then each control's in the order the controls stand in the layout block, then those
    // of other objects (WithEvents variables); each control's handlers keep the order they had.
    ByKindKeepingEvents,
};
ProcedureOrder procedureOrder(const config::Options& options);
// "name", "kind" or "events" (any case) as the command line and the options file spell them;
// nullopt for anything else.
std::optional<ProcedureOrder> procedureOrderNamed(const QString& name);
QString procedureOrderName(ProcedureOrder order);

// Reorders the procedures of one file. Each procedure moves whole, with the comment and blank
// lines above its signature that belong to it and the Attribute lines inside it; the header,
// the form's layout block and the Declarations stay first, and whatever follows the last
// procedure stays last. Every procedure's text is the same after the move, only its place
// changes, and a sorted file is left as it is. `routines` are the file's routines as the routine
// parser gives them (all of them: a file is sorted whole); proceduresChanged counts the
// procedures that moved.
Rewrite sortProcedures(const QStringList& lines, const model::RoutineList& routines, ProcedureOrder order);

} // namespace quillon::aids
