#include "print/TableOfContents.h"
#include "config/Ini.h"
#include "config/SuppressibleMessages.h"
#include "model/DiagLog.h"
#include "model/ProjectLoader.h"
#include "platform/MessageBox.h"
#include "platform/StatusSink.h"
#include "support/ScriptedMessageBox.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace quillon::print;
using quillon::model::Failure;
using quillon::model::Outcome;
using quillon::model::Project;
using quillon::model::Routine;
using quillon::model::RoutineKind;
using quillon::platform::MessageButtons;
using quillon::platform::MessageIcon;
using quillon::platform::MessageResult;
using quillon::test::fileStatus;
using quillon::test::pictures;
using quillon::test::readBytes;

namespace {

QDateTime at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
}

Routine makeRoutine(const char* path, const char* name, RoutineKind kind, const char* signature = "")
{
    Routine r;
    r.filePath = path;
    r.routineName = name;
    r.kind = kind;
    r.sigLineText = signature;
    return r;
}

// An options file in its own folder, the list beside it, and a project on disk.
class TocTest : public ::testing::Test, public quillon::platform::IStatusSink {
protected:
    quillon::test::Fixture fx_;
    quillon::model::DiagLog log_ {fx_.path("diag.txt")};
    quillon::config::IniStore options_ {fx_.path("opts/QLN.spi"), &log_};
    TocList list_ {options_};
    Project project_;
    quillon::test::ScriptedMessageBox box_;
    QStringList statuses_;

    void SetUp() override { QDir().mkpath(fx_.path("opts")); }
    void showStatus(const QString& text) override { statuses_ << text; }

    QString listPath() const { return fx_.path("opts/TOC-File-For-App.txt"); }
    QString listText() const { return QString::fromUtf8(readBytes(listPath())); }
    QString stored(const QString& key) const { return options_.read("App.vbp:TOC List", key, "(none)", listPath()); }

    // Writes the project's files under P/, loads them and opens the project's list.
    void loadProject(const QList<std::pair<QString, QStringList>>& files)
    {
        QStringList vbp;
        for (const auto& [name, lines] : files) {
            fx_.writeLines("P/" + name, lines);
            vbp << (name.endsWith(".frm") ? "Form=" + name : "Module=" + QFileInfo(name).baseName() + "; " + name);
        }
        ASSERT_TRUE(project_.openProject(fx_.writeLines("P/App.vbp", vbp)));
        const Outcome<void> opened = list_.open(project_.projectPath);
        ASSERT_TRUE(opened) << opened.error().toStdString();
    }
    void seed(const QList<std::pair<QString, QString>>& entries)
    {
        quillon::config::IniDocument doc = options_.load(listPath());
        for (const auto& [key, value] : entries)
            doc.setValue("App.vbp:TOC List", key, value);
        ASSERT_TRUE(options_.save(doc, listPath()));
    }
    void expectStored(const std::vector<std::pair<const char*, const char*>>& expected) const
    {
        for (const auto& [key, value] : expected)
            EXPECT_EQ(stored(key), QString::fromLatin1(value)) << key;
    }
};

// Lines 1-6 are the layout and the image, 7-8 the declarations, 10-13 the handler (1 comment,
// 3 code lines).
const QStringList kForm = {"VERSION 5.00", "Begin VB.Form frmMain", "   Caption = \"Main\"", "End", "Attribute VB_Name = \"frmMain\"",
    "Attribute VB_Exposed = False", "Option Explicit", "Private mCount As Long", "", "' Counts clicks", "Private Sub cmdOK_Click()", "    mCount = mCount + 1",
    "End Sub"};
// Main: 1 comment, 1 blank, 3 code lines; Calc and the Get: 3 code lines; the Let: 1 comment, 3 code.
const QStringList kModule = {"Attribute VB_Name = \"modA\"", "Public Sub Main()", "    ' start here", "", "    Calc 1", "End Sub",
    "Public Function Calc(ByVal x As Long) As Long", "    Calc = x * 2", "End Function", "Public Property Get Value() As Long", "    Value = 1", "End Property",
    "Public Property Let Value(ByVal v As Long)", "    ' ignored", "    x = v", "End Property"};

// ---------------------------------------------------------------------------------------
// The list file: names, creation, migration

