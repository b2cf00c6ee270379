#include "config/Ini.h"
#include "config/ZrkMsgBox.h"
#include "model/DiagLog.h"
#include "model/ProjectLoader.h"
#include "platform/MessageBox.h"
#include "platform/StatusSink.h"
#include "print/TableOfContents.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace quillon::print;
using quillon::config::IniDocument;
using quillon::config::IniStore;
using quillon::model::clsRoutineInfo;
using quillon::model::DiagLog;
using quillon::model::Project;
using quillon::model::RoutinePtr;
using quillon::platform::MsgButtons;
using quillon::platform::MsgIcon;
using quillon::platform::MsgResult;
using quillon::platform::ScriptedMessageBox;
using quillon::test::Fixture;
using quillon::test::ReadBytes;

namespace {

QDateTime At(int y, int mo, int d, int h, int mi, int s)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
}

// Writes past a few bytes fail while this lives, for whoever runs the tests (root included):
// the way to make the list file unwritable without touching permissions.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit limited = saved_;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved_); }

private:
    rlimit saved_{};
};

ino_t Inode(const QString& path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

struct RecordingStatus : quillon::platform::IStatusSink {
    QStringList shown;
    void ShowStatus(const QString& text) override { shown << text; }
};

// An options file in its own folder, the list beside it, and a project on disk.
class TocTest : public ::testing::Test {
protected:
    Fixture fx;
    DiagLog log{fx.path("diag.txt")};
    IniStore options{fx.path("opts/QLN.spi"), &log};
    TocList list{options};
    Project project;
    ScriptedMessageBox box;

    void SetUp() override { QDir().mkpath(fx.path("opts")); }

    QString ListPath() const { return fx.path("opts/TOC-File-For-App.txt"); }
    QString ListText() const { return QString::fromUtf8(ReadBytes(ListPath())); }
    QString Stored(const QString& key) const { return options.INIRead("App.vbp:TOC List", key, "(none)", ListPath()); }

    // Writes the project's files under P/ and loads them.
    void LoadProject(const QList<std::pair<QString, QStringList>>& files)
    {
        QStringList vbp;
        for (const auto& [name, lines] : files) {
            fx.writeLines("P/" + name, lines);
            const QString kindWord = name.endsWith(".frm") ? "Form=" : name.endsWith(".cls") ? "Class=" : "Module=";
            vbp << (kindWord == "Form=" ? kindWord + name : kindWord + QFileInfo(name).baseName() + "; " + name);
        }
        const QString path = fx.writeLines("P/App.vbp", vbp);
        ASSERT_EQ(project.OpenProject(path), Project::OpenOutcome::Loaded);
    }

    void Seed(const QList<std::pair<QString, QString>>& entries)
    {
        IniDocument doc = options.Load(ListPath());
        for (const auto& [key, value] : entries)
            doc.SetValue("App.vbp:TOC List", key, value);
        ASSERT_TRUE(options.Save(doc, ListPath()));
    }

    RoutinePtr Routine(const QString& fileName, const QString& name) const
    {
        for (const auto& [path, routines] : project.RoutinesByFile.entries()) {
            if (!path.endsWith("/" + fileName))
                continue;
            for (const RoutinePtr& r : routines) {
                if (r->RoutineName == name)
                    return r;
            }
        }
        return nullptr;
    }
};

const QStringList kForm = {
    "VERSION 5.00",                  // 1  Layout and Image: 1..6
    "Begin VB.Form frmMain",         // 2
    "   Caption = \"Main\"",         // 3
    "End",                           // 4
    "Attribute VB_Name = \"frmMain\"", // 5
    "Attribute VB_Exposed = False",  // 6
    "Option Explicit",               // 7  Declarations: 7..8
    "Private mCount As Long",        // 8
    "",                              // 9
    "' Counts clicks",               // 10 the handler: 10..13
    "Private Sub cmdOK_Click()",     // 11
    "    mCount = mCount + 1",       // 12
    "End Sub"};                      // 13

const QStringList kModule = {
    "Attribute VB_Name = \"modA\"",  // 1
    "Public Sub Main()",             // 2  Main: 2..6, 1 comment, 1 blank, 3 code
    "    ' start here",              // 3
    "",                              // 4
    "    Calc 1",                    // 5
    "End Sub",                       // 6
    "Public Function Calc(ByVal x As Long) As Long", // 7 Calc: 3 code
    "    Calc = x * 2",              // 8
    "End Function",                  // 9
    "Public Property Get Value() As Long", // 10 Get: 3 code
    "    Value = 1",                 // 11
    "End Property",                  // 12
    "Public Property Let Value(ByVal v As Long)", // 13 Let: 1 comment, 3 code
    "    ' ignored",                 // 14
    "    x = v",                     // 15
    "End Property"};                 // 16

// ---------------------------------------------------------------------------------------
// The list file: names, creation, migration

TEST_F(TocTest, TheListIsNamedAfterTheProjectFileInAnyFolder)
{
    EXPECT_EQ(TocSectionName("C:\\Work\\VB\\App.vbp"), QStringLiteral("App.vbp:TOC List"));
    EXPECT_EQ(TocSectionName("/home/u/App.vbp"), QStringLiteral("App.vbp:TOC List"));
    EXPECT_EQ(TocListPath(options.defaultPath(), "C:\\Work\\VB\\App.vbp"), ListPath());
    EXPECT_EQ(TocListPath(options.defaultPath(), "/elsewhere/My.App.vbp"), fx.path("opts/TOC-File-For-My.App.txt"));

    ASSERT_TRUE(list.Open(fx.path("anywhere/App.vbp"))) << list.LastError().toStdString();
    EXPECT_EQ(list.Section(), QStringLiteral("App.vbp:TOC List"));
    EXPECT_EQ(list.Path(), ListPath());
    EXPECT_TRUE(QFileInfo::exists(ListPath()));
    EXPECT_EQ(QFileInfo(ListPath()).size(), 0) << "created empty";

    // Opening again keeps what the file holds.
    Seed({{"modA.bas|Public Sub Main", "N/A|N/A|5|1|1|3|Sub"}});
    ASSERT_TRUE(list.Open("App.vbp"));
    EXPECT_EQ(list.ReadRecord("MODA.BAS|Public Sub Main").field(TocRecord::TotalLines), QStringLiteral("5"));

    EXPECT_FALSE(list.Open(""));
    EXPECT_FALSE(list.IsOpen());
    EXPECT_FALSE(list.LastError().isEmpty());
}

TEST_F(TocTest, OpenMovesTheProjectsSectionOutOfTheOptionsFileWithoutOrderingCharacters)
{
    fx.write("opts/QLN.spi", QByteArray("[Quillon:Output]\r\nDuplex=True\r\n[App.vbp:TOC List]\r\n"
                                        "frmA.frm|Public Sub \x01Layout=45000.5|3D|6|0|0|6|Layout\r\n"
                                        "frmA.frm|Public Sub \x02" "Declarations=N/A|N/A|2|0|0|2|Declarations\r\n"
                                        "modA.bas|Public Sub Go=N/A\r\n[Other.vbp:TOC List]\r\nx.bas|Public Sub Y=1\r\n"));
    fx.write("opts/TOC-File-For-App.txt", "[App.vbp:TOC List]\r\nmodA.bas|Public Sub Kept=1|2S\r\n");
    ASSERT_TRUE(list.Open("C:\\VB\\App.vbp")) << list.LastError().toStdString();

    EXPECT_EQ(ListText(), QStringLiteral("[App.vbp:TOC List]\r\nmodA.bas|Public Sub Kept=1|2S\r\n"
                                         "frmA.frm|Public Sub Layout=45000.5|3D|6|0|0|6|Layout\r\n"
                                         "frmA.frm|Public Sub Declarations=N/A|N/A|2|0|0|2|Declarations\r\n"
                                         "modA.bas|Public Sub Go=N/A\r\n"));
    EXPECT_EQ(ReadBytes(options.defaultPath()),
              QByteArray("[Quillon:Output]\r\nDuplex=True\r\n[Other.vbp:TOC List]\r\nx.bas|Public Sub Y=1\r\n"));
    EXPECT_EQ(list.ReadRecord("frmA.frm|Public Sub Layout").field(TocRecord::Kind), QStringLiteral("Layout"));
}

TEST_F(TocTest, MigrateAllMovesEverySectionEndingInTocList)
{
    fx.write("opts/QLN.spi", QByteArray("[Quillon:Output]\nDuplex=True\n[App.vbp:TOC List]\n"
                                        "m.bas|Public Sub \x01Layout Helper=1\n[Other.VBP:toc list]\nx.bas|Public Sub Y=2\n"
                                        "[Quillon:Colors]\nNormal Text=0\n"));
    const TocMigration moved = MigrateAllTocSections(options);
    EXPECT_EQ(moved.sections, 2);
    EXPECT_EQ(moved.failed, 0);
    EXPECT_EQ(ReadBytes(options.defaultPath()), QByteArray("[Quillon:Output]\nDuplex=True\n[Quillon:Colors]\nNormal Text=0\n"));
    EXPECT_EQ(ListText(), QStringLiteral("[App.vbp:TOC List]\nm.bas|Public Sub Layout Helper=1\n"));
    EXPECT_EQ(ReadBytes(fx.path("opts/TOC-File-For-Other.txt")), QByteArray("[Other.VBP:toc list]\nx.bas|Public Sub Y=2\n"));

    // Nothing left to move: nothing is written.
    const QByteArray before = ReadBytes(options.defaultPath());
    EXPECT_EQ(MigrateAllTocSections(options).sections, 0);
    EXPECT_EQ(ReadBytes(options.defaultPath()), before);
}

TEST_F(TocTest, ASectionThatCannotBeMovedStaysInTheOptionsFile)
{
    const QByteArray original("[App.vbp:TOC List]\nm.bas|Public Sub A=1\n");
    fx.write("opts/QLN.spi", original);
    QDir().mkpath(ListPath()); // a folder where the list file should be
    EXPECT_FALSE(list.Open("App.vbp"));
    EXPECT_TRUE(list.LastError().contains("TOC-File-For-App.txt")) << list.LastError().toStdString();
    EXPECT_EQ(ReadBytes(options.defaultPath()), original);

    const TocMigration all = MigrateAllTocSections(options);
    EXPECT_EQ(all.sections, 0);
    EXPECT_EQ(all.failed, 1);
    EXPECT_FALSE(all.error.isEmpty());
    EXPECT_EQ(ReadBytes(options.defaultPath()), original);
}

TEST_F(TocTest, AnUnwritableFolderGivesAClearFailure)
{
    fx.write("blocker", "a file, not a folder");
    IniStore blocked(fx.path("blocker/QLN.spi"), &log);
    TocList inside(blocked);
    EXPECT_FALSE(inside.Open("App.vbp"));
    EXPECT_TRUE(inside.LastError().startsWith("Cannot create the table of contents list")) << inside.LastError().toStdString();
    EXPECT_FALSE(inside.WriteRecord("m.bas|Public Sub A", TocRecord()));
    EXPECT_EQ(inside.ReadRecord("m.bas|Public Sub A"), TocRecord());
    EXPECT_TRUE(inside.Entries().empty());
    EXPECT_FALSE(inside.Index(project));
}

// ---------------------------------------------------------------------------------------
// Records, dates and numbers

TEST(TocRecordTest, MissingFieldsReadAsNotAvailable)
{
    EXPECT_EQ(TocRecord().Text(), QStringLiteral("N/A|N/A|N/A|N/A|N/A|N/A|N/A"));
    EXPECT_TRUE(TocRecord().IsBlank());
    EXPECT_EQ(TocRecord::Parse("").Text(), QStringLiteral("N/A|N/A|N/A|N/A|N/A|N/A|N/A"));
    EXPECT_EQ(TocRecord::Parse("45000.5|12D").Text(), QStringLiteral("45000.5|12D|N/A|N/A|N/A|N/A|N/A"));
    EXPECT_EQ(TocRecord::Parse("a|| c |d|e|f|g|extra|more").Text(), QStringLiteral("a|N/A|c|d|e|f|g"));
    TocRecord r = TocRecord::Parse("N/A|N/A|N/A|N/A|N/A|N/A|Sub");
    EXPECT_FALSE(r.IsBlank());
    r.setField(TocRecord::Pages, "");
    r.setField(TocRecord::LastPrinted, "a|b");
    EXPECT_EQ(r.Text(), QStringLiteral("a/b|N/A|N/A|N/A|N/A|N/A|Sub")) << "a field never spills into the next";
}

TEST(TocDates, SerialsCountDaysFromTheEndOf1899)
{
    EXPECT_EQ(DateSerialText(At(1899, 12, 30, 0, 0, 0)), QStringLiteral("0"));
    EXPECT_EQ(DateSerialText(At(1900, 1, 1, 0, 0, 0)), QStringLiteral("2"));
    EXPECT_EQ(DateSerialText(At(2024, 1, 2, 9, 0, 0)), QStringLiteral("45293.375"));
    EXPECT_EQ(DateSerialText(At(2024, 3, 7, 14, 5, 9)), QStringLiteral("45358.5869097222"));
    // Before the epoch the fraction still counts forward from midnight.
    EXPECT_EQ(DateSerialText(At(1899, 12, 29, 6, 0, 0)), QStringLiteral("-1.25"));
    EXPECT_EQ(DateFromSerialText("-1.25"), At(1899, 12, 29, 6, 0, 0));

    for (const QDateTime& when : {At(2024, 3, 7, 14, 5, 9), At(2023, 12, 31, 23, 59, 59), At(1999, 1, 1, 0, 0, 1),
                                  At(1850, 6, 15, 12, 30, 45), At(9999, 12, 31, 23, 59, 59)})
        EXPECT_EQ(DateFromSerialText(DateSerialText(when)), when) << when.toString().toStdString();
    // Milliseconds are not kept; a time a hair before midnight rounds into the next day.
    EXPECT_EQ(DateFromSerialText(DateSerialText(QDateTime(QDate(2024, 1, 2), QTime(9, 0, 0, 900)))),
              At(2024, 1, 2, 9, 0, 0));
    EXPECT_EQ(DateFromSerialText("45293.9999999999"), At(2024, 1, 3, 0, 0, 0));
    EXPECT_EQ(DateFromSerialText(" 45293,375 "), At(2024, 1, 2, 9, 0, 0)) << "decimal comma";

    for (const char* bad : {"N/A", "", "  ", "abc", "12D", "1e300", "inf", "nan", "3000000", "-700000"})
        EXPECT_FALSE(DateFromSerialText(QString::fromLatin1(bad)).has_value()) << bad;
}

TEST(TocDates, PrintedWithoutLeadingZerosAndWithTwoDigitYears)
{
    EXPECT_EQ(TocDateText(At(2024, 3, 7, 14, 5, 9)), QStringLiteral("3/7/24 2:05:09 pm"));
    EXPECT_EQ(TocDateText(At(2005, 11, 23, 0, 0, 5)), QStringLiteral("11/23/05 12:00:05 am"));
    EXPECT_EQ(TocDateText(At(2000, 12, 31, 12, 59, 59)), QStringLiteral("12/31/00 12:59:59 pm"));
}

TEST(TocNumbers, LargeCountsKeepEveryDigit)
{
    EXPECT_EQ(CountText(0), QStringLiteral("0"));
    EXPECT_EQ(CountText(999), QStringLiteral("999"));
    EXPECT_EQ(CountText(1000), QStringLiteral("1,000"));
    EXPECT_EQ(CountText(1234567), QStringLiteral("1,234,567"));
    EXPECT_EQ(CountText(-12345), QStringLiteral("-12,345"));
    EXPECT_EQ(CountText(std::numeric_limits<qint64>::min()), QStringLiteral("-9,223,372,036,854,775,808"));
    EXPECT_EQ(CountFieldText("N/A"), QStringLiteral("N/A"));
    EXPECT_EQ(CountFieldText("12x"), QStringLiteral("12x"));

    // 12,345 lines would lose its last digit if the column cut it.
    EXPECT_EQ(TocLineCountLine("12345", "123456", "1234567", "9", false),
              QStringLiteral("            Line Count:  Total: 12,345 Blank: 123,456 Comment: 1,234,567 Code: 9"));
    // Filling a column exactly still leaves a blank before the next one.
    EXPECT_EQ(TocLineCountLine("1234", "5", "6", "7", false),
              QStringLiteral("            Line Count:  Total: 1,234 Blank: 5      Comment: 6      Code: 7"));
    EXPECT_EQ(TocLineCountLine("123456", "5", "6", "7", true),
              QStringLiteral("      Line Count:  Total: 123,456 Blank: 5      Comment: 6      Code: 7"));
    EXPECT_EQ(TocLineCountLine("999", "5", "6", "7", false),
              QStringLiteral("            Line Count:  Total: 999  Blank: 5      Comment: 6      Code: 7"));
    EXPECT_EQ(FitColumn("abc", 5), QStringLiteral("abc  "));
    EXPECT_EQ(FitColumn("abcde", 5), QStringLiteral("abcde "));
    EXPECT_EQ(FitColumn("abcdefg", 5), QStringLiteral("abcdefg "));
}

TEST(TocNumbers, HistoryLineShowsDatePagesAndDuplexLetter)
{
    const QString serial = DateSerialText(At(2024, 3, 7, 14, 5, 9));
    EXPECT_EQ(TocHistoryLine(TocRecord::Parse(serial + "|12D")),
              QStringLiteral("            Last Printed: 3/7/24 2:05:09 pm       Total Pages: 12D"));
    EXPECT_EQ(TocHistoryLine(TocRecord::Parse(serial + "|12345S")),
              QStringLiteral("            Last Printed: 3/7/24 2:05:09 pm       Total Pages: 12,345S"));
    EXPECT_EQ(TocHistoryLine(TocRecord()),
              QStringLiteral("            Last Printed: N/A                     Total Pages: N/A"));
    EXPECT_EQ(TocHistoryLine(TocRecord::Parse(DateSerialText(At(2023, 12, 31, 23, 59, 59)) + "|D")),
              QStringLiteral("            Last Printed: 12/31/23 11:59:59 pm    Total Pages: D"));
}

// ---------------------------------------------------------------------------------------
// Keys

TEST(TocKeys, KindComesFromTheKeyWithoutOrderingCharacters)
{
    const std::pair<const char*, const char*> cases[] = {
        {"frmA.frm|Public Sub \x01Layout", "Layout"},
        {"frmA.frm|Public Sub Layout", "Layout"},
        {"frmA.frm|Public Sub \x02" "Declarations", "Declarations"},
        {"frmA.frm|Public Sub Image", "Image"},
        {"clsA.cls|Public Sub Let_Set_Get Properties (All)", "Aggregate"},
        {"frmA.frm|Private Sub Event Handler:cmdOK_Click", "Event Handler"},
        {"modA.bas|Private Sub Go", "Sub"},
        {"modA.bas|Public Function Calc", "Function"},
        {"clsA.cls|Public Property Let Value", "Property Let"},
        {"clsA.cls|Friend Property Set Item", "Property Set"},
        {"clsA.cls|Public Property Get Value", "Property Get"},
        {"modA.bas|Public Function Calc|Dep", "Function"},
        {"modA.bas|Calc", "Unexpected Procedure Kind"},
        // Names that only start like a pseudo-routine are ordinary procedures.
        {"frmA.frm|Private Sub ImageRefresh", "Sub"},
        {"modA.bas|Public Sub LayoutGrid", "Sub"},
        {"modA.bas|Public Sub \x01Layout Helper", "Sub"},
    };
    for (const auto& [key, kind] : cases)
        EXPECT_EQ(TocKindText(QString::fromLatin1(key)), QString::fromLatin1(kind)) << key;
}

TEST(TocKeys, KeysSplitAtTheFirstBarAndNeedBothSides)
{
    for (const char* bad : {"no bar here", "|Public Sub A", "modA.bas|", "  |  ", "modA.bas|  "})
        EXPECT_FALSE(ParseTocKey(QString::fromLatin1(bad)).has_value()) << bad;

    std::optional<TocKey> k = ParseTocKey(" clsA.cls | Private Property Get Value ");
    ASSERT_TRUE(k);
    EXPECT_EQ(k->file, QStringLiteral("clsA.cls"));
    EXPECT_EQ(k->procedure, QStringLiteral("Private Property Get Value"));
    EXPECT_EQ(k->name, QStringLiteral("Value"));
    EXPECT_EQ(k->kindWord, QStringLiteral("Property Get"));
    EXPECT_FALSE(k->dependency);

    k = ParseTocKey("frmA.frm|Public Sub \x01Layout");
    ASSERT_TRUE(k);
    EXPECT_EQ(k->procedure, QStringLiteral("Public Sub Layout"));
    EXPECT_EQ(k->name, QStringLiteral("Layout"));

    k = ParseTocKey("frmA.frm|Private Sub Event Handler:cmdOK_Click|Dep");
    ASSERT_TRUE(k);
    EXPECT_TRUE(k->dependency);
    EXPECT_EQ(k->name, QStringLiteral("Event Handler:cmdOK_Click"));
    EXPECT_EQ(CategoryOf(*k), TocCategory::Dependency);

    const std::pair<const char*, TocCategory> categories[] = {
        {"A.FRM|Public Sub X", TocCategory::Frm},       {"a.Bas|Public Sub X", TocCategory::Bas},
        {"a.cls|Public Sub X", TocCategory::Cls},       {"a.frm|Public Sub Image", TocCategory::Image},
        {"a.frm|Public Sub ImageX", TocCategory::Frm},  {"notes.txt|Public Sub X", TocCategory::Other},
        {"noextension|Public Sub X", TocCategory::Other}};
    for (const auto& [key, category] : categories)
        EXPECT_EQ(CategoryOf(*ParseTocKey(QString::fromLatin1(key))), category) << key;
}

TEST(TocKeys, ADependencyReportHasOneKeyForWriterRunAndContents)
{
    auto parent = std::make_shared<clsRoutineInfo>();
    parent->FilePath = "/p/modA.bas";
    parent->ModuleName = "modA";
    parent->RoutineName = "Calc";
    parent->RoutineKind = "Function";
    parent->SigLineText = "Private Function Calc(ByVal x As Long) As Long";
    quillon::model::AssignUniqueKey(*parent);
    clsRoutineInfo report = *parent;
    report.RoutineName = "Calc|Dep";
    report.RoutineKind = "Dependency";
    report.SigLineText.clear();
    report.IsDepPseudo = true;
    report.ParentKey = parent->UniqueKey;
    auto lookup = [&](const QString& key) { return key == parent->UniqueKey ? parent : RoutinePtr(); };

    const QString key = HistoryKey(report, lookup);
    EXPECT_EQ(key, QStringLiteral("modA.bas|Private Function Calc|Dep"));
    EXPECT_EQ(CategoryOf(*ParseTocKey(key)), TocCategory::Dependency);
    EXPECT_EQ(HistoryKey(*parent), QStringLiteral("modA.bas|Private Function Calc"));

    clsRoutineInfo toc;
    toc.RoutineName = "Table of Contents";
    toc.RoutineKind = "TOC";
    EXPECT_FALSE(HasHistory(toc));
    EXPECT_TRUE(HasHistory(report));
}

// ---------------------------------------------------------------------------------------
// Print history written by the print run and the report writer

TEST_F(TocTest, PrintHistoryReplacesDateAndPagesAndKeepsTheCounts)
{
    ASSERT_TRUE(list.Open("App.vbp"));
    Seed({{"modA.bas|Public Sub Main", "N/A|N/A|5|1|1|3|Sub"}, {"bad", "1|2"}});
    ASSERT_TRUE(list.RecordPrint("modA.bas|Public Sub Main", At(2024, 3, 7, 14, 5, 9), 3, true));
    EXPECT_EQ(Stored("modA.bas|Public Sub Main"), QStringLiteral("45358.5869097222|3D|5|1|1|3|Sub"));
    ASSERT_TRUE(list.RecordPrint("modA.bas|Public Sub Main", At(2024, 1, 2, 9, 0, 0), 12, false));
    EXPECT_EQ(Stored("modA.bas|Public Sub Main"), QStringLiteral("45293.375|12S|5|1|1|3|Sub"));

    // A routine printed for the first time gets a record of its own.
    ASSERT_TRUE(list.RecordPrint("modA.bas|Public Sub New", At(2024, 1, 2, 9, 0, 0), 1, false));
    EXPECT_EQ(Stored("modA.bas|Public Sub New"), QStringLiteral("45293.375|1S|N/A|N/A|N/A|N/A|N/A"));
    // A damaged record with too few fields is completed, not refused.
    ASSERT_TRUE(list.RecordPrint("bad", At(2024, 1, 2, 9, 0, 0), 2, true));
    EXPECT_EQ(Stored("bad"), QStringLiteral("45293.375|2D|N/A|N/A|N/A|N/A|N/A"));
}

TEST_F(TocTest, ARunKeepsItsRecordsInMemoryAndWritesThemOnce)
{
    ASSERT_TRUE(list.Open("App.vbp"));
    Seed({{"modA.bas|Public Sub Main", "N/A|N/A|5|1|1|3|Sub"}});
    list.BeginUpdates();
    ASSERT_TRUE(list.RecordPrint("modA.bas|Public Sub Main", At(2024, 1, 2, 9, 0, 0), 3, true));
    ASSERT_TRUE(list.RecordPrint("MODA.BAS|public sub main", At(2024, 1, 2, 9, 0, 0), 4, true));
    ASSERT_TRUE(list.RecordPrint("modA.bas|Public Sub New", At(2024, 1, 2, 9, 0, 0), 1, false));
    EXPECT_EQ(Stored("modA.bas|Public Sub Main"), QStringLiteral("N/A|N/A|5|1|1|3|Sub")) << "nothing written yet";
    EXPECT_EQ(list.ReadRecord("modA.bas|Public Sub Main").Text(), QStringLiteral("45293.375|4D|5|1|1|3|Sub"));
    ASSERT_TRUE(list.CommitUpdates());
    EXPECT_EQ(Stored("modA.bas|Public Sub Main"), QStringLiteral("45293.375|4D|5|1|1|3|Sub"));
    EXPECT_EQ(Stored("modA.bas|Public Sub New"), QStringLiteral("45293.375|1S|N/A|N/A|N/A|N/A|N/A"));
    // After the commit the list writes through again.
    ASSERT_TRUE(list.RecordPrint("modA.bas|Public Sub New", At(2024, 1, 2, 9, 0, 0), 2, false));
    EXPECT_EQ(Stored("modA.bas|Public Sub New"), QStringLiteral("45293.375|2S|N/A|N/A|N/A|N/A|N/A"));
}

TEST_F(TocTest, AnAggregatePageTakesItsCountsFromThePrinting)
{
    ASSERT_TRUE(list.Open("App.vbp"));
    clsRoutineInfo group;
    group.FilePath = "/p/clsA.cls";
    group.RoutineName = "Let_Set_Get Properties (All)";
    group.RoutineKind = "Aggregate";
    const QString key = HistoryKey(group);
    EXPECT_EQ(key, QStringLiteral("clsA.cls|Public Sub Let_Set_Get Properties (All)"));
    Seed({{key, "N/A|N/A|1|1|1|1|Aggregate"}});
    LineStatistics lines;
    lines.statements = 32; // counted: 32 + 5 + 3 = 40
    lines.blankLines = 5;
    lines.wrappedLines = 3;
    ASSERT_TRUE(list.RecordPrint(group, {}, At(2024, 1, 2, 9, 0, 0), 4, true, lines));
    EXPECT_EQ(Stored(key), QStringLiteral("45293.375|4D|40|5|3|32|Aggregate"));

    // Any other routine keeps its stored counts whatever the printing counted.
    clsRoutineInfo sub;
    sub.FilePath = "/p/clsA.cls";
    sub.RoutineName = "Go";
    sub.RoutineKind = "Sub";
    sub.SigLineText = "Public Sub Go()";
    Seed({{"clsA.cls|Public Sub Go", "N/A|N/A|7|1|2|4|Sub"}});
    ASSERT_TRUE(list.RecordPrint(sub, {}, At(2024, 1, 2, 9, 0, 0), 2, false, lines));
    EXPECT_EQ(Stored("clsA.cls|Public Sub Go"), QStringLiteral("45293.375|2S|7|1|2|4|Sub"));

    // The table of contents itself keeps no history.
    clsRoutineInfo toc;
    toc.RoutineName = "Table of Contents";
    toc.RoutineKind = "TOC";
    toc.FilePath = "/tmp/QLN_TOC_1.txt";
    const QString before = ListText();
    EXPECT_TRUE(list.RecordPrint(toc, {}, At(2024, 1, 2, 9, 0, 0), 2, false, lines));
    EXPECT_EQ(ListText(), before);
}

TEST_F(TocTest, ReportWriterAndPrintRunShareTheDependencyRecord)
{
    ASSERT_TRUE(list.Open("App.vbp"));
    auto parent = std::make_shared<clsRoutineInfo>();
    parent->FilePath = "/p/modA.bas";
    parent->RoutineName = "Calc";
    parent->RoutineKind = "Function";
    parent->SigLineText = "Public Function Calc()";
    parent->UniqueKey = "calc-key";
    clsRoutineInfo report;
    report.FilePath = "/tmp/QLN_DEP_MODA_CALC_DEP.TXT"; // the report text, once produced
    report.RoutineName = "Calc|Dep";
    report.RoutineKind = "Dependency";
    report.IsDepPseudo = true;
    report.ParentKey = "calc-key";
    auto lookup = [&](const QString& key) { return key == "calc-key" ? parent : RoutinePtr(); };

    const QString key = QStringLiteral("modA.bas|Public Function Calc|Dep");
    ASSERT_TRUE(list.RecordDependencyReport(HistoryKey(report, lookup), 10, 2, 8));
    ASSERT_TRUE(list.RecordPrint(report, lookup, At(2024, 1, 2, 9, 0, 0), 1, true, LineStatistics{}));
    const std::vector<TocEntry> entries = list.Entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].key, key);
    EXPECT_EQ(entries[0].value, QStringLiteral("45293.375|1D|10|2|8|0|Dependency"));
}

