#pragma once
#include <QSet>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

namespace quillon::model {

// The kinds of source file a project file names, in the order the file list shows them.
// Everything that treats files differently by kind asks here, so a new kind is one place.
enum class SourceKind {
    Form, // .frm
    Module, // .bas
    Class, // .cls
    UserControl, // .ctl
    PropertyPage, // .pag
    UserDocument, // .dob
    Designer, // .dsr: a text block written by a designer, whose own data sits in binary companions
    Other,
};

// From a file type ("FRM", any case) or from a path's extension.
SourceKind sourceKindOfType(QStringView fileType);
SourceKind sourceKindOfPath(const QString& path);
// The kind of file a layout block's object makes, as written after its first "Begin":
// "VB.UserControl", "VB.PropertyPage", "VB.UserDocument", a designer's "{GUID}", else a form.
SourceKind sourceKindOfLayoutObject(QStringView objectType);
// The file type of a kind, upper-case ("CTL"); empty for Other.
QLatin1StringView fileTypeOf(SourceKind kind);

// The file list's order: forms 1, modules 2, classes 3, user controls 4, property pages 5,
// user documents 6, designers 7, anything else 8.
int fileTypeRank(QStringView fileType);

// Files that begin with an object block (Begin ... End) before their code: forms and the
// other designer-made objects. Their header lines (up to the last Attribute line) are read.
bool hasLayoutBlock(SourceKind kind);
// Of those, the ones whose block is a drawable surface; a designer's block describes data,
// not a window.
bool hasImage(SourceKind kind);
// Modules of their own instance, with a VB_Name attribute and events of their own object:
// everything but forms and standard modules.
bool isClassLike(SourceKind kind);
// Kinds added beyond forms, modules and classes; their event handlers are named by object.
bool isObjectFile(SourceKind kind);

// The project-file entry naming a file of the kind, with the path as the rest of the line
// ("UserControl=", "PropertyPage=", "UserDocument=", "Designer="); the path it names is
// returned, or an empty text when the line is no such entry. Form= is read the same way.
QString pathEntryOf(const QString& trimmedLine);

// Event-handler names of the object kinds. In a user control, a property page or a user
// document, Object_Event names a handler when Object is the file's own object (UserControl,
// PropertyPage, UserDocument) and Event one it raises, or when Object is a control of the
// file's layout block (a control's events depend on its type library, so any event counts).
// In a designer file the designer's object (DataEnvironment, DataReport, AddinInstance,
// DHTMLPage, WebClass) takes any event, as do its layout controls.
class ObjectEvents {
public:
    // controls: upper-cased names of the layout block's objects after the outermost one.
    ObjectEvents(SourceKind kind, QSet<QString> controls);
    bool isHandlerName(QStringView name) const;

private:
    SourceKind kind_;
    QSet<QString> controls_;
};

// The label of a handler of the file's own object in a file of that kind: "UserControl Event",
// "DataEnvironment Event" and their like; empty for any other name (the caller falls back on
// its suffix labels).
QString ownObjectLabel(SourceKind kind, QStringView name);

// Every object word a user control, property page, user document or designer names its own
// handlers after ("UserControl", ..., "DataEnvironment", ...), as spelled in code.
const std::vector<QLatin1StringView>& objectWords();

// The events raised by the object of a user control, a property page or a user document,
// upper-cased: the object model's lists, which the event-handler test reads.
const QSet<QString>& ownObjectEvents(SourceKind kind);

// The upper-cased names of the objects a layout block declares inside its outermost object
// (controls, menus, a designer's parts), from the file's header lines.
QSet<QString> layoutObjectNames(const QStringList& lines, qsizetype headerLines);

} // namespace quillon::model
