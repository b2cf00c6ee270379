#include "print/TocText.h"

#include "config/Ini.h"
#include "config/SuppressibleMessages.h"
#include "model/ProjectLoader.h"
#include "model/TextPrimitives.h"
#include "platform/MessageBox.h"
#include "print/TableOfContents.h"
#include "print/TocDirectory.h"

#include <QSet>

#include <algorithm>
#include <array>

namespace quillon::print {

using model::blanks;
using model::equalsNoCase;
using model::keptHeading;
using model::ListingLine;
using model::ListingMark;

namespace {

using Lines = std::vector<ListingLine>;

// The templates that fix the columns of the history and line-count lines.
const qsizetype kHistoryWidth = (blanks(12) + QStringLiteral("Last Printed: mm/dd/yy  hh:mm:ss am/pm")).size();
const qsizetype kEntryTotalWidth = QStringLiteral("Line Count:  Total: x,xxx").size();
const qsizetype kSummaryTotalWidth = QStringLiteral("Line Count:  Total: x,xxx  ").size();
const qsizetype kBlankWidth = QStringLiteral("Blank: x,xxx  ").size();
const qsizetype kCommentWidth = QStringLiteral("Comment: x,xxx  ").size();
const qsizetype kRangeWidth = QStringLiteral("Print  Range:  m/d/yy h:mm:ss am  ").size();

// Field 2: the page count followed by its duplex letter.
struct Pages {
    bool valid = false; // starts with a number
    qint64 count = 0;
    QString letter;
};

Pages parsePages(const QString& field)
{
    Pages pages;
    const QString t = model::trimBlanks(field).toString();
    qsizetype digits = 0;
    while (digits < t.size() && digits < 18 && t[digits].isDigit() && t[digits].unicode() < 128)
        ++digits;
    if (digits == 0)
        return pages;
    pages.valid = true;
    pages.count = t.left(digits).toLongLong();
    pages.letter = model::trimBlanks(QStringView(t).sliced(digits)).toString();
    return pages;
}

qint64 storedCount(const QString& field)
{
    bool ok = false;
    const qint64 n = model::trimBlanks(field).toLongLong(&ok);
    return ok ? n : 0;
}

struct Totals {
    QSet<QString> files; // upper-cased names
    int procedures = 0;
    int printed = 0;
    int notPrinted = 0;
    QDateTime earliest;
    QDateTime latest;
    qint64 pages = 0;
    qint64 lines[4] = {0, 0, 0, 0}; // total, blank, comment, code
    bool duplex = false;
    bool simplex = false;
    bool invalid = false;

    void add(const QString& file, const TocRecord& record)
    {
        files.insert(model::upperCase(file));
        ++procedures;
        for (int i = 0; i < 4; ++i)
            lines[i] += storedCount(record.field(TocRecord::TotalLines + i));
        const std::optional<QDateTime> when = dateFromSerialText(record.field(TocRecord::LastPrinted));
        if (!when) {
            ++notPrinted;
            return;
        }
        ++printed;
        if (!earliest.isValid() || *when < earliest)
            earliest = *when;
        if (!latest.isValid() || *when > latest)
            latest = *when;
        const Pages p = parsePages(record.field(TocRecord::Pages));
        pages += p.count;
        const QString letter = model::upperCase(p.letter);
        if (letter == QLatin1String("D"))
            duplex = true;
        else if (letter == QLatin1String("S"))
            simplex = true;
        else
            invalid = true;
    }

