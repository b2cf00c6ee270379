#include "aids/EditBackups.h"

#include "aids/SourceDocument.h"
#include "config/Ini.h"
#include "config/Options.h"
#include "config/Session.h"
#include "model/TextPrimitives.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace quillon::aids {

using model::equalsNoCase;
using model::kCrLf;
using model::quote;
using model::trimBlanks;
using model::upperCase;

namespace {

const QString kIndexSection = QStringLiteral("Index");
const QString kEntriesKey = QStringLiteral("Entries");
constexpr int kMaxCopyNumber = 9999;

QString escapeRtf(QStringView text)
{
    QString escaped;
    escaped.reserve(text.size() + 8);
    for (const QChar c : text) {
        if (c == u'\\' || c == u'{' || c == u'}')
            escaped += QLatin1Char('\\');
        escaped += c;
    }
    return escaped;
}

QString colorEntry(qint32 color)
{
    const quint32 value = quint32(color);
    return QStringLiteral("\\red") + QString::number(value % 256) + QStringLiteral("\\green")
        + QString::number((value / 256) % 256) + QStringLiteral("\\blue") + QString::number((value / 65536) % 256)
        + QLatin1Char(';');
}

// One line of the document back to source text: a control word ("\cf1") with the blank that
// ends it is dropped, an escaped "\", "{" or "}" is the character itself, anything else stays.
QString plainLine(QStringView line)
{
    QString text;
    text.reserve(line.size());
    qsizetype i = 0;
    while (i < line.size()) {
        const QChar c = line[i];
        if (c != u'\\' || i + 1 >= line.size()) {
            text += c;
            ++i;
            continue;
        }
        const QChar next = line[i + 1];
        if (next == u'\\' || next == u'{' || next == u'}') {
            text += next;
            i += 2;
        } else if (next.isLetter() && next.unicode() < 128) {
            qsizetype k = i + 1;
            while (k < line.size() && line[k].unicode() < 128 && line[k].isLetter())
                ++k;
            if (k < line.size() && line[k] == u'-')
                ++k;
            while (k < line.size() && line[k].isDigit())
                ++k;
            if (k < line.size() && line[k] == u' ')
                ++k;
            i = k;
        } else {
            text += c;
            ++i;
        }
    }
    return text;
}

QString timestampText(const QDateTime& time)
{
    return time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

} // namespace

bool BackupEntry::isProcedure() const
{
    return upperCase(kind) == QLatin1String("PROCEDURE");
}

QString overwritePromptText(const QString& path, int remaining, const QString& kindWord)
{
    QString text = QStringLiteral("A backup already exists for:") + kCrLf + path + kCrLf;
    if (remaining > 1) {
        text += kCrLf + QString::number(remaining) + QLatin1Char(' ') + kindWord
            + QStringLiteral("s still to be tested (including this one).") + kCrLf;
    }
    return text + kCrLf + QStringLiteral("Do you want to overwrite it?");
}

QString rtfLine(const QString& line)
{
    if (model::trimLeadingBlanks(line).startsWith(QLatin1Char('\'')))
        return QStringLiteral("\\cf2 ") + escapeRtf(line);
    const QString normal = QStringLiteral("\\cf1 ");
    QString form = normal;
    QString pending;
    bool inString = false;
    for (const QChar c : line) {
        if (c != u'"') {
            pending += c;
            continue;
        }
        form += escapeRtf(pending);
        pending.clear();
        form += normal + QLatin1Char('"');
        inString = !inString;
        form += inString ? QStringLiteral("\\cf3 ") : normal;
    }
    return form + escapeRtf(pending);
}

QString procedureRtf(const QStringList& lines, const RtfColors& colors)
{
    QString document = QStringLiteral("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fmodern\\fprq1\\fcharset0 Courier New;}}"
                                      "{\\colortbl;")
        + colorEntry(colors.normal) + colorEntry(colors.comment) + colorEntry(colors.literal)
        + QStringLiteral("}\\f0\\fs20 ");
    for (const QString& line : lines)
        document += rtfLine(line) + QStringLiteral("\\par") + kCrLf;
    return document + QLatin1Char('}');
}

QStringList rtfBackupLines(const QStringList& documentLines)
{
    QStringList lines;
    for (qsizetype n = 0; n < documentLines.size(); ++n) {
        QStringView line = documentLines[n];
        if (n == 0) {
            const qsizetype header = line.indexOf(QLatin1String("\\fs20 "));
            if (header >= 0)
                line = line.sliced(header + 6);
        }
        if (line.endsWith(QLatin1String("\\par")))
            line.chop(4);
        if (model::trimBlanks(line) == QLatin1String("}"))
            break;
        lines.append(plainLine(line));
    }
    return lines;
}

QString procedureBackupFileName(const QString& routineName)
{
    QString name = routineName;
    name.replace(QLatin1String(".."), QLatin1String("_"));
    for (QChar& c : name) {
        if (c == u'/' || c == u'\\' || c == u':')
            c = QLatin1Char('_');
    }
    return name + QStringLiteral(".rtf");
}

EditBackups::EditBackups(
    QString workingFolder, const config::IniStore& ini, const model::SourceReader& reader, RtfColors colors)
    : workingFolder_(std::move(workingFolder)), ini_(&ini), reader_(&reader), colors_(colors)
{ }

EditBackups EditBackups::forSession(const config::Session& session, const model::SourceReader& reader)
{
    const config::Options& options = session.options;
    auto colorOf = [&](const char* key) {
        return qint32(options.text(config::OptionKey {":Colors", key}).toLongLong());
    };
    const RtfColors colors {colorOf("Normal Text"), colorOf("Comment Text"), colorOf("Literal Text")};
    return EditBackups(options.text(config::opt::ProjectFolder), session.ini, reader, colors);
}

QString EditBackups::backupFolder(bool create) const
{
    QString folder = workingFolder_;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    folder += kBackupFolderName + QLatin1Char('/');
    if (create)
        QDir().mkpath(folder);
    return folder;
}

QString EditBackups::folderProblem() const
{
    const QString folder = QDir::cleanPath(backupFolder(false));
    // The folder, or else the nearest of its parents that exists, where it would be made.
    QFileInfo nearest(folder);
    while (!nearest.exists() && !nearest.isRoot())
        nearest.setFile(nearest.absolutePath());
    if (!nearest.isDir() && nearest.absoluteFilePath() == folder)
        return quote(folder) + QStringLiteral(" is a file, not a folder");
    if (!nearest.isDir())
        return quote(folder) + QStringLiteral(" cannot be made: ") + quote(nearest.absoluteFilePath())
            + QStringLiteral(" is not a folder");
    if (!nearest.isWritable())
        return quote(folder) + QStringLiteral(" cannot be made or written: ") + quote(nearest.absoluteFilePath())
            + QStringLiteral(" is read-only");
    return QString();
}

bool EditBackups::indexUnreadable() const
{
    return ini_->load(indexPath()).isUnreadable();
}

model::Outcome<void> EditBackups::backupFile(const QString& path, bool askOverwrite, int remaining)
{
    if (!QFileInfo(path).isFile())
        return model::Failure {quote(path) + QStringLiteral(" does not exist")};
    const QString name =
        uniqueBackupPath(backupFolder(true) + model::fileNameOf(path), askOverwrite, remaining, QStringLiteral("file"));
    if (name.isEmpty())
        return model::Failure {QStringLiteral("no free backup name is left for ") + quote(model::fileNameOf(path))};
    const model::Outcome<QByteArray> original = model::readRegularFile(path, model::SourceReader::kMaxFileBytes);
    const model::Outcome<void> copied = original ? replaceFileBytes(name, *original) : original.failure();
    if (!copied)
        return model::Failure {QStringLiteral("cannot copy ") + quote(path) + QStringLiteral(" to ") + quote(name)
                + QStringLiteral(": ") + copied.error(),
            copied.errorNumber()};
    return registerBackup(name, path, kFileKind, QString(), QString());
}

model::Outcome<void> EditBackups::backupProcedure(const model::Routine& routine, bool askOverwrite, int remaining)
{
    if (!QFileInfo(routine.filePath).isFile())
        return model::Failure {quote(routine.filePath) + QStringLiteral(" does not exist")};
    const QString name = uniqueBackupPath(backupFolder(true) + procedureBackupFileName(routine.routineName),
        askOverwrite, remaining, QStringLiteral("procedure"));
    if (name.isEmpty())
        return model::Failure {QStringLiteral("no free backup name is left for ") + quote(routine.routineName)};
    model::TextEncoding encoding;
    const QString rtf = procedureToRtf(routine, &encoding);
    if (rtf.isEmpty())
        return model::Failure {
            QStringLiteral("the lines of ") + quote(routine.routineName) + QStringLiteral(" cannot be read")};
    // In the source's own encoding, so that reading it back gives the same characters.
    encoding.bom = false;
    if (const model::Outcome<void> written = replaceFileBytes(name, model::encodeSourceText(rtf + kCrLf, encoding));
        !written)
        return model::Failure {QStringLiteral("cannot write ") + quote(name) + QStringLiteral(": ") + written.error()};
    return registerBackup(name, routine.filePath, kProcedureKind, routine.routineName, routine.uniqueKey);
}

namespace {

// The names in a folder, case-folded: names are told apart ignoring case, as the index's sections
// are ("Form1.frm" and "FORM1.frm" would share one section).
QSet<QString> foldedNames(const QString& folder)
{
    QSet<QString> names;
    for (const QString& name : QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System))
        names.insert(name.toCaseFolded());
    return names;
}

} // namespace