TEST_F(TocTest, TheListIsNamedAfterTheProjectAndTakesItsSectionOutOfTheOptionsFileOrFailsClearly)
{
    // The other tests open "App.vbp" and read the list at listPath(); the migration below opens a Windows path.
    EXPECT_EQ(tocListPath(options_.defaultPath(), "/elsewhere/My.App.vbp"), fx_.path("opts/TOC-File-For-My.App.txt"));
    const Outcome<void> anywhere = list_.open(fx_.path("anywhere/App.vbp"));
    ASSERT_TRUE(anywhere) << anywhere.error().toStdString();
    EXPECT_EQ(std::tuple(QFileInfo::exists(listPath()), QFileInfo(listPath()).size()), std::tuple(true, 0)) << "created empty";
    const Outcome<void> unnamed = list_.open("");
    EXPECT_EQ(std::tuple(unnamed.ok(), list_.isOpen(), unnamed.error().isEmpty()), std::tuple(false, false, false));

    // Opening moves the project's section out of the options file without its ordering
    // characters; what the list holds already stays.
    fx_.write("opts/QLN.spi",
        QByteArray("[Quillon:Output]\r\nDuplex=True\r\n[App.vbp:TOC List]\r\n"
                   "frmA.frm|Public Sub \x01Layout=45000.5|3D|6|0|0|6|Layout\r\n"
                   "modA.bas|Public Sub Go=N/A\r\n[Other.VBP:toc list]\r\nx.bas|Public Sub \x01Y=1\r\n"
                   "[Quillon:Colors]\r\nNormal Text=0\r\n"));
    fx_.write("opts/TOC-File-For-App.txt", "[App.vbp:TOC List]\r\nmodA.bas|Public Sub Kept=1|2S\r\n");
    ASSERT_TRUE(list_.open("C:\\VB\\App.vbp"));
    EXPECT_EQ(listText(),
        QStringLiteral("[App.vbp:TOC List]\r\nmodA.bas|Public Sub Kept=1|2S\r\n"
                       "frmA.frm|Public Sub Layout=45000.5|3D|6|0|0|6|Layout\r\n"
                       "modA.bas|Public Sub Go=N/A\r\n"));
    EXPECT_EQ(readBytes(options_.defaultPath()),
        QByteArray("[Quillon:Output]\r\nDuplex=True\r\n[Other.VBP:toc list]\r\n"
                   "x.bas|Public Sub \x01Y=1\r\n[Quillon:Colors]\r\nNormal Text=0\r\n"));

    // Every section whose name ends in "TOC List", in any case, goes to a list of its own,
    // without the ordering characters.
    const TocMigration moved = migrateAllTocSections(options_);
    EXPECT_EQ(std::tuple(moved.sections, moved.failed), std::tuple(1, 0));
    EXPECT_EQ(readBytes(options_.defaultPath()), QByteArray("[Quillon:Output]\r\nDuplex=True\r\n[Quillon:Colors]\r\nNormal Text=0\r\n"));
    EXPECT_EQ(readBytes(fx_.path("opts/TOC-File-For-Other.txt")), QByteArray("[Other.VBP:toc list]\nx.bas|Public Sub Y=1\n"));
    const ino_t before = fileStatus(options_.defaultPath()).st_ino; // a write would replace the file
    EXPECT_EQ(migrateAllTocSections(options_).sections, 0);
    EXPECT_EQ(fileStatus(options_.defaultPath()).st_ino, before) << "nothing left to move: nothing written";

    // A section that cannot be moved stays; an unwritable folder fails clearly.
    const QByteArray original("[App.vbp:TOC List]\nm.bas|Public Sub A=1\n");
    fx_.write("opts/QLN.spi", original);
    QFile::remove(listPath());
    QDir().mkpath(listPath()); // a folder where the list file should be
    const Outcome<void> notMoved = list_.open("App.vbp");
    EXPECT_TRUE(!notMoved && notMoved.error().contains("TOC-File-For-App.txt")) << notMoved.error().toStdString();
    const TocMigration all = migrateAllTocSections(options_);
    EXPECT_EQ(std::tuple(all.sections, all.failed, all.error.isEmpty()), std::tuple(0, 1, false));
    EXPECT_EQ(readBytes(options_.defaultPath()), original);

    fx_.write("blocker", "a file, not a folder");
    quillon::config::IniStore blocked(fx_.path("blocker/QLN.spi"), &log_);
    TocList inside(blocked);
    const Outcome<void> notCreated = inside.open("App.vbp");
    EXPECT_TRUE(!notCreated && notCreated.error().startsWith("Cannot create the table of contents list")) << notCreated.error().toStdString();
    EXPECT_EQ(std::tuple(inside.writeRecord("m.bas|Public Sub A", TocRecord()).ok(), inside.entries().empty(), inside.index(project_).ok(),
                  inside.readRecord("m.bas|Public Sub A")),
        std::tuple(false, true, false, TocRecord()));
}

// ---------------------------------------------------------------------------------------
// Records, dates, numbers and keys