    QString duplexSuffix() const
    {
        if (printed == 0)
            return QString();
        if (invalid)
            return QStringLiteral(" (Invalid Flag)");
        if (duplex && simplex)
            return QStringLiteral(" (Both Duplex and Simplex)");
        return duplex ? QStringLiteral(" (All Duplex)") : QStringLiteral(" (All Simplex)");
    }
};

struct Item {
    QString order; // the key as the profile reader returns it, for sorting
    TocKey key;
    QString kind;
    TocRecord record;
};

bool isUnheadedKind(const QString& kind)
{
    using model::RoutineKind;
    return kind == kindText(RoutineKind::Layout) || kind == kindText(RoutineKind::Declarations)
        || kind == kindText(RoutineKind::Image);
}

// The entries with a valid key, in the order of their keys.
std::vector<Item> sortedItems(const std::vector<TocEntry>& entries)
{
    std::vector<Item> items;
    items.reserve(entries.size());
    for (const TocEntry& entry : entries) {
        std::optional<TocKey> key = parseTocKey(entry.key);
        if (!key)
            continue;
        const QString clean = key->file + QLatin1Char('|') + key->procedure;
        items.push_back({config::markLayoutAndDeclarations(clean), std::move(*key), tocKindText(clean),
            TocRecord::parse(entry.value)});
    }
    std::stable_sort(items.begin(), items.end(),
        [](const Item& a, const Item& b) { return QString::compare(a.order, b.order, Qt::CaseInsensitive) < 0; });
    return items;
}

// The categories in print order (the enum's), each with a group and a summary block of its
// own; unknown extensions follow them.
constexpr std::array kCategories = {TocCategory::Frm, TocCategory::Bas, TocCategory::Cls, TocCategory::Ctl,
    TocCategory::Pag, TocCategory::Dob, TocCategory::Dsr, TocCategory::Dependency, TocCategory::Image};
static_assert(size_t(TocCategory::Other) == kCategories.size());
// Each category's totals, then the whole project's.
constexpr size_t kProjectTotal = kCategories.size();
using CategoryTotals = std::array<Totals, kCategories.size() + 1>;

// Forms, modules, classes, reports and images have a summary block even when there are none;
// user controls, property pages, user documents and designers only when the project has
// them, so that a project without them sums up as it always did.
bool alwaysSummed(TocCategory category)
{
    return category != TocCategory::Ctl && category != TocCategory::Pag && category != TocCategory::Dob
        && category != TocCategory::Dsr;
}

struct Group {
    TocCategory category;
    QString extension; // upper-case, for unknown extensions
    std::vector<const Item*> items;
};

// Categories in print order: the known ones, then one per unknown extension. totals gets
// the known categories' counts and the whole project's.
std::vector<Group> groupByCategory(const std::vector<Item>& items, CategoryTotals& totals)
{
    std::vector<Group> groups;
    groups.reserve(kCategories.size());
    for (TocCategory c : kCategories)
        groups.push_back({c, QString(), {}});
    std::vector<Group> unknown;
    for (const Item& item : items) {
        const TocCategory category = categoryOf(item.key);
        if (category == TocCategory::Other) {
            const QString extension = model::upperCase(model::fileExtension(item.key.file));
            auto it =
                std::find_if(unknown.begin(), unknown.end(), [&](const Group& g) { return g.extension == extension; });
            if (it == unknown.end()) {
                unknown.push_back({category, extension, {}});
                it = unknown.end() - 1;
            }
            it->items.push_back(&item);
        } else {
            groups[size_t(category)].items.push_back(&item);
            totals[size_t(category)].add(item.key.file, item.record);
        }
        totals[kProjectTotal].add(item.key.file, item.record);
    }
    std::sort(unknown.begin(), unknown.end(), [](const Group& a, const Group& b) { return a.extension < b.extension; });
    groups.insert(groups.end(), unknown.begin(), unknown.end());
    return groups;
}

// Each category from a new page, its files with their folders, their kinds and their
// routines with the history and line counts of each.
void appendCategoryListings(Lines& lines, const std::vector<Group>& groups, const TocDirectory& directory)
{
    bool firstCategory = true;
    for (const Group& group : groups) {
        if (group.items.empty())
            continue;
        ListingLine title(categoryTitle(group.category, model::lowerCase(group.extension)));
        if (!firstCategory)
            title.set(ListingMark::NewPage);
        title.set(ListingMark::Bold);
        lines << std::move(title);
        firstCategory = false;
        if (group.category == TocCategory::Other)
            lines << QStringLiteral("*********** BAD EXTENSION ENCOUNTERED (") + group.extension
                    + QStringLiteral(") ******************************");
        QString file;
        QString kind;
        for (const Item* item : group.items) {
            if (file.isNull() || !equalsNoCase(file, item->key.file)) {
                file = item->key.file;
                kind.clear();
                lines << keptHeading(
                    blanks(3) + file + QStringLiteral(" (") + directory.folderOf(file) + QLatin1Char(')'));
            }
            if (item->kind != kind) {
                kind = item->kind;
                if (!isUnheadedKind(kind))
                    lines << keptHeading(blanks(6) + kind);
            }
            lines << keptHeading(blanks(9) + item->key.procedure);
            lines << tocHistoryLine(item->record);
            const TocRecord& r = item->record;
            lines << tocLineCountLine(r.field(TocRecord::TotalLines), r.field(TocRecord::BlankLines),
                r.field(TocRecord::CommentLines), r.field(TocRecord::CodeLines), false);
        }
    }
}

void appendSummaryBlock(Lines& lines, const QString& title, const Totals& t)
{
    lines << QString();
    lines << blanks(3) + title + t.duplexSuffix();
    lines << blanks(6) + QStringLiteral("Total Files: ") + countText(t.files.size());
    lines << blanks(6) + QStringLiteral("Total Procedures: ") + countText(t.procedures);
    lines << blanks(6) + QStringLiteral("Procedures Printed: ") + countText(t.printed)
            + QStringLiteral("   Procedures Not Yet Printed: ") + countText(t.notPrinted);
    if (t.printed > 0) {
        lines << blanks(6) + fitColumn(QStringLiteral("Print  Range:  ") + tocDateText(t.earliest), kRangeWidth)
                + QStringLiteral("to ") + tocDateText(t.latest);
        lines << blanks(6) + QStringLiteral("Total Pages:  ") + countText(t.pages);
        lines << tocLineCountLine(QString::number(t.lines[0]), QString::number(t.lines[1]), QString::number(t.lines[2]),
            QString::number(t.lines[3]), true);
    }
}

void appendProjectSummary(Lines& lines, const CategoryTotals& totals)
{
    lines << ListingLine(QStringLiteral("Project Summary")).set(ListingMark::NewPage).set(ListingMark::Bold);
    for (size_t c = 0; c < kCategories.size(); ++c) {
        if (alwaysSummed(kCategories[c]) || totals[c].procedures > 0)
            appendSummaryBlock(lines, categoryTitle(kCategories[c]), totals[c]);
    }
    appendSummaryBlock(lines, QStringLiteral("All Files  (Project Total)"), totals[kProjectTotal]);
}

// The notes after the summary, which the user may suppress.
void appendSummaryNotes(Lines& lines, const Totals& project)
{
    if (project.notPrinted > 0) {
        lines << QString();
        lines << QStringLiteral("Note: Page count and date range exclude procedures not ")
                + QStringLiteral("printed yet.");
    }
    lines << QString();
    lines << QStringLiteral("Note: The individual dependency reports for Property Let, Set or Get ")
            + QStringLiteral("procedures");
    lines << QStringLiteral("   are available whether or not you have selected the option to ")
            + QStringLiteral("aggregate them.");
    lines << QStringLiteral("   No Dependency report is available for the pseudo Aggregation ")
            + QStringLiteral("procedure.");
}

} // namespace

bool askSuppressTocNotes(config::SuppressibleMessages& messages)
{
    config::Warning question;
    question.id = platform::MessageId::TocNotes;
    question.key = QStringLiteral("TOC Notes");
    question.title = QStringLiteral("TOC Notes Suppression");
    question.icon = platform::MessageIcon::Question;
    question.text = QStringLiteral("Two notes appear at the end of the TOC summary.  Do ")
        + QStringLiteral("you want to suppress printing of those notes? ");
    question.buttons = {QStringLiteral("Yes"), QStringLiteral("No")};
    return messages.ask(question) == 0;
}

QString tocHistoryLine(const TocRecord& record)
{
    const QString& printed = record.field(TocRecord::LastPrinted);
    const std::optional<QDateTime> when = dateFromSerialText(printed);
    const QString date = when ? tocDateText(*when) : printed;
    const QString& pagesField = record.field(TocRecord::Pages);
    const Pages pages = parsePages(pagesField);
    const QString pagesText = pages.valid ? countText(pages.count) + pages.letter : pagesField;
    return fitColumn(blanks(12) + QStringLiteral("Last Printed: ") + date, kHistoryWidth)
        + QStringLiteral("Total Pages: ") + pagesText;
}

QString tocLineCountLine(
    const QString& total, const QString& blank, const QString& comment, const QString& code, bool summary)
{
    return blanks(summary ? 6 : 12)
        + fitColumn(QStringLiteral("Line Count:  Total: ") + countFieldText(total),
            summary ? kSummaryTotalWidth : kEntryTotalWidth)
        + fitColumn(QStringLiteral("Blank: ") + countFieldText(blank), kBlankWidth)
        + fitColumn(QStringLiteral("Comment: ") + countFieldText(comment), kCommentWidth) + QStringLiteral("Code: ")
        + countFieldText(code);
}

std::vector<ListingLine> tableOfContentsLines(
    const std::vector<TocEntry>& entries, const model::Project& project, bool suppressNotes)
{
    const std::vector<Item> items = sortedItems(entries);
    CategoryTotals totals;
    const std::vector<Group> groups = groupByCategory(items, totals);
    Lines lines;
    appendCategoryListings(lines, groups, TocDirectory(project));
    appendProjectSummary(lines, totals);
    if (!suppressNotes)
        appendSummaryNotes(lines, totals[kProjectTotal]);
    return lines;
}

model::RoutinePtr makeTocRoutine(model::Listing listing, const QString& title)
{
    auto routine = std::make_shared<model::Routine>();
    routine->routineName = title;
    routine->kind = model::RoutineKind::TableOfContents;
    routine->startLine = 1;
    routine->endLine = qint32(listing.lines.size());
    listing.colours = model::ListingColours::Plain;
    routine->listing = std::make_shared<const model::Listing>(std::move(listing));
    model::assignUniqueKey(*routine);
    return routine;
}

std::optional<model::Listing> prepareTableOfContents(
    TocList& list, const model::Project& project, platform::IMessageBox& box, bool suppressNotes)
{
    list.checkStaleKeys(project, box);
    const std::vector<TocEntry> entries = list.entries();
    const bool any =
        std::any_of(entries.begin(), entries.end(), [](const TocEntry& e) { return parseTocKey(e.key).has_value(); });
    if (!any) {
        box.showMessage(platform::MessageIcon::Exclamation, QStringLiteral("Table of Contents"),
            QStringLiteral("No TOC data found."));
        return std::nullopt;
    }
    return model::Listing {tableOfContentsLines(entries, project, suppressNotes), model::ListingColours::Plain};
}

} // namespace quillon::print