QString EditBackups::uniqueBackupPath(const QString& path, bool ask, int remaining, const QString& kindWord)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString folder = path.left(slash + 1);
    const QString fileName = path.mid(slash + 1);
    const QSet<QString> taken = foldedNames(folder);
    if (!taken.contains(fileName.toCaseFolded()))
        return path;
    if (ask) {
        bool answer = applyToAllAnswer_;
        if (!applyToAllSet_) {
            const OverwriteAnswer given = askOverwrite ? askOverwrite(path, remaining, kindWord) : OverwriteAnswer();
            answer = given.overwrite;
            if (given.applyToAll) {
                applyToAllSet_ = true;
                applyToAllAnswer_ = answer;
            }
        }
        if (answer)
            return path;
    }
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    const QString base = dot < 0 ? fileName : fileName.left(dot);
    const QString extension = dot < 0 ? QString() : fileName.mid(dot);
    for (int n = 1; n <= kMaxCopyNumber; ++n) {
        const QString candidate = base + QStringLiteral(" (") + QString::number(n) + QLatin1Char(')') + extension;
        if (!taken.contains(candidate.toCaseFolded()))
            return folder + candidate;
    }
    return QString();
}

QString EditBackups::procedureToRtf(const model::Routine& routine, model::TextEncoding* encoding) const
{
    if (routine.startLine < 1 || routine.endLine < routine.startLine)
        return QString();
    const model::Outcome<SourceDocument> document = readSourceDocument(routine.filePath, *reader_);
    if (!document)
        return QString();
    if (encoding)
        *encoding = document->encoding;
    const qsizetype last = std::min<qsizetype>(routine.endLine, document->lines.size());
    const QStringList lines = last >= routine.startLine
        ? document->lines.mid(routine.startLine - 1, last - routine.startLine + 1)
        : QStringList();
    return procedureRtf(lines, colors_);
}