TEST(TocFormatTest, RecordsDateSerialsCountsColumnsKeysKindsAndCategories)
{
    for (const auto& [value, text] :
        {std::pair {"", "N/A|N/A|N/A|N/A|N/A|N/A|N/A"}, {"45000.5|12D", "45000.5|12D|N/A|N/A|N/A|N/A|N/A"}, {"a|| c |d|e|f|g|extra|more", "a|N/A|c|d|e|f|g"}})
        EXPECT_EQ(TocRecord::parse(value).text(), QString::fromLatin1(text)) << value;
    TocRecord r = TocRecord::parse("N/A|N/A|N/A|N/A|N/A|N/A|Sub");
    EXPECT_FALSE(r.isBlank());
    r.setField(TocRecord::Pages, "");
    r.setField(TocRecord::LastPrinted, "a|b");
    EXPECT_EQ(r.text(), QStringLiteral("a/b|N/A|N/A|N/A|N/A|N/A|Sub")) << "a field never spills into the next";

    // Days since 30 December 1899; before it the fraction still counts forward from midnight.
    const std::pair<QDateTime, const char*> serials[] = {{at(1899, 12, 30), "0"}, {at(2024, 3, 7, 14, 5, 9), "45358.5869097222"},
        {at(1899, 12, 29, 6), "-1.25"}, {at(9999, 12, 31, 23, 59, 59), "2958465.99998843"}};
    for (const auto& [when, serial] : serials) {
        EXPECT_EQ(dateSerialText(when), QString::fromLatin1(serial));
        EXPECT_EQ(dateFromSerialText(serial), when) << serial;
    }
    // Milliseconds are not kept; a time a hair before midnight rounds into the next day.
    EXPECT_EQ(dateFromSerialText(dateSerialText(QDateTime(QDate(2024, 1, 2), QTime(9, 0, 0, 900)))), at(2024, 1, 2, 9));
    EXPECT_EQ(dateFromSerialText("45293.9999999999"), at(2024, 1, 3));
    EXPECT_EQ(dateFromSerialText(" 45293,375 "), at(2024, 1, 2, 9)) << "decimal comma";
    for (const char* bad : {"N/A", "", "  ", "abc", "12D", "1e300", "inf", "nan", "3000000", "-700000"})
        EXPECT_FALSE(dateFromSerialText(QString::fromLatin1(bad)).has_value()) << bad;

    // The contents text shows afternoon and morning dates; the hours around midnight and noon:
    for (const auto& [when, text] : {std::pair {at(2005, 11, 23, 0, 0, 5), "11/23/05 12:00:05 am"}, {at(2000, 12, 31, 12, 59, 59), "12/31/00 12:59:59 pm"}})
        EXPECT_EQ(tocDateText(when), QString::fromLatin1(text));
    const std::pair<qint64, const char*> counts[] = {{999, "999"}, {1000, "1,000"}, {-12345, "-12,345"}, {LLONG_MIN, "-9,223,372,036,854,775,808"}};
    for (const auto& [n, text] : counts)
        EXPECT_EQ(countText(n), QString::fromLatin1(text));

    // A column never cuts a count (Total, Comment), and a full column (Blank) still leaves a
    // blank before the next; the contents text holds padded columns, "N/A" and the history lines.
    EXPECT_EQ(tocLineCountLine("12345", "123456", "1234567", "9", false),
        QString(12, QLatin1Char(' ')) + "Line Count:  Total: 12,345 Blank: 123,456 Comment: 1,234,567 Code: 9");

    // The contents text groups the pseudo-routines, subs, functions and event handlers; the rest:
    const std::pair<const char*, const char*> kinds[] = {{"clsA.cls|Public Sub Let_Set_Get Properties (All)", "Aggregate"},
        {"clsA.cls|Public Property Let Value", "Property Let"}, {"clsA.cls|Public Property Get Value", "Property Get"},
        {"modA.bas|Calc", "Unexpected Procedure Kind"},
        // Names that only start like a pseudo-routine are ordinary procedures.
        {"frmA.frm|Private Sub ImageRefresh", "Sub"}, {"modA.bas|Public Sub LayoutGrid", "Sub"}};
    for (const auto& [key, kind] : kinds)
        EXPECT_EQ(tocKindText(QString::fromLatin1(key)), QString::fromLatin1(kind)) << key;

    for (const char* bad : {"no bar here", "|Public Sub A", "modA.bas|", "  |  ", "modA.bas|  "})
        EXPECT_FALSE(parseTocKey(QString::fromLatin1(bad)).has_value()) << bad;
    // A key splits at the first bar into file and procedure; then the name, the kind word and
    // whether it is a dependency report.
    const std::pair<const char*, QStringList> keys[] = {
        {" clsA.cls | Private Property Get Value ", {"clsA.cls", "Private Property Get Value", "Value", "Property Get", "0"}},
        {"frmA.frm|Private Sub Event Handler:cmdOK_Click|Dep",
            {"frmA.frm", "Private Sub Event Handler:cmdOK_Click|Dep", "Event Handler:cmdOK_Click", "Sub", "1"}}};
    for (const auto& [key, parts] : keys) {
        const std::optional<TocKey> k = parseTocKey(QString::fromLatin1(key));
        ASSERT_TRUE(k) << key;
        EXPECT_EQ(QStringList({k->file, k->procedure, k->name, k->kindWord, QString::number(k->dependency)}), parts);
    }
    // The contents text shows the other categories; here the extension in any case, a class and a designer's report.
    for (const auto& [key, category] : {std::pair {"A.FRM|Public Sub X", TocCategory::Frm}, {"a.cls|Public Sub X", TocCategory::Cls},
             {"ctlGauge.CTL|Public Sub X", TocCategory::Ctl}, {"deReadings.dsr|Public Sub Refresh|Dep", TocCategory::Dependency}})
        EXPECT_EQ(categoryOf(*parseTocKey(QString::fromLatin1(key))), category) << key;
}

// ---------------------------------------------------------------------------------------
// Print history written by the print run and the report writer