// ---------------------------------------------------------------------------------------
// Indexing: the third load phase

TEST_F(TocTest, IndexGivesEveryRoutineItsKindAndCounts)
{
    LoadProject({{"frmMain.frm", kForm}, {"modA.bas", kModule}});
    ASSERT_TRUE(list.Open(project.ProjectPath));
    Seed({
        {"modA.bas|Public Sub Main", "45293.375|3D|99|99|99|99|Sub"}, // printed before; counts out of date
        {"frmMain.frm|Public Sub \x01Layout", "45000|2S|N/A|N/A|N/A|N/A|N/A"}, // the mark reached the file once
        {"modA.bas|Public Sub Gone", "45000|1S|1|0|0|1|Sub"},          // no such routine any more
        {"garbage", "x"},
    });
    ASSERT_TRUE(list.Index(project)) << list.LastError().toStdString();

    EXPECT_EQ(Stored("modA.bas|Public Sub Main"), QStringLiteral("45293.375|3D|5|1|1|3|Sub"));
    EXPECT_EQ(Stored("modA.bas|Public Function Calc"), QStringLiteral("N/A|N/A|3|0|0|3|Function"));
    // A property's Get and Let share the name; each keeps its own counts.
    EXPECT_EQ(Stored("modA.bas|Public Property Get Value"), QStringLiteral("N/A|N/A|3|0|0|3|Property Get"));
    EXPECT_EQ(Stored("modA.bas|Public Property Let Value"), QStringLiteral("N/A|N/A|4|0|1|3|Property Let"));
    EXPECT_EQ(Stored("frmMain.frm|Private Sub Event Handler:cmdOK_Click"),
              QStringLiteral("N/A|N/A|4|0|1|3|Event Handler"));
    EXPECT_EQ(Stored("frmMain.frm|Public Sub Image"), QStringLiteral("N/A|N/A|6|0|0|6|Image"));
    EXPECT_EQ(Stored("frmMain.frm|Public Sub Declarations"), QStringLiteral("N/A|N/A|2|0|0|2|Declarations"));
    // The Layout record keeps its history, gets its kind and counts, and loses the mark.
    EXPECT_EQ(Stored("frmMain.frm|Public Sub Layout"), QStringLiteral("45000|2S|6|0|0|6|Layout"));
    EXPECT_FALSE(ListText().contains(QChar(1)));
    // Keys naming nothing, and keys that cannot be read, are left as they were.
    EXPECT_EQ(Stored("modA.bas|Public Sub Gone"), QStringLiteral("45000|1S|1|0|0|1|Sub"));
    EXPECT_EQ(Stored("garbage"), QStringLiteral("x"));
    EXPECT_EQ(Stored("modA.bas|Public Sub Declarations"), QStringLiteral("N/A|N/A|1|0|0|1|Declarations"));
    EXPECT_EQ(list.Entries().size(), 11u) << ListText().toStdString();
}