model::Outcome<void> EditBackups::registerBackup(const QString& backupPath, const QString& originalPath,
    const QString& kind, const QString& procedureName, const QString& uniqueKey)
{
    return reinstateBackup(
        backupPath, {QString(), originalPath, kind, procedureName, uniqueKey, timestampText(clock())}, -1);
}

model::Outcome<void> EditBackups::reinstateBackup(const QString& backupPath, const BackupEntry& entry, int place)
{
    backupFolder(true);
    const QString section = model::fileNameOf(backupPath);
    config::IniDocument index = ini_->load(indexPath());
    index.setValues(section,
        {{QStringLiteral("OriginalPath"), entry.originalPath}, {QStringLiteral("Kind"), entry.kind},
            {QStringLiteral("ProcedureName"), entry.procedureName}, {QStringLiteral("UniqueKey"), entry.uniqueKey},
            {QStringLiteral("Timestamp"), entry.timestamp}});
    const QString entries = index.value(kIndexSection, kEntriesKey).value_or(QString());
    QStringList names = entries.isEmpty() ? QStringList() : entries.split(QLatin1Char('|'));
    // A name overwritten in place is still one backup: it is listed once.
    const bool listed = std::any_of(
        names.begin(), names.end(), [&](const QString& name) { return equalsNoCase(trimBlanks(name), section); });
    if (!listed) {
        names.insert(place < 0 ? names.size() : std::min<qsizetype>(place, names.size()), section);
        index.setValue(kIndexSection, kEntriesKey, names.join(QLatin1Char('|')));
    }
    if (!ini_->save(index, indexPath()))
        return model::Failure {QStringLiteral("cannot write the backup index ") + quote(indexPath())};
    return {};
}

