#include "model/TextPrimitives.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace quillon::model;

namespace {

// Each primitive as text in, text out ("yes"/"no" for the tests, the number for the count),
// so that one table holds the cases of all of them.
using Reading = QString (*)(QStringView);
QString YesNo(bool flag)
{
    return flag ? "yes" : "no";
}

TEST(TextPrimitives, EachPrimitiveOnItsCases)
{
    const Reading trim = [](QStringView t) { return Trim(t).toString(); }, ltrim = [](QStringView t) { return LTrim(t).toString(); },
                  rtrim = [](QStringView t) { return RTrim(t).toString(); }, quote = [](QStringView t) { return Quote(t.toString()); },
                  name = [](QStringView t) { return FileNameOf(t.toString()); }, ext = [](QStringView t) { return FileExtension(t.toString()); },
                  base = [](QStringView t) { return FileBaseName(t.toString()); }, rem = [](QStringView t) { return YesNo(IsRemStatement(t)); },
                  digits = [](QStringView t) { return YesNo(IsAllDigits(t)); }, ident = [](QStringView t) { return YesNo(IsIdentifier(t)); },
                  oneLineIf = [](QStringView t) { return YesNo(IsSingleLineIf(t)); }, mask = MaskLiteralsAndComments, label = StripLineLabel,
                  count = [](QStringView t) { return QString::number(CountStatements(t)); };
    const struct { Reading read; const char16_t* text; const char16_t* expected; } cases[] = {
        // Blanks are trimmed, tabs never; upper-casing keeps the length.
        {trim, u"  a b  ", u"a b"}, {trim, u"\ta\t", u"\ta\t"}, {trim, u"    ", u""}, {ltrim, u"  a ", u"a "}, {rtrim, u"  a ", u"  a"},
        {UCase, u"straße é ÿ µ ı", u"STRAßE É Ÿ Μ I"}, {quote, u"a b", u"\"a b\""},
        {name, u"C:\\P\\frmMain.frm", u"frmMain.frm"}, {name, u"/p/sub\\x.bas", u"x.bas"}, {name, u"plain.bas", u"plain.bas"},
        {ext, u"/p/a.b/Mod.Bas", u"Bas"}, {ext, u"/p/noext", u""}, {base, u"/p/v1.2/mod.x.bas", u"mod.x"}, {base, u"C:\\p\\noext", u"noext"},
        {rem, u"  Rem", u"yes"}, {rem, u"REM note", u"yes"}, {rem, u"rem\tnote", u"yes"}, {rem, u"Remark = 1", u"no"},
        {digits, u" 100 ", u"yes"}, {digits, u"", u"no"}, {digits, u"1a", u"no"}, {ident, u"_x1", u"yes"}, {ident, u"1x", u"no"}, {ident, u"é", u"no"},
        {oneLineIf, u"If a Then b", u"yes"}, {oneLineIf, u"If a Then ' comment", u"yes"}, {oneLineIf, u"if\ta then b", u"yes"},
        {oneLineIf, u"If a Then", u"no"}, {oneLineIf, u"If a Then   ", u"no"}, {oneLineIf, u"IfDone = True", u"no"}, {oneLineIf, u"If", u"no"},
        {label, u"Else: x = 1", u"x = 1"}, {label, u"x = a: y = b", u"x = a: y = b"}, {label, u"  100   Print x", u"100   Print x"},
        {label, u"  100:   Print x", u"Print x"},
        // Literals, comments and Rem statements become blanks of the same length.
        {mask, u"s = \"For x\" ' Next", u"s =               "}, {mask, u"a = \"x\"\"y\": b", u"a =       : b"},
        {mask, u"x = 1: Rem For", u"x = 1:        "}, {mask, u"\tREM", u"\t   "}, {mask, u"Remove x", u"Remove x"}, {mask, u"x Rem y", u"x Rem y"},
        {mask, u"t = \"open", u"t =      "},
        {count, u"x = 1: y = 2 ' set both", u"2"}, {count, u"Label1:", u"0"}, {count, u"s = \"a:b\"", u"1"}, {count, u"s = \"a\"\":\"\"b\": t = 1", u"2"},
        {count, u"d = #1:02#: e = 3", u"2"}, {count, u"If a Then b = 1: c = 2", u"1"}, {count, u"Rem x = 1", u"0"}, {count, u"x = 1: Rem note", u"1"},
        {count, u"   ", u"0"}, {count, u"' only a comment", u"0"}, {count, u"a = 1:: b = 2:", u"2"}, {count, u"10 x = 1", u"1"},
        {count, u"s = \"unterminated: x", u"1"},
    };
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(cases[i].read(cases[i].text), QString::fromUtf16(cases[i].expected)) << "row " << i;
    EXPECT_TRUE(EqualsNoCase(u"Sub", u"SUB"));
    EXPECT_FALSE(EqualsNoCase(u"Sub", u"SUBS"));
    const struct { const char16_t* text; const char* needle; qsizetype from, at; } searches[] = {
        {u"x = 1: cAlL Foo", "CALL ", 0, 7}, {u"Call a: Call b", "CALL ", 1, 8}, {u"Caller", "CALL ", 0, -1}, {u"CAL", "CALL ", 0, -1},
        {u"é déclare", "CLARE", 0, 4}};
    for (const auto& s : searches)
        EXPECT_EQ(IndexOfUpper(s.text, QLatin1StringView(s.needle), s.from), s.at) << QString::fromUtf16(s.text).toStdString();
}

TEST(TextPrimitives, FileExistsIsFalseForFolders)
{
    quillon::test::Fixture fx;
    EXPECT_TRUE(FileExists(fx.write("a.bas", "x")));
    for (const QString& path : {fx.path(), fx.path("none.bas"), QString()})
        EXPECT_FALSE(FileExists(path)) << path.toStdString();
}

TEST(TextPrimitives, AddLineStatementsSkipsCommentsAndContinuations)
{
    // A comment ending in " _" continues onto the next line; a line beginning REM is a comment here.
    const struct { const char16_t* line; int total; bool pending; } steps[] = {
        {u"a = 1 & _", 1, true}, {u"b", 1, false}, {u"c = 2", 2, false}, {u"' note _", 2, true}, {u"d = 3", 2, false}, {u"REMOVE = 1", 2, false}};
    StatementCounter counter;
    for (const auto& step : steps) {
        AddLineStatements(step.line, counter);
        EXPECT_EQ(std::pair(counter.count, counter.ContinuationPending), std::pair(step.total, step.pending)) << QString::fromUtf16(step.line).toStdString();
    }
    counter.Reset();
    EXPECT_EQ(std::pair(counter.count, counter.ContinuationPending), std::pair(0, false));
}

} // namespace
