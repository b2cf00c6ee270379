#pragma once
#include "model/Outcome.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace quillon::model {

class DiagLog;
struct CodePageTable;

// A single-byte Windows code page. Every byte maps to exactly one character and back, bytes
// the code page leaves undefined included, so that text read from a source file can be
// written back byte for byte.
class CodePage {
public:
    // Accepts "windows-1252", "cp1252" or "1252" (any case); nullptr for an unknown name.
    static const CodePage* find(const QString& name);
    static const CodePage& standard(); // windows-1252
    static QStringList names();

    QString name() const;
    QString decode(QByteArrayView bytes) const;
    // Characters the code page cannot hold become "?" and clear *ok.
    QByteArray encode(QStringView text, bool* ok = nullptr) const;

private:
    explicit CodePage(const CodePageTable* table) : table_(table) { }
    const CodePageTable* table_;
    friend struct CodePageRegistry;
};

// How a file's bytes were turned into text, so that the same bytes can be produced again.
struct TextEncoding {
    const CodePage* codePage = nullptr; // used when utf8 is false
    bool utf8 = false;
    bool bom = false; // a UTF-8 byte order mark preceded the text (it is not part of the text)
};

// True when the bytes are well-formed UTF-8 (no overlong forms, surrogates or values past
// U+10FFFF); *nonAscii tells whether any byte was 0x80 or above.
bool isValidUtf8(QByteArrayView bytes, bool* nonAscii = nullptr);

// Decodes a whole source file: UTF-8 when it starts with a byte order mark (dropped) or is
// valid UTF-8 holding non-ASCII bytes; the code page otherwise.
QString decodeSourceBytes(QByteArrayView bytes, const CodePage& codePage, TextEncoding* used = nullptr);
QByteArray encodeSourceText(QStringView text, const TextEncoding& encoding, bool* ok = nullptr);

// Splits text into lines. A line ends at CR LF, at CR or at LF; a terminator at the very end
// adds no empty line. *endsWithTerminator tells whether the text ended with one.
QStringList splitLines(QStringView text, bool* endsWithTerminator = nullptr);

// Reads a whole file's bytes. Only regular files are read: a FIFO, a device or a socket is
// refused with kNotARegularFile, without waiting on it. A failure gives the reason and the
// system's error number (0 when unknown). maxBytes below 0: no limit.
inline const QString kNotARegularFile = QStringLiteral("not a regular file");
Outcome<QByteArray> readRegularFile(const QString& path, qint64 maxBytes = -1);

// A source file read whole.
struct SourceFile {
    QStringList lines; // line n of the file is lines[n - 1]
    TextEncoding encoding;
    bool hasNul = false; // the file holds NUL bytes: it is most likely not text
};

// Reads whole source files with a chosen code page and logs every open to the diagnostic log.
class SourceReader {
public:
    SourceReader();
    SourceReader(const CodePage& codePage, DiagLog* log);

    static const SourceReader& standard();

    Outcome<SourceFile> read(const QString& path) const;

    const CodePage& codePage() const { return *codePage_; }
    DiagLog* log() const { return log_; }

    // Files larger than this are refused: no VB6 source comes near it, and reading a disk
    // image named ".bas" must not exhaust memory.
    static constexpr qint64 kMaxFileBytes = 512LL * 1024 * 1024;

private:
    const CodePage* codePage_;
    DiagLog* log_;
};

} // namespace quillon::model
