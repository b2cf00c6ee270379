#include "model/SourceText.h"
#include "model/DiagLog.h"
#include "model/Outcome.h"
#include "model/TextPrimitives.h"
#include "model/VbLineScanner.h"
#include "support/TestSupport.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cerrno>
#include <numeric>

using namespace quillon::model;
using quillon::test::Fixture;
using quillon::test::readBytes;

namespace {

TEST(SourceText, CodePagesEncodingsAndTheReader)
{
    QByteArray allBytes(256, '\0');
    std::iota(allBytes.begin(), allBytes.end(), char(0));
    ASSERT_GE(CodePage::names().size(), 10);
    for (const QString& name : CodePage::names()) {
        const QString text = CodePage::find(name)->decode(allBytes);
        EXPECT_EQ(text.size() + text.toUcs4().size(), 512) << "one character, no surrogate pair, per byte: " << name.toStdString();
        bool ok = false;
        EXPECT_EQ(CodePage::find(name)->encode(text, &ok), allBytes) << name.toStdString();
        EXPECT_TRUE(ok);
    }
    const struct {
        const char* page;
        QByteArray bytes;
        QString text;
    } cases[] = {
        {"windows-1252", "\x80\xE9\x96\xA9\xFC", QString::fromUtf8("€é–©ü")},
        {"windows-1253", "\xE1\xE2\xC3", QString::fromUtf8("αβΓ")},
        {"cp1251", "\xCF\xF0\xE8", QString::fromUtf8("При")},
        {"1250", "\x8A", QString::fromUtf8("Š")},
        {"windows-1252", "\x81", QString(QChar(0x81))},
        {"WINDOWS-1253", "\xAA", QString(QChar(0xF7AA))},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CodePage::find(c.page) ? CodePage::find(c.page)->decode(c.bytes) : "no such page", c.text) << c.page;
    EXPECT_EQ(CodePage::find("utf-16"), nullptr);
    bool ok = true;
    EXPECT_EQ(CodePage::standard().encode(QString::fromUtf8("aαb"), &ok), QByteArray("a?b"));
    EXPECT_FALSE(ok);
    // A source file is UTF-8 only after a byte order mark or as valid non-ASCII text, and every
    // file writes back byte for byte. A lone 0xE9 is not UTF-8; overlong forms, encoded
    // surrogates, values past U+10FFFF and cut sequences neither.
    const struct {
        QByteArray bytes;
        QString text;
        bool utf8, bom;
    } sources[] = {{"\xEF\xBB\xBFx = \"\xC3\xA9\"\n", QString::fromUtf8("x = \"é\"\n"), true, true},
        {"' caf\xC3\xA9\r\n", QString::fromUtf8("' café\r\n"), true, false}, {"' caf\xE9", QString::fromUtf8("' café"), false, false},
        {"\xC0\xAF", QString::fromUtf8("À¯"), false, false}, {"\xED\xA0\x80", QString::fromUtf8("í\u00A0€"), false, false},
        {"\xF4\x90\x80\x80", QString::fromUtf8("ô\u0090€€"), false, false}, {"abc\xE2\x82", QString::fromUtf8("abcâ‚"), false, false},
        {"\xF0\x9F\x98\x80", QString::fromUtf8("😀"), true, false}};
    for (const auto& c : sources) {
        TextEncoding used;
        EXPECT_EQ(decodeSourceBytes(c.bytes, CodePage::standard(), &used), c.text) << c.bytes.toStdString();
        EXPECT_EQ(std::pair(used.utf8, used.bom), std::pair(c.utf8, c.bom)) << c.bytes.toStdString();
        EXPECT_EQ(encodeSourceText(c.text, used), c.bytes) << c.bytes.toStdString();
    }
    // Lines end at CR LF, CR or LF; a final terminator adds no empty line.
    const struct {
        const char16_t* text;
        QStringList lines;
        bool terminated;
    } splits[] = {{u"a\r\nb\rc\nd", {"a", "b", "c", "d"}, false}, {u"a\r\n", {"a"}, true}, {u"a\n\n", {"a", ""}, true}, {u"a\r\r\n", {"a", ""}, true},
        {u"\n", {""}, true}, {u"", {}, false}, {u"\n\r", {"", ""}, true}};
    for (const auto& c : splits) {
        bool terminated = !c.terminated;
        EXPECT_EQ(splitLines(c.text, &terminated), c.lines) << QString::fromUtf16(c.text).toStdString();
        EXPECT_EQ(terminated, c.terminated) << QString::fromUtf16(c.text).toStdString();
    }
    // The reader reads, logs and reports failures; the log is kept small.
    Fixture fx;
    DiagLog log(fx.path("diag.txt"));
    const SourceReader reader(CodePage::standard(), &log);
    const QString good = fx.write("m.bas", QByteArray("a\r\nb\0c\n", 7));
    const Outcome<SourceFile> file = reader.read(good);
    ASSERT_TRUE(file) << file.error().toStdString();
    EXPECT_TRUE(file->hasNul);
    EXPECT_EQ(file->lines, (QStringList {"a", QString::fromLatin1("b\0c", 3)}));
    // A folder, a missing file, and a file that opens but cannot be read (the process's own
    // memory at offset 0, the nearest thing to a bad sector).
    const struct {
        QString path;
        int errorNumber;
    } failures[] = {{fx.path(), 21}, {fx.path("missing.bas"), 2}, {"/proc/self/mem", 5}};
    for (const auto& f : failures) {
        const Outcome<SourceFile> failed = reader.read(f.path);
        EXPECT_FALSE(failed.ok() || failed.error().isEmpty()) << f.path.toStdString();
        EXPECT_EQ(failed.errorNumber(), f.errorNumber) << f.path.toStdString();
    }
    const QStringList entries = QString::fromUtf8(readBytes(log.path())).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_GE(entries.size(), 5);
    for (const QString& entry : entries)
        EXPECT_TRUE(QRegularExpression("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d \\| ").match(entry).hasMatch()) << qPrintable(entry);
    EXPECT_TRUE(entries[0].endsWith(QStringLiteral("| OPEN INPUT ") + good));
    EXPECT_TRUE(entries[4].contains(QStringLiteral("| FAILED OPEN INPUT: ") + fx.path("missing.bas") + " | 2 | "));
    // The default log lives in the temporary folder; an oversized log is moved aside first.
    EXPECT_EQ(DiagLog::defaultPath(), QString::fromLocal8Bit(qgetenv("TEMP")) + QStringLiteral("/VB6_Text DiagLog.txt"));
    const QString path = fx.write("log.txt", "x");
    QFile(path).resize(DiagLog::kMaxBytes + 1); // sparse: only the size counts
    DiagLog(path).write(QStringLiteral("entry"));
    EXPECT_EQ(QFileInfo(path + QStringLiteral(".old")).size(), DiagLog::kMaxBytes + 1);
    EXPECT_TRUE(readBytes(path).endsWith(" | entry\n"));
    EXPECT_LT(QFileInfo(path).size(), 100);
}

// Each primitive as text in, text out ("yes"/"no" for the tests, the number for the count),
// so that one table holds the cases of all of them.
using Reading = QString (*)(QStringView);
using quillon::test::yesNo;

TEST(Outcome, HoldsItsValueOrItsFailureNeverBoth)
{
    // An empty value is still a value, and a failure without a reason still a failure.
    const struct {
        Outcome<QString> outcome;
        bool ok;
        QString valueOr, error;
        int errorNumber;
    } cases[] = {{QString("text"), true, "text", "", 0}, {QString(), true, "", "", 0},
        {Outcome<QString>::failed("gone", ENOENT), false, "fallback", "gone", ENOENT}, {Failure {}, false, "fallback", "", 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(std::tuple(c.outcome.ok(), bool(c.outcome), c.outcome.valueOr("fallback"), c.outcome.error(), c.outcome.errorNumber()),
            std::tuple(c.ok, c.ok, c.valueOr, c.error, c.errorNumber));
    }
    const Outcome<void> done, failed = Outcome<void>::failed("busy", EBUSY);
    EXPECT_EQ(
        std::tuple(done.ok(), done.error(), failed.ok(), failed.error(), failed.errorNumber()), std::tuple(true, QString(), false, QString("busy"), EBUSY));
}

TEST(TextPrimitives, EachPrimitiveOnItsCasesFileExistsAndStatementsCountedAcrossLines)
{
    const Reading trim = [](QStringView t) { return trimBlanks(t).toString(); }, ltrim = [](QStringView t) { return trimLeadingBlanks(t).toString(); },
                  rtrim = [](QStringView t) { return trimTrailingBlanks(t).toString(); }, quoted = [](QStringView t) { return quote(t.toString()); },
                  name = [](QStringView t) { return fileNameOf(t.toString()); }, ext = [](QStringView t) { return fileExtension(t.toString()); },
                  base = [](QStringView t) { return fileBaseName(t.toString()); }, rem = [](QStringView t) { return yesNo(isRemStatement(t)); },
                  digits = [](QStringView t) { return yesNo(isAllDigits(t)); }, ident = [](QStringView t) { return yesNo(isIdentifier(t)); },
                  oneLineIf = [](QStringView t) { return yesNo(isSingleLineIf(t)); }, mask = maskLiteralsAndComments, label = stripLineLabel,
                  count = [](QStringView t) { return QString::number(countStatements(t)); };
    const struct {
        Reading read;
        const char16_t* text;
        const char16_t* expected;
    } cases[] = {
        // Blanks are trimmed, tabs never; upper-casing keeps the length.
        {trim, u"  a b  ", u"a b"},
        {trim, u"\ta\t", u"\ta\t"},
        {ltrim, u"  a ", u"a "},
        {rtrim, u"  a ", u"  a"},
        {upperCase, u"straße é ÿ µ ı", u"STRAßE É Ÿ Μ I"},
        {quoted, u"a b", u"\"a b\""},
        {name, u"C:\\P\\frmMain.frm", u"frmMain.frm"},
        {name, u"/p/sub\\x.bas", u"x.bas"},
        {name, u"plain.bas", u"plain.bas"},
        {ext, u"/p/a.b/Mod.Bas", u"Bas"},
        {ext, u"/p/noext", u""},
        {base, u"/p/v1.2/mod.x.bas", u"mod.x"},
        {base, u"C:\\p\\noext", u"noext"},
        {rem, u"  Rem", u"yes"},
        {rem, u"rem\tnote", u"yes"},
        {rem, u"Remark = 1", u"no"},
        {digits, u" 100 ", u"yes"},
        {digits, u"", u"no"},
        {digits, u"1a", u"no"},
        {ident, u"_x1", u"yes"},
        {ident, u"1x", u"no"},
        {ident, u"é", u"no"},
        {oneLineIf, u"If a Then b", u"yes"},
        {oneLineIf, u"If a Then ' comment", u"yes"},
        {oneLineIf, u"if\ta then b", u"yes"},
        {oneLineIf, u"If a Then", u"no"},
        {oneLineIf, u"If a Then   ", u"no"},
        {oneLineIf, u"IfDone = True", u"no"},
        {oneLineIf, u"If", u"no"},
        {label, u"Else: x = 1", u"x = 1"},
        {label, u"x = a: y = b", u"x = a: y = b"},
        {label, u"  100   Print x", u"100   Print x"},
        {label, u"  100:   Print x", u"Print x"},
        // Literals, comments and Rem statements become blanks of the same length.
        {mask, u"s = \"For x\" ' Next", u"s =               "},
        {mask, u"x = 1: Rem For", u"x = 1:        "},
        {count, u"x = 1: y = 2 ' set both", u"2"},
        {count, u"Label1:", u"0"},
        {count, u"s = \"a\"\":\"\"b\": t = 1", u"2"},
        {count, u"d = #1:02#: e = 3", u"2"},
        {count, u"If a Then b = 1: c = 2", u"1"},
        {count, u"Rem x = 1", u"0"},
        {count, u"x = 1: Rem note", u"1"},
        {count, u"a = 1:: b = 2:", u"2"},
        {count, u"10 x = 1", u"1"},
        {count, u"s = \"unterminated: x", u"1"},
    };
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(cases[i].read(cases[i].text), QString::fromUtf16(cases[i].expected)) << "row " << i;
    EXPECT_TRUE(equalsNoCase(u"Sub", u"SUB"));
    EXPECT_FALSE(equalsNoCase(u"Sub", u"SUBS"));
    const struct {
        const char16_t* text;
        const char* needle;
        qsizetype from, at;
    } searches[] = {{u"x = 1: cAlL Foo", "CALL ", 0, 7}, {u"Call a: Call b", "CALL ", 1, 8}, {u"Caller", "CALL ", 0, -1}, {u"CAL", "CALL ", 0, -1},
        {u"é déclare", "CLARE", 0, 4}};
    for (const auto& s : searches)
        EXPECT_EQ(indexOfUpper(s.text, QLatin1StringView(s.needle), s.from), s.at) << QString::fromUtf16(s.text).toStdString();
    // fileExists is false for folders.
    Fixture fx;
    EXPECT_TRUE(fileExists(fx.write("a.bas", "x")));
    for (const QString& path : {fx.path(), fx.path("none.bas"), QString()})
        EXPECT_FALSE(fileExists(path)) << path.toStdString();
    // A comment ending in " _" continues onto the next line; a line beginning REM is a comment here.
    const struct {
        const char16_t* line;
        int total;
        bool pending;
    } steps[] = {{u"a = 1 & _", 1, true}, {u"b", 1, false}, {u"c = 2", 2, false}, {u"' note _", 2, true}, {u"d = 3", 2, false}, {u"REMOVE = 1", 2, false}};
    StatementCounter counter;
    for (const auto& step : steps) {
        addLineStatements(step.line, counter);
        EXPECT_EQ(std::pair(counter.count, counter.continuationPending), std::pair(step.total, step.pending)) << QString::fromUtf16(step.line).toStdString();
    }
}

// Each line read as name (n), other code (.), closed literal (L), open literal (o) and
// comment (C), one mark per character.
TEST(VbLineScanner, LiteralsCommentsAndNamesUnderEachReadersRules)
{
    const VbScanRules quote, rem {.remComments = true}, date {.dateLiterals = true}, none {.quoteComments = false};
    const std::tuple<const VbScanRules*, const char16_t*, const char*> cases[] = {
        {&quote, u"s = \"a\"\"b\" ' it's \"q\"", "n...LLLLLL.CCCCCCCCCC"},
        {&quote, u"t = \"open ' no comment", "n...oooooooooooooooooo"},
        {&quote, u"x = 1: Rem note", "n......nnn.nnnn"},
        {&rem, u"x = 1: Rem note", "n......CCCCCCCC"},
        {&rem, u"\tREM", ".CCC"},
        {&rem, u"Remark = \"x\": y Rem z", "nnnnnn...LLL..n.nnn.n"},
        {&date, u"d = #1:02# ' x", "n...LLLLLL.CCC"},
        {&date, u"Print #1, \"x\"", "nnnnn.ooooooo"},
        {&quote, u"Print #1, \"x\"", "nnnnn.....LLL"},
        {&none, u"a = \"x\" ' b, c", "n...LLL...n..n"},
        {&quote, u"Total& = my_var1 + Left$(s_, 2) ' x", "nnnnn....nnnnnnn...nnnn..nn.....CCC"},
        {&quote, u"_x = 9a + é", ".n....n...."},
    };
    for (const auto& [rules, text, expected] : cases) {
        const QStringView line(text);
        QString marks(line.size(), QLatin1Char('?'));
        VbLineScanner scanner(line, *rules);
        for (VbLinePart part; scanner.next(part);) {
            const char mark = part.kind == VbLinePart::Code ? '.' : part.kind == VbLinePart::Comment ? 'C' : part.closed ? 'L' : 'o';
            marks.replace(part.start, part.end - part.start, QString(part.end - part.start, QLatin1Char(mark)));
            qsizetype start = 0;
            for (qsizetype end = nextIdentifier(line, part.start, part.end, start); part.kind == VbLinePart::Code && start < part.end;
                 end = nextIdentifier(line, end, part.end, start))
                marks.replace(start, end - start, QString(end - start, QLatin1Char('n')));
        }
        EXPECT_EQ(marks, QString::fromLatin1(expected)) << line.toString().toStdString();
        const qsizetype comment = QString::fromLatin1(expected).indexOf(QLatin1Char('C'));
        EXPECT_EQ(commentStart(line, *rules), comment < 0 ? line.size() : comment) << line.toString().toStdString();
    }
    EXPECT_TRUE(isIdentifierChar(u'_') && isIdentifierChar(u'7') && isTypeSuffix(u'@') && !isIdentifierChar(u'$') && !isTypeSuffix(u'_'));
}

} // namespace
