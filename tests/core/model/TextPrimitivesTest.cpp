#include "model/TextPrimitives.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace quillon::model;

namespace {

const QString q = QStringLiteral("\"");

TEST(TextPrimitives, TrimRemovesBlanksButNeverTabs)
{
    EXPECT_EQ(Trim(u"  a b  "), u"a b");
    EXPECT_EQ(Trim(u"\ta\t"), u"\ta\t");
    EXPECT_EQ(LTrim(u"  a "), u"a ");
    EXPECT_EQ(RTrim(u"  a "), u"  a");
    EXPECT_EQ(Trim(u"    "), u"");
}

TEST(TextPrimitives, UpperCasingKeepsTheLength)
{
    const QString text = QString::fromUtf8("straße é ÿ µ ı");
    const QString upper = UCase(text);
    EXPECT_EQ(upper.size(), text.size());
    EXPECT_EQ(upper, QString::fromUtf8("STRAßE É Ÿ Μ I"));
    EXPECT_TRUE(EqualsNoCase(u"Sub", u"SUB"));
    EXPECT_FALSE(EqualsNoCase(u"Sub", u"SUBS"));
}

TEST(TextPrimitives, IndexOfUpperMatchesTheUpperCasedText)
{
    EXPECT_EQ(IndexOfUpper(u"x = 1: cAlL Foo", QLatin1StringView("CALL ")), 7);
    EXPECT_EQ(IndexOfUpper(u"Call a: Call b", QLatin1StringView("CALL "), 1), 8);
    EXPECT_EQ(IndexOfUpper(u"Caller", QLatin1StringView("CALL ")), -1);
    EXPECT_EQ(IndexOfUpper(u"CAL", QLatin1StringView("CALL ")), -1);
    EXPECT_EQ(IndexOfUpper(QString::fromUtf8("é déclare"), QLatin1StringView("CLARE")), 4);
}

TEST(TextPrimitives, FileNameHelpersTakeEitherSeparator)
{
    EXPECT_EQ(Quote(QStringLiteral("a b")), QStringLiteral("\"a b\""));
    EXPECT_EQ(FileNameOf(QStringLiteral("C:\\P\\frmMain.frm")), QStringLiteral("frmMain.frm"));
    EXPECT_EQ(FileNameOf(QStringLiteral("/p/sub\\x.bas")), QStringLiteral("x.bas"));
    EXPECT_EQ(FileNameOf(QStringLiteral("plain.bas")), QStringLiteral("plain.bas"));
    EXPECT_EQ(FileExtension(QStringLiteral("/p/a.b/Mod.Bas")), QStringLiteral("Bas"));
    EXPECT_EQ(FileExtension(QStringLiteral("/p/noext")), QString());
    EXPECT_EQ(FileBaseName(QStringLiteral("/p/v1.2/mod.x.bas")), QStringLiteral("mod.x"));
    EXPECT_EQ(FileBaseName(QStringLiteral("C:\\p\\noext")), QStringLiteral("noext"));
}

TEST(TextPrimitives, FileExistsIsFalseForFolders)
{
    quillon::test::Fixture fx;
    const QString file = fx.write("a.bas", "x");
    EXPECT_TRUE(FileExists(file));
    EXPECT_FALSE(FileExists(fx.path()));
    EXPECT_FALSE(FileExists(fx.path("none.bas")));
    EXPECT_FALSE(FileExists(QString()));
}

TEST(TextPrimitives, RemDigitsIdentifiersAndLabels)
{
    EXPECT_TRUE(IsRemStatement(u"  Rem"));
    EXPECT_TRUE(IsRemStatement(u"REM note"));
    EXPECT_TRUE(IsRemStatement(u"rem\tnote"));
    EXPECT_FALSE(IsRemStatement(u"Remark = 1"));
    EXPECT_TRUE(IsAllDigits(u" 100 "));
    EXPECT_FALSE(IsAllDigits(u""));
    EXPECT_FALSE(IsAllDigits(u"1a"));
    EXPECT_TRUE(IsIdentifier(u"_x1"));
    EXPECT_FALSE(IsIdentifier(u"1x"));
    EXPECT_FALSE(IsIdentifier(QString::fromUtf8("é")));
    EXPECT_EQ(StripLineLabel(u"Else: x = 1"), QStringLiteral("x = 1"));
    EXPECT_EQ(StripLineLabel(u"x = a: y = b"), QStringLiteral("x = a: y = b"));
    EXPECT_EQ(StripLineLabel(u"  100   Print x"), QStringLiteral("100   Print x"));
    EXPECT_EQ(StripLineLabel(u"  100:   Print x"), QStringLiteral("Print x"));
}

TEST(TextPrimitives, SingleLineIf)
{
    EXPECT_TRUE(IsSingleLineIf(u"If a Then b"));
    EXPECT_TRUE(IsSingleLineIf(u"If a Then ' comment"));
    EXPECT_TRUE(IsSingleLineIf(u"if\ta then b"));
    EXPECT_FALSE(IsSingleLineIf(u"If a Then"));
    EXPECT_FALSE(IsSingleLineIf(u"If a Then   "));
    EXPECT_FALSE(IsSingleLineIf(u"IfDone = True"));
    EXPECT_FALSE(IsSingleLineIf(u"If"));
}

TEST(TextPrimitives, CountStatements)
{
    EXPECT_EQ(CountStatements(u"x = 1: y = 2 ' set both"), 2);
    EXPECT_EQ(CountStatements(u"Label1:"), 0);
    EXPECT_EQ(CountStatements(QStringLiteral("s = ") + q + "a:b" + q), 1);
    EXPECT_EQ(CountStatements(QStringLiteral("s = ") + q + "a" + q + q + ":" + q + q + "b" + q + ": t = 1"), 2);
    EXPECT_EQ(CountStatements(u"d = #1:02#: e = 3"), 2);
    EXPECT_EQ(CountStatements(u"If a Then b = 1: c = 2"), 1);
    EXPECT_EQ(CountStatements(u"Rem x = 1"), 0);
    EXPECT_EQ(CountStatements(u"x = 1: Rem note"), 1);
    EXPECT_EQ(CountStatements(u"   "), 0);
    EXPECT_EQ(CountStatements(u"' only a comment"), 0);
    EXPECT_EQ(CountStatements(u"a = 1:: b = 2:"), 2);
    EXPECT_EQ(CountStatements(u"10 x = 1"), 1);
    EXPECT_EQ(CountStatements(QStringLiteral("s = ") + q + "unterminated: x"), 1);
}

TEST(TextPrimitives, AddLineStatementsSkipsCommentsAndContinuations)
{
    StatementCounter counter;
    AddLineStatements(u"a = 1 & _", counter);
    EXPECT_EQ(counter.count, 1);
    AddLineStatements(u"b", counter);
    EXPECT_EQ(counter.count, 1);
    AddLineStatements(u"c = 2", counter);
    EXPECT_EQ(counter.count, 2);
    AddLineStatements(u"' note _", counter);
    EXPECT_EQ(counter.count, 2);
    EXPECT_TRUE(counter.ContinuationPending);
    AddLineStatements(u"d = 3", counter);
    EXPECT_EQ(counter.count, 2) << "a comment ending in \" _\" still continues";
    AddLineStatements(u"REMOVE = 1", counter);
    EXPECT_EQ(counter.count, 2) << "a line beginning REM counts as a comment here";
    counter.Reset();
    EXPECT_EQ(counter.count, 0);
    EXPECT_FALSE(counter.ContinuationPending);
}

TEST(TextPrimitives, MaskLiteralsAndComments)
{
    const QString line = QStringLiteral("s = ") + q + "For x" + q + " ' Next";
    const QString masked = MaskLiteralsAndComments(line);
    EXPECT_EQ(masked.size(), line.size());
    EXPECT_EQ(masked, QStringLiteral("s =") + QString(line.size() - 3, QLatin1Char(' ')));

    EXPECT_EQ(MaskLiteralsAndComments(QStringLiteral("a = ") + q + "x" + q + q + "y" + q + ": b"),
              QStringLiteral("a =") + QString(7, QLatin1Char(' ')) + QStringLiteral(": b"));
    EXPECT_EQ(MaskLiteralsAndComments(u"x = 1: Rem For"), QStringLiteral("x = 1:") + QString(8, QLatin1Char(' ')));
    EXPECT_EQ(MaskLiteralsAndComments(u"\tREM"), QStringLiteral("\t   "));
    EXPECT_EQ(MaskLiteralsAndComments(u"Remove x"), QStringLiteral("Remove x"));
    EXPECT_EQ(MaskLiteralsAndComments(u"x Rem y"), QStringLiteral("x Rem y"));
    EXPECT_EQ(MaskLiteralsAndComments(QStringLiteral("t = ") + q + "open"), QStringLiteral("t =") + QString(6, QLatin1Char(' ')));
}

} // namespace
