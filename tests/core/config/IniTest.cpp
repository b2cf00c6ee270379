#include "config/Ini.h"
#include "model/DiagLog.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

using namespace quillon::config;
using quillon::model::DiagLog;
using quillon::test::Fixture;
using quillon::test::ReadBytes;

namespace {

class IniTest : public ::testing::Test {
protected:
    Fixture fx;
    DiagLog log{fx.path("diag.txt")};
    IniStore ini{fx.path("opts.ini"), &log};
};

TEST_F(IniTest, NamesMatchIgnoringCaseAndTheFirstMatchWins)
{
    fx.write("opts.ini", "[Quillon:Output]\r\nFont Size = 12 \r\nfont size=99\r\n[QUILLON:OUTPUT]\r\nExtra=1\r\n");
    EXPECT_EQ(ini.INIRead("quillon:output", "FONT SIZE", "10"), QStringLiteral("12"));
    // Only the first section of a name is read.
    EXPECT_EQ(ini.INIRead("Quillon:Output", "Extra", "none"), QStringLiteral("none"));
    EXPECT_EQ(ini.INIRead("Quillon:Other", "Font Size", "10"), QStringLiteral("10"));
    EXPECT_EQ(ini.INIRead("Quillon:Output", "Font Size", "10", fx.path("missing.ini")), QStringLiteral("10"));
}

TEST_F(IniTest, EmptyValuesReadAsTheDefaultAndLongValuesReadWhole)
{
    fx.write("opts.ini", "[S]\nEmpty=\nBlank=   \n");
    EXPECT_EQ(ini.INIRead("S", "Empty", "dflt"), QStringLiteral("dflt"));
    EXPECT_EQ(ini.INIRead("S", "Blank", "dflt"), QStringLiteral("dflt"));
    const QString huge(600000, QLatin1Char('x'));
    ASSERT_TRUE(ini.INIWrite("S", "Huge", huge));
    EXPECT_EQ(ini.INIRead("S", "Huge", QString()).size(), huge.size());
}

TEST_F(IniTest, WritingOneValueKeepsEverythingElseAsItWas)
{
    const QByteArray original = "; my notes\r\n[Other]\r\nkeep = this \r\n\r\n[Quillon:Output]\r\n"
                                "  Font Size=12\r\n; inline note\r\nDuplex=True\r\n\r\n[Tail]\r\nx=1\r\n";
    fx.write("opts.ini", original);
    ASSERT_TRUE(ini.INIWrite("quillon:output", "font size", "14.000"));
    QByteArray expected = original;
    expected.replace("  Font Size=12", "  Font Size=14.000");
    EXPECT_EQ(ReadBytes(ini.defaultPath()), expected);

    // A new key goes at the end of its section, before the blank line that ends it.
    ASSERT_TRUE(ini.INIWrite("Quillon:Output", "Brackets", "False"));
    expected.replace("Duplex=True\r\n\r\n", "Duplex=True\r\nBrackets=False\r\n\r\n");
    EXPECT_EQ(ReadBytes(ini.defaultPath()), expected);

    // A new section goes at the end of the file.
    ASSERT_TRUE(ini.INIWrite("New", "k", "v"));
    expected += "[New]\r\nk=v\r\n";
    EXPECT_EQ(ReadBytes(ini.defaultPath()), expected);
}

TEST_F(IniTest, NewFilesAndUnterminatedLastLines)
{
    ASSERT_TRUE(ini.INIWrite("A", "k", "v"));
    EXPECT_EQ(ReadBytes(ini.defaultPath()), QByteArray("[A]\nk=v\n"));
    const QString other = fx.write("other.ini", "[A]\nk=1");
    ASSERT_TRUE(ini.INIWrite("A", "j", "2", other));
    EXPECT_EQ(ReadBytes(other), QByteArray("[A]\nk=1\nj=2\n"));
    ASSERT_TRUE(ini.INIWrite("A", "bad", "line one\r\nline two", other));
    EXPECT_EQ(ini.INIRead("A", "bad", QString(), other), QStringLiteral("line one  line two"));
    EXPECT_TRUE(QString::fromUtf8(ReadBytes(log.path())).contains(QStringLiteral("Open OUTPUT ") + ini.defaultPath()));
}

TEST_F(IniTest, TheFileKeepsItsEncodingUntilAValueNeedsUtf8)
{
    fx.write("opts.ini", "[S]\r\nname=caf\xE9\r\n");
    EXPECT_EQ(ini.INIRead("S", "name", QString()), QString::fromUtf8("café"));
    ASSERT_TRUE(ini.INIWrite("S", "other", QString::fromUtf8("naïve")));
    EXPECT_EQ(ReadBytes(ini.defaultPath()), QByteArray("[S]\r\nname=caf\xE9\r\nother=na\xEFve\r\n"));
    ASSERT_TRUE(ini.INIWrite("S", "greek", QString::fromUtf8("αβ")));
    EXPECT_EQ(ReadBytes(ini.defaultPath()), QByteArray("[S]\r\nname=caf\xC3\xA9\r\nother=na\xC3\xAFve\r\ngreek=\xCE\xB1\xCE\xB2\r\n"));
    EXPECT_EQ(ini.INIRead("S", "name", QString()), QString::fromUtf8("café"));
}

TEST_F(IniTest, AFailedWriteLeavesTheOldFileWhole)
{
    const QByteArray original = "[S]\nk=old\n";
    fx.write("opts.ini", original);
    EXPECT_FALSE(ini.INIWrite("S", "k", "new", fx.path("no/such/folder/x.ini")));
    // A folder standing where the file should be cannot be replaced.
    QDir().mkpath(fx.path("dir.ini"));
    EXPECT_FALSE(ini.INIWrite("S", "k", "new", fx.path("dir.ini")));
    EXPECT_EQ(ReadBytes(ini.defaultPath()), original);
    EXPECT_EQ(QDir(fx.path()).entryList(QDir::Files | QDir::Hidden).size(), 2) << "no temporary files left";
}

TEST_F(IniTest, AShortWriteNeverReplacesTheFile)
{
    // A file size limit cuts the write after a few bytes whoever runs the test, root included.
    const QByteArray original = "[S]\nk=old\n";
    fx.write("opts.ini", original);
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limited = saved;
    limited.rlim_cur = 8;
    setrlimit(RLIMIT_FSIZE, &limited);
    const bool written = ini.INIWrite("S", "k", "a value that does not fit in eight bytes");
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_FALSE(written);
    EXPECT_EQ(ReadBytes(ini.defaultPath()), original);
    EXPECT_EQ(QDir(fx.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"opts.ini"}) << "no temporary file left";
}

TEST_F(IniTest, ReadSectionMarksLayoutAndDeclarationsEntries)
{
    fx.write("opts.ini", "[Quillon:TOC List]\n; note\nmodA Layout=3\nmodA Declarations=4\nmodA Layout Layout=5\n"
                         "=skipped\nbare\nmodA Sub X= 1|2 \n[Next]\nz=1\n");
    const auto [keys, values] = ini.INIReadSection("quillon:toc list");
    EXPECT_EQ(keys, (QStringList{QStringLiteral("modA \x01Layout"), QStringLiteral("modA \x02" "Declarations"),
                                 QStringLiteral("modA \x01Layout Layout"), "bare", "modA Sub X"}));
    EXPECT_EQ(values, (QStringList{"3", "4", "5", "", "1|2"}));
    EXPECT_TRUE(ini.INIReadSection("Missing").first.isEmpty());
}

TEST_F(IniTest, SetValuesWritesWhatOneByOneWritesWould)
{
    const QByteArray original = "[Other]\r\nk=1\r\n[List]\r\n; kept\r\n  Alpha=1\r\nbeta=2\r\n\r\n[Tail]\r\nz=9";
    IniDocument oneByOne = IniDocument::FromBytes(original);
    IniDocument batch = IniDocument::FromBytes(original);
    const std::vector<std::pair<QString, QString>> values = {
        {"ALPHA", "10"}, {"gamma", "3"}, {"Delta", "4"}, {"GAMMA", "30"}, {"beta", "two\r\nlines"}};
    for (const auto& [key, value] : values)
        oneByOne.SetValue("list", key, value);
    batch.SetValues("list", values);
    EXPECT_EQ(batch.ToBytes(), oneByOne.ToBytes());
    EXPECT_EQ(batch.ToBytes(), QByteArray("[Other]\r\nk=1\r\n[List]\r\n; kept\r\n  Alpha=10\r\nbeta=two  lines\r\n"
                                          "gamma=30\r\nDelta=4\r\n\r\n[Tail]\r\nz=9"));

    // A missing section is added at the end, after a last line that had no line end.
    batch.SetValues("New", {{"a", "1"}, {"b", "2"}});
    EXPECT_TRUE(batch.ToBytes().endsWith("z=9\r\n[New]\r\na=1\r\nb=2\r\n"));
    batch.SetValues("Empty", {});
    EXPECT_FALSE(batch.HasSection("Empty"));
}

TEST_F(IniTest, RemovedKeysDoNotResurfaceFromDuplicates)
{
    IniDocument doc = IniDocument::FromBytes("[L]\nk=1\nK = 2\n; k=comment\nm=3\n[Other]\nk=4\n[l]\nk=5\nn=6\n");
    EXPECT_EQ(doc.RemoveKeys("L", {"k", "missing"}), 3);
    EXPECT_FALSE(doc.Value("L", "k").has_value());
    EXPECT_EQ(doc.Value("Other", "k"), QStringLiteral("4"));
    EXPECT_EQ(doc.ToBytes(), QByteArray("[L]\n; k=comment\nm=3\n[Other]\nk=4\n[l]\nn=6\n"));
    EXPECT_EQ(doc.RemoveKey("L", "nothing"), 0);
}

TEST_F(IniTest, RemovedSectionsTakeEveryLineUpToTheNextSection)
{
    IniDocument doc = IniDocument::FromBytes("top=1\n[A:TOC List]\nx=1\n\n; about B\n[B]\ny=2\n[a:toc list]\nz=3\n");
    EXPECT_EQ(doc.SectionNames(), (QStringList{"A:TOC List", "B"}));
    EXPECT_EQ(doc.RemoveSection("A:TOC LIST"), 2);
    EXPECT_EQ(doc.ToBytes(), QByteArray("top=1\n[B]\ny=2\n"));
    EXPECT_EQ(doc.SectionNames(), QStringList{"B"});
    EXPECT_EQ(doc.RemoveSection("A:TOC List"), 0);
}

TEST_F(IniTest, StoreDeletesKeysAndSectionsAndLeavesMissingFilesAlone)
{
    fx.write("opts.ini", "[S]\r\na=1\r\nb=2\r\n[T]\r\nc=3\r\n");
    ASSERT_TRUE(ini.INIDeleteKey("s", "A"));
    EXPECT_EQ(ReadBytes(ini.defaultPath()), QByteArray("[S]\r\nb=2\r\n[T]\r\nc=3\r\n"));
    ASSERT_TRUE(ini.INIDeleteSection("S"));
    EXPECT_EQ(ReadBytes(ini.defaultPath()), QByteArray("[T]\r\nc=3\r\n"));
    const QString missing = fx.path("missing.ini");
    EXPECT_TRUE(ini.INIDeleteKey("T", "c", missing));
    EXPECT_TRUE(ini.INIDeleteSection("T", missing));
    EXPECT_FALSE(QFileInfo::exists(missing)) << "nothing to delete writes nothing";
}

TEST(IniKeyMarks, LayoutAndDeclarationsMarksComeOffAgain)
{
    const QString key = QStringLiteral("frmA.frm|Public Sub Layout");
    const QString marked = MarkLayoutAndDeclarations(key);
    EXPECT_EQ(marked, QStringLiteral("frmA.frm|Public Sub \x01Layout"));
    EXPECT_EQ(WithoutLayoutAndDeclarationsMarks(marked), key);
    EXPECT_EQ(MarkLayoutAndDeclarations(QStringLiteral("m.bas|Public Sub Declarations")),
              QStringLiteral("m.bas|Public Sub \x02" "Declarations"));
    EXPECT_EQ(WithoutLayoutAndDeclarationsMarks(QStringLiteral("a\x01 b\x02 c\x01")), QStringLiteral("a b c"));
}

TEST(BoolTexts, LenientReading)
{
    EXPECT_EQ(BoolToText(true), QStringLiteral("True"));
    EXPECT_EQ(BoolToText(false), QStringLiteral("False"));
    for (const char* yes : {"True", " yes ", "on", "-1", "1", "T", "y"})
        EXPECT_TRUE(TextToBool(QString::fromLatin1(yes), false)) << yes;
    for (const char* no : {"False", "no", " OFF ", "0", "f", "N"})
        EXPECT_FALSE(TextToBool(QString::fromLatin1(no), true)) << no;
    for (const char* other : {"", "maybe", "2", "\tyes"}) {
        EXPECT_FALSE(TextToBool(QString::fromLatin1(other), false)) << other;
        EXPECT_TRUE(TextToBool(QString::fromLatin1(other), true)) << other;
    }
}

} // namespace
