#include "print/TocRecord.h"

#include "config/Ini.h"
#include "config/PageSetup.h"
#include "model/RoutineParser.h"
#include "model/SourceKind.h"
#include "model/TextPrimitives.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

namespace quillon::print {

using config::twelveHourTime;

using model::trimBlanks;

namespace {

const QDate kSerialEpoch(1899, 12, 30);
constexpr qint64 kSecondsPerDay = 86400;
// Around 1 January 100 and 31 December 9999, the range the stored dates were ever allowed;
// the exact bounds are checked on the date itself.
constexpr double kBeforeFirstSerial = -657435.0;
constexpr double kAfterLastSerial = 2958466.0;

QString stored(const QString& value)
{
    const QString t = trimBlanks(value).toString();
    return t.isEmpty() ? kNotAvailable : t;
}

bool contains(const QString& text, const char* part)
{
    return text.contains(QLatin1String(part));
}

// Takes a leading word (whole, any case) off the text; true when it was there.
bool takeWord(QString& text, QLatin1StringView word)
{
    if (text.size() < word.size() || !text.startsWith(word, Qt::CaseInsensitive))
        return false;
    if (text.size() > word.size() && text[word.size()] != QLatin1Char(' '))
        return false;
    text = trimBlanks(QStringView(text).sliced(word.size())).toString();
    return true;
}

} // namespace

TocRecord::TocRecord()
{
    fields_.fill(kNotAvailable);
}

TocRecord TocRecord::parse(const QString& value)
{
    TocRecord record;
    const QStringList parts = value.split(QLatin1Char('|'));
    for (int i = 0; i < kTocFieldCount && i < parts.size(); ++i)
        record.fields_[size_t(i)] = stored(parts[i]);
    return record;
}

QString TocRecord::text() const
{
    QStringList parts;
    for (const QString& f : fields_)
        parts << f;
    return parts.join(QLatin1Char('|'));
}

const QString& TocRecord::field(int n) const
{
    Q_ASSERT(n >= 1 && n <= kTocFieldCount);
    return fields_[size_t(std::clamp(n, 1, kTocFieldCount) - 1)];
}

void TocRecord::setField(int n, const QString& value)
{
    if (n < 1 || n > kTocFieldCount)
        return;
    // A "|" inside a field would shift every field after it.
    QString clean = value;
    clean.replace(QLatin1Char('|'), QLatin1Char('/'));
    fields_[size_t(n - 1)] = stored(clean);
}

bool TocRecord::isBlank() const
{
    for (const QString& f : fields_) {
        if (f != kNotAvailable)
            return false;
    }
    return true;
}

double dateSerial(const QDateTime& when)
{
    const qint64 days = kSerialEpoch.daysTo(when.date());
    // Whole seconds: the stored serial keeps no milliseconds.
    const int seconds = when.time().msecsSinceStartOfDay() / 1000;
    const double fraction = double(seconds) / double(kSecondsPerDay);
    return days >= 0 ? double(days) + fraction : double(days) - fraction;
}

QString dateSerialText(const QDateTime& when)
{
    return QString::number(dateSerial(when), 'g', 15);
}

std::optional<QDateTime> dateFromSerial(double serial)
{
    if (!std::isfinite(serial) || serial <= kBeforeFirstSerial || serial >= kAfterLastSerial)
        return std::nullopt;
    const double whole = std::trunc(serial);
    qint64 seconds = std::llround(std::fabs(serial - whole) * double(kSecondsPerDay));
    QDate date = kSerialEpoch.addDays(qint64(whole));
    if (seconds >= kSecondsPerDay) {
        date = date.addDays(1);
        seconds = 0;
    }
    if (!date.isValid() || date.year() < 100 || date.year() > 9999)
        return std::nullopt;
    return QDateTime(date, QTime(0, 0).addSecs(int(seconds)));
}

std::optional<QDateTime> dateFromSerialText(const QString& text)
{
    QString t = trimBlanks(text).toString();
    if (t.isEmpty() || t == kNotAvailable)
        return std::nullopt;
    bool ok = false;
    double serial = t.toDouble(&ok);
    if (!ok && t.count(QLatin1Char(',')) == 1 && !t.contains(QLatin1Char('.')))
        serial = t.replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return dateFromSerial(serial);
}

QString tocDateText(const QDateTime& when)
{
    const QDate d = when.date();
    return QStringLiteral("%1/%2/%3 ").arg(d.month()).arg(d.day()).arg(d.year() % 100, 2, 10, QLatin1Char('0'))
        + twelveHourTime(when.time(), true);
}

QString countText(qint64 n)
{
    // Built by hand: the program's number texts must not follow the desktop's locale.
    const QString digits = QString::number(n < 0 ? -(n + 1) + 1ull : quint64(n));
    QString out;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += QLatin1Char(',');
        out += digits[i];
    }
    return n < 0 ? QLatin1Char('-') + out : out;
}

QString countFieldText(const QString& field)
{
    bool ok = false;
    const qint64 n = trimBlanks(field).toLongLong(&ok);
    return ok ? countText(n) : field;
}

