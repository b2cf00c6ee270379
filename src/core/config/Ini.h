#pragma once
#include "model/SourceText.h"

#include <QString>
#include <QStringList>

#include <QHash>

#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace quillon::model {
class DiagLog;
}

namespace quillon::config {

// An INI file in memory, kept line for line so that writing one value changes nothing else:
// comments, unknown sections, order, spelling, line ends and encoding stay as they were.
// Section and key names match ignoring case; the first matching section and key win.
class IniDocument {
public:
    static IniDocument fromBytes(const QByteArray& bytes);
    // What is loaded from a file that exists but cannot be read: empty, and never saved, so that
    // a change made to it cannot replace the file's unseen contents.
    static IniDocument unreadable();
    bool isUnreadable() const { return unreadable_; }
    QByteArray toBytes() const;

    std::optional<QString> value(const QString& section, const QString& key) const;
    // Replaces the first matching key's value, adds the key at the end of its section, or
    // adds the section at the end of the file.
    void setValue(const QString& section, const QString& key, const QString& value);
    // The section's entries in file order: each non-empty, non-comment line split at its
    // first "=" (a line without "=" is a key with an empty value).
    std::vector<std::pair<QString, QString>> entries(const QString& section) const;
    bool hasSection(const QString& section) const;
    // Section names in file order, each once (spelled as first met).
    QStringList sectionNames() const;

    // Sets many values of one section in one pass, as setValue would one by one: a large
    // list costs one scan of the file, not one per value.
    void setValues(const QString& section, const std::vector<std::pair<QString, QString>>& values);
    // Removes every line of these keys from every section of that name, so that no later
    // duplicate comes to light; returns the number of lines removed.
    qsizetype removeKeys(const QString& section, const QStringList& keys);
    qsizetype removeKey(const QString& section, const QString& key) { return removeKeys(section, {key}); }
    // Removes every section of that name: its header and every line up to the next section.
    // Returns the number of sections removed.
    int removeSection(const QString& section);

private:
    struct Line {
        QString text;
        QString eol;
    };
    // Index of the first line of the first matching section's body and one past its last
    // line; nullopt when the section is missing.
    std::optional<std::pair<size_t, size_t>> sectionRange(const QString& section) const;

    std::vector<Line> lines_;
    model::TextEncoding encoding_;
    QString newline_ = QStringLiteral("\n");
    bool unreadable_ = false;
};

// What identifies one version of a file on disk: a rename puts another inode in its place, a
// change in place moves its size or modification time, and a change of its permissions its
// status time.
struct FileStamp {
    bool exists = false;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    qint64 changedNs = 0;
    quint64 inode = 0;
    quint64 device = 0;
    bool operator==(const FileStamp&) const = default;
    static std::optional<FileStamp> of(const QString& path); // nullopt when it cannot be examined
};

// Reads and writes INI files by path; an empty path means the default file (the options
// file). Writes replace the file atomically: a temporary file in the same folder is renamed
// over it, so a failure never leaves a half-written file.
//
// Each file is read once and kept in memory: a print run asks for options and hidden messages
// thousands of times. A file is read again only when its stamp on disk changed since, so a
// second program sharing it still sees what the first wrote. Safe to use from several threads.
class IniStore {
public:
    IniStore(QString defaultPath, model::DiagLog* log);
    IniStore(const IniStore& other);
    IniStore& operator=(const IniStore&) = delete;

    const QString& defaultPath() const { return defaultPath_; }

    // A missing file loads empty; one that exists but cannot be read loads as Unreadable().
    IniDocument load(const QString& path = QString()) const;
    // False when the file could not be written, or the document is Unreadable().
    bool save(const IniDocument& document, const QString& path = QString()) const;

    QString read(
        const QString& section, const QString& key, const QString& defaultValue, const QString& path = QString()) const;
    bool write(const QString& section, const QString& key, const QString& value, const QString& path = QString()) const;
    // Keys and values in file order. The first " Layout" in a key gets the character 1
    // after its blank and the first " Declarations" the character 2, so that such entries
    // sort before other names with the same start.
    std::pair<QStringList, QStringList> readSection(const QString& section, const QString& path = QString()) const;
    // Delete a key, or a whole section, the way the profile functions do when given no
    // value. True when the file was written (or there was nothing to delete).
    bool deleteKey(const QString& section, const QString& key, const QString& path = QString()) const;
    bool deleteSection(const QString& section, const QString& path = QString()) const;

    // How often a file was read from disk (not served from memory), for tests and benchmarks.
    int diskReads() const;

private:
    struct Cached {
        FileStamp stamp;
        std::shared_ptr<const IniDocument> document;
    };
    QString resolve(const QString& path) const { return path.isEmpty() ? defaultPath_ : path; }
    // The file's current document, read again only when its stamp changed; null when it exists
    // but cannot be read.
    std::shared_ptr<const IniDocument> current(const QString& path) const;
    void remember(const QString& path, const FileStamp& stamp, IniDocument document) const;
    QString defaultPath_;
    model::DiagLog* log_;
    mutable std::mutex mutex_; // guards the cache
    mutable std::mutex writeMutex_; // one read-change-write at a time
    mutable QHash<QString, Cached> cache_;
    mutable int diskReads_ = 0;
};

// A key as readSection returns it: the character 1 after the blank of the first
// " Layout" and the character 2 after the blank of the first " Declarations".
QString markLayoutAndDeclarations(const QString& key);
// The key without those characters (every character 1 and 2 removed).
QString withoutLayoutAndDeclarationsMarks(const QString& key);

QString boolToText(bool flag);
bool textToBool(const QString& text, bool defaultValue);

} // namespace quillon::config
