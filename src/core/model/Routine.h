#pragma once
#include "model/KeyedMap.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace quillon::model {

struct Listing;

// One source file named in the project file.
class ProjectFile {
public:
    const QString& fileType() const { return fileType_; }
    void setFileType(const QString& type) { fileType_ = upperCase(type); } // "frm" reads back "FRM"

    QString filePath; // full path as resolved from the project file
    QString fileTitle; // name with extension
    QString fileName; // same as fileTitle; what the file list shows and sorts by

private:
    QString fileType_;
};

// What a routine record stands for. Procedures take their kind from the signature; the
// others are pseudo-routines the program makes for parts of a file or for its own reports.
enum class RoutineKind {
    None, // a signature naming no known kind; shown and keyed as no text at all
    Layout,
    Image,
    Declarations,
    Aggregate,
    Dependency,
    Sub,
    Function,
    PropertyGet,
    PropertyLet,
    PropertySet,
    Property,
    // A text the program writes and prints in the house frame without highlighting or
    // history: the table of contents, and the project insight report.
    TableOfContents,
};

// The kind as dumps, unique keys, list files and headings spell it: "Property Get", "TOC".
QString kindText(RoutineKind kind);

// Which properties of a file are gathered into one aggregate record.
enum class AggregateMode {
    None,
    SmallProperties, // property procedures of at most kSmallPropertyLines lines
    AllProperties,
};

// One printable unit of a file: a procedure, or a pseudo-routine standing for the form
// designer block, the form image, the declarations, a group of properties or a dependency
// report. Shared by reference among every list that holds it.
struct Routine {
    QString routineName;
    QString filePath;
    QString moduleName;
    QString uniqueKey;
    qint32 startLine = 0;
    qint32 signatureLine = 0;
    qint32 endLine = 0;
    RoutineKind kind = RoutineKind::None;
    QString sigLineText;
    bool isDeclarations = false;
    bool isDepPseudo = false;
    QString parentKey;
    qint32 commentLines = 0;
    qint32 blankLines = 0;
    qint32 codeLines = 0;
    qint32 memberCount = 0; // an aggregate's number of gathered properties
    // A report the program made (the table of contents, the insight report): its lines are
    // printed instead of lines of a file. Null for everything else.
    std::shared_ptr<const Listing> listing;
};

using RoutinePtr = std::shared_ptr<Routine>;
using RoutineList = std::vector<RoutinePtr>;
using FilePtr = std::shared_ptr<ProjectFile>;
using FileList = std::vector<FilePtr>;
// The files' full paths, in their order.
QStringList filePaths(const FileList& files);

inline const QString kEventHandlerPrefix = QStringLiteral("Event Handler:");

// Layout, image, declarations, aggregate and dependency records: parts of a file or reports,
// not procedures.
bool isPseudoRoutine(const Routine& routine);
bool isPropertyKind(RoutineKind kind); // Property Get, Let, Set, or a bare Property
inline bool isTableOfContents(const Routine& routine)
{
    return routine.kind == RoutineKind::TableOfContents;
}

QString makeUniqueKey(const QString& filePath, const QString& moduleName, const QString& routineName, RoutineKind kind);
// Sets uniqueKey from the record's own path, module, name and kind.
void assignUniqueKey(Routine& routine);
QString dependencyKey(const Routine* routine);

// "frmMain.frm|Private Sub Event Handler:cmdOK_Click". A dependency pseudo-routine shows the
// signature of the routine its parentKey names, found through findByKey.
using RoutineLookup = std::function<RoutinePtr(const QString& uniqueKey)>;
QString listText(const Routine& routine, const RoutineLookup& findByKey = {});

// The loaded project's routines by file path (case-insensitive), in project order.
using RoutinesByFileMap = KeyedMap<RoutineList>;

} // namespace quillon::model
