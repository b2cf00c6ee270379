#include "platform/GraphLayout.h"

#include <QTemporaryFile>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <thread>
#include <unistd.h>

using namespace quillon::platform;

namespace {

const IGraphLayout& layout()
{
    static const std::unique_ptr<IGraphLayout> opened = [] {
        QString error;
        auto graphviz = openGraphvizLayout(&error);
        EXPECT_TRUE(graphviz) << error.toStdString();
        return graphviz;
    }();
    return *opened;
}

// The picture read back as XML: each link as "href|target|tooltip", and the texts drawn.
struct ReadBack {
    QStringList links;
    QStringList texts;
    QString error;
};

ReadBack readBack(const QByteArray& svg)
{
    ReadBack read;
    QXmlStreamReader reader(svg);
    const auto value = [&reader](const char* name) { return reader.attributes().value(QLatin1String(name)).toString(); };
    while (reader.readNext() != QXmlStreamReader::Invalid && !reader.atEnd()) {
        if (reader.isStartElement() && reader.name() == u"a")
            read.links += value("xlink:href") + u'|' + value("target") + u'|' + value("xlink:title");
        else if (reader.isStartElement() && reader.name() == u"text")
            read.texts += reader.readElementText();
    }
    read.error = reader.errorString();
    return read;
}

TEST(GraphvizLayoutTest, LinksOfNodesAndEdgesAreInAPictureAPageCanHold)
{
    const GraphPicture picture = layout().drawSvg(R"(digraph { node [target="_top"];
        a [URL="a.html", tooltip="A"]; b [URL="b.html#x", tooltip="B"]; a -> b [URL="e.html", tooltip="E"]; })");
    ASSERT_TRUE(picture.ok()) << picture.error.toStdString();
    EXPECT_TRUE(picture.svg.startsWith("<svg")) << picture.svg.left(80).toStdString();
    EXPECT_FALSE(picture.svg.contains("<!--") || picture.svg.contains("<title>%"));
    const ReadBack read = readBack(picture.svg);
    EXPECT_EQ(read.error, "");
    EXPECT_EQ(read.links, QStringList({"a.html|_top|A", "b.html#x|_top|B", "e.html||E"}));
}

// Each text as label, tooltip and URL of one node, and what the picture must show for it.
struct TextCase {
    const char* name;
    const char* text;
    const char* shown;
};
void PrintTo(const TextCase& row, std::ostream* out)
{
    *out << row.name;
}

class QuotedTextTest : public testing::TestWithParam<TextCase> { };

TEST_P(QuotedTextTest, ComesOutAsGiven)
{
    const QString text = QString::fromUtf8(GetParam().text);
    const QString shown = QString::fromUtf8(GetParam().shown);
    const QByteArray quoted = dotQuoted(text);
    const GraphPicture picture =
        layout().drawSvg("digraph { n [label=" + quoted + ", tooltip=" + quoted + ", URL=" + dotQuoted(QString(text).remove(u'\n').remove(u'\r')) + "] }");
    ASSERT_TRUE(picture.ok()) << picture.error.toStdString();
    const ReadBack read = readBack(picture.svg);
    EXPECT_EQ(read.error, "");
    EXPECT_EQ(read.texts.join(u'\n'), shown);
    EXPECT_EQ(read.links, QStringList(QString(shown).remove(u'\n') + u'|' + u'|' + shown));
}

const TextCase kTexts[] = {
    {"Markup", R"(x<y & "q" 'z' -> w)", R"(x<y & "q" 'z' -> w)"},
    {"Backslashes", R"(\N \G \n \\ end\)", R"(\N \G \n \\ end\)"},
    {"Entities", "&lt; &amp; &#92; &#233;", "&lt; &amp; &#92; &#233;"},
    {"NonAscii", "Prüfe Größe 中文 \uFDD0", "Prüfe Größe 中文 \uFFFD"},
    {"WindowsLineEnd", "two\r\nlines", "two\nlines"},
    {"ControlCharacters", "tab\there\x01", "tab here "},
};
INSTANTIATE_TEST_SUITE_P(
    GraphvizLayoutTest, QuotedTextTest, testing::ValuesIn(kTexts), [](const testing::TestParamInfo<TextCase>& info) { return std::string(info.param.name); });

TEST(GraphvizLayoutTest, ABrokenGraphIsToldInTheResultAndTheNextOneIsDrawn)
{
    QTemporaryFile errors;
    ASSERT_TRUE(errors.open());
    const int terminal = ::dup(STDERR_FILENO);
    ::dup2(errors.handle(), STDERR_FILENO);
    // A DOT text that cannot be drawn, and a word of what the error must say.
    const std::pair<QByteArray, const char*> cases[] = {{"digraph {\n a;\n b -> -> c }", "line 3"}, {"", "empty"}, {" \n ", "empty"},
        {"graph { a -> b }", "syntax error"}, {"digraph { a [label=\"x] }", "quoted string"}, {QByteArray("digraph { a }\0", 14), "NUL"},
        {"\x01\x7f not dot", "syntax error"}};
    for (const auto& [dot, told] : cases) {
        const GraphPicture picture = layout().drawSvg(dot);
        EXPECT_TRUE(picture.svg.isEmpty() && picture.error.contains(QLatin1String(told))) << dot.toStdString() << ": " << picture.error.toStdString();
    }
    ::dup2(terminal, STDERR_FILENO);
    ::close(terminal);
    EXPECT_EQ(errors.readAll(), "");
    EXPECT_TRUE(layout().drawSvg("digraph { a -> b }").ok());
}

TEST(GraphvizLayoutTest, ThreadsDrawingAtOnceGetTheirOwnPicturesAndErrors)
{
    constexpr int kThreads = 6;
    QStringList wrong[kThreads];
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([t, &wrong] {
            for (int i = 0; i < 12; ++i) {
                const QString label = QStringLiteral("thread %1 graph %2").arg(t).arg(i);
                const GraphPicture good = layout().drawSvg("digraph { a -> b; b [label=" + dotQuoted(label) + "] }");
                const GraphPicture bad = layout().drawSvg("digraph {" + QByteArray(t + 1, '\n') + "a -> -> b }");
                if (!good.ok() || !readBack(good.svg).texts.contains(label))
                    wrong[t] += label + QStringLiteral(": ") + good.error;
                if (!bad.error.contains(QStringLiteral("line %1").arg(t + 2)))
                    wrong[t] += QStringLiteral("broken %1: %2").arg(i).arg(bad.error);
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    for (int t = 0; t < kThreads; ++t)
        EXPECT_EQ(wrong[t], QStringList()) << "thread " << t;
}

} // namespace