TEST_F(TocTest, PrintHistoryReplacesDateAndPagesAndKeepsTheCounts)
{
    ASSERT_TRUE(list_.open("App.vbp"));
    seed({{"modA.bas|Public Sub Main", "N/A|N/A|5|1|1|3|Sub"}, {"bad", "1|2"}});
    ASSERT_TRUE(list_.recordPrint("modA.bas|Public Sub Main", at(2024, 1, 2, 9), 12, false));
    ASSERT_TRUE(list_.recordPrint("modA.bas|Public Sub New", at(2024, 1, 2, 9), 1, false)); // a record of its own
    ASSERT_TRUE(list_.recordPrint("bad", at(2024, 1, 2, 9), 2, true)); // completed, not refused
    expectStored({{"modA.bas|Public Sub Main", "45293.375|12S|5|1|1|3|Sub"}, {"modA.bas|Public Sub New", "45293.375|1S|N/A|N/A|N/A|N/A|N/A"},
        {"bad", "45293.375|2D|N/A|N/A|N/A|N/A|N/A"}});
    // A run keeps its records in memory (keys in any case) and writes them once.
    list_.beginUpdates();
    ASSERT_TRUE(list_.recordPrint("MODA.BAS|public sub main", at(2024, 1, 2, 9), 4, true));
    ASSERT_TRUE(list_.recordPrint("modA.bas|Public Sub New", at(2024, 1, 2, 9), 2, true));
    EXPECT_EQ(stored("modA.bas|Public Sub Main"), QStringLiteral("45293.375|12S|5|1|1|3|Sub")) << "nothing written yet";
    ASSERT_TRUE(list_.commitUpdates());
    expectStored({{"modA.bas|Public Sub Main", "45293.375|4D|5|1|1|3|Sub"}, {"modA.bas|Public Sub New", "45293.375|2D|N/A|N/A|N/A|N/A|N/A"}});
    ASSERT_TRUE(list_.recordPrint("modA.bas|Public Sub New", at(2024, 1, 2, 9), 5, false));
    EXPECT_EQ(stored("modA.bas|Public Sub New"), QStringLiteral("45293.375|5S|N/A|N/A|N/A|N/A|N/A")) << "written through again";

    // An aggregate takes its counts from the printing; the contents keep no history.
    const Routine group = makeRoutine("/p/clsA.cls", "Let_Set_Get Properties (All)", RoutineKind::Aggregate);
    seed({{"clsA.cls|Public Sub Let_Set_Get Properties (All)", "N/A|N/A|1|1|1|1|Aggregate"}, {"clsA.cls|Public Sub Go", "N/A|N/A|7|1|2|4|Sub"}});
    LineStatistics lines;
    lines.statements = 32; // counted: 32 + 5 + 3 = 40
    lines.blankLines = 5;
    lines.wrappedLines = 3;
    ASSERT_TRUE(list_.recordPrint(group, {}, at(2024, 1, 2, 9), 4, true, lines));
    // Any other routine keeps its stored counts whatever the printing counted.
    ASSERT_TRUE(list_.recordPrint(makeRoutine("/p/clsA.cls", "Go", RoutineKind::Sub, "Public Sub Go()"), {}, at(2024, 1, 2, 9), 2, false, lines));
    expectStored(
        {{"clsA.cls|Public Sub Let_Set_Get Properties (All)", "45293.375|4D|40|5|3|32|Aggregate"}, {"clsA.cls|Public Sub Go", "45293.375|2S|7|1|2|4|Sub"}});

    const Routine toc = makeRoutine("/tmp/QLN_TOC_1.txt", "Table of Contents", RoutineKind::TableOfContents);
    const QString before = listText();
    EXPECT_TRUE(list_.recordPrint(toc, {}, at(2024, 1, 2, 9), 2, false, lines));
    EXPECT_EQ(listText(), before);

    // The report writer and the print run share the dependency report's record.
    auto parent = std::make_shared<Routine>(makeRoutine("/p/modA.bas", "Calc", RoutineKind::Function, "Private Function Calc(ByVal x As Long) As Long"));
    parent->moduleName = "modA";
    quillon::model::assignUniqueKey(*parent);
    Routine report = makeRoutine("/p/modA.bas", "Calc|Dep", RoutineKind::Dependency);
    report.isDepPseudo = true;
    report.parentKey = parent->uniqueKey;
    auto lookup = [&](const QString& key) { return key == parent->uniqueKey ? parent : quillon::model::RoutinePtr(); };

    const QString key = historyKey(report, lookup);
    EXPECT_EQ(key, QStringLiteral("modA.bas|Private Function Calc|Dep"));
    ASSERT_TRUE(list_.recordDependencyReport(key, 10, 2, 8));
    ASSERT_TRUE(list_.recordPrint(report, lookup, at(2024, 1, 2, 9), 1, true, LineStatistics {}));
    EXPECT_EQ(stored(key), QStringLiteral("45293.375|1D|10|2|8|0|Dependency")) << "one record, written by both";
}

// ---------------------------------------------------------------------------------------
// Indexing: the third load phase

