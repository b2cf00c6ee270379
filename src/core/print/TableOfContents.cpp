#include "print/TableOfContents.h"

#include "config/Ini.h"
#include "model/ProjectLoader.h"
#include "model/TextPrimitives.h"
#include "platform/MessageBox.h"
#include "print/TocDirectory.h"

#include <QFileInfo>

namespace quillon::print {

using config::IniDocument;
using config::WithoutLayoutAndDeclarationsMarks;
using model::kCrLf;

namespace {

const QString kSectionSuffix = QStringLiteral(":TOC List");

QString ListPathForProjectName(const QString& optionsPath, const QString& projectFileName)
{
    return QFileInfo(optionsPath).absolutePath() + QStringLiteral("/TOC-File-For-")
        + model::FileBaseName(projectFileName) + QStringLiteral(".txt");
}

// The entries of a section without the ordering characters in their keys; where cleaning
// makes two keys equal, the later one wins, as writing them one by one would.
std::vector<std::pair<QString, QString>> CleanEntries(const IniDocument& document, const QString& section)
{
    std::vector<std::pair<QString, QString>> out;
    for (const auto& [key, value] : document.Entries(section)) {
        const QString clean = model::trimBlanks(WithoutLayoutAndDeclarationsMarks(key)).toString();
        if (!clean.isEmpty())
            out.emplace_back(clean, value);
    }
    return out;
}

QString IndexStatus(qsizetype n, qsizetype total)
{
    return QStringLiteral("Phase 3 of 3: Indexing procedure ") + QString::number(n) + QStringLiteral(" of ")
        + QString::number(total);
}

QString MoveQuestion(const TocKey& key, const QString& newFile)
{
    const QString moved = QStringLiteral("It appears to have been moved from:") + kCrLf + QStringLiteral("  ") + key.file
        + kCrLf + QStringLiteral("to:") + kCrLf + QStringLiteral("  ") + newFile + kCrLf;
    if (key.dependency)
        return QStringLiteral("Quillon found a dependency record for procedure ") + key.name + kCrLf + moved
            + QStringLiteral("Do you want to move the dependency print history as well?");
    return QStringLiteral("Quillon found a procedure named ") + key.name + kCrLf + moved
        + QStringLiteral("Do you want to move the print history as well?");
}

} // namespace

QString TocSectionName(const QString& projectPath)
{
    return model::FileNameOf(projectPath) + kSectionSuffix;
}

QString TocListPath(const QString& optionsPath, const QString& projectPath)
{
    return ListPathForProjectName(optionsPath, model::FileNameOf(projectPath));
}

TocList::TocList(const config::IniStore& options) : options_(options) {}

bool TocList::Fail(const QString& error)
{
    lastError_ = error;
    return false;
}

bool TocList::Open(const QString& projectPath)
{
    section_.clear();
    path_.clear();
    lastError_.clear();
    if (model::FileNameOf(model::trimBlanks(projectPath).toString()).isEmpty())
        return Fail(QStringLiteral("No project file is named."));
    if (options_.defaultPath().isEmpty())
        return Fail(QStringLiteral("The options file is not known, so the list has no folder."));
    const QString section = TocSectionName(model::trimBlanks(projectPath).toString());
    const QString path = TocListPath(options_.defaultPath(), model::trimBlanks(projectPath).toString());
    if (!QFileInfo::exists(path) && !options_.Save(IniDocument(), path))
        return Fail(QStringLiteral("Cannot create the table of contents list ") + path);
    section_ = section;
    path_ = path;
    QString error;
    if (!MigrateTocSection(options_, section_, path_, &error))
        return Fail(error);
    return true;
}

void TocList::BeginUpdates()
{
    if (!IsOpen())
        return;
    pending_ = std::make_unique<PendingUpdates>();
    for (const auto& [key, value] : options_.Load(path_).Entries(section_))
        pending_->stored.insert(model::upperCase(key), value);
}

bool TocList::CommitUpdates()
{
    if (!pending_)
        return true;
    const std::unique_ptr<PendingUpdates> updates = std::move(pending_);
    if (updates->changes.empty())
        return true;
    config::IniDocument document = options_.Load(path_);
    document.SetValues(section_, updates->changes);
    if (!options_.Save(document, path_))
        return Fail(QStringLiteral("Cannot write the table of contents list ") + path_);
    return true;
}

TocRecord TocList::ReadRecord(const QString& key) const
{
    if (!IsOpen())
        return TocRecord();
    if (pending_) {
        const QString folded = model::upperCase(key);
        const auto changed = pending_->changed.constFind(folded);
        QString value = changed != pending_->changed.constEnd() ? pending_->changes[*changed].second
                                                                : pending_->stored.value(folded);
        return TocRecord::Parse(value.isEmpty() ? TocRecord().Text() : value);
    }
    return TocRecord::Parse(options_.read(section_, key, TocRecord().Text(), path_));
}

bool TocList::WriteRecord(const QString& key, const TocRecord& record)
{
    if (!IsOpen())
        return Fail(QStringLiteral("The table of contents list is not open."));
    if (model::trimBlanks(key).isEmpty())
        return Fail(QStringLiteral("A record needs a key."));
    if (pending_) {
        const QString folded = model::upperCase(key);
        const auto changed = pending_->changed.constFind(folded);
        if (changed != pending_->changed.constEnd()) {
            pending_->changes[*changed].second = record.Text();
        } else {
            pending_->changed.insert(folded, pending_->changes.size());
            pending_->changes.emplace_back(key, record.Text());
        }
        return true;
    }
    if (!options_.write(section_, key, record.Text(), path_))
        return Fail(QStringLiteral("Cannot write the table of contents list ") + path_);
    return true;
}

std::vector<TocEntry> TocList::Entries() const
{
    std::vector<TocEntry> entries;
    if (!IsOpen())
        return entries;
    for (auto& [key, value] : options_.Load(path_).Entries(section_))
        entries.push_back({key, value});
    return entries;
}

bool TocList::RecordPrint(const QString& key, const QDateTime& printedAt, int pageEstimate, bool duplex,
                          const LineStatistics* aggregateLines)
{
    TocRecord record = ReadRecord(key);
    record.setField(TocRecord::LastPrinted, DateSerialText(printedAt));
    record.setField(TocRecord::Pages, QString::number(pageEstimate) + (duplex ? QLatin1Char('D') : QLatin1Char('S')));
    if (aggregateLines) {
        const LineStatistics& s = *aggregateLines;
        record.setField(TocRecord::TotalLines, QString::number(s.Counted()));
        record.setField(TocRecord::BlankLines, QString::number(s.blankLines));
        record.setField(TocRecord::CommentLines, QString::number(s.wrappedLines));
        record.setField(TocRecord::CodeLines, QString::number(s.Counted() - s.blankLines - s.wrappedLines));
    }
    return WriteRecord(key, record);
}

bool TocList::RecordPrint(const model::Routine& routine, const model::RoutineLookup& findByKey,
                          const QDateTime& printedAt, int pageEstimate, bool duplex, const LineStatistics& lines)
{
    if (!HasHistory(routine))
        return true;
    const bool aggregate = model::KindIs(routine, QLatin1StringView("AGGREGATE"));
    return RecordPrint(HistoryKey(routine, findByKey), printedAt, pageEstimate, duplex, aggregate ? &lines : nullptr);
}

bool TocList::RecordDependencyReport(const QString& key, int totalLines, int blankLines, int otherLines)
{
    TocRecord record = ReadRecord(key);
    record.setField(TocRecord::TotalLines, QString::number(totalLines));
    record.setField(TocRecord::BlankLines, QString::number(blankLines));
    record.setField(TocRecord::CommentLines, QString::number(otherLines));
    record.setField(TocRecord::CodeLines, QStringLiteral("0"));
    record.setField(TocRecord::Kind, model::kind::Dependency);
    return WriteRecord(key, record);
}

bool TocList::Index(model::Project& project)
{
    if (!IsOpen())
        return Fail(QStringLiteral("The table of contents list is not open."));
    IniDocument document = options_.Load(path_);

    // Stored entries by their key without the ordering characters; the first of equal keys
    // is the one every reader sees.
    struct Stored {
        QString key;
        QString value;
    };
    model::KeyedMap<Stored> stored;
    for (auto& [key, value] : document.Entries(section_))
        stored.insertIfAbsent(WithoutLayoutAndDeclarationsMarks(key), {key, value});

    const TocDirectory directory(project);
    QStringList keys;
    model::KeyedMap<bool> listed;
    for (const QString& key : directory.RoutineKeys()) {
        if (listed.insertIfAbsent(key, true))
            keys << key;
    }
    for (const auto& [key, entry] : stored.entries()) {
        if (listed.insertIfAbsent(key, true))
            keys << key;
    }

    const qsizetype total = keys.size();
    std::vector<std::pair<QString, QString>> updates;
    QStringList marked;
    for (qsizetype i = 0; i < total; ++i) {
        const qsizetype n = i + 1;
        if (n == 1 || n == total || n % 25 == 0)
            project.SetStatus(project.LoadStatusText + kCrLf + IndexStatus(n, total));
        const std::optional<TocKey> parts = ParseTocKey(keys[i]);
        if (!parts)
            continue;
        const Stored* existing = stored.find(keys[i]);
        TocRecord record = existing ? TocRecord::Parse(existing->value) : TocRecord();
        const QString kindText = TocKindText(keys[i]);
        if (const model::RoutinePtr routine = directory.Find(*parts)) {
            const qint64 lines = qint64(routine->BlankLines) + routine->CommentLines + routine->CodeLines;
            if (lines >= 1) {
                record.setField(TocRecord::TotalLines, QString::number(lines));
                record.setField(TocRecord::BlankLines, QString::number(routine->BlankLines));
                record.setField(TocRecord::CommentLines, QString::number(routine->CommentLines));
                record.setField(TocRecord::CodeLines, QString::number(routine->CodeLines));
                record.setField(TocRecord::Kind, kindText);
            } else if (kindText == model::kind::Aggregate) {
                record.setField(TocRecord::Kind, kindText);
            }
        }
        const QString text = record.Text();
        if (!existing) {
            updates.emplace_back(keys[i], text);
        } else if (const QString clean = WithoutLayoutAndDeclarationsMarks(existing->key); clean != existing->key) {
            // An ordering character that reached the file (lists written before) goes now.
            marked << existing->key;
            updates.emplace_back(clean, text);
        } else if (existing->value != text) {
            updates.emplace_back(existing->key, text);
        }
    }
    project.LoadStatusText += kCrLf + IndexStatus(total, total);
    if (updates.empty())
        return true;
    document.RemoveKeys(section_, marked);
    document.SetValues(section_, updates);
    if (!options_.Save(document, path_))
        return Fail(QStringLiteral("Cannot write the table of contents list ") + path_);
    return true;
}

StaleKeyReport TocList::CheckStaleKeys(const model::Project& project, platform::IMessageBox& box)
{
    StaleKeyReport report;
    if (!IsOpen())
        return report;
    IniDocument document = options_.Load(path_);
    const std::vector<std::pair<QString, QString>> entries = document.Entries(section_);
    model::KeyedMap<QString> values;
    for (const auto& [key, value] : entries)
        values.insertIfAbsent(WithoutLayoutAndDeclarationsMarks(key), value);

    const TocDirectory directory(project);
    QStringList deleted;
    std::vector<std::pair<QString, QString>> moved;
    for (const auto& [key, value] : entries) {
        const std::optional<TocKey> parts = ParseTocKey(key);
        if (!parts || directory.Names(*parts))
            continue;
        ++report.examined;
        const TocRecord record = TocRecord::Parse(value);
        const bool group = parts->procedure.contains(QLatin1String("Let_Set_Get"));
        if (!record.IsBlank() && !group) {
            QString procedure = parts->procedure;
            if (parts->dependency)
                procedure = model::trimBlanks(QStringView(procedure).chopped(4)).toString();
            const QStringList files = directory.FilesWithProcedure(procedure, parts->file);
            if (files.size() == 1) {
                ++report.asked;
                const platform::MessageResult answer =
                    box.ShowMessage(platform::MessageIcon::Question, QStringLiteral("Move print history?"),
                                    MoveQuestion(*parts, files.front()), platform::MessageButtons::YesNo);
                if (answer == platform::MessageResult::Yes) {
                    const QString newKey = files.front() + QLatin1Char('|') + parts->procedure;
                    // The history moves; counts already taken from the routine where it is
                    // now stay, being the newer.
                    TocRecord merged = record;
                    if (const QString* current = values.find(newKey)) {
                        const TocRecord there = TocRecord::Parse(*current);
                        for (int f = TocRecord::TotalLines; f <= TocRecord::Kind; ++f) {
                            if (there.field(f) != kNotAvailable)
                                merged.setField(f, there.field(f));
                        }
                    }
                    moved.emplace_back(newKey, merged.Text());
                    ++report.moved;
                }
            }
        }
        deleted << key;
    }
    if (deleted.isEmpty())
        return report;
    document.RemoveKeys(section_, deleted);
    document.SetValues(section_, moved);
    if (!options_.Save(document, path_)) {
        report.saved = false;
        report.moved = 0;
        lastError_ = QStringLiteral("Cannot write the table of contents list ") + path_;
        return report;
    }
    report.deleted = int(deleted.size());
    return report;
}

bool MigrateTocSection(const config::IniStore& options, const QString& section, const QString& listPath,
                       QString* error)
{
    IniDocument optionsDocument = options.Load();
    if (!optionsDocument.HasSection(section))
        return true;
    IniDocument list = options.Load(listPath);
    list.SetValues(section, CleanEntries(optionsDocument, section));
    if (!options.Save(list, listPath)) {
        if (error)
            *error = QStringLiteral("Cannot write the table of contents list ") + listPath;
        return false;
    }
    optionsDocument.RemoveSection(section);
    if (!options.Save(optionsDocument)) {
        if (error)
            *error = QStringLiteral("The section ") + section + QStringLiteral(" was copied to ") + listPath
                + QStringLiteral(" but could not be removed from the options file ") + options.defaultPath();
        return false;
    }
    return true;
}

TocMigration MigrateAllTocSections(const config::IniStore& options)
{
    TocMigration result;
    if (options.defaultPath().isEmpty())
        return result;
    IniDocument optionsDocument = options.Load();
    bool changed = false;
    for (const QString& section : optionsDocument.SectionNames()) {
        if (!section.endsWith(kSectionSuffix, Qt::CaseInsensitive))
            continue;
        const QString projectFile = model::trimBlanks(QStringView(section).chopped(kSectionSuffix.size())).toString();
        if (projectFile.isEmpty())
            continue;
        const QString listPath = ListPathForProjectName(options.defaultPath(), projectFile);
        IniDocument list = options.Load(listPath);
        list.SetValues(section, CleanEntries(optionsDocument, section));
        if (!options.Save(list, listPath)) {
            ++result.failed;
            if (result.error.isEmpty())
                result.error = QStringLiteral("Cannot write the table of contents list ") + listPath;
            continue;
        }
        optionsDocument.RemoveSection(section);
        changed = true;
        ++result.sections;
    }
    if (changed && !options.Save(optionsDocument)) {
        result.failed += result.sections;
        result.sections = 0;
        if (result.error.isEmpty())
            result.error = QStringLiteral("The table of contents sections were copied but could not be removed ")
                + QStringLiteral("from the options file ") + options.defaultPath();
    }
    return result;
}

} // namespace quillon::print
