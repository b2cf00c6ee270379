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

bool writeWorkFile(const QString& path, const QByteArray& bytes, platform::ReplacementFile& replacement, QString* error)
{
    if (!replacement.begin(path, error))
        return false;
    if (replacement.isDirect()) {
        replacement.discard();
        if (error)
            *error = QStringLiteral("it is not a regular file");
        return false;
    }
    QFile work(replacement.workPath());
    // Unbuffered, so that a short write (a full disk) shows in what write() returns.
    if (!work.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || work.write(bytes) != bytes.size()) {
        if (error)
            *error = work.errorString();
        replacement.discard();
        return false;
    }
    work.close();
    return true;
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

SourceDocument readSourceDocument(const QString& path, const model::SourceReader& reader)
{
    SourceDocument document;
    if (reader.log())
        reader.log()->openInput(path);
    const model::Outcome<QByteArray> file = model::readRegularFile(path, model::SourceReader::kMaxFileBytes);
    if (!file) {
        document.error = file.error();
        if (reader.log())
            reader.log()->failedOpenInput(path, file.errorNumber(), file.error());
        return document;
    }
    model::TextEncoding encoding;
    const QString text = model::decodeSourceBytes(*file, reader.codePage(), &encoding);
    document = documentOfText(text);
    document.encoding = encoding;
    return document;
}

SourceDocument documentOfText(const QString& text)
{
    SourceDocument document;
    splitKeepingEnds(text, document.lines, document.lineEnds);
    document.ok = true;
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

bool writeSourceLines(const QString& path, const QStringList& lines, const SourceDocument& original, QString* error)
{
    bool encoded = true;
    const QByteArray bytes = model::encodeSourceText(rewrittenText(lines, original), original.encoding, &encoded);
    if (!encoded) {
        if (error)
            *error = QStringLiteral("its new text holds characters its code page cannot hold");
        return false;
    }
    return replaceFileBytes(path, bytes, error);
}

bool isWritableSource(const QString& path, QString* error)
{
    // A rename would replace a read-only file all the same; the user (or a source control
    // tool that marks files not checked out) made it read-only so that nothing changes it. Its
    // owner's write permission is the mark, which holds for the administrator too.
    const QFileInfo info(path);
    if (!info.exists() || (info.isWritable() && info.permissions().testFlag(QFileDevice::WriteOwner)))
        return true;
    if (error)
        *error = QStringLiteral("it is read-only");
    return false;
}

bool replaceFileBytes(const QString& path, const QByteArray& bytes, QString* error)
{
    if (!isWritableSource(path, error))
        return false;
    platform::ReplacementFile replacement;
    if (!writeWorkFile(path, bytes, replacement, error))
        return false;
    if (beforeReplacingSourceFile)
        beforeReplacingSourceFile(replacement.workPath());
    return replacement.commit(error);
}

} // namespace quillon::aids