TEST_F(TocTest, IndexGivesEveryRoutineItsKindAndCountsReportsItsProgressAndWritesOnlyWhatChanged)
{
    QStringList big = {"Attribute VB_Name = \"modBig\"", "Option Explicit"};
    for (int i = 1; i <= 29; ++i)
        big << QStringLiteral("Sub S%1()").arg(i) << "End Sub";
    loadProject({{"frmMain.frm", kForm}, {"modA.bas", kModule}, {"modBig.bas", big}});
    seed({
        {"modA.bas|Public Sub Main", "45293.375|3D|99|99|99|99|Sub"}, // printed before; counts out of date
        {"frmMain.frm|Public Sub \x01Layout", "45000|2S|N/A|N/A|N/A|N/A|N/A"}, // the mark reached the file once
        {"modA.bas|Public Sub Gone", "45000|1S|1|0|0|1|Sub"}, // no such routine any more
        {"garbage", "x"},
    });
    project_.status = this;
    const QString before = project_.loadStatusText + "\r\nPhase 3 of 3: Indexing procedure ";
    const Outcome<void> indexed = list_.index(project_);
    ASSERT_TRUE(indexed) << indexed.error().toStdString();
    // 11 routines in MainWindow and modA, 30 in modBig: the first, every 25th and the last are told.
    EXPECT_EQ(statuses_, (QStringList {before + "1 of 41", before + "25 of 41", before + "41 of 41"}));
    expectStored({{"modA.bas|Public Sub Main", "45293.375|3D|5|1|1|3|Sub"},
        // A property's Get and Let share the name; each keeps its own counts.
        {"modA.bas|Public Property Get Value", "N/A|N/A|3|0|0|3|Property Get"}, {"modA.bas|Public Property Let Value", "N/A|N/A|4|0|1|3|Property Let"},
        {"frmMain.frm|Private Sub Event Handler:cmdOK_Click", "N/A|N/A|4|0|1|3|Event Handler"},
        {"frmMain.frm|Public Sub Declarations", "N/A|N/A|2|0|0|2|Declarations"},
        // The Layout record keeps its history, gets its kind and counts, and loses the mark.
        {"frmMain.frm|Public Sub Layout", "45000|2S|6|0|0|6|Layout"},
        // Keys naming nothing, and keys that cannot be read, are left as they were.
        {"modA.bas|Public Sub Gone", "45000|1S|1|0|0|1|Sub"}, {"garbage", "x"}});
    EXPECT_EQ(list_.entries().size(), 11u + 30) << "the marked Layout key is gone: " << listText().toStdString();

    // Nothing changed: the second run leaves the file alone (a write would replace it).
    const ino_t written = fileStatus(listPath()).st_ino;
    ASSERT_NE(written, 0u);
    EXPECT_TRUE(list_.index(project_));
    EXPECT_EQ(fileStatus(listPath()).st_ino, written);

    // A routine without lines to count keeps what is stored.
    for (const auto& [path, routines] : project_.routinesByFile.entries()) {
        for (const auto& r : routines)
            r->codeLines = r->routineName == "S7" ? 0 : r->codeLines;
    }
    seed({{"modBig.bas|Public Sub S7", "45000|1S|9|0|0|9|Sub"}});
    ASSERT_TRUE(list_.index(project_));
    EXPECT_EQ(stored("modBig.bas|Public Sub S7"), QStringLiteral("45000|1S|9|0|0|9|Sub"));
}

// ---------------------------------------------------------------------------------------
// Stale keys