int EditBackups::removeBackup(const QString& backupName)
{
    int place = -1;
    config::IniDocument index = ini_->load(indexPath());
    if (!index.isUnreadable()) {
        index.removeSection(backupName);
        const QString entries = index.value(kIndexSection, kEntriesKey).value_or(QString());
        if (!entries.isEmpty()) {
            QStringList kept;
            for (const QString& name : entries.split(QLatin1Char('|'))) {
                if (!equalsNoCase(trimBlanks(name), backupName))
                    kept.append(name);
                else if (place < 0)
                    place = int(kept.size());
            }
            index.setValue(kIndexSection, kEntriesKey, kept.join(QLatin1Char('|')));
        }
        ini_->save(index, indexPath());
    }
    // Named as the index names it, which ignores case.
    const QString folder = backupFolder(false);
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (equalsNoCase(name, backupName))
            QFile::remove(folder + name);
    }
    return place;
}

std::vector<BackupEntry> EditBackups::loadBackupList() const
{
    std::vector<BackupEntry> list;
    const config::IniDocument index = ini_->load(indexPath());
    const QString entries = index.value(kIndexSection, kEntriesKey).value_or(QString());
    if (entries.isEmpty())
        return list;
    const QString folder = backupFolder(false);
    QSet<QString> seen;
    for (const QString& listed : entries.split(QLatin1Char('|'))) {
        const QString name = trimBlanks(listed).toString();
        if (name.isEmpty() || seen.contains(name.toCaseFolded()) || !QFileInfo(folder + name).isFile())
            continue;
        seen.insert(name.toCaseFolded());
        auto key = [&](const char* key) { return index.value(name, QString::fromLatin1(key)).value_or(QString()); };
        list.push_back(
            {name, key("OriginalPath"), key("Kind"), key("ProcedureName"), key("UniqueKey"), key("Timestamp")});
    }
    return list;
}

QStringList EditBackups::readRtfBackupLines(const QString& path, const model::TextEncoding* encoding) const
{
    const model::Outcome<QByteArray> file = model::readRegularFile(path, model::SourceReader::kMaxFileBytes);
    if (!file)
        return QStringList();
    QString text;
    if (encoding && encoding->utf8 && model::isValidUtf8(*file))
        text = QString::fromUtf8(*file);
    else if (encoding && !encoding->utf8 && encoding->codePage)
        text = encoding->codePage->decode(*file);
    else
        text = model::decodeSourceBytes(*file, reader_->codePage());
    return rtfBackupLines(model::splitLines(text));
}

} // namespace quillon::aids
