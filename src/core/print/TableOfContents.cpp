#include "print/TableOfContents.h"

#include "config/Ini.h"
#include "model/ProjectLoader.h"
#include "model/TextPrimitives.h"
#include "platform/MessageBox.h"
#include "print/TocDirectory.h"

#include <QFileInfo>

namespace quillon::print {

using config::IniDocument;
using config::withoutLayoutAndDeclarationsMarks;
using model::kCrLf;

namespace {

const QString kSectionSuffix = QStringLiteral(":TOC List");

QString listPathForProjectName(const QString& optionsPath, const QString& projectFileName)
{
    return QFileInfo(optionsPath).absolutePath() + QStringLiteral("/TOC-File-For-")
        + model::fileBaseName(projectFileName) + QStringLiteral(".txt");
}

// The entries of a section without the ordering characters in their keys; where cleaning
// makes two keys equal, the later one wins, as writing them one by one would.
std::vector<std::pair<QString, QString>> cleanEntries(const IniDocument& document, const QString& section)
{
    std::vector<std::pair<QString, QString>> out;
    for (const auto& [key, value] : document.entries(section)) {
        const QString clean = model::trimBlanks(withoutLayoutAndDeclarationsMarks(key)).toString();
        if (!clean.isEmpty())
            out.emplace_back(clean, value);
    }
    return out;
}

QString indexStatus(qsizetype n, qsizetype total)
{
    return QStringLiteral("Phase 3 of 3: Indexing procedure ") + QString::number(n) + QStringLiteral(" of ")
        + QString::number(total);
}

QString moveQuestion(const TocKey& key, const QString& newFile)
{
    const QString moved = QStringLiteral("It appears to have been moved from:") + kCrLf + QStringLiteral("  ")
        + key.file + kCrLf + QStringLiteral("to:") + kCrLf + QStringLiteral("  ") + newFile + kCrLf;
    if (key.dependency)
        return QStringLiteral("Quillon found a dependency record for procedure ") + key.name + kCrLf + moved
            + QStringLiteral("Do you want to move the dependency print history as well?");
    return QStringLiteral("Quillon found a procedure named ") + key.name + kCrLf + moved
        + QStringLiteral("Do you want to move the print history as well?");
}

} // namespace

QString tocSectionName(const QString& projectPath)
{
    return model::fileNameOf(projectPath) + kSectionSuffix;
}

QString tocListPath(const QString& optionsPath, const QString& projectPath)
{
    return listPathForProjectName(optionsPath, model::fileNameOf(projectPath));
}

TocList::TocList(const config::IniStore& options) : options_(options)
{ }

model::Outcome<void> TocList::open(const QString& projectPath)
{
    section_.clear();
    path_.clear();
    if (model::fileNameOf(model::trimBlanks(projectPath).toString()).isEmpty())
        return model::Failure {QStringLiteral("No project file is named.")};
    if (options_.defaultPath().isEmpty())
        return model::Failure {QStringLiteral("The options file is not known, so the list has no folder.")};
    const QString section = tocSectionName(model::trimBlanks(projectPath).toString());
    const QString path = tocListPath(options_.defaultPath(), model::trimBlanks(projectPath).toString());
    if (!QFileInfo::exists(path) && !options_.save(IniDocument(), path))
        return model::Failure {QStringLiteral("Cannot create the table of contents list ") + path};
    section_ = section;
    path_ = path;
    return migrateTocSection(options_, section_, path_);
}

void TocList::beginUpdates()
{
    if (!isOpen())
        return;
    pending_ = std::make_unique<PendingUpdates>();
    for (const auto& [key, value] : options_.load(path_).entries(section_))
        pending_->stored.insert(model::upperCase(key), value);
}

model::Outcome<void> TocList::commitUpdates()
{
    if (!pending_)
        return {};
    const std::unique_ptr<PendingUpdates> updates = std::move(pending_);
    if (updates->changes.empty())
        return {};
    config::IniDocument document = options_.load(path_);
    document.setValues(section_, updates->changes);
    if (!options_.save(document, path_))
        return model::Failure {QStringLiteral("Cannot write the table of contents list ") + path_};
    return {};
}

TocRecord TocList::readRecord(const QString& key) const
{
    if (!isOpen())
        return TocRecord();
    if (pending_) {
        const QString folded = model::upperCase(key);
        const auto changed = pending_->changed.constFind(folded);
        QString value = changed != pending_->changed.constEnd() ? pending_->changes[*changed].second
                                                                : pending_->stored.value(folded);
        return TocRecord::parse(value.isEmpty() ? TocRecord().text() : value);
    }
    return TocRecord::parse(options_.read(section_, key, TocRecord().text(), path_));
}

model::Outcome<void> TocList::writeRecord(const QString& key, const TocRecord& record)
{
    if (!isOpen())
        return model::Failure {QStringLiteral("The table of contents list is not open.")};
    if (model::trimBlanks(key).isEmpty())
        return model::Failure {QStringLiteral("A record needs a key.")};
    if (pending_) {
        const QString folded = model::upperCase(key);
        const auto changed = pending_->changed.constFind(folded);
        if (changed != pending_->changed.constEnd()) {
            pending_->changes[*changed].second = record.text();
        } else {
            pending_->changed.insert(folded, pending_->changes.size());
            pending_->changes.emplace_back(key, record.text());
        }
        return {};
    }
    if (!options_.write(section_, key, record.text(), path_))
        return model::Failure {QStringLiteral("Cannot write the table of contents list ") + path_};
    return {};
}

std::vector<TocEntry> TocList::entries() const
{
    std::vector<TocEntry> entries;
    if (!isOpen())
        return entries;
    for (auto& [key, value] : options_.load(path_).entries(section_))
        entries.push_back({key, value});
    return entries;
}

model::Outcome<void> TocList::recordPrint(
    const QString& key, const QDateTime& printedAt, int pageEstimate, bool duplex, const LineStatistics* aggregateLines)
{
    TocRecord record = readRecord(key);
    record.setField(TocRecord::LastPrinted, dateSerialText(printedAt));
    record.setField(TocRecord::Pages, QString::number(pageEstimate) + (duplex ? QLatin1Char('D') : QLatin1Char('S')));
    if (aggregateLines) {
        const LineStatistics& s = *aggregateLines;
        record.setField(TocRecord::TotalLines, QString::number(s.counted()));
        record.setField(TocRecord::BlankLines, QString::number(s.blankLines));
        record.setField(TocRecord::CommentLines, QString::number(s.wrappedLines));
        record.setField(TocRecord::CodeLines, QString::number(s.counted() - s.blankLines - s.wrappedLines));
    }
    return writeRecord(key, record);
}

model::Outcome<void> TocList::recordPrint(const model::Routine& routine, const model::RoutineLookup& findByKey,
    const QDateTime& printedAt, int pageEstimate, bool duplex, const LineStatistics& lines)
{
    if (!hasHistory(routine))
        return {};
    const bool aggregate = routine.kind == model::RoutineKind::Aggregate;
    return recordPrint(historyKey(routine, findByKey), printedAt, pageEstimate, duplex, aggregate ? &lines : nullptr);
}

model::Outcome<void> TocList::recordDependencyReport(const QString& key, int totalLines, int blankLines, int otherLines)
{
    TocRecord record = readRecord(key);
    record.setField(TocRecord::TotalLines, QString::number(totalLines));
    record.setField(TocRecord::BlankLines, QString::number(blankLines));
    record.setField(TocRecord::CommentLines, QString::number(otherLines));
    record.setField(TocRecord::CodeLines, QStringLiteral("0"));
    record.setField(TocRecord::Kind, model::kindText(model::RoutineKind::Dependency));
    return writeRecord(key, record);
}

model::Outcome<void> TocList::index(model::Project& project)
{
    if (!isOpen())
        return model::Failure {QStringLiteral("The table of contents list is not open.")};
    IniDocument document = options_.load(path_);

    // Stored entries by their key without the ordering characters; the first of equal keys
    // is the one every reader sees.
    struct Stored {
        QString key;
        QString value;
    };
    model::KeyedMap<Stored> stored;
    for (auto& [key, value] : document.entries(section_))
        stored.insertIfAbsent(withoutLayoutAndDeclarationsMarks(key), {key, value});

    const TocDirectory directory(project);
    QStringList keys;
    model::KeyedMap<bool> listed;
    for (const QString& key : directory.routineKeys()) {
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
            project.setStatus(project.loadStatusText + kCrLf + indexStatus(n, total), n, total);
        const std::optional<TocKey> parts = parseTocKey(keys[i]);
        if (!parts)
            continue;
        const Stored* existing = stored.find(keys[i]);
        TocRecord record = existing ? TocRecord::parse(existing->value) : TocRecord();
        const QString kindText = tocKindText(keys[i]);
        if (const model::RoutinePtr routine = directory.find(*parts)) {
            const qint64 lines = qint64(routine->blankLines) + routine->commentLines + routine->codeLines;
            if (lines >= 1) {
                record.setField(TocRecord::TotalLines, QString::number(lines));
                record.setField(TocRecord::BlankLines, QString::number(routine->blankLines));
                record.setField(TocRecord::CommentLines, QString::number(routine->commentLines));
                record.setField(TocRecord::CodeLines, QString::number(routine->codeLines));
                record.setField(TocRecord::Kind, kindText);
            } else if (kindText == model::kindText(model::RoutineKind::Aggregate)) {
                record.setField(TocRecord::Kind, kindText);
            }
        }
        const QString text = record.text();
        if (!existing) {
            updates.emplace_back(keys[i], text);
        } else if (const QString clean = withoutLayoutAndDeclarationsMarks(existing->key); clean != existing->key) {
            // An ordering character that reached the file (lists written before) goes now.
            marked << existing->key;
            updates.emplace_back(clean, text);
        } else if (existing->value != text) {
            updates.emplace_back(existing->key, text);
        }
    }
    project.loadStatusText += kCrLf + indexStatus(total, total);
    if (updates.empty())
        return {};
    document.removeKeys(section_, marked);
    document.setValues(section_, updates);
    if (!options_.save(document, path_))
        return model::Failure {QStringLiteral("Cannot write the table of contents list ") + path_};
    return {};
}

StaleKeyReport TocList::checkStaleKeys(const model::Project& project, platform::IMessageBox& box)
{
    StaleKeyReport report;
    if (!isOpen())
        return report;
    IniDocument document = options_.load(path_);
    const std::vector<std::pair<QString, QString>> entries = document.entries(section_);
    model::KeyedMap<QString> values;
    for (const auto& [key, value] : entries)
        values.insertIfAbsent(withoutLayoutAndDeclarationsMarks(key), value);

    const TocDirectory directory(project);
    QStringList deleted;
    std::vector<std::pair<QString, QString>> moved;
    for (const auto& [key, value] : entries) {
        const std::optional<TocKey> parts = parseTocKey(key);
        if (!parts || directory.names(*parts))
            continue;
        ++report.examined;
        const TocRecord record = TocRecord::parse(value);
        const bool group = parts->procedure.contains(QLatin1String("Let_Set_Get"));
        if (!record.isBlank() && !group) {
            QString procedure = parts->procedure;
            if (parts->dependency)
                procedure = model::trimBlanks(QStringView(procedure).chopped(4)).toString();
            const QStringList files = directory.filesWithProcedure(procedure, parts->file);
            if (files.size() == 1) {
                ++report.asked;
                const platform::MessageResult answer = box.showMessage(platform::MessageId::MovePrintHistory,
                    platform::MessageIcon::Question, QStringLiteral("Move print history?"),
                    moveQuestion(*parts, files.front()), platform::MessageButtons::YesNo);
                if (answer == platform::MessageResult::Yes) {
                    const QString newKey = files.front() + QLatin1Char('|') + parts->procedure;
                    // The history moves; counts already taken from the routine where it is
                    // now stay, being the newer.
                    TocRecord merged = record;
                    if (const QString* current = values.find(newKey)) {
                        const TocRecord there = TocRecord::parse(*current);
                        for (int f = TocRecord::TotalLines; f <= TocRecord::Kind; ++f) {
                            if (there.field(f) != kNotAvailable)
                                merged.setField(f, there.field(f));
                        }
                    }
                    moved.emplace_back(newKey, merged.text());
                    ++report.moved;
                }
            }
        }
        deleted << key;
    }
    if (deleted.isEmpty())
        return report;
    document.removeKeys(section_, deleted);
    document.setValues(section_, moved);
    if (!options_.save(document, path_)) {
        report.saved = model::Failure {QStringLiteral("Cannot write the table of contents list ") + path_};
        report.moved = 0;
        return report;
    }
    report.deleted = int(deleted.size());
    return report;
}

model::Outcome<void> migrateTocSection(const config::IniStore& options, const QString& section, const QString& listPath)
{
    IniDocument optionsDocument = options.load();
    if (!optionsDocument.hasSection(section))
        return {};
    IniDocument list = options.load(listPath);
    list.setValues(section, cleanEntries(optionsDocument, section));
    if (!options.save(list, listPath))
        return model::Failure {QStringLiteral("Cannot write the table of contents list ") + listPath};
    optionsDocument.removeSection(section);
    if (!options.save(optionsDocument)) {
        return model::Failure {QStringLiteral("The section ") + section + QStringLiteral(" was copied to ") + listPath
            + QStringLiteral(" but could not be removed from the options file ") + options.defaultPath()};
    }
    return {};
}

TocMigration migrateAllTocSections(const config::IniStore& options)
{
    TocMigration result;
    if (options.defaultPath().isEmpty())
        return result;
    IniDocument optionsDocument = options.load();
    bool changed = false;
    for (const QString& section : optionsDocument.sectionNames()) {
        if (!section.endsWith(kSectionSuffix, Qt::CaseInsensitive))
            continue;
        const QString projectFile = model::trimBlanks(QStringView(section).chopped(kSectionSuffix.size())).toString();
        if (projectFile.isEmpty())
            continue;
        const QString listPath = listPathForProjectName(options.defaultPath(), projectFile);
        IniDocument list = options.load(listPath);
        list.setValues(section, cleanEntries(optionsDocument, section));
        if (!options.save(list, listPath)) {
            ++result.failed;
            if (result.error.isEmpty())
                result.error = QStringLiteral("Cannot write the table of contents list ") + listPath;
            continue;
        }
        optionsDocument.removeSection(section);
        changed = true;
        ++result.sections;
    }
    if (changed && !options.save(optionsDocument)) {
        result.failed += result.sections;
        result.sections = 0;
        if (result.error.isEmpty())
            result.error = QStringLiteral("The table of contents sections were copied but could not be removed ")
                + QStringLiteral("from the options file ") + options.defaultPath();
    }
    return result;
}

} // namespace quillon::print