TEST_F(TocTest, MovedProceduresAskWithTheExactTextStaleKeysGoAndAListThatCannotBeWrittenStaysAsItWas)
{
    loadProject({{"modA.bas", {"Attribute VB_Name = \"modA\"", "Public Sub Go()", "End Sub"}},
        {"modB.bas",
            {"Attribute VB_Name = \"modB\"", "Public Sub Moved()", "    x = 1", "End Sub", "Private Function Calc() As Long", "End Function",
                "Public Property Get Value() As Long", "End Property"}},
        {"modC.bas", {"Attribute VB_Name = \"modC\"", "Public Sub Dup()", "End Sub"}},
        {"modD.bas", {"Attribute VB_Name = \"modD\"", "Public Sub Dup()", "End Sub"}}});
    ASSERT_TRUE(list_.index(project_));
    seed({{"modA.bas|Public Sub Moved", "45293.375|3D|9|9|9|9|Sub"}, {"modA.bas|Private Function Calc|Dep", "45000|1S|10|2|8|0|Dependency"},
        {"modX.bas|Public Sub Dup", "45000|1S|N/A|N/A|N/A|N/A|N/A"},
        {"modA.bas|Public Property Get Value", "N/A|N/A|N/A|N/A|N/A|N/A|N/A"}, // no history to move: no question
        {"modA.bas|Public Sub Let_Set_Get Properties (All)", "45000|2D|5|0|0|5|Aggregate"},
        {"modB.bas|Public Sub Let_Set_Get Properties (Small)", "45000|2D|5|0|0|5|Aggregate"},
        {"modB.bas|Private Function Calc|Dep", "45000|1D|4|0|4|0|Dependency"}, {"garbage", "x"}});
    box_.results = {MessageResult::No}; // then no scripted answer: the box answers as the command line would (Yes)
    list_.checkStaleKeys(project_, box_);

    ASSERT_EQ(box_.shown.size(), 2u);
    const QString moved = "\r\nIt appears to have been moved from:\r\n  modA.bas\r\nto:\r\n  modB.bas\r\nDo you want to move the ";
    EXPECT_EQ(box_.shown[0].text, "Quillon found a procedure named Moved" + moved + "print history as well?");
    EXPECT_EQ(box_.shown[1].text, "Quillon found a dependency record for procedure Calc" + moved + "dependency print history as well?");
    for (const auto& shown : box_.shown)
        EXPECT_EQ(std::tuple(shown.title, shown.icon, shown.buttons), std::tuple("Move print history?", MessageIcon::Question, MessageButtons::YesNo));
    expectStored({{"modB.bas|Public Sub Moved", "N/A|N/A|3|0|0|3|Sub"}, // No: untouched
        {"modB.bas|Private Function Calc|Dep", "45000|1S|4|0|4|0|Dependency"}, // Yes: the history moves, the counts stay
        {"modA.bas|Public Sub Moved", "(none)"}, {"modA.bas|Private Function Calc|Dep", "(none)"}, {"modX.bas|Public Sub Dup", "(none)"},
        {"modA.bas|Public Property Get Value", "(none)"}, {"modA.bas|Public Sub Let_Set_Get Properties (All)", "(none)"},
        // A property group lives while its file has properties; unreadable keys are not judged.
        {"modB.bas|Public Sub Let_Set_Get Properties (Small)", "45000|2D|5|0|0|5|Aggregate"}, {"garbage", "x"}});

    // A list that cannot be written stays as it was.
    seed({{"modA.bas|Public Sub Gone", "N/A|N/A|N/A|N/A|N/A|N/A|N/A"}, {"modA.bas|Public Sub Go", "1|1D"}});
    const QByteArray before = readBytes(listPath());
    StaleKeyReport unwritten;
    Outcome<void> indexed;
    {
        const quillon::test::FileSizeLimit tiny(8);
        unwritten = list_.checkStaleKeys(project_, box_);
        indexed = list_.index(project_);
    }
    EXPECT_EQ(std::tuple(unwritten.examined, unwritten.saved.ok(), unwritten.deleted, indexed.ok()), std::tuple(1, false, 0, false));
    for (const Outcome<void>& failed : {unwritten.saved, indexed})
        EXPECT_TRUE(failed.error().startsWith("Cannot write the table of contents list")) << failed.error().toStdString();
    EXPECT_EQ(readBytes(listPath()), before);
    EXPECT_EQ(QDir(fx_.path("opts")).entryList(QDir::Files | QDir::Hidden).size(), 1) << "no temporary file left";
}

// ---------------------------------------------------------------------------------------
// The table of contents text

class TocTextTest : public TocTest {
protected:
    void SetUp() override
    {
        TocTest::SetUp();
        loadProject({{"frmMain.frm", kForm}, {"modA.bas", kModule}});
    }
    // Printed on 3/7/24 2:05:09 pm, 12/31/23 11:59:59 pm and 1/2/24 9:00:00 am.
    const QString march_ = dateSerialText(at(2024, 3, 7, 14, 5, 9)), newYearsEve_ = dateSerialText(at(2023, 12, 31, 23, 59, 59)),
                  january_ = dateSerialText(at(2024, 1, 2, 9));
    // In no particular order, with the ordering characters as the profile reader gives them.
    const std::vector<TocEntry> entries_ = {{"modA.bas|Public Sub Main", "N/A|N/A|5|1|1|3|Sub"}, {"readme.txt|Public Sub Odd", "N/A|N/A|N/A|N/A|N/A|N/A|N/A"},
        {"frmMain.frm|Public Sub Image", march_ + "|2D|6|0|0|6|Image"}, {"frmMain.frm|Public Sub \x01Layout", "N/A|N/A|6|0|0|6|Layout"},
        {"modA.bas|Public Function Calc|Dep", january_ + "|1D|10|2|8|0|Dependency"}, {"garbage", "x"},
        {"modA.bas|Public Function Calc", march_ + "|1234D|12345|5|40|12300|Function"},
        {"frmMain.frm|Public Sub \x02"
         "Declarations",
            "N/A|N/A|2|0|0|2|Declarations"},
        {"frmMain.frm|Private Sub Event Handler:cmdOK_Click", newYearsEve_ + "|3S|4|0|1|3|Event Handler"}};
    const QStringList notes_ = {"", "Note: The individual dependency reports for Property Let, Set or Get procedures",
        "   are available whether or not you have selected the option to aggregate them.",
        "   No Dependency report is available for the pseudo Aggregation procedure."};