TEST_F(TocTest, IndexLeavesARoutineWithoutLinesAsStored)
{
    LoadProject({{"modE.bas", {"Attribute VB_Name = \"modE\"", "Sub A()", "End Sub"}}});
    ASSERT_TRUE(list.Open(project.ProjectPath));
    const RoutinePtr a = Routine("modE.bas", "A");
    ASSERT_TRUE(a);
    a->CodeLines = 0; // nothing to count
    a->CommentLines = 0;
    a->BlankLines = 0;
    Seed({{"modE.bas|Public Sub A", "45000|1S|2|0|0|2|Sub"}});
    ASSERT_TRUE(list.Index(project));
    EXPECT_EQ(Stored("modE.bas|Public Sub A"), QStringLiteral("45000|1S|2|0|0|2|Sub"));
}

TEST_F(TocTest, IndexReportsItsProgressLikeTheOtherPhases)
{
    QStringList module = {"Attribute VB_Name = \"modBig\"", "Option Explicit"};
    for (int i = 1; i <= 29; ++i)
        module << QStringLiteral("Sub S%1()").arg(i) << "End Sub";
    LoadProject({{"modBig.bas", module}});
    ASSERT_TRUE(list.Open(project.ProjectPath));
    RecordingStatus status;
    project.status = &status;
    const QString before = project.LoadStatusText;
    ASSERT_TRUE(list.Index(project));
    EXPECT_EQ(status.shown, (QStringList{before + "\r\nPhase 3 of 3: Indexing procedure 1 of 30",
                                         before + "\r\nPhase 3 of 3: Indexing procedure 25 of 30",
                                         before + "\r\nPhase 3 of 3: Indexing procedure 30 of 30"}));
    EXPECT_EQ(project.LoadStatusText, before + "\r\nPhase 3 of 3: Indexing procedure 30 of 30");
    EXPECT_EQ(list.Entries().size(), 30u);

    // Nothing changed: the second run leaves the file alone (a write would replace it).
    const ino_t written = Inode(ListPath());
    ASSERT_NE(written, 0u);
    EXPECT_TRUE(list.Index(project));
    EXPECT_EQ(Inode(ListPath()), written);
}

