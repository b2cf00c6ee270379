#pragma once
#include "model/KeyedMap.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace quillon::model {

// One source file named in the project file.
class ProjectFile {
public:
    const QString& fileType() const { return fileType_; }
    void setFileType(const QString& type) { fileType_ = upperCase(type); } // "frm" reads back "FRM"

    QString filePath; // full path as resolved from the project file
    QString fileTitle; // name with extension
    QString fileName; // same as FileTitle; what the file list shows and sorts by

private:
    QString fileType_;
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
    QString routineKind;
    QString sigLineText;
    bool isDeclarations = false;
    bool isDepPseudo = false;
    QString parentKey;
    qint32 commentLines = 0;
    qint32 blankLines = 0;
    qint32 codeLines = 0;
};

using RoutinePtr = std::shared_ptr<Routine>;
using RoutineList = std::vector<RoutinePtr>;
using FilePtr = std::shared_ptr<ProjectFile>;
using FileList = std::vector<FilePtr>;

// Kind texts as stored in RoutineKind.
namespace kind {
inline const QString Layout = QStringLiteral("Layout");
inline const QString Image = QStringLiteral("Image");
inline const QString Declarations = QStringLiteral("Declarations");
inline const QString Aggregate = QStringLiteral("Aggregate");
inline const QString Dependency = QStringLiteral("Dependency");
inline const QString Sub = QStringLiteral("Sub");
inline const QString Function = QStringLiteral("Function");
inline const QString PropertyGet = QStringLiteral("Property Get");
inline const QString PropertyLet = QStringLiteral("Property Let");
inline const QString PropertySet = QStringLiteral("Property Set");
inline const QString Property = QStringLiteral("Property");
} // namespace kind

inline const QString kEventHandlerPrefix = QStringLiteral("Event Handler:");

// The kind compared the way every test of it does: trimmed, upper-cased, against an
// upper-case spelling such as "LAYOUT".
bool kindIs(const Routine& routine, QLatin1StringView upperKind);
bool isPseudoRoutine(const Routine& routine);

QString makeUniqueKey(
    const QString& filePath, const QString& moduleName, const QString& routineName, const QString& routineKind);
// Sets UniqueKey from the record's own path, module, name and kind.
void assignUniqueKey(Routine& routine);
QString dependencyKey(const Routine* routine);

// "frmMain.frm|Private Sub Event Handler:cmdOK_Click". A dependency pseudo-routine shows the
// signature of the routine its ParentKey names, found through findByKey.
using RoutineLookup = std::function<RoutinePtr(const QString& uniqueKey)>;
QString listText(const Routine& routine, const RoutineLookup& findByKey = {});

// The loaded project's routines by file path (case-insensitive), in project order.
using RoutinesByFileMap = KeyedMap<RoutineList>;

} // namespace quillon::model
