#include "model/DiagLog.h"
#include "model/SourceText.h"
#include "support/TestSupport.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace quillon::model;
using quillon::test::Fixture;
using quillon::test::ReadBytes;

namespace {

QByteArray AllBytes()
{
    QByteArray bytes;
    for (int b = 0; b < 256; ++b)
        bytes += char(b);
    return bytes;
}

TEST(CodePage, EveryByteOfEveryCodePageDecodesToOneCharacterAndBack)
{
    const QByteArray bytes = AllBytes();
    ASSERT_GE(CodePage::Names().size(), 10);
    for (const QString& name : CodePage::Names()) {
        const CodePage* page = CodePage::Find(name);
        ASSERT_NE(page, nullptr) << qPrintable(name);
        const QString text = page->Decode(bytes);
        ASSERT_EQ(text.size(), 256) << qPrintable(name);
        bool ok = false;
        EXPECT_EQ(page->Encode(text, &ok), bytes) << qPrintable(name);
        EXPECT_TRUE(ok);
        EXPECT_EQ(text.toUcs4().size(), 256) << "no surrogate pairs in " << qPrintable(name);
    }
}

TEST(CodePage, DecodesTheDefinedCharactersOfEachPage)
{
    const CodePage& w1252 = CodePage::Default();
    EXPECT_EQ(w1252.name(), QStringLiteral("windows-1252"));
    EXPECT_EQ(w1252.Decode("\x80\xE9\x96\xA9\xFC"), QString::fromUtf8("€é–©ü"));
    EXPECT_EQ(CodePage::Find(QStringLiteral("windows-1253"))->Decode("\xE1\xE2\xC3"), QString::fromUtf8("αβΓ"));
    EXPECT_EQ(CodePage::Find(QStringLiteral("cp1251"))->Decode("\xCF\xF0\xE8"), QString::fromUtf8("При"));
    EXPECT_EQ(CodePage::Find(QStringLiteral("1250"))->Decode("\x8A"), QString::fromUtf8("Š"));
    // Undefined bytes still get a character of their own.
    EXPECT_EQ(w1252.Decode("\x81").at(0).unicode(), 0x81);
    EXPECT_EQ(CodePage::Find(QStringLiteral("WINDOWS-1253"))->Decode("\xAA").at(0).unicode(), 0xF7AA);
}

TEST(CodePage, UnknownNamesAndUnrepresentableCharacters)
{
    EXPECT_EQ(CodePage::Find(QStringLiteral("utf-16")), nullptr);
    EXPECT_EQ(CodePage::Find(QStringLiteral("")), nullptr);
    bool ok = true;
    EXPECT_EQ(CodePage::Default().Encode(QString::fromUtf8("aαb"), &ok), QByteArray("a?b"));
    EXPECT_FALSE(ok);
}

TEST(DecodeSource, ChoosesUtf8OnlyForBomOrValidNonAsciiText)
{
    TextEncoding used;
    EXPECT_EQ(DecodeSourceBytes("\xEF\xBB\xBFx = \"\xC3\xA9\"", CodePage::Default(), &used), QString::fromUtf8("x = \"é\""));
    EXPECT_TRUE(used.utf8);
    EXPECT_TRUE(used.bom);

    EXPECT_EQ(DecodeSourceBytes("' caf\xC3\xA9", CodePage::Default(), &used), QString::fromUtf8("' café"));
    EXPECT_TRUE(used.utf8);
    EXPECT_FALSE(used.bom);

    // A lone 0xE9 is not UTF-8: the code page decides.
    EXPECT_EQ(DecodeSourceBytes("' caf\xE9", CodePage::Default(), &used), QString::fromUtf8("' café"));
    EXPECT_FALSE(used.utf8);

    EXPECT_EQ(DecodeSourceBytes("plain", CodePage::Default(), &used), QStringLiteral("plain"));
    EXPECT_FALSE(used.utf8);

    // Overlong forms and encoded surrogates are not UTF-8.
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));
    EXPECT_FALSE(IsValidUtf8("abc\xE2\x82"));
    EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x98\x80"));
}