TEST_F(TocTest, AHugeListIsIndexedInOneWrite)
{
    LoadProject({{"modA.bas", kModule}});
    ASSERT_TRUE(list.Open(project.ProjectPath));
    IniDocument doc;
    std::vector<std::pair<QString, QString>> many;
    for (int i = 0; i < 20000; ++i)
        many.emplace_back(QStringLiteral("old%1.bas|Public Sub P%1").arg(i), QStringLiteral("45000|1S|1|0|0|1|Sub"));
    doc.SetValues("App.vbp:TOC List", many);
    ASSERT_TRUE(options.Save(doc, ListPath()));
    ASSERT_TRUE(list.Index(project));
    EXPECT_EQ(list.Entries().size(), 20005u);
    EXPECT_TRUE(project.LoadStatusText.endsWith("Indexing procedure 20005 of 20005"));
    EXPECT_EQ(Stored("modA.bas|Public Sub Main"), QStringLiteral("N/A|N/A|5|1|1|3|Sub"));
}

// ---------------------------------------------------------------------------------------
// Stale keys

class StaleKeyTest : public TocTest {
protected:
    void SetUp() override
    {
        TocTest::SetUp();
        LoadProject({
            {"modA.bas", {"Attribute VB_Name = \"modA\"", "Public Sub Go()", "End Sub"}},
            {"modB.bas", {"Attribute VB_Name = \"modB\"", "Public Sub Moved()", "    x = 1", "End Sub",
                          "Private Function Calc() As Long", "End Function", "Public Property Get Value() As Long",
                          "End Property"}},
            {"modC.bas", {"Attribute VB_Name = \"modC\"", "Public Sub Dup()", "End Sub"}},
            {"modD.bas", {"Attribute VB_Name = \"modD\"", "Public Sub Dup()", "End Sub"}},
        });
        ASSERT_TRUE(list.Open(project.ProjectPath));
    }
};

