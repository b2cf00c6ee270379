#pragma once
#include "aids/SourceTransforms.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace quillon::config {
class Options;
}

namespace quillon::aids {

// How Execute Indent lays out code (the ":DAIndentForm" options; defaults in brackets).
struct IndentRules {
    int width = 4; // blanks per level ["Indent Width": the IDE tab width]
    bool procedureBody = true; // the body one level in from the signature ["Indent Procedure Body"]
    bool firstComments = true; // the comments right under the signature with the body, else with the signature
    bool caseUnderSelect = true; // Case lines one level in from Select Case ["Indent Case"]
    bool typeMembers = true; // members of Type and Enum one level in ["Indent Type Members"]
    bool directivesAtColumn1 = true; // #If, #Else ... at column 1, else at the code's level
    bool continuationsOneUnit = false; // continuation lines one level in from their first line, else where they
        // stood relative to it
    bool alignComments = true; // whole-line comments with the code line they precede; else those in column 1 stay
    bool debugAtColumn1 = false; // Debug. statements at column 1
    bool tabsToBlanks = false; // a line indented with tabs is re-indented with blanks, else with tabs where they fit
    int tabWidth = 4; // what a tab in leading whitespace counts for: the IDE tab width
};
IndentRules indentRules(const config::Options& options);
// Sets one rule by its option key ("Indent Width", "Indent Case" ...; letter case does not count)
// from its text ("4", "True", "no" ...). Empty when done, else what is wrong, for the user.
QString setIndentRule(IndentRules& rules, const QString& name, const QString& value);

// A block that could not be read to its end; the lines from `line` on in its procedure are left
// as they were.
struct IndentProblem {
    int line = 0; // 1-based line of the file
    QString reason; // "Block If without End If", "Next without For" ...
};

// "PATH:LINE: REASON", as the report, the list window and the command line name a problem.
QString problemLine(const QString& path, const IndentProblem& problem);

struct IndentRewrite {
    Rewrite rewrite; // proceduresChanged: routines whose lines changed
    std::vector<IndentProblem> problems;
};
// Re-indents the routines (procedures and the Declarations; a form's layout block and image are
// passed over) by their block structure. Only the whitespace before a line's code changes (and
// the whitespace after a line label or number that starts the line); every other line, and every
// line outside the routines, keeps its text. Indenting the result again changes nothing.
IndentRewrite indentRoutines(const QStringList& lines, const model::RoutineList& routines, const IndentRules& rules);

// Every routine of a file's lines (or of a module's code given without its header), as
// `quillon indent` indents them; path only tells the file kind by its extension.
IndentRewrite indentFileLines(const QString& path, const QStringList& lines, const IndentRules& rules);

} // namespace quillon::aids
