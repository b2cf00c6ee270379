#include "aids/SourceDocument.h"

#include "model/DiagLog.h"
#include "model/TextPrimitives.h"
#include "platform/ReplacementFile.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <map>

namespace quillon::aids {

std::function<void(const QString& workPath)> beforeReplacingSourceFile;

namespace {

using model::kCrLf;

// The lines of a text with each one's own end, so that a file whose ends are mixed can keep them.
void splitKeepingEnds(QStringView text, QStringList& lines, QStringList& ends)
{
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (c != u'\r' && c != u'\n')
            continue;
        lines.append(text.sliced(start, i - start).toString());
        const bool crLf = c == u'\r' && i + 1 < n && text[i + 1].unicode() == u'\n';
        ends.append(crLf ? kCrLf : QString(QChar(c)));
        if (crLf)
            ++i;
        start = i + 1;
    }
    if (start < n) {
        lines.append(text.sliced(start).toString());
        ends.append(QString());
    }
}

// The end each new line is written with. Where every line of the file ends alike, that end;
// otherwise new lines are matched in order against the old ones, looking a limited way ahead,
// so that a kept line keeps its own end.
QStringList endsFor(const QStringList& lines, const SourceDocument& original)
{
    const QString usual = original.usualLineEnd();
    QStringList ends(lines.size(), usual);
    const bool mixed = std::any_of(original.lineEnds.begin(), original.lineEnds.end(),
        [&](const QString& end) { return !end.isEmpty() && end != usual; });
    if (mixed) {
        constexpr qsizetype kLookAhead = 4096;
        qsizetype next = 0;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const qsizetype limit = std::min(original.lines.size(), next + kLookAhead);
            for (qsizetype k = next; k < limit; ++k) {
                if (original.lines[k] == lines[i]) {
                    if (!original.lineEnds[k].isEmpty())
                        ends[i] = original.lineEnds[k];
                    next = k + 1;
                    break;
                }
            }
        }
    }
    // A lone CR followed by an empty line ending in LF reads back as one CR LF: that empty
    // line would be gone. It takes the CR of the line before it instead.
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (ends[i - 1] == QLatin1String("\r") && lines[i].isEmpty() && ends[i].startsWith(QLatin1Char('\n')))
            ends[i] = ends[i - 1];
    }
    // Without a final line end an empty last line would not read back as a line at all.
    const bool finalEnd = original.lineEnds.isEmpty() || !original.lineEnds.last().isEmpty();
    if (!lines.isEmpty() && !finalEnd && !lines.last().isEmpty())
        ends.last().clear();
    return ends;
}

model::Outcome<void> writeWorkFile(const QString& path, const QByteArray& bytes, platform::ReplacementFile& replacement)
{
    QString error;
    if (!replacement.begin(path, &error))
        return model::Failure {error};
    if (replacement.isDirect()) {
        replacement.discard();
        return model::Failure {QStringLiteral("it is not a regular file")};
    }
    QFile work(replacement.workPath());
    // Unbuffered, so that a short write (a full disk) shows in what write() returns.
    if (!work.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || work.write(bytes) != bytes.size()) {
        error = work.errorString();
        replacement.discard();
        return model::Failure {error};
    }
    work.close();
    return {};
}

} // namespace

QString SourceDocument::usualLineEnd() const
{
    std::map<QString, int> counts;
    for (const QString& end : lineEnds) {
        if (!end.isEmpty())
            ++counts[end];
    }
    QString usual = kCrLf;
    int best = counts[kCrLf];
    for (const auto& [end, count] : counts) {
        if (count > best) {
            usual = end;
            best = count;
        }
    }
    return usual;
}

model::Outcome<SourceDocument> readSourceDocument(const QString& path, const model::SourceReader& reader)
{
    if (reader.log())
        reader.log()->openInput(path);
    const model::Outcome<QByteArray> file = model::readRegularFile(path, model::SourceReader::kMaxFileBytes);
    if (!file) {
        if (reader.log())
            reader.log()->failedOpenInput(path, file.errorNumber(), file.error());
        return file.failure();
    }
    return documentOfBytes(*file, reader.codePage());
}

SourceDocument documentOfBytes(QByteArrayView bytes, const model::CodePage& codePage)
{
    model::TextEncoding encoding;
    SourceDocument document = documentOfText(model::decodeSourceBytes(bytes, codePage, &encoding));
    document.encoding = encoding;
    return document;
}

SourceDocument documentOfText(const QString& text)
{
    SourceDocument document;
    splitKeepingEnds(text, document.lines, document.lineEnds);
    return document;
}

QString rewrittenText(const QStringList& lines, const SourceDocument& original)
{
    const QStringList ends = endsFor(lines, original);
    QString text;
    for (qsizetype i = 0; i < lines.size(); ++i)
        text += lines[i] + ends[i];
    return text;
}

model::Outcome<void> writeSourceLines(const QString& path, const QStringList& lines, const SourceDocument& original)
{
    bool encoded = true;
    const QByteArray bytes = model::encodeSourceText(rewrittenText(lines, original), original.encoding, &encoded);
    if (!encoded)
        return model::Failure {QStringLiteral("its new text holds characters its code page cannot hold")};
    return replaceFileBytes(path, bytes);
}

model::Outcome<void> isWritableSource(const QString& path)
{
    // A rename would replace a read-only file all the same; the user (or a source control
    // tool that marks files not checked out) made it read-only so that nothing changes it. Its
    // owner's write permission is the mark, which holds for the administrator too.
    const QFileInfo info(path);
    if (!info.exists() || (info.isWritable() && info.permissions().testFlag(QFileDevice::WriteOwner)))
        return {};
    return model::Failure {QStringLiteral("it is read-only")};
}

model::Outcome<void> replaceFileBytes(const QString& path, const QByteArray& bytes)
{
    if (model::Outcome<void> writable = isWritableSource(path); !writable)
        return writable;
    platform::ReplacementFile replacement;
    if (model::Outcome<void> written = writeWorkFile(path, bytes, replacement); !written)
        return written;
    if (beforeReplacingSourceFile)
        beforeReplacingSourceFile(replacement.workPath());
    QString error;
    if (!replacement.commit(&error))
        return model::Failure {error};
    return {};
}

} // namespace quillon::aids