TEST_F(StaleKeyTest, MovedProceduresAskWithTheExactTextAndStaleKeysGo)
{
    ASSERT_TRUE(list.Index(project));
    Seed({
        {"modA.bas|Public Sub Moved", "45293.375|3D|9|9|9|9|Sub"},
        {"modA.bas|Private Function Calc|Dep", "45000|1S|10|2|8|0|Dependency"},
        {"modX.bas|Public Sub Dup", "45000|1S|N/A|N/A|N/A|N/A|N/A"},
        {"modA.bas|Public Sub Gone", "N/A|N/A|N/A|N/A|N/A|N/A|N/A"},
        {"modA.bas|Public Sub Let_Set_Get Properties (All)", "45000|2D|5|0|0|5|Aggregate"},
        {"modB.bas|Public Sub Let_Set_Get Properties (Small)", "45000|2D|5|0|0|5|Aggregate"},
        {"modB.bas|Private Function Calc|Dep", "45000|1D|4|0|4|0|Dependency"},
        {"garbage", "x"},
    });
    box.results = {MsgResult::Yes, MsgResult::No};
    const StaleKeyReport report = list.CheckStaleKeys(project, box);

    ASSERT_EQ(box.shown.size(), 2u);
    EXPECT_EQ(box.shown[0].title, QStringLiteral("Move print history?"));
    EXPECT_EQ(box.shown[0].icon, MsgIcon::Question);
    EXPECT_EQ(box.shown[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(box.shown[0].text, QStringLiteral("Quillon found a procedure named Moved\r\n"
                                                "It appears to have been moved from:\r\n  modA.bas\r\n"
                                                "to:\r\n  modB.bas\r\n"
                                                "Do you want to move the print history as well?"));
    EXPECT_EQ(box.shown[1].title, QStringLiteral("Move print history?"));
    EXPECT_EQ(box.shown[1].text, QStringLiteral("Quillon found a dependency record for procedure Calc\r\n"
                                                "It appears to have been moved from:\r\n  modA.bas\r\n"
                                                "to:\r\n  modB.bas\r\n"
                                                "Do you want to move the dependency print history as well?"));

    // Yes: the history moves, the counts of the routine where it is now stay.
    EXPECT_EQ(Stored("modB.bas|Public Sub Moved"), QStringLiteral("45293.375|3D|3|0|0|3|Sub"));
    // No: the report's record in the new file is untouched.
    EXPECT_EQ(Stored("modB.bas|Private Function Calc|Dep"), QStringLiteral("45000|1D|4|0|4|0|Dependency"));
    for (const char* gone : {"modA.bas|Public Sub Moved", "modA.bas|Private Function Calc|Dep", "modX.bas|Public Sub Dup",
                             "modA.bas|Public Sub Gone", "modA.bas|Public Sub Let_Set_Get Properties (All)"})
        EXPECT_EQ(Stored(QString::fromLatin1(gone)), QStringLiteral("(none)")) << gone;
    // A property group lives while its file has properties; unreadable keys are not judged.
    EXPECT_EQ(Stored("modB.bas|Public Sub Let_Set_Get Properties (Small)"), QStringLiteral("45000|2D|5|0|0|5|Aggregate"));
    EXPECT_EQ(Stored("garbage"), QStringLiteral("x"));
    EXPECT_EQ(Stored("modA.bas|Public Sub Go"), QStringLiteral("N/A|N/A|2|0|0|2|Sub"));

    EXPECT_EQ(report.examined, 5);
    EXPECT_EQ(report.asked, 2);
    EXPECT_EQ(report.moved, 1);
    EXPECT_EQ(report.deleted, 5);
    EXPECT_TRUE(report.saved);

    // Nothing stale any more: no question, no write.
    box.shown.clear();
    EXPECT_EQ(list.CheckStaleKeys(project, box).examined, 0);
    EXPECT_TRUE(box.shown.empty());
}

TEST_F(StaleKeyTest, AMovedDependencyRecordKeepsItsReportSuffixAndTheBatchAnswerMovesIt)
{
    Seed({{"modA.bas|Private Function Calc|Dep", "45000|1S|10|2|8|0|Dependency"}});
    // No scripted answer: the box answers as the command line would.
    EXPECT_EQ(quillon::platform::BatchResultFor("Move print history?", MsgButtons::YesNo), MsgResult::Yes);
    const StaleKeyReport report = list.CheckStaleKeys(project, box);
    EXPECT_EQ(report.moved, 1);
    EXPECT_EQ(Stored("modB.bas|Private Function Calc|Dep"), QStringLiteral("45000|1S|10|2|8|0|Dependency"));
    EXPECT_EQ(Stored("modA.bas|Private Function Calc|Dep"), QStringLiteral("(none)"));
}

TEST_F(StaleKeyTest, AListThatCannotBeWrittenStaysAsItWas)
{
    Seed({{"modA.bas|Public Sub Gone", "N/A|N/A|N/A|N/A|N/A|N/A|N/A"}, {"modA.bas|Public Sub Go", "1|1D"}});
    const QByteArray before = ReadBytes(ListPath());
    StaleKeyReport report;
    {
        FileSizeLimit limit(8);
        report = list.CheckStaleKeys(project, box);
    }
    EXPECT_EQ(report.examined, 1);
    EXPECT_FALSE(report.saved);
    EXPECT_EQ(report.deleted, 0);
    EXPECT_TRUE(list.LastError().startsWith("Cannot write the table of contents list")) << list.LastError().toStdString();
    EXPECT_EQ(ReadBytes(ListPath()), before);
    EXPECT_EQ(QDir(fx.path("opts")).entryList(QDir::Files | QDir::Hidden).size(), 1) << "no temporary file left";

    bool indexed = true;
    {
        FileSizeLimit limit(8);
        indexed = list.Index(project);
    }
    EXPECT_FALSE(indexed);
    EXPECT_EQ(ReadBytes(ListPath()), before);
}

// ---------------------------------------------------------------------------------------
// The table of contents text

class TocTextTest : public TocTest {
protected:
    QString folder;
    void SetUp() override
    {
        TocTest::SetUp();
        LoadProject({{"frmMain.frm", kForm}, {"modA.bas", kModule}});
        folder = fx.path("P");
    }
    // Printed on 3/7/24 2:05:09 pm, 12/31/23 11:59:59 pm and 1/2/24 9:00:00 am.
    const QString march = DateSerialText(At(2024, 3, 7, 14, 5, 9));
    const QString newYearsEve = DateSerialText(At(2023, 12, 31, 23, 59, 59));
    const QString january = DateSerialText(At(2024, 1, 2, 9, 0, 0));

    std::vector<TocEntry> Entries() const
    {
        // In no particular order, with the ordering characters as the profile reader gives them.
        return {
            {"modA.bas|Public Sub Main", "N/A|N/A|5|1|1|3|Sub"},
            {"readme.txt|Public Sub Odd", "N/A|N/A|N/A|N/A|N/A|N/A|N/A"},
            {"frmMain.frm|Public Sub Image", march + "|2D|6|0|0|6|Image"},
            {"frmMain.frm|Public Sub \x01Layout", "N/A|N/A|6|0|0|6|Layout"},
            {"modA.bas|Public Function Calc|Dep", january + "|1D|10|2|8|0|Dependency"},
            {"garbage", "x"},
            {"frmMain.frm|Private Sub Helper", january + "|1D|3|0|0|3|Sub"},
            {"modA.bas|Public Function Calc", march + "|1234D|12345|5|40|12300|Function"},
            {"frmMain.frm|Public Sub \x02" "Declarations", "N/A|N/A|2|0|0|2|Declarations"},
            {"frmMain.frm|Private Sub Event Handler:cmdOK_Click", newYearsEve + "|3S|4|0|1|3|Event Handler"},
        };
    }

    QStringList ExpectedBody() const
    {
        return {
            "[ZRK-B].frm Files",
            "[ZRK-M][ZRK-B]   frmMain.frm (" + folder + ")",
            "[ZRK-M][ZRK-B]      Event Handler",
            "[ZRK-M][ZRK-B]         Private Sub Event Handler:cmdOK_Click",
            "            Last Printed: 12/31/23 11:59:59 pm    Total Pages: 3S",
            "            Line Count:  Total: 4    Blank: 0      Comment: 1      Code: 3",
            "[ZRK-M][ZRK-B]      Sub",
            "[ZRK-M][ZRK-B]         Private Sub Helper",
            "            Last Printed: 1/2/24 9:00:00 am       Total Pages: 1D",
            "            Line Count:  Total: 3    Blank: 0      Comment: 0      Code: 3",
            "[ZRK-M][ZRK-B]         Public Sub Layout",
            "            Last Printed: N/A                     Total Pages: N/A",
            "            Line Count:  Total: 6    Blank: 0      Comment: 0      Code: 6",
            "[ZRK-M][ZRK-B]         Public Sub Declarations",
            "            Last Printed: N/A                     Total Pages: N/A",
            "            Line Count:  Total: 2    Blank: 0      Comment: 0      Code: 2",
            "[ZRK-N][ZRK-B].bas Files",
            "[ZRK-M][ZRK-B]   modA.bas (" + folder + ")",
            "[ZRK-M][ZRK-B]      Function",
            "[ZRK-M][ZRK-B]         Public Function Calc",
            "            Last Printed: 3/7/24 2:05:09 pm       Total Pages: 1,234D",
            "            Line Count:  Total: 12,345 Blank: 5      Comment: 40     Code: 12,300",
            "[ZRK-M][ZRK-B]      Sub",
            "[ZRK-M][ZRK-B]         Public Sub Main",
            "            Last Printed: N/A                     Total Pages: N/A",
            "            Line Count:  Total: 5    Blank: 1      Comment: 1      Code: 3",
            "[ZRK-N][ZRK-B]Dependency Reports",
            "[ZRK-M][ZRK-B]   modA.bas (" + folder + ")",
            "[ZRK-M][ZRK-B]      Function",
            "[ZRK-M][ZRK-B]         Public Function Calc|Dep",
            "            Last Printed: 1/2/24 9:00:00 am       Total Pages: 1D",
            "            Line Count:  Total: 10   Blank: 2      Comment: 8      Code: 0",
            "[ZRK-N][ZRK-B]Image Procedures",
            "[ZRK-M][ZRK-B]   frmMain.frm (" + folder + ")",
            "[ZRK-M][ZRK-B]         Public Sub Image",
            "            Last Printed: 3/7/24 2:05:09 pm       Total Pages: 2D",
            "            Line Count:  Total: 6    Blank: 0      Comment: 0      Code: 6",
            "[ZRK-N][ZRK-B].txt Files",
            "*********** BAD EXTENSION ENCOUNTERED (TXT) ******************************",
            "[ZRK-M][ZRK-B]   readme.txt (" + folder + ")",
            "[ZRK-M][ZRK-B]      Sub",
            "[ZRK-M][ZRK-B]         Public Sub Odd",
            "            Last Printed: N/A                     Total Pages: N/A",
            "            Line Count:  Total: N/A  Blank: N/A    Comment: N/A    Code: N/A",
            "[ZRK-N][ZRK-B]Project Summary",
            "",
            "   .frm Files (Both Duplex and Simplex)",
            "      Total Files: 1",
            "      Total Procedures: 4",
            "      Procedures Printed: 2   Procedures Not Yet Printed: 2",
            "      Print  Range:  12/31/23 11:59:59 pm to 1/2/24 9:00:00 am",
            "      Total Pages:  4",
            "      Line Count:  Total: 15     Blank: 0      Comment: 1      Code: 14",
            "",
            "   .bas Files (All Duplex)",
            "      Total Files: 1",
            "      Total Procedures: 2",
            "      Procedures Printed: 1   Procedures Not Yet Printed: 1",
            "      Print  Range:  3/7/24 2:05:09 pm  to 3/7/24 2:05:09 pm",
            "      Total Pages:  1,234",
            "      Line Count:  Total: 12,350 Blank: 6      Comment: 41     Code: 12,303",
            "",
            "   .cls Files",
            "      Total Files: 0",
            "      Total Procedures: 0",
            "      Procedures Printed: 0   Procedures Not Yet Printed: 0",
            "",
            "   Dependency Reports (All Duplex)",
            "      Total Files: 1",
            "      Total Procedures: 1",
            "      Procedures Printed: 1   Procedures Not Yet Printed: 0",
            "      Print  Range:  1/2/24 9:00:00 am  to 1/2/24 9:00:00 am",
            "      Total Pages:  1",
            "      Line Count:  Total: 10     Blank: 2      Comment: 8      Code: 0",
            "",
            "   Image Procedures (All Duplex)",
            "      Total Files: 1",
            "      Total Procedures: 1",
            "      Procedures Printed: 1   Procedures Not Yet Printed: 0",
            "      Print  Range:  3/7/24 2:05:09 pm  to 3/7/24 2:05:09 pm",
            "      Total Pages:  2",
            "      Line Count:  Total: 6      Blank: 0      Comment: 0      Code: 6",
            "",
            "   All Files  (Project Total) (Both Duplex and Simplex)",
            "      Total Files: 3",
            "      Total Procedures: 9",
            "      Procedures Printed: 5   Procedures Not Yet Printed: 4",
            "      Print  Range:  12/31/23 11:59:59 pm to 3/7/24 2:05:09 pm",
            "      Total Pages:  1,241",
            "      Line Count:  Total: 12,381 Blank: 8      Comment: 50     Code: 12,323",
        };
    }

    static QStringList DependencyNotes()
    {
        return {"",
                "Note: The individual dependency reports for Property Let, Set or Get procedures",
                "   are available whether or not you have selected the option to aggregate them.",
                "   No Dependency report is available for the pseudo Aggregation procedure."};
    }
};

TEST_F(TocTextTest, ASmallProjectWithPrintedAndUnprintedEntries)
{
    QStringList expected = ExpectedBody();
    expected << "" << "Note: Page count and date range exclude procedures not printed yet." << DependencyNotes();
    const QStringList lines = TableOfContentsLines(Entries(), project, false);
    EXPECT_EQ(lines, expected);
    for (qsizetype i = 0; i < std::min(lines.size(), expected.size()); ++i)
        EXPECT_EQ(lines[i], expected[i]) << "line " << i + 1;
    for (const QString& line : lines)
        EXPECT_FALSE(line.contains(QChar(1)) || line.contains(QChar(2))) << line.toStdString();
}

TEST_F(TocTextTest, SuppressedNotesLeaveTheSummaryAsItIs)
{
    EXPECT_EQ(TableOfContentsLines(Entries(), project, true), ExpectedBody());
}

TEST_F(TocTextTest, EverythingPrintedShowsOnlyTheDependencyNote)
{
    const std::vector<TocEntry> entries = {
        {"modA.bas|Public Sub Main", january + "|2S|5|1|1|3|Sub"},
        {"modA.bas|Public Function Calc", march + "|1S|3|0|0|3|Function"},
    };
    const QStringList lines = TableOfContentsLines(entries, project, false);
    EXPECT_EQ(lines.mid(lines.size() - 4), DependencyNotes());
    EXPECT_FALSE(lines.join("\n").contains("exclude procedures not printed yet"));
    EXPECT_TRUE(lines.contains("   .bas Files (All Simplex)"));
    EXPECT_TRUE(lines.contains("      Print  Range:  1/2/24 9:00:00 am  to 3/7/24 2:05:09 pm"));
}

TEST_F(TocTextTest, AnUnknownDuplexLetterIsFlagged)
{
    const std::vector<TocEntry> entries = {
        {"modA.bas|Public Sub Main", january + "|2D|5|1|1|3|Sub"},
        {"modA.bas|Public Function Calc", march + "|1X|3|0|0|3|Function"},
        {"frmMain.frm|Private Sub Helper", march + "|1|3|0|0|3|Sub"},
    };
    const QStringList lines = TableOfContentsLines(entries, project, true);
    EXPECT_TRUE(lines.contains("   .bas Files (Invalid Flag)"));
    EXPECT_TRUE(lines.contains("   .frm Files (Invalid Flag)")) << "a page count without its letter";
    EXPECT_TRUE(lines.contains("            Last Printed: 3/7/24 2:05:09 pm       Total Pages: 1X"));
}

TEST_F(TocTextTest, OnlyReadableKeysAndNoEntriesAtAll)
{
    // A list of unreadable keys has an empty contents part and a summary of zeros.
    const QStringList lines = TableOfContentsLines({{"garbage", "x"}, {"|Sub X", "y"}}, project, true);
    EXPECT_EQ(lines.first(), QStringLiteral("[ZRK-N][ZRK-B]Project Summary"));
    EXPECT_TRUE(lines.contains("   All Files  (Project Total)"));
    EXPECT_TRUE(lines.contains("      Procedures Printed: 0   Procedures Not Yet Printed: 0"));
    EXPECT_FALSE(lines.join("\n").contains("Print  Range"));
}

// ---------------------------------------------------------------------------------------
// The temporary file and the steps before printing

TEST_F(TocTest, TheContentsFileIsUtf8WithCrLfAndANameOfItsOwn)
{
    const QStringList lines = {"[ZRK-B].frm Files", QString::fromUtf8("   café.frm (/p)"), ""};
    const TocFile first = WriteTocFile(lines, &log);
    const TocFile second = WriteTocFile(lines, &log);
    ASSERT_TRUE(first.ok()) << first.error.toStdString();
    ASSERT_TRUE(second.ok()) << second.error.toStdString();
    EXPECT_NE(first.path, second.path);
    const QString temp = QString::fromLocal8Bit(qgetenv("TEMP"));
    EXPECT_EQ(QFileInfo(first.path).absolutePath(), QDir(temp).absolutePath());
    EXPECT_TRUE(QFileInfo(first.path).fileName().startsWith("QLN_TOC_"));
    EXPECT_TRUE(first.path.endsWith(".txt"));
    EXPECT_EQ(first.lineCount, 3);
    EXPECT_EQ(ReadBytes(first.path), QByteArray("[ZRK-B].frm Files\r\n   caf\xC3\xA9.frm (/p)\r\n\r\n"));
    EXPECT_TRUE(QString::fromUtf8(ReadBytes(log.path())).contains("Open OUTPUT " + first.path));

    const RoutinePtr routine = MakeTocRoutine(first);
    EXPECT_EQ(routine->RoutineName, QStringLiteral("Table of Contents"));
    EXPECT_EQ(routine->RoutineKind, QStringLiteral("TOC"));
    EXPECT_EQ(routine->FilePath, first.path);
    EXPECT_EQ(routine->lStartLine, 1);
    EXPECT_EQ(routine->lEndLine, 3);
    EXPECT_FALSE(HasHistory(*routine));
    QFile::remove(first.path);
    QFile::remove(second.path);
}

TEST_F(TocTest, AMissingTemporaryFolderGivesAnErrorAndNoFile)
{
    const QByteArray saved = qgetenv("TEMP");
    qputenv("TEMP", QFile::encodeName(fx.path("no/such/folder")));
    const TocFile file = WriteTocFile({"x"});
    qputenv("TEMP", saved);
    EXPECT_FALSE(file.ok());
    EXPECT_TRUE(file.error.contains(fx.path("no/such/folder"))) << file.error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(fx.path("no")));
}

TEST_F(TocTest, AContentsFileThatCannotBeWrittenWholeIsNotLeftBehind)
{
    const QDir temp(QString::fromLocal8Bit(qgetenv("TEMP")));
    const QStringList before = temp.entryList({"QLN_TOC_*"}, QDir::Files);
    TocFile file;
    {
        FileSizeLimit limit(8);
        file = WriteTocFile({"a line longer than eight bytes"});
    }
    EXPECT_FALSE(file.ok());
    EXPECT_TRUE(file.error.startsWith("Cannot write the table of contents file")) << file.error.toStdString();
    EXPECT_EQ(temp.entryList({"QLN_TOC_*"}, QDir::Files), before);
}

TEST_F(TocTest, PreparingAnEmptyListSaysSoAndWritesNothing)
{
    LoadProject({{"modA.bas", kModule}});
    ASSERT_TRUE(list.Open(project.ProjectPath));
    Seed({{"modGone.bas|Public Sub Old", "N/A|N/A|N/A|N/A|N/A|N/A|N/A"}});
    const TocFile none = PrepareTableOfContents(list, project, box, false);
    EXPECT_FALSE(none.ok());
    EXPECT_TRUE(none.noData);
    ASSERT_EQ(box.shown.size(), 1u) << "the stale key goes without a question";
    EXPECT_EQ(box.shown[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(box.shown[0].text, QStringLiteral("No TOC data found."));
    EXPECT_TRUE(list.Entries().empty());
}

TEST_F(TocTest, PreparingTheContentsChecksStaleKeysAndWritesTheFile)
{
    LoadProject({{"modA.bas", kModule}});
    ASSERT_TRUE(list.Open(project.ProjectPath));
    ASSERT_TRUE(list.Index(project));
    Seed({{"modGone.bas|Public Sub Old", "N/A|N/A|N/A|N/A|N/A|N/A|N/A"}});
    const TocFile file = PrepareTableOfContents(list, project, box, true, &log);
    ASSERT_TRUE(file.ok()) << file.error.toStdString();
    EXPECT_TRUE(box.shown.empty());
    const QString text = QString::fromUtf8(ReadBytes(file.path));
    EXPECT_FALSE(text.contains("modGone.bas"));
    EXPECT_TRUE(text.startsWith("[ZRK-B].bas Files\r\n[ZRK-M][ZRK-B]   modA.bas ("));
    EXPECT_EQ(text.count("\r\n"), file.lineCount);
    EXPECT_TRUE(text.contains("      Procedures Printed: 0   Procedures Not Yet Printed: 5\r\n"));
    QFile::remove(file.path);
}

TEST_F(TocTest, TheNotesQuestion)
{
    quillon::config::modZRK_MsgBox messages(options, box);
    box.answers.push_back({0, 0, QString()});
    EXPECT_TRUE(AskSuppressTocNotes(messages));
    ASSERT_EQ(box.shown.size(), 1u);
    const quillon::platform::MsgBoxRequest& request = box.shown[0].request;
    EXPECT_EQ(request.MessageKey, QStringLiteral("TOC Notes"));
    EXPECT_EQ(request.Title, QStringLiteral("TOC Notes Suppression"));
    EXPECT_TRUE(request.Text.startsWith("Two notes appear at the end of the TOC summary.  Do you want to suppress "
                                        "printing of those notes? "));
    EXPECT_EQ(request.Buttons[0], QStringLiteral("Yes"));
    EXPECT_EQ(request.Buttons[1], QStringLiteral("No"));
    EXPECT_EQ(request.ButtonCount, 2);

    box.answers.push_back({1, 0, QString()});
    EXPECT_FALSE(AskSuppressTocNotes(messages));
}

} // namespace
