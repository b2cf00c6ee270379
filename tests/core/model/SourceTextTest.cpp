#include "model/DiagLog.h"
#include "model/SourceText.h"
#include "support/TestSupport.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace quillon::model;
using quillon::test::Fixture;
using quillon::test::ReadBytes;

namespace {

QByteArray AllBytes()
{
    QByteArray bytes(256, '\0');
    for (int b = 0; b < 256; ++b)
        bytes[b] = char(b);
    return bytes;
}

TEST(CodePage, EveryByteIsOneCharacterAndBackAndUndefinedBytesKeepACharacterOfTheirOwn)
{
    ASSERT_GE(CodePage::Names().size(), 10);
    for (const QString& name : CodePage::Names()) {
        const QString text = CodePage::Find(name)->Decode(AllBytes());
        EXPECT_EQ(text.size() + text.toUcs4().size(), 512) << "one character, no surrogate pair, per byte: " << name.toStdString();
        bool ok = false;
        EXPECT_EQ(CodePage::Find(name)->Encode(text, &ok), AllBytes()) << name.toStdString();
        EXPECT_TRUE(ok);
    }
    const struct { const char* page; QByteArray bytes; QString text; } cases[] = {
        {"windows-1252", "\x80\xE9\x96\xA9\xFC", QString::fromUtf8("€é–©ü")}, {"windows-1253", "\xE1\xE2\xC3", QString::fromUtf8("αβΓ")},
        {"cp1251", "\xCF\xF0\xE8", QString::fromUtf8("При")}, {"1250", "\x8A", QString::fromUtf8("Š")},
        {"windows-1252", "\x81", QString(QChar(0x81))}, {"WINDOWS-1253", "\xAA", QString(QChar(0xF7AA))},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CodePage::Find(c.page) ? CodePage::Find(c.page)->Decode(c.bytes) : "no such page", c.text) << c.page;
    EXPECT_EQ(CodePage::Default().name(), "windows-1252");
    EXPECT_EQ(CodePage::Find("utf-16"), nullptr);
    EXPECT_EQ(CodePage::Find(QString()), nullptr);
    bool ok = true;
    EXPECT_EQ(CodePage::Default().Encode(QString::fromUtf8("aαb"), &ok), QByteArray("a?b"));
    EXPECT_FALSE(ok);
}

TEST(DecodeSource, Utf8OnlyForABomOrValidNonAsciiTextAndEveryFileRoundTrips)
{
    // A lone 0xE9 is not UTF-8; overlong forms, encoded surrogates, values past U+10FFFF and
    // cut sequences neither.
    const struct { QByteArray bytes; QString text; bool utf8, bom; } cases[] = {
        {"\xEF\xBB\xBFx = \"\xC3\xA9\"\n", QString::fromUtf8("x = \"é\"\n"), true, true},
        {"' caf\xC3\xA9\r\n", QString::fromUtf8("' café\r\n"), true, false}, {"' caf\xE9", QString::fromUtf8("' café"), false, false},
        {"s = \"a\x01\"\r\n' \x80\x81\x8D", QString::fromUtf8("s = \"a\x01\"\r\n' €\u0081\u008D"), false, false},
        {"\xC0\xAF", QString::fromUtf8("À¯"), false, false}, {"\xED\xA0\x80", QString::fromUtf8("í\u00A0€"), false, false},
        {"\xF4\x90\x80\x80", QString::fromUtf8("ô\u0090€€"), false, false}, {"abc\xE2\x82", QString::fromUtf8("abcâ‚"), false, false},
        {"\xF0\x9F\x98\x80", QString::fromUtf8("😀"), true, false}, {AllBytes(), CodePage::Default().Decode(AllBytes()), false, false},
    };
    for (const auto& c : cases) {
        TextEncoding used;
        EXPECT_EQ(DecodeSourceBytes(c.bytes, CodePage::Default(), &used), c.text) << c.bytes.toStdString();
        EXPECT_EQ(std::pair(used.utf8, used.bom), std::pair(c.utf8, c.bom)) << c.bytes.toStdString();
        EXPECT_EQ(EncodeSourceText(c.text, used), c.bytes) << c.bytes.toStdString();
    }
}

TEST(SplitLines, EndsLinesAtCrLfCrOrLfAndIgnoresAFinalTerminator)
{
    const struct { const char16_t* text; QStringList lines; bool terminated; } cases[] = {
        {u"a\r\nb\rc\nd", {"a", "b", "c", "d"}, false}, {u"a\r\n", {"a"}, true}, {u"a\n\n", {"a", ""}, true},
        {u"a\r\r\n", {"a", ""}, true}, {u"\n", {""}, true}, {u"", {}, false}, {u"\n\r", {"", ""}, true}};
    for (const auto& c : cases) {
        bool terminated = !c.terminated;
        EXPECT_EQ(SplitLines(c.text, &terminated), c.lines) << QString::fromUtf16(c.text).toStdString();
        EXPECT_EQ(terminated, c.terminated) << QString::fromUtf16(c.text).toStdString();
    }
}

TEST(SourceReader, ReadsLogsAndReportsFailures)
{
    Fixture fx;
    DiagLog log(fx.path("diag.txt"));
    const SourceReader reader(CodePage::Default(), &log);
    const QString good = fx.write("m.bas", QByteArray("a\r\nb\0c\n", 7));
    const SourceFile file = reader.Read(good);
    EXPECT_TRUE(file.ok && file.hasNul);
    EXPECT_EQ(file.lines, (QStringList{"a", QString::fromLatin1("b\0c", 3)}));
    // A folder, a missing file, and a file that opens but cannot be read (the process's own
    // memory at offset 0, the nearest thing to a bad sector).
    const struct { QString path; int errorNumber; } failures[] = {{fx.path(), 21}, {fx.path("missing.bas"), 2}, {"/proc/self/mem", 5}};
    for (const auto& f : failures) {
        const SourceFile failed = reader.Read(f.path);
        EXPECT_FALSE(failed.ok || failed.error.isEmpty() || !failed.lines.isEmpty()) << f.path.toStdString();
        EXPECT_EQ(failed.errorNumber, f.errorNumber) << f.path.toStdString();
    }
    const QStringList entries = QString::fromUtf8(ReadBytes(log.path())).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_GE(entries.size(), 5);
    for (const QString& entry : entries)
        EXPECT_TRUE(QRegularExpression("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d \\| ").match(entry).hasMatch()) << qPrintable(entry);
    EXPECT_TRUE(entries[0].endsWith(QStringLiteral("| OPEN INPUT ") + good));
    EXPECT_TRUE(entries[2].contains(QStringLiteral("| FAILED OPEN INPUT: ") + fx.path() + QStringLiteral(" | ")));
    EXPECT_TRUE(entries[4].contains(QStringLiteral("| FAILED OPEN INPUT: ") + fx.path("missing.bas") + " | 2 | "));
}

TEST(DiagLogTest, LivesInTheTemporaryFolderAndAnOversizedLogIsMovedAside)
{
    EXPECT_EQ(DiagLog::DefaultPath(), QString::fromLocal8Bit(qgetenv("TEMP")) + QStringLiteral("/VB6_Text DiagLog.txt"));
    Fixture fx;
    const QString path = fx.write("log.txt", "x");
    QFile(path).resize(DiagLog::kMaxBytes + 1); // sparse: only the size counts
    DiagLog(path).Write(QStringLiteral("entry"));
    EXPECT_EQ(QFileInfo(path + QStringLiteral(".old")).size(), DiagLog::kMaxBytes + 1);
    EXPECT_TRUE(ReadBytes(path).endsWith(" | entry\n"));
    EXPECT_LT(QFileInfo(path).size(), 100);
}

} // namespace
