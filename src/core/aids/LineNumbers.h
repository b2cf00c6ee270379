#pragma once
#include "aids/SourceTransforms.h"

#include <QString>
#include <QStringList>

namespace quillon::config {
class Options;
}

namespace quillon::aids {

// How Add Line Numbers numbers ("First Number", "Number Step", "Restart Each Procedure" of
// ":DALineNumberForm").
struct NumberingRules {
    qint64 first = 10;
    qint64 step = 10;
    bool restartEachProcedure = true; // else the numbers go on through the file
};
NumberingRules numberingRules(const config::Options& options);
// Empty when first and step are whole numbers the rules can take, else what is wrong.
QString numberingProblem(const QString& first, const QString& step);

// Numbers every executable statement line of the routines in column 1; the code keeps its column
// where the number leaves room. proceduresChanged counts the routines that got a number.
Rewrite addLineNumbers(const QStringList& lines, const model::RoutineList& routines, const NumberingRules& rules);
// Takes away the numbers addLineNumbers puts, except those a GoTo, GoSub, Resume, On ... GoTo or
// an Erl comparison names. Removing what adding put gives back the same text.
Rewrite removeLineNumbers(const QStringList& lines, const model::RoutineList& routines);

} // namespace quillon::aids
