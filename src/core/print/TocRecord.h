#pragma once
#include "model/Routine.h"

#include <QDateTime>
#include <QString>

#include <array>
#include <optional>

// The pieces of the table-of-contents list that every user of it shares: the record of one
// routine, the dates and numbers it holds, and what a key says about its routine.
namespace quillon::print {

inline const QString kNotAvailable = QStringLiteral("N/A");
inline constexpr int kTocFieldCount = 7;

// One routine's record: seven fields joined by "|".
//   1 last printing (a date serial, see dateSerialText)   2 pages + "D" (duplex) or "S"
//   3 total lines   4 blank lines   5 comment lines   6 code lines   7 kind text
class TocRecord {
public:
    enum Field { LastPrinted = 1, Pages, TotalLines, BlankLines, CommentLines, CodeLines, Kind };

    TocRecord(); // every field "N/A"
    // A missing or empty field reads as "N/A"; fields after the seventh are dropped, so a
    // damaged value never spreads into the next record written.
    static TocRecord parse(const QString& value);
    QString text() const;

    const QString& field(int n) const; // n = 1..7
    void setField(int n, const QString& value); // empty text is stored as "N/A"
    bool isBlank() const; // every field "N/A"

    bool operator==(const TocRecord& other) const = default;

private:
    std::array<QString, kTocFieldCount> fields_;
};

// One entry of the list as stored: the key (possibly still carrying the ordering characters
// 1 and 2) and its value.
struct TocEntry {
    QString key;
    QString value;
};

// Dates are stored the way the original platform stored them, so that lists written before
// stay readable: days since 30 December 1899 in decimal text, the time of day as the
// fraction (before the epoch the fraction still counts forward from midnight). Whole seconds.
double dateSerial(const QDateTime& when);
QString dateSerialText(const QDateTime& when);
std::optional<QDateTime> dateFromSerial(double serial);
// nullopt for "N/A", empty text, anything that is not a number, or a date outside the
// years 100 to 9999. A decimal comma is accepted as well.
std::optional<QDateTime> dateFromSerialText(const QString& text);
// "m/d/yy h:mm:ss am/pm", as the table of contents prints dates.
QString tocDateText(const QDateTime& when);

// "#,##0".
QString countText(qint64 n);
// A stored count formatted "#,##0"; "N/A" and anything else that is not a whole number
// are shown as stored.
QString countFieldText(const QString& field);
// A part of a line whose column width its template fixes: a shorter part is padded with
// blanks; a part that fills the width or runs past it is kept whole and gets one blank, so
// that a large number is never cut and never runs into the next column.
QString fitColumn(const QString& part, qsizetype width);

// The key of a routine's record: its procedure-list text (file name, "|", scope and kind,
// a blank, the name). A dependency report's pseudo-routine gives a key ending in "|Dep";
// findByKey lets it show the signature of the routine it reports on. The report writer,
// the print run and the table of contents all use this one key.
QString historyKey(const model::Routine& routine, const model::RoutineLookup& findByKey = {});
// The table of contents pseudo-routine keeps no print history.
bool hasHistory(const model::Routine& routine);

// What a key names. The characters 1 and 2 that the profile reader puts into keys for
// ordering are removed first.
struct TocKey {
    QString file; // "frmMain.frm"
    QString procedure; // "Private Sub Event Handler:cmdOK_Click", "Public Sub Foo|Dep"
    QString name; // "Event Handler:cmdOK_Click"; for a dependency report the routine reported on
    QString kindWord; // the kind as the key spells it: "Sub", "Property Get", ... (may be empty)
    bool dependency = false;
};
// Splits at the first "|"; nullopt when there is none or either side is empty after
// trimming blanks.
std::optional<TocKey> parseTocKey(const QString& key);

// "Layout", "Declarations", "Image", "Aggregate", "Event Handler", "Sub", "Function",
// "Property Let", "Property Set", "Property Get" or "Unexpected Procedure Kind". The
// pseudo-routine kinds need the name itself, not a name that starts with it: a
// "Sub ImageRefresh" is a Sub.
QString tocKindText(const QString& key);

// In the order the table of contents prints them.
enum class TocCategory { Frm, Bas, Cls, Ctl, Pag, Dob, Dsr, Dependency, Image, Other };
// Dependency reports and images (of forms, user controls, property pages and user
// documents alike) first, then by the file's extension in any case.
TocCategory categoryOf(const TocKey& key);
// ".frm Files", ".bas Files", ".cls Files", ".ctl Files", ".pag Files", ".dob Files",
// ".dsr Files", "Dependency Reports", "Image Procedures"; Other gives "." + the extension +
// " Files".
QString categoryTitle(TocCategory category, const QString& extension = QString());

} // namespace quillon::print
