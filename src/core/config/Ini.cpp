#include "config/Ini.h"

#include "model/DiagLog.h"
#include "model/TextPrimitives.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QSet>

#include <sys/stat.h>

#include <cerrno>

namespace quillon::config {

using model::equalsNoCase;

namespace {

QStringView trimBlanksAndTabs(QStringView text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    // A byte order mark inside the text (one more after the mark that starts the file) counts
    // as blank, so that it hides no section header or key.
    auto isSpace = [](QChar c) { return c.unicode() == u' ' || c.unicode() == u'\t' || c.unicode() == 0xFEFF; };
    while (start < end && isSpace(text[start]))
        ++start;
    while (end > start && isSpace(text[end - 1]))
        --end;
    return text.sliced(start, end - start);
}

bool isComment(QStringView trimmed)
{
    return trimmed.startsWith(QLatin1Char(';')) || trimmed.startsWith(QLatin1Char('#'));
}

// The section name of a header line, or nullopt for any other line.
std::optional<QString> headerName(const QString& line)
{
    const QStringView t = trimBlanksAndTabs(line);
    if (!t.startsWith(QLatin1Char('[')))
        return std::nullopt;
    const qsizetype close = t.indexOf(QLatin1Char(']'));
    const QStringView inner = close < 0 ? t.sliced(1) : t.sliced(1, close - 1);
    return trimBlanksAndTabs(inner).toString();
}

struct KeyLine {
    QString key;
    QString value;
};

std::optional<KeyLine> parseKeyLine(const QString& line)
{
    const QStringView t = trimBlanksAndTabs(line);
    if (t.isEmpty() || isComment(t))
        return std::nullopt;
    const qsizetype equals = t.indexOf(QLatin1Char('='));
    if (equals < 0)
        return KeyLine {t.toString(), QString()};
    return KeyLine {trimBlanksAndTabs(t.first(equals)).toString(), trimBlanksAndTabs(t.sliced(equals + 1)).toString()};
}

QString oneLine(const QString& value)
{
    QString out = value;
    out.replace(QLatin1Char('\r'), QLatin1Char(' '));
    out.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return out;
}

} // namespace

IniDocument IniDocument::unreadable()
{
    IniDocument doc;
    doc.unreadable_ = true;
    return doc;
}

IniDocument IniDocument::fromBytes(const QByteArray& bytes)
{
    IniDocument doc;
    const QString text = model::decodeSourceBytes(bytes, model::CodePage::standard(), &doc.encoding_);
    const qsizetype n = text.size();
    qsizetype start = 0;
    bool sawNewline = false;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            continue;
        qsizetype end = i;
        if (c == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n'))
            ++i;
        Line line {text.mid(start, end - start), text.mid(end, i + 1 - end)};
        if (!sawNewline) {
            doc.newline_ = line.eol;
            sawNewline = true;
        }
        doc.lines_.push_back(std::move(line));
        start = i + 1;
    }
    if (start < n)
        doc.lines_.push_back({text.mid(start), QString()});
    return doc;
}

QByteArray IniDocument::toBytes() const
{
    QString text;
    for (const Line& line : lines_)
        text += line.text + line.eol;
    bool ok = false;
    QByteArray bytes = model::encodeSourceText(text, encoding_, &ok);
    bool nonAscii = false;
    if (ok && !encoding_.utf8 && model::isValidUtf8(bytes, &nonAscii) && nonAscii)
        ok = false; // read again, these bytes would pass for UTF-8 and give other text
    if (!ok) {
        // A value the file's code page cannot hold, or code page bytes that would be taken
        // for UTF-8 once the value that kept them from it is gone: the whole file moves to
        // UTF-8, which holds everything the code page did.
        model::TextEncoding utf8;
        utf8.utf8 = true;
        bytes = model::encodeSourceText(text, utf8);
    }
    return bytes;
}

std::optional<std::pair<size_t, size_t>> IniDocument::sectionRange(const QString& section) const
{
    for (size_t i = 0; i < lines_.size(); ++i) {
        const std::optional<QString> name = headerName(lines_[i].text);
        if (!name || !equalsNoCase(*name, section))
            continue;
        size_t end = i + 1;
        while (end < lines_.size() && !headerName(lines_[end].text))
            ++end;
        return std::make_pair(i + 1, end);
    }
    return std::nullopt;
}

bool IniDocument::hasSection(const QString& section) const
{
    return sectionRange(section).has_value();
}

std::optional<QString> IniDocument::value(const QString& section, const QString& key) const
{
    const auto range = sectionRange(section);
    if (!range)
        return std::nullopt;
    for (size_t i = range->first; i < range->second; ++i) {
        const std::optional<KeyLine> entry = parseKeyLine(lines_[i].text);
        if (entry && equalsNoCase(entry->key, key))
            return entry->value;
    }
    return std::nullopt;
}

std::vector<std::pair<QString, QString>> IniDocument::entries(const QString& section) const
{
    std::vector<std::pair<QString, QString>> entries;
    const auto range = sectionRange(section);
    if (!range)
        return entries;
    for (size_t i = range->first; i < range->second; ++i) {
        const std::optional<KeyLine> entry = parseKeyLine(lines_[i].text);
        if (entry && !entry->key.isEmpty())
            entries.emplace_back(entry->key, entry->value);
    }
    return entries;
}

void IniDocument::setValue(const QString& section, const QString& key, const QString& value)
{
    setValues(section, {{key, value}});
}

void IniDocument::setValues(const QString& section, const std::vector<std::pair<QString, QString>>& values)
{
    if (values.empty())
        return;
    auto range = sectionRange(section);
    if (!range) {
        if (!lines_.empty() && lines_.back().eol.isEmpty())
            lines_.back().eol = newline_;
        lines_.push_back({QLatin1Char('[') + section + QLatin1Char(']'), newline_});
        range = std::make_pair(lines_.size(), lines_.size());
    }
    // The first line of each key in the section, and where new keys go: after the last
    // line with content (the header itself when the body is empty).
    QHash<QString, size_t> existing;
    size_t lastContent = range->first - 1;
    for (size_t i = range->first; i < range->second; ++i) {
        const std::optional<KeyLine> entry = parseKeyLine(lines_[i].text);
        if (entry) {
            const QString folded = model::upperCase(entry->key);
            if (!existing.contains(folded))
                existing.insert(folded, i);
        }
        if (!trimBlanksAndTabs(lines_[i].text).isEmpty())
            lastContent = i;
    }
    std::vector<Line> added;
    QHash<QString, size_t> addedIndex;
    for (const auto& [key, value] : values) {
        const QString clean = oneLine(value);
        const QString folded = model::upperCase(key);
        const auto found = existing.constFind(folded);
        if (found != existing.constEnd()) {
            // Keep the key as the file spells it, and any indentation before it.
            QString& text = lines_[*found].text;
            const qsizetype equals = text.indexOf(QLatin1Char('='));
            const QString keyPart = equals < 0 ? text : text.left(equals);
            text = keyPart + QLatin1Char('=') + clean;
            continue;
        }
        const auto pending = addedIndex.constFind(folded);
        if (pending != addedIndex.constEnd()) {
            Line& line = added[*pending];
            line.text = line.text.left(line.text.indexOf(QLatin1Char('='))) + QLatin1Char('=') + clean;
            continue;
        }
        addedIndex.insert(folded, added.size());
        added.push_back({key + QLatin1Char('=') + clean, newline_});
    }
    if (added.empty())
        return;
    if (lines_[lastContent].eol.isEmpty())
        lines_[lastContent].eol = newline_;
    lines_.insert(lines_.begin() + qsizetype(lastContent + 1), added.begin(), added.end());
}

qsizetype IniDocument::removeKeys(const QString& section, const QStringList& keys)
{
    QSet<QString> folded;
    for (const QString& key : keys)
        folded.insert(model::upperCase(key));
    std::vector<Line> kept;
    kept.reserve(lines_.size());
    bool inSection = false;
    qsizetype removed = 0;
    for (Line& line : lines_) {
        if (const std::optional<QString> name = headerName(line.text)) {
            inSection = equalsNoCase(*name, section);
        } else if (inSection) {
            const std::optional<KeyLine> entry = parseKeyLine(line.text);
            if (entry && folded.contains(model::upperCase(entry->key))) {
                ++removed;
                continue;
            }
        }
        kept.push_back(std::move(line));
    }
    lines_ = std::move(kept);
    return removed;
}

int IniDocument::removeSection(const QString& section)
{
    std::vector<Line> kept;
    kept.reserve(lines_.size());
    bool inSection = false;
    int removed = 0;
    for (Line& line : lines_) {
        if (const std::optional<QString> name = headerName(line.text)) {
            inSection = equalsNoCase(*name, section);
            if (inSection)
                ++removed;
        }
        if (!inSection)
            kept.push_back(std::move(line));
    }
    lines_ = std::move(kept);
    return removed;
}

QStringList IniDocument::sectionNames() const
{
    QStringList names;
    QSet<QString> seen;
    for (const Line& line : lines_) {
        const std::optional<QString> name = headerName(line.text);
        if (name && !seen.contains(model::upperCase(*name))) {
            seen.insert(model::upperCase(*name));
            names << *name;
        }
    }
    return names;
}

std::optional<FileStamp> FileStamp::of(const QString& path)
{
    struct stat info { };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return FileStamp();
        return std::nullopt;
    }
    FileStamp stamp;
    stamp.exists = true;
    stamp.size = qint64(info.st_size);
    stamp.modifiedNs = qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    stamp.changedNs = qint64(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec;
    stamp.inode = quint64(info.st_ino);
    stamp.device = quint64(info.st_dev);
    return stamp;
}

IniStore::IniStore(QString defaultPath, model::DiagLog* log) : defaultPath_(std::move(defaultPath)), log_(log)
{ }

IniStore::IniStore(const IniStore& other) : defaultPath_(other.defaultPath_), log_(other.log_)
{ }

int IniStore::diskReads() const
{
    const std::lock_guard lock(mutex_);
    return diskReads_;
}

void IniStore::remember(const QString& path, const FileStamp& stamp, IniDocument document) const
{
    const std::lock_guard lock(mutex_);
    cache_.insert(path, Cached {stamp, std::make_shared<const IniDocument>(std::move(document))});
}

std::shared_ptr<const IniDocument> IniStore::current(const QString& path) const
{
    // The stamp is taken before the file is read: a change made while it is read gives the
    // file a newer stamp than the one remembered, so the next use reads it again.
    const std::optional<FileStamp> stamp = FileStamp::of(path);
    {
        const std::lock_guard lock(mutex_);
        const auto found = cache_.constFind(path);
        if (stamp && found != cache_.constEnd() && found->stamp == *stamp)
            return found->document;
    }
    IniDocument document;
    if (!stamp || stamp->exists) {
        // A FIFO in the options file's place must not stop the program: only regular files are read.
        const model::Outcome<QByteArray> file = model::readRegularFile(path);
        {
            const std::lock_guard lock(mutex_);
            ++diskReads_;
        }
        if (file)
            document = IniDocument::fromBytes(*file);
        else if (file.errorNumber() != ENOENT)
            document = IniDocument::unreadable();
    }
    auto shared = std::make_shared<const IniDocument>(std::move(document));
    if (stamp) {
        const std::lock_guard lock(mutex_);
        cache_.insert(path, Cached {*stamp, shared});
    }
    return shared;
}

IniDocument IniStore::load(const QString& path) const
{
    return *current(resolve(path));
}

bool IniStore::save(const IniDocument& document, const QString& path) const
{
    const QString target = resolve(path);
    if (target.isEmpty() || document.isUnreadable())
        return false;
    if (log_ && !QFileInfo::exists(target))
        log_->openOutput(target);
    QSaveFile file(target);
    // Unbuffered, so that a short write (a full disk, a file size limit) shows in what
    // write() returns: a buffered flush inside commit() would let the cut file replace the
    // whole one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    const QByteArray bytes = document.toBytes();
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    // What was written need not be read back, provided the file now in place is the one
    // written: its inode tells it from a file another program put there meanwhile.
    struct stat written { };
    const bool known = ::fstat(file.handle(), &written) == 0;
    const bool committed = file.commit();
    const std::optional<FileStamp> stamp = FileStamp::of(target);
    if (committed && known && stamp && stamp->exists && stamp->inode == quint64(written.st_ino)
        && stamp->size == bytes.size()) {
        remember(target, *stamp, document);
    } else {
        const std::lock_guard lock(mutex_);
        cache_.remove(target);
    }
    return committed;
}

QString IniStore::read(
    const QString& section, const QString& key, const QString& defaultValue, const QString& path) const
{
    const std::optional<QString> value = current(resolve(path))->value(section, key);
    return (!value || value->isEmpty()) ? defaultValue : *value;
}

bool IniStore::write(const QString& section, const QString& key, const QString& value, const QString& path) const
{
    const std::lock_guard lock(writeMutex_);
    IniDocument document = load(path);
    document.setValue(section, key, value);
    return save(document, path);
}

std::pair<QStringList, QStringList> IniStore::readSection(const QString& section, const QString& path) const
{
    QStringList keys;
    QStringList values;
    for (auto& [key, value] : current(resolve(path))->entries(section)) {
        keys << markLayoutAndDeclarations(key);
        values << value;
    }
    return {keys, values};
}

bool IniStore::deleteKey(const QString& section, const QString& key, const QString& path) const
{
    const std::lock_guard lock(writeMutex_);
    IniDocument document = load(path);
    if (document.isUnreadable())
        return false;
    if (document.removeKey(section, key) == 0)
        return true;
    return save(document, path);
}

bool IniStore::deleteSection(const QString& section, const QString& path) const
{
    const std::lock_guard lock(writeMutex_);
    IniDocument document = load(path);
    if (document.isUnreadable())
        return false;
    if (document.removeSection(section) == 0)
        return true;
    return save(document, path);
}

QString markLayoutAndDeclarations(const QString& key)
{
    QString marked = key;
    const qsizetype layout = marked.indexOf(QLatin1String(" Layout"));
    if (layout >= 0)
        marked.insert(layout + 1, QChar(1));
    const qsizetype declarations = marked.indexOf(QLatin1String(" Declarations"));
    if (declarations >= 0)
        marked.insert(declarations + 1, QChar(2));
    return marked;
}

QString withoutLayoutAndDeclarationsMarks(const QString& key)
{
    QString clean = key;
    clean.remove(QChar(1));
    clean.remove(QChar(2));
    return clean;
}

QString boolToText(bool flag)
{
    return flag ? QStringLiteral("True") : QStringLiteral("False");
}

bool textToBool(const QString& text, bool defaultValue)
{
    const QString t = model::upperCase(model::trimBlanks(text));
    for (const char* yes : {"TRUE", "T", "YES", "Y", "ON", "1", "-1"}) {
        if (t == QLatin1String(yes))
            return true;
    }
    for (const char* no : {"FALSE", "F", "NO", "N", "OFF", "0"}) {
        if (t == QLatin1String(no))
            return false;
    }
    return defaultValue;
}

} // namespace quillon::config
