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
// markers "{ForEachParameter}" and "{End}" among them for procedures.
QStringList templateFields(HeaderKind kind);

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
    QString name; // "aValues" (without the brackets of an array)
    bool isArray = false; // declared with "()"
    QString passing; // "ByVal" or "ByRef" (what VB passes by when neither is written)
    QString type; // "Long", "String * 10"; "Variant" when no type is written
    bool isOptional = false;
    bool isParamArray = false;
    QString defaultValue; // as written after "=", trimmed; empty when there is none
};
// What a procedure's signature declares (its lines joined, comment cut off).
struct Signature {
    QString scope; // "Public", "Private" or "Friend" ("Public" when none is written)
    bool isStatic = false;
    QString kind; // "Sub", "Function", "Property Get", "Property Let", "Property Set"
    QString name;
    std::vector<SignatureParameter> parameters;
    QString returnType; // Function and Property Get: the type after the list ("Variant" when none)
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

// Inserts the file header after the file's Attribute lines, unless the header already there was
// made from this template. Only comment lines are added.
Rewrite insertFileHeader(const QString& path, const QStringList& lines, const HeaderTemplate& tmpl, const HeaderFacts& facts);
// Inserts a header directly above the signature of each of the routines (procedures of the file,
// as the routine parser gives them), below any comment block already attached to it, unless the
// comment lines directly above the signature already hold a header made from this template.
// proceduresChanged counts the headers inserted.
Rewrite insertProcedureHeaders(const QString& path, const QStringList& lines, const model::RoutineList& routines,
    const HeaderTemplate& tmpl, const HeaderFacts& facts);

} // namespace quillon::aids