    QStringList expectedBody() const
    {
        // m: a heading kept with what follows, in bold; t: the indent of a routine's details. The
        // pseudo-routines (Layout, Declarations) have no kind heading of their own.
        const QString m = "§¤", t(12, QLatin1Char(' ')), folder = " (" + fx_.path("P") + ")";
        const QString never = t + "Last Printed: N/A                     Total Pages: N/A";
        return QStringList {"¤.frm Files", m + "   frmMain.frm" + folder, m + "      Event Handler", m + "         Private Sub Event Handler:cmdOK_Click",
                   t + "Last Printed: 12/31/23 11:59:59 pm    Total Pages: 3S", t + "Line Count:  Total: 4    Blank: 0      Comment: 1      Code: 3",
                   m + "         Public Sub Layout", never, t + "Line Count:  Total: 6    Blank: 0      Comment: 0      Code: 6",
                   m + "         Public Sub Declarations", never, t + "Line Count:  Total: 2    Blank: 0      Comment: 0      Code: 2", "¶¤.bas Files",
                   m + "   modA.bas" + folder, m + "      Function", m + "         Public Function Calc",
                   t + "Last Printed: 3/7/24 2:05:09 pm       Total Pages: 1,234D", t + "Line Count:  Total: 12,345 Blank: 5      Comment: 40     Code: 12,300",
                   m + "      Sub", m + "         Public Sub Main", never, t + "Line Count:  Total: 5    Blank: 1      Comment: 1      Code: 3",
                   "¶¤Dependency Reports", m + "   modA.bas" + folder, m + "      Function", m + "         Public Function Calc|Dep",
                   t + "Last Printed: 1/2/24 9:00:00 am       Total Pages: 1D", t + "Line Count:  Total: 10   Blank: 2      Comment: 8      Code: 0",
                   "¶¤Image Procedures", m + "   frmMain.frm" + folder, m + "         Public Sub Image",
                   t + "Last Printed: 3/7/24 2:05:09 pm       Total Pages: 2D", t + "Line Count:  Total: 6    Blank: 0      Comment: 0      Code: 6",
                   "¶¤.txt Files", "*********** BAD EXTENSION ENCOUNTERED (TXT) ******************************", m + "   readme.txt" + folder, m + "      Sub",
                   m + "         Public Sub Odd", never, t + "Line Count:  Total: N/A  Blank: N/A    Comment: N/A    Code: N/A",
                   "¶¤Project Summary"} // a summary block: files, procedures, printed and not yet printed, then the range,
        // the pages and the line counts of what was printed
        << summary(".frm Files (All Simplex)", "1", "3", "1   Procedures Not Yet Printed: 2", "12/31/23 11:59:59 pm to 12/31/23 11:59:59 pm", "3",
               "12     Blank: 0      Comment: 1      Code: 11")
        << summary(".bas Files (All Duplex)", "1", "2", "1   Procedures Not Yet Printed: 1", "3/7/24 2:05:09 pm  to 3/7/24 2:05:09 pm", "1,234",
               "12,350 Blank: 6      Comment: 41     Code: 12,303")
        << summary(".cls Files", "0", "0", "0   Procedures Not Yet Printed: 0")
        << summary("Dependency Reports (All Duplex)", "1", "1", "1   Procedures Not Yet Printed: 0", "1/2/24 9:00:00 am  to 1/2/24 9:00:00 am", "1",
               "10     Blank: 2      Comment: 8      Code: 0")
        << summary("Image Procedures (All Duplex)", "1", "1", "1   Procedures Not Yet Printed: 0", "3/7/24 2:05:09 pm  to 3/7/24 2:05:09 pm", "2",
               "6      Blank: 0      Comment: 0      Code: 6")
        << summary("All Files  (Project Total) (Both Duplex and Simplex)", "3", "8", "4   Procedures Not Yet Printed: 4",
               "12/31/23 11:59:59 pm to 3/7/24 2:05:09 pm", "1,240", "12,378 Blank: 8      Comment: 50     Code: 12,320");
    }
    static QStringList summary(const QString& title, const QString& files, const QString& procedures, const QString& printed, const QString& range = {},
        const QString& pages = {}, const QString& counts = {})
    {
        QStringList lines {"", "   " + title, "      Total Files: " + files, "      Total Procedures: " + procedures, "      Procedures Printed: " + printed};
        if (!range.isEmpty())
            lines << "      Print  Range:  " + range << "      Total Pages:  " + pages << "      Line Count:  Total: " + counts;
        return lines;
    }
};

TEST_F(TocTextTest, ASmallProjectWithPrintedAndUnprintedEntriesAndUnknownDuplexLetters)
{
    EXPECT_EQ(pictures(tableOfContentsLines(entries_, project_, false)),
        expectedBody() << ""
                       << "Note: Page count and date range exclude procedures not printed yet." << notes_);
    EXPECT_EQ(pictures(tableOfContentsLines(entries_, project_, true)), expectedBody()) << "suppressed notes leave the summary as it is";

    // Unreadable keys are passed over and a category without a print has a summary of zeros: in
    // the contents above ("garbage", the .cls files). Everything printed, with an unknown duplex
    // letter and a page count without its letter:
    const QStringList lines = pictures(
        tableOfContentsLines({{"modA.bas|Public Sub Main", january_ + "|2D|5|1|1|3|Sub"}, {"modA.bas|Public Function Calc", march_ + "|1X|3|0|0|3|Function"},
                                 {"frmMain.frm|Private Sub Helper", march_ + "|1|3|0|0|3|Sub"}},
            project_, false));
    EXPECT_EQ(lines.mid(lines.size() - 4), notes_) << "everything printed: only the dependency note";
    EXPECT_FALSE(lines.join("\n").contains("exclude procedures not printed yet"));
    EXPECT_EQ(lines.filter("Invalid Flag"),
        (QStringList {"   .frm Files (Invalid Flag)", "   .bas Files (Invalid Flag)", "   All Files  (Project Total) (Invalid Flag)"}));
    EXPECT_TRUE(lines.contains("            Last Printed: 3/7/24 2:05:09 pm       Total Pages: 1X"));
}

