// Inputs with which the checks of the fuzz targets in fuzz/, or a measurement at scale, found a
// reader losing bytes, reading back other text or working quadratically, each with what the
// reader must give now.
#include "analysis/DependencyIndex.h"
#include "config/Ini.h"
#include "model/SourceText.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace quillon;

namespace {

enum class Reader {
    Source, // decoded and split into lines; is the text written back to the same bytes?
    Ini, // [S] k=v set in the file; the bytes written
    Calls, // the call candidates of each line
};

struct MalformedCase {
    const char* name;
    Reader reader;
    QByteArray input;
    QString expected;
};

void PrintTo(const MalformedCase& c, std::ostream* os)
{
    *os << c.name;
}

// Characters outside printable ASCII as \xHH (bytes) or \uHHHH (text), so that outcomes read.
QString visible(QStringView text)
{
    QString out;
    for (QChar c : text) {
        if (c.unicode() >= 0x20 && c.unicode() < 0x7F)
            out += c;
        else
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
    }
    return out;
}

QString visible(const QByteArray& bytes)
{
    QString out;
    for (char b : bytes) {
        const auto u = static_cast<unsigned char>(b);
        if (u >= 0x20 && u < 0x7F)
            out += QLatin1Char(b);
        else
            out += QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'));
    }
    return out;
}

QString outcome(Reader reader, const QByteArray& input)
{
    switch (reader) {
    case Reader::Source: {
        model::TextEncoding used;
        const QString text = model::decodeSourceBytes(input, model::CodePage::standard(), &used);
        const QStringList lines = model::splitLines(text);
        const bool same = model::encodeSourceText(text, used) == input;
        return QStringLiteral("%1 lines, line 1 \"%2\", %3").arg(lines.size()).arg(visible(lines.value(0)), same ? "same bytes" : "bytes changed");
    }
    case Reader::Ini: {
        config::IniDocument document = config::IniDocument::fromBytes(input);
        document.setValue(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("v"));
        return visible(document.toBytes());
    }
    case Reader::Calls: {
        QStringList out;
        for (const QString& line : model::splitLines(QString::fromLatin1(input)))
            out << analysis::callCandidates(analysis::maskForCallScan(line)).join(QLatin1Char(' '));
        return out.join(QStringLiteral(" | "));
    }
    }
    return QString();
}

class MalformedInputTest : public ::testing::TestWithParam<MalformedCase> { };

TEST_P(MalformedInputTest, GivesAClearOutcome)
{
    EXPECT_EQ(outcome(GetParam().reader, GetParam().input), GetParam().expected);
}

const MalformedCase kCases[] = {
    // A byte order mark repeated after the first one is text: dropping it changed the file
    // when a value was written back.
    {"SecondByteOrderMarkStays", Reader::Source, QByteArray("\xEF\xBB\xBF\xEF\xBB\xBFSub A()\r\nEnd Sub\r\n"),
        QStringLiteral("2 lines, line 1 \"\\ufeffSub A()\", same bytes")},
    // In an INI file it is blank besides: the first header is still found.
    {"SecondByteOrderMarkStaysInAnIniFile", Reader::Ini, QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF[S]\r\nk=old\r\n"),
        QStringLiteral("\\xef\\xbb\\xbf\\xef\\xbb\\xbf[S]\\x0d\\x0ak=v\\x0d\\x0a")},
    // A file read in its code page reads the same after a write: when the value that kept
    // its bytes from passing for UTF-8 is replaced, the file moves to UTF-8 ("Ã©" stays).
    {"CodePageFileThatWouldPassForUtf8MovesToUtf8", Reader::Ini, QByteArray("[S]\r\nk=\xE9\r\nx=\xC3\xA9\r\n"),
        QStringLiteral("[S]\\x0d\\x0ak=v\\x0d\\x0ax=\\xc3\\x83\\xc2\\xa9\\x0d\\x0a")},
    // Past the first sixteen names a set finds the repeated ones (a line of thousands of
    // calls was quadratic).
    {"RepeatedCallsPastSixteenNamesCountOnce", Reader::Calls, QByteArray("x = a1(a2(a3(a4(a5(a6(a7(a8(a9(b1(b2(b3(b4(b5(b6(b7(b8(A1(b8(b9(b9(0"),
        QStringLiteral("A1 A2 A3 A4 A5 A6 A7 A8 A9 B1 B2 B3 B4 B5 B6 B7 B8 B9 X")},
};

INSTANTIATE_TEST_SUITE_P(
    Rows, MalformedInputTest, ::testing::ValuesIn(kCases), [](const ::testing::TestParamInfo<MalformedCase>& info) { return info.param.name; });

} // namespace