TEST(DecodeSource, RoundTripsEveryKindOfFileByteForByte)
{
    const QByteArray samples[] = {
        QByteArray("s = \"a\x01" "b\"\r\n' \x80\x81\x8D\r\n"),
        QByteArray("\xEF\xBB\xBF' caf\xC3\xA9\n"),
        QByteArray("' caf\xC3\xA9\r\n"),
        AllBytes(),
    };
    for (const QByteArray& bytes : samples) {
        TextEncoding used;
        const QString text = DecodeSourceBytes(bytes, CodePage::Default(), &used);
        bool ok = false;
        EXPECT_EQ(EncodeSourceText(text, used, &ok), bytes);
        EXPECT_TRUE(ok);
    }
}

TEST(SplitLines, EndsLinesAtCrLfCrOrLfAndIgnoresAFinalTerminator)
{
    bool terminated = false;
    EXPECT_EQ(SplitLines(u"a\r\nb\rc\nd", &terminated), (QStringList{"a", "b", "c", "d"}));
    EXPECT_FALSE(terminated);
    EXPECT_EQ(SplitLines(u"a\r\n", &terminated), QStringList{"a"});
    EXPECT_TRUE(terminated);
    EXPECT_EQ(SplitLines(u"a\n\n"), (QStringList{"a", ""}));
    EXPECT_EQ(SplitLines(u"a\r\r\n"), (QStringList{"a", ""}));
    EXPECT_EQ(SplitLines(u"\n"), QStringList{""});
    EXPECT_EQ(SplitLines(u""), QStringList{});
    EXPECT_EQ(SplitLines(u"\n\r"), (QStringList{"", ""}));
}

TEST(SourceReader, ReadsAndLogsAndReportsFailures)
{
    Fixture fx;
    DiagLog log(fx.path("diag.txt"));
    const SourceReader reader(CodePage::Default(), &log);
    const QString good = fx.write("m.bas", QByteArray("a\r\nb\0c\n", 7));
    SourceFile file = reader.Read(good);
    EXPECT_TRUE(file.ok);
    EXPECT_TRUE(file.hasNul);
    EXPECT_EQ(file.lines.size(), 2);

    file = reader.Read(fx.path());
    EXPECT_FALSE(file.ok);
    EXPECT_FALSE(file.error.isEmpty());

    file = reader.Read(fx.path("missing.bas"));
    EXPECT_FALSE(file.ok);
    EXPECT_NE(file.errorNumber, 0);

    const QString text = QString::fromUtf8(ReadBytes(log.path()));
    const QStringList entries = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(entries.size(), 5);
    const QRegularExpression stamp(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d \\| "));
    for (const QString& entry : entries)
        EXPECT_TRUE(stamp.match(entry).hasMatch()) << qPrintable(entry);
    EXPECT_TRUE(entries[0].endsWith(QStringLiteral("| OPEN INPUT ") + good));
    EXPECT_TRUE(entries[2].contains(QStringLiteral("| FAILED OPEN INPUT: ") + fx.path() + QStringLiteral(" | ")));
    EXPECT_TRUE(entries[4].contains(QStringLiteral("| FAILED OPEN INPUT: ") + fx.path("missing.bas")
                                    + QStringLiteral(" | 2 | ")));
}

TEST(SourceReader, AFileThatOpensButCannotBeReadFails)
{
    // Reading offset 0 of a process's own memory file fails with an I/O error after a
    // successful open: the nearest thing to a bad sector that a test can produce.
    DiagLog log{QString()};
    const SourceFile file = SourceReader(CodePage::Default(), &log).Read(QStringLiteral("/proc/self/mem"));
    EXPECT_FALSE(file.ok);
    EXPECT_TRUE(file.lines.isEmpty());
}

TEST(DiagLogTest, DefaultLivesInTheTemporaryFolder)
{
    EXPECT_EQ(DiagLog::DefaultPath(), QString::fromLocal8Bit(qgetenv("TEMP")) + QStringLiteral("/VB6_Text DiagLog.txt"));
}

TEST(DiagLogTest, AnOversizedLogIsMovedAsideBeforeTheNextEntry)
{
    Fixture fx;
    const QString path = fx.write("log.txt", QByteArray(DiagLog::kMaxBytes + 1, 'x'));
    DiagLog log(path);
    log.Write(QStringLiteral("entry"));
    EXPECT_EQ(ReadBytes(path + QStringLiteral(".old")).size(), DiagLog::kMaxBytes + 1);
    EXPECT_TRUE(ReadBytes(path).endsWith(" | entry\n"));
}

} // namespace