TEST_F(TocTextTest, UserControlsPropertyPagesUserDocumentsAndDesignersHaveCategoriesAndSummaryBlocksOfTheirOwn)
{
    // A control's image goes with the images; its companion file is no source.
    const QStringList lines = pictures(
        tableOfContentsLines({{"docReadout.dob|Public Sub Refresh", january_ + "|2D|5|1|1|3|Sub"}, {"ctlGauge.ctx|Public Sub Odd", ""},
                                 {"ctlGauge.ctl|Public Sub Image", march_ + "|1D|10|0|0|10|Image"},
                                 {"ctlGauge.ctl|Public Property Get Value", newYearsEve_ + "|1S|3|0|0|3|Property Get"},
                                 {"ctlGauge.ctl|Public Sub \x01Layout", "N/A|N/A|10|0|0|10|Layout"}, {"deReadings.dsr|Public Sub Open", "N/A|N/A|2|0|0|2|Sub"},
                                 {"clsTicker.cls|Public Sub Tick", march_ + "|2D|3|0|0|3|Sub"},
                                 {"ppgGauge.pag|Private Sub Event Handler:PropertyPage_ApplyChanges", "N/A|N/A|4|0|1|3|Event Handler"}},
            project_, true));
    // The categories' titles, then the summary's: the new kinds' blocks, each with its own totals,
    // stand between the classes' and the reports' (the project above, without them, shows none).
    EXPECT_EQ(lines.filter(QRegularExpression("^(¶?¤|   [^ ])")),
        QStringList({"¤.cls Files", "¶¤.ctl Files", "¶¤.pag Files", "¶¤.dob Files", "¶¤.dsr Files", "¶¤Image Procedures", "¶¤.ctx Files", "¶¤Project Summary",
            "   .frm Files", "   .bas Files", "   .cls Files (All Duplex)", "   .ctl Files (All Simplex)", "   .pag Files", "   .dob Files (All Duplex)",
            "   .dsr Files", "   Dependency Reports", "   Image Procedures (All Duplex)", "   All Files  (Project Total) (Both Duplex and Simplex)"}));
    EXPECT_EQ(lines.mid(lines.size() - 8),
        summary("All Files  (Project Total) (Both Duplex and Simplex)", "6", "8", "4   Procedures Not Yet Printed: 4",
            "12/31/23 11:59:59 pm to 3/7/24 2:05:09 pm", "6", "37     Blank: 1      Comment: 2      Code: 34"));
}

// ---------------------------------------------------------------------------------------
// The temporary file and the steps before printing

TEST_F(TocTest, TheContentsArePreparedFromTheListAndPrintAsOneRoutineOfTheirOwn)
{
    // Preparing the contents drops stale keys, builds the listing and asks about the notes.
    loadProject({{"modA.bas", kModule}});
    seed({{"modGone.bas|Public Sub Old", "N/A|N/A|N/A|N/A|N/A|N/A|N/A"}});
    ASSERT_TRUE(list_.index(project_));
    std::optional<quillon::model::Listing> prepared = prepareTableOfContents(list_, project_, box_, true);
    ASSERT_TRUE(prepared.has_value());
    EXPECT_TRUE(box_.shown.empty()) << "the stale key goes without a question";
    const QStringList text = pictures(prepared->lines);
    EXPECT_TRUE(text.filter("modGone.bas").isEmpty());
    EXPECT_EQ(text.mid(0, 2), QStringList({"¤.bas Files", "§¤   modA.bas (" + fx_.path("P") + ")"}));

    // Its routine covers every line, holds them, is not highlighted and keeps no history.
    const quillon::model::RoutinePtr routine = makeTocRoutine(*prepared);
    EXPECT_EQ(std::tuple(routine->filePath, routine->startLine, routine->endLine, hasHistory(*routine)),
        std::tuple(QString(), 1, int(prepared->lines.size()), false));
    ASSERT_TRUE(routine->listing);
    EXPECT_EQ(std::tuple(routine->listing->lines == prepared->lines, routine->listing->colours), std::tuple(true, quillon::model::ListingColours::Plain));

    // The notes question: the first button suppresses them.
    quillon::config::SuppressibleMessages messages(options_, box_);
    box_.answers = {{0, {}, QString()}, {1, {}, QString()}};
    EXPECT_TRUE(askSuppressTocNotes(messages));
    EXPECT_FALSE(askSuppressTocNotes(messages));
}

} // namespace
