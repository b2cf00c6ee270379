#pragma once
#include "model/SourceText.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace quillon::aids {

// A source file as the developer aids rewrite it: its lines, and what it takes to write it back
// so that every line nobody changed keeps its bytes (encoding, line ends, the last line's end).
struct SourceDocument {
    QStringList lines; // line n of the file is lines[n - 1]
    QStringList lineEnds; // each line's own end: "\r\n", "\n", "\r", or "" for a last line without one
    model::TextEncoding encoding;

    // The end most lines have ("\r\n" when there is none or a tie): what new lines get.
    QString usualLineEnd() const;
};

// The lines of a decoded text, each with its own end.
SourceDocument documentOfText(const QString& text);
// The lines of a whole file's bytes, decoded as a source file is (UTF-8 or the code page).
SourceDocument documentOfBytes(QByteArrayView bytes, const model::CodePage& codePage);
// The text writeSourceLines writes, before it is encoded: each line with the end it gets.
QString rewrittenText(const QStringList& lines, const SourceDocument& original);

// Reads a regular file through the reader's code page; an empty file gives no line.
model::Outcome<SourceDocument> readSourceDocument(const QString& path, const model::SourceReader& reader);

// Writes the lines in place of the file they were read from. The encoding is the document's;
// a line that stands where the document had it (same text, in the same order) keeps its own line
// end, a new or changed line takes the file's usual one; the last line ends with a line end
// exactly when the document's did. The bytes go to a work file beside the target, are put on
// disk and renamed over it, keeping its permissions: a crash or a full disk leaves the old file
// or the new one, never a mix. A read-only file is not replaced. On a failure the file is as
// it was.
model::Outcome<void> writeSourceLines(const QString& path, const QStringList& lines, const SourceDocument& original);

// Fails when the file exists and may not be changed (it is read-only).
model::Outcome<void> isWritableSource(const QString& path);

// The same for bytes that are already complete (a file put back from its copy).
model::Outcome<void> replaceFileBytes(const QString& path, const QByteArray& bytes);

// Called with the work file's path once it holds every byte, just before it replaces the target.
// Empty in the program; a test stops the program there to find the target intact.
extern std::function<void(const QString& workPath)> beforeReplacingSourceFile;

} // namespace quillon::aids
