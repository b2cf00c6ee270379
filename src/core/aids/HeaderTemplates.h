#pragma once
#include "aids/SourceTransforms.h"
#include "model/Outcome.h"
#include "model/Routine.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace quillon::aids {

// The two headers the Developer Aids insert: one at the top of a file, one above a procedure.
enum class HeaderKind { File, Procedure };

// The template files in the options folder, plain text the user may edit by hand.
inline const QString kFileHeaderTemplateFile = QStringLiteral("File Header Template.txt");
inline const QString kProcedureHeaderTemplateFile = QStringLiteral("Procedure Header Template.txt");
QString templateFileName(HeaderKind kind);

// What a template holds before the user has written one.
QString defaultTemplateText(HeaderKind kind);
// The fields a template of that kind may hold, as written in it ("{FileName}"), the section
// markers "{ForEachParameter}" and "{End}" among them for procedures. A field is "{" letters "}"
// (its name in any case); braces around anything else are plain text.
QStringList templateFields(HeaderKind kind);

// How a template is written out:
// - a line is written once, its fields filled;
// - a line holding {Parameters}, {Callers} or {Callees} (one of them) is written once per item,
//   the field replaced by the item, or once with "(none)" when there is no item ("(not known)"
//   when HeaderFacts has no function for the list). A parameter's item reads
//   "NAME: PASSING TYPE[, NOTES]": "nCount: ByVal Long, Optional, default 10";
// - the lines between "{ForEachParameter}" and "{End}" (each alone on its comment line) are
//   written once per parameter, with {ParameterName} ("aValues()" for an array), {Passing},
//   {ParameterType}, {DefaultValue} and {ParameterNotes} ("Optional", "Optional, default X",
//   "ParamArray" or nothing); with no parameter, not at all.
// Written lines lose their trailing blanks, and a value never leaves a line ending in " _".
// A header is recognised by its lines written once: the comment lines where it would go hold,
// in order, a line matching each of them (fields match any text; blanks and tabs around a line
// do not count). List lines and the section are not compared, so a header whose callers have
// changed since is still recognised.

// A template that can be used: comment lines, known fields, sections closed.
struct HeaderTemplate {
    HeaderKind kind = HeaderKind::File;
    QStringList lines;
};
// The template in a text, or why it cannot be used, naming the line or the field ("The template
// holds an unknown field: {Foo}."). Lines end with "\r\n", "\n" or "\r"; a last empty line is
// not a line of the template.
model::Outcome<HeaderTemplate> parseHeaderTemplate(HeaderKind kind, const QString& text);

// The template in the options folder, or the default when the file is not there; fails when the
// file is there and cannot be read or used.
model::Outcome<HeaderTemplate> loadHeaderTemplate(HeaderKind kind, const QString& optionsFolder);
// Checks the text and writes it as the template file (a work file beside it, renamed over it).
model::Outcome<void> saveHeaderTemplate(HeaderKind kind, const QString& optionsFolder, const QString& text);

// One parameter of a procedure's signature.
struct SignatureParameter {
    QString name; // "aValues" (without the brackets of an array, without its type character)
    bool isArray = false; // declared with "()"
    QString passing; // "ByVal" or "ByRef" (what VB passes by when neither is written)
    QString type; // "Long", "String * 10"; from its type character ("s$": String); else "Variant"
    bool isOptional = false;
    bool isParamArray = false;
    QString defaultValue; // as written after "=", trimmed; empty when there is none
};
// What a procedure's signature declares (its lines joined, comment cut off). Not a procedure
// (a Declare, an Event, no Sub, Function or Property Get/Let/Set): all empty.
struct Signature {
    QString scope; // "Public", "Private" or "Friend" ("Public" when none is written)
    bool isStatic = false;
    QString kind; // "Sub", "Function", "Property Get", "Property Let", "Property Set"
    QString name; // without its type character
    std::vector<SignatureParameter> parameters;
    // Function and Property Get: the type after the list ("Long()"), else that of the name's type
    // character, else "Variant"; empty for the others.
    QString returnType;
};
Signature parseSignature(const QString& signatureText);
// The signature of a procedure whose signature line is lines[signatureLine - 1], with its
// continuation lines.
Signature signatureAt(const QStringList& lines, int signatureLine);

// What fills the fields that are not in the file itself.
struct HeaderFacts {
    QString projectName;
    QString author;
    QDate date;
    // The procedures calling and called by a procedure, as "Module.Procedure"; empty when the
    // project's dependency index is not at hand.
    std::function<QStringList(const model::Routine&)> callers;
    std::function<QStringList(const model::Routine&)> callees;
};

// The filled header lines for a file, and for one procedure of it.
QStringList fileHeaderLines(
    const HeaderTemplate& tmpl, const QString& path, const QStringList& lines, const HeaderFacts& facts);
QStringList procedureHeaderLines(const HeaderTemplate& tmpl, const QString& path, const QStringList& lines,
    const model::Routine& routine, const HeaderFacts& facts);

// Inserts the file header after the file's Attribute lines (a form's or a class's after its
// header part; nothing for one whose header part cannot be found), unless the comment lines
// there already hold a header made from this template. Only comment lines are added, and one
// blank line when the header would otherwise stand right above a procedure's signature or
// above the comment lines that lead to it, which would take it for the procedure's comment.
Rewrite insertFileHeader(
    const QString& path, const QStringList& lines, const HeaderTemplate& tmpl, const HeaderFacts& facts);
// Inserts a header directly above the signature of each of the routines (procedures of the file,
// as the routine parser gives them), below any comment block already attached to it, unless the
// comment lines directly above the signature already hold a header made from this template.
// proceduresChanged counts the headers inserted.
Rewrite insertProcedureHeaders(const QString& path, const QStringList& lines, const model::RoutineList& routines,
    const HeaderTemplate& tmpl, const HeaderFacts& facts);

} // namespace quillon::aids
