#pragma once
#include <QString>
#include <QStringView>

// Everything the site takes from a project (code, comments, names, captions, file names) passes
// through these before it lands in a page, an attribute, a URL or the search index.
namespace quillon::html {

// Text for an HTML element or a quoted attribute: & < > " ' as entities, and the characters
// HTML does not allow (controls other than tab and line feed, lone surrogates, non-characters)
// as U+FFFD, so that no byte of a source can end an element or open one.
QString escapeHtml(QStringView text);
void appendEscaped(QString& out, QStringView text);

// A name made safe for an id, an anchor and a file name: ASCII letters, digits and "_" kept,
// every other character written as its code in hexadecimal between two "-", so different names
// never meet and the result needs no further escaping in a URL.
QString safeName(QStringView name);

// The name of a page for a source file: ASCII letters, digits, ".", "-" and "_" kept, every other
// character "_", no leading dot; never empty. Two files may get the same name: the site numbers them.
QString pageStem(QStringView fileName);

// A JSON string, quotes included, with the line separators JavaScript once refused escaped. It
// can stand inside a <script> element or an HTML attribute when markupEscaped ("<", ">" and "&" as
// \u escapes); a script file of its own needs no more than the rest.
QString jsonString(QStringView text, bool markupEscaped = true);

} // namespace quillon::html
