#pragma once
#include "model/Routine.h"
#include "model/SourceKind.h"
#include "model/SourceText.h"

#include <QStringList>

namespace quillon::model {

// Signature-line tests.

// How strictly a procedure header is read. The routine split knows one optional scope word
// (Public, Private, Friend) followed by an optional Static, and takes no Static before Property;
// the symbol scan passes over any run of those words. The symbol scan also takes a Property
// only as Property Get, Let or Set, written with one blank.
struct ProcedureHeaderRules {
    bool anyModifierOrder = false;
    bool propertyNeedsAccessor = false;
};
// Where the procedure keyword of a header line ends (after "Sub", "Function", "Property" or
// "Property Get"), with a blank after it; -1 when the line is no procedure header. Blanks
// separate the words, tabs do not; case does not matter.
qsizetype procedureKeywordEnd(QStringView line, ProcedureHeaderRules rules);
bool isProcedureStart(QStringView line); // with the routine split's rules

// Type and Enum blocks. A member may be named like a keyword ("sUB As Long", "Function = 2"),
// so no line from a block's header to its End line is a procedure header. Fed a file's lines in
// order, it tells which belong to a block. A block left without its End line ends at the first
// line that can only be a procedure header ("Private Sub Save()"), so that one broken block
// does not swallow the procedures after it.
class MemberBlockTracker {
public:
    // Where a line stands: outside any block, or a block's header, one of its members or its End.
    enum class Place { Outside, Header, Member, End };
    Place place(QStringView line);
    bool inBlock(QStringView line) { return place(line) != Place::Outside; }
    // The block of the last line is an Enum, whose members are constants.
    bool inEnum() const { return enum_; }

private:
    bool open_ = false;
    bool enum_ = false;
};
QString procNameFromSignature(QStringView line);
RoutineKind kindFromSignature(QStringView line);
bool isEndProcedureLine(QStringView line);
QString scopeAndKindText(QStringView signature);
// A routine's kind as the procedure list shows it: scope and kind from its signature, or the
// record's kind when it has no signature line (Declarations, Layout, Image).
QString kindTextOf(const Routine& routine);

// Event-handler names: a name longer than one of the known event suffixes ("_CLICK",
// "_LOAD", ...) and ending with it. eventLabel gives "Click Event", "Form Event", ... or
// "User Event" for a name that matches no labelled suffix.
bool isEventHandlerName(QStringView name);
QString eventLabel(QStringView name);

QString readVbName(const QString& path, const SourceReader& reader = SourceReader::standard());
QString readVbNameFromLines(const QStringList& lines);
// The module name of a file: its VB_Name attribute, else the file name without extension.
QString moduleNameOf(const QString& path, const QStringList& lines);

// The last line of a file's header: its Attribute lines before the first procedure (0 when it
// has none). Attribute lines inside procedures (a default member's VB_UserMemId) belong to them.
qint32 lastHeaderAttributeLine(const QStringList& lines);
// Where the header of a file of that kind ends (0: it has none): forms and classes as above; the
// kinds added since (user controls and their like) at the end of their first run of Attribute
// lines, since the declarations below may carry attributes of their own.
qint32 headerEndLine(SourceKind kind, const QStringList& lines);

void countRoutineLines(Routine& routine, const QStringList& lines);

// A file read and split into routines, and whether it held NUL bytes (probably not text).
struct SplitFile {
    RoutineList routines;
    bool hasNul = false;
};
// Fails when the path names no file or the file cannot be read.
Outcome<SplitFile> readAndSplitFile(const QString& path, const SourceReader& reader = SourceReader::standard());
// The routines alone; none when the file cannot be read.
RoutineList splitFileIntoRoutines(const QString& path, const SourceReader& reader = SourceReader::standard());
// The same split over lines already in memory (line n is lines[n - 1]).
RoutineList splitLinesIntoRoutines(const QString& path, const QStringList& lines);

// Aggregate pseudo-routine: a file's property procedures grouped onto one page.
constexpr int kSmallPropertyLines = 6;
bool isPropertyProcedure(const Routine* routine);
bool isSmallProperty(const Routine& routine);
// Takes the file's routines from `loaded` when it holds the path, else splits the file anew.
RoutineList collectAggregateProperties(const QString& path, AggregateMode mode,
    const RoutinesByFileMap* loaded = nullptr, const SourceReader& reader = SourceReader::standard());
QString aggregateName(AggregateMode mode);
// AllProperties for an "(All)" group, else SmallProperties.
AggregateMode aggregateModeFromName(const QString& routineName);
RoutinePtr makeAggregateRecord(
    const QString& path, AggregateMode mode, qint32 memberCount, const SourceReader& reader = SourceReader::standard());
// The same for a file whose module name is known (from its routines): no second read.
RoutinePtr makeAggregateRecord(const QString& path, const QString& moduleName, AggregateMode mode, qint32 memberCount);

// The text an Aggregate record prints: the heading, then per member an empty line, ">>> "
// and its name, and its lines. countsStatements marks the member lines that go into the
// statement statistics.
struct AggregateListingLine {
    QString text;
    bool countsStatements = false;
};
std::vector<AggregateListingLine> buildAggregateListing(const Routine& aggregate, const QStringList& fileLines,
    const RoutinesByFileMap* loaded = nullptr, const SourceReader& reader = SourceReader::standard());

} // namespace quillon::model