QString fitColumn(const QString& part, qsizetype width)
{
    if (part.size() < width)
        return part + QString(width - part.size(), QLatin1Char(' '));
    return part + QLatin1Char(' ');
}

QString historyKey(const model::Routine& routine, const model::RoutineLookup& findByKey)
{
    // A dependency report is kept under the file and the signature of the routine it reports
    // on, which the report's own record does not hold.
    if (routine.isDepPseudo && findByKey) {
        if (const model::RoutinePtr parent = findByKey(routine.parentKey)) {
            return model::fileNameOf(parent->filePath) + QLatin1Char('|') + model::scopeAndKindText(parent->sigLineText)
                + QLatin1Char(' ') + routine.routineName;
        }
    }
    return model::listText(routine, findByKey);
}

bool hasHistory(const model::Routine& routine)
{
    return !model::isTableOfContents(routine);
}

std::optional<TocKey> parseTocKey(const QString& key)
{
    const QString clean = config::withoutLayoutAndDeclarationsMarks(key);
    const qsizetype bar = clean.indexOf(QLatin1Char('|'));
    if (bar < 0)
        return std::nullopt;
    TocKey parts;
    parts.file = trimBlanks(QStringView(clean).first(bar)).toString();
    parts.procedure = trimBlanks(QStringView(clean).sliced(bar + 1)).toString();
    if (parts.file.isEmpty() || parts.procedure.isEmpty())
        return std::nullopt;
    QString name = parts.procedure;
    if (name.endsWith(QLatin1String("|Dep"))) {
        parts.dependency = true;
        name.chop(4);
        name = trimBlanks(name).toString();
    }
    for (const char* scope : {"Public", "Private", "Friend"}) {
        if (takeWord(name, QLatin1StringView(scope)))
            break;
    }
    if (takeWord(name, QLatin1StringView("Property"))) {
        parts.kindWord = QStringLiteral("Property");
        for (const char* which : {"Get", "Let", "Set"}) {
            if (takeWord(name, QLatin1StringView(which))) {
                parts.kindWord += QLatin1Char(' ') + QLatin1String(which);
                break;
            }
        }
    } else if (takeWord(name, QLatin1StringView("Sub"))) {
        parts.kindWord = model::kindText(model::RoutineKind::Sub);
    } else if (takeWord(name, QLatin1StringView("Function"))) {
        parts.kindWord = model::kindText(model::RoutineKind::Function);
    }
    parts.name = name;
    return parts;
}

QString tocKindText(const QString& key)
{
    const QString clean = config::withoutLayoutAndDeclarationsMarks(key);
    const std::optional<TocKey> parts = parseTocKey(clean);
    // A well-formed key must name the pseudo-routine itself; a damaged one is judged by
    // its text alone.
    auto named = [&](const char* word) { return !parts || (!parts->dependency && parts->name == QLatin1String(word)); };
    using model::RoutineKind;
    if (contains(clean, "Sub Layout") && named("Layout"))
        return kindText(RoutineKind::Layout);
    if (contains(clean, "Sub Declarations") && named("Declarations"))
        return kindText(RoutineKind::Declarations);
    if (contains(clean, "Sub Image") && named("Image"))
        return kindText(RoutineKind::Image);
    if (contains(clean, "Let_Set_Get"))
        return kindText(RoutineKind::Aggregate);
    if (contains(clean, "Event Handler"))
        return QStringLiteral("Event Handler");
    if (contains(clean, " Sub "))
        return kindText(RoutineKind::Sub);
    if (contains(clean, " Function "))
        return kindText(RoutineKind::Function);
    for (const RoutineKind kind : {RoutineKind::PropertyLet, RoutineKind::PropertySet, RoutineKind::PropertyGet}) {
        QString property = kindText(kind);
        if (clean.contains(property))
            return property;
    }
    return QStringLiteral("Unexpected Procedure Kind");
}

// The file categories stand in the source kinds' order, so a kind is its category.
static_assert(int(TocCategory::Frm) == int(model::SourceKind::Form)
    && int(TocCategory::Dsr) == int(model::SourceKind::Designer)
    && int(TocCategory::Dependency) == int(model::SourceKind::Other));

TocCategory categoryOf(const TocKey& key)
{
    if (key.dependency)
        return TocCategory::Dependency;
    if (tocKindText(key.file + QLatin1Char('|') + key.procedure) == model::kindText(model::RoutineKind::Image))
        return TocCategory::Image;
    const model::SourceKind kind = model::sourceKindOfPath(key.file);
    return kind == model::SourceKind::Other ? TocCategory::Other : TocCategory(int(kind));
}

QString categoryTitle(TocCategory category, const QString& extension)
{
    if (category == TocCategory::Dependency)
        return QStringLiteral("Dependency Reports");
    if (category == TocCategory::Image)
        return QStringLiteral("Image Procedures");
    const QString type = category == TocCategory::Other
        ? extension
        : QString(model::fileTypeOf(model::SourceKind(int(category)))).toLower();
    return QLatin1Char('.') + type + QStringLiteral(" Files");
}

} // namespace quillon::print
