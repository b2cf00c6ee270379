#include "platform/GraphLayout.h"

#include <QRectF>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
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

// One thing drawn: its element, the bounds of its points (a text's: where it is anchored), its
// paint as inherited from its groups, and its points in order.
struct Drawn {
    QString kind;
    QRectF box;
    QString fill;
    QString stroke;
    QString width;
    QList<QPointF> points;
    QString text;
};

// The picture read back as XML: each link as "href|target|tooltip", the texts, what is drawn
// (not the background), its size, and every number written with more than one decimal.
struct ReadBack {
    QStringList links;
    QStringList texts;
    QList<Drawn> drawn;
    QRectF view;
    QSizeF size;
    QStringList longNumbers;
    QString error;
};

double numberOf(const QString& word, QStringList& longNumbers)
{
    static const QRegularExpression tenths(QStringLiteral("^-?\\d+(\\.\\d)?$"));
    if (!tenths.match(word).hasMatch())
        longNumbers += word;
    return word.toDouble();
}

QList<QPointF> pointsOf(const QString& text, QStringList& longNumbers)
{
    static const QRegularExpression separators(QStringLiteral("[ ,MCL]"));
    const QStringList words = text.split(separators, Qt::SkipEmptyParts);
    QList<QPointF> points;
    for (qsizetype i = 0; i + 1 < words.size(); i += 2)
        points += QPointF(numberOf(words[i], longNumbers), numberOf(words[i + 1], longNumbers));
    return points;
}

QRectF boundsOf(const QList<QPointF>& points)
{
    QPointF low = points.value(0);
    QPointF high = low;
    for (const QPointF& p : points) {
        low = {std::min(low.x(), p.x()), std::min(low.y(), p.y())};
        high = {std::max(high.x(), p.x()), std::max(high.y(), p.y())};
    }
    return QRectF(low, high);
}

ReadBack readBack(const QByteArray& svg)
{
    ReadBack read;
    QXmlStreamReader reader(svg);
    QList<std::pair<QString, QString>> paints {{"#000", "none"}};
    const auto value = [&reader](const char* name) { return reader.attributes().value(QLatin1String(name)).toString(); };
    const auto number = [&](const char* name) { return numberOf(value(name), read.longNumbers); };
    QString previous;
    while (reader.readNext() != QXmlStreamReader::Invalid && !reader.atEnd()) {
        if (reader.isEndElement() && reader.name() != u"title")
            paints.removeLast();
        if (!reader.isStartElement())
            continue;
        const QString kind = reader.name().toString();
        if (kind != u"title")
            paints += {reader.attributes().hasAttribute("fill") ? value("fill") : paints.last().first,
                reader.attributes().hasAttribute("stroke") ? value("stroke") : paints.last().second};
        Drawn drawn {kind, {}, paints.last().first, paints.last().second, value("stroke-width"), {}, {}};
        if (kind == u"svg") {
            read.view = boundsOf(pointsOf(value("viewBox"), read.longNumbers));
            read.size = {value("width").chopped(2).toDouble(), value("height").chopped(2).toDouble()};
        } else if (kind == u"a") {
            read.links += value("href") + u'|' + value("target") + u'|';
        } else if (kind == u"title" && previous == u"a") {
            read.links.last() += reader.readElementText();
        } else if (kind == u"rect" && value("width") != u"100%") {
            drawn.points = {{number("x"), number("y")}, {number("x") + number("width"), number("y") + number("height")}};
        } else if (kind == u"ellipse") {
            drawn.points = {{number("cx") - number("rx"), number("cy") - number("ry")}, {number("cx") + number("rx"), number("cy") + number("ry")}};
        } else if (kind == u"polygon" || kind == u"path") {
            drawn.points = pointsOf(value(kind == u"path" ? "d" : "points"), read.longNumbers);
        } else if (kind == u"text") {
            drawn.points = {{number("x"), number("y")}};
            drawn.text = reader.readElementText();
            read.texts += drawn.text;
            paints.removeLast();
        }
        previous = kind;
        drawn.box = boundsOf(drawn.points);
        if (!drawn.points.isEmpty())
            read.drawn += drawn;
    }
    read.error = reader.errorString();
    return read;
}

// The first shape drawn of KIND whose box holds the anchor of the text TEXT.
Drawn shapeAround(const ReadBack& read, const QString& text, const QString& kind = QStringLiteral("rect"))
{
    for (const Drawn& label : read.drawn)
        for (const Drawn& shape : read.drawn)
            if (label.text == text && shape.kind == kind && shape.box.contains(label.points[0]))
                return shape;
    return {};
}

// Whether BOX lies in VIEW (a point's box has no size, which QRectF::contains refuses).
bool inside(const QRectF& view, const QRectF& box)
{
    return box.left() >= view.left() && box.right() <= view.right() && box.top() >= view.top() && box.bottom() <= view.bottom();
}

// How far P is from the border of BOX.
double fromBorder(const QRectF& box, QPointF p)
{
    const double dx = std::max({box.left() - p.x(), 0.0, p.x() - box.right()});
    const double dy = std::max({box.top() - p.y(), 0.0, p.y() - box.bottom()});
    if (dx > 0 || dy > 0)
        return std::hypot(dx, dy);
    return std::min({p.x() - box.left(), box.right() - p.x(), p.y() - box.top(), box.bottom() - p.y()});
}

TEST(GraphvizLayoutTest, LinksOfNodesAndEdgesAreInAPictureAPageCanHold)
{
    const GraphPicture picture = layout().drawSvg(R"(digraph { node [target="_top"];
        a [URL="a.html", tooltip="A"]; b [URL="b.html#x", tooltip="B"]; c [URL="\N.html"]; a -> b [URL="e.html", tooltip="E"]; })");
    ASSERT_TRUE(picture.ok()) << picture.error.toStdString();
    EXPECT_TRUE(picture.svg.startsWith("<svg")) << picture.svg.left(80).toStdString();
    EXPECT_FALSE(picture.svg.contains("<!--") || picture.svg.contains("<title>%"));
    const ReadBack read = readBack(picture.svg);
    EXPECT_EQ(read.error, "");
    EXPECT_EQ(read.links, QStringList({"a.html|_top|A", "b.html#x|_top|B", "c.html|_top|c", "e.html||E"}));
}

// A node's attributes, and the shape it must be drawn as (none: no outline) with its paint.
struct NodeCase {
    const char* name;
    const char* attributes;
    const char* kind;
    const char* fill;
    const char* stroke;
    const char* width;
};
void PrintTo(const NodeCase& row, std::ostream* out)
{
    *out << row.name;
}

class NodeTest : public testing::TestWithParam<NodeCase> { };

TEST_P(NodeTest, IsDrawnInItsColoursAroundItsLabel)
{
    const NodeCase& row = GetParam();
    const GraphPicture picture = layout().drawSvg(QByteArray("digraph { n [label=\"Node\", ") + row.attributes + "] }");
    ASSERT_TRUE(picture.ok()) << picture.error.toStdString();
    const ReadBack read = readBack(picture.svg);
    EXPECT_EQ(read.error, "");
    EXPECT_EQ(read.longNumbers, QStringList());
    EXPECT_EQ(read.texts, QStringList(row.kind ? "Node" : nullptr).filter(u"Node"));
    const qsizetype shapes = std::count_if(read.drawn.cbegin(), read.drawn.cend(), [](const Drawn& d) { return d.kind != u"text"; });
    EXPECT_EQ(shapes, *QByteArray(row.kind) ? 1 : 0);
    if (!row.kind || !*row.kind)
        return;
    const Drawn shape = shapeAround(read, QStringLiteral("Node"), QString::fromLatin1(row.kind));
    EXPECT_EQ(shape.kind, row.kind);
    EXPECT_EQ(std::make_tuple(shape.fill, shape.stroke, shape.width), std::make_tuple(QString(row.fill), QString(row.stroke), QString(row.width)));
    // The label in the middle of its box, the box in the picture.
    EXPECT_NEAR(read.drawn.last().points[0].x(), shape.box.center().x(), 0.5);
    EXPECT_TRUE(inside(read.view, shape.box) && read.view.size() == read.size) << picture.svg.toStdString();
}

const NodeCase kNodes[] = {
    {"FilledBox", R"(shape=box, style=filled, fillcolor="#f4f6fb", color="#5b6b8c", penwidth=1.6)", "rect", "#f4f6fb", "#5b6b8c", "1.6"},
    {"Outline", "shape=box, color=red", "rect", "none", "#f00", ""},
    {"FilledWithItsPen", "shape=box, style=filled, color=navyblue", "rect", "#000080", "#000080", ""},
    {"GreyWhenFilledWithNoColour", "shape=box, style=filled", "rect", "#d3d3d3", "#000", ""},
    {"FirstOfAColourList", R"(shape=box, style="filled, bold", fillcolor="yellow:blue")", "rect", "#ff0", "#000", "2"},
    {"SeeThrough", R"(shape=box, style=filled, fillcolor="#ff000080", color=transparent)", "rect", "#ff000080", "none", ""},
    {"Ellipse", "", "ellipse", "none", "#000", ""},
    {"Diamond", "shape=diamond, style=dashed", "polygon", "none", "#000", ""},
    {"NoOutline", "shape=plaintext", "", "", "", ""},
    {"Invisible", "style=invis", nullptr, "", "", ""},
};
INSTANTIATE_TEST_SUITE_P(
    GraphvizLayoutTest, NodeTest, testing::ValuesIn(kNodes), [](const testing::TestParamInfo<NodeCase>& info) { return std::string(info.param.name); });

// Where the graph's direction puts b from a: the sign of each coordinate's difference.
struct DirectionCase {
    const char* name;
    const char* settings;
    int dx;
    int dy;
};
void PrintTo(const DirectionCase& row, std::ostream* out)
{
    *out << row.name;
}

class DirectionTest : public testing::TestWithParam<DirectionCase> { };

TEST_P(DirectionTest, TheEdgeRunsFromBoxToBoxAndItsArrowTouchesTheHead)
{
    const GraphPicture picture = layout().drawSvg(QByteArray("digraph { node [shape=box]; ") + GetParam().settings + " a -> b [arrowsize=2] }");
    ASSERT_TRUE(picture.ok()) << picture.error.toStdString();
    const ReadBack read = readBack(picture.svg);
    EXPECT_EQ(read.longNumbers, QStringList());
    const QRectF a = shapeAround(read, QStringLiteral("a")).box;
    const QRectF b = shapeAround(read, QStringLiteral("b")).box;
    const QPointF step = b.center() - a.center();
    EXPECT_EQ(std::make_pair(std::abs(step.x()) < 1 ? 0
                      : step.x() > 0                ? 1
                                                    : -1,
                  std::abs(step.y()) < 1 ? 0
                      : step.y() > 0     ? 1
                                         : -1),
        std::make_pair(GetParam().dx, GetParam().dy));
    const auto line = std::find_if(read.drawn.cbegin(), read.drawn.cend(), [](const Drawn& d) { return d.kind == u"path"; });
    const auto arrow = std::find_if(read.drawn.cbegin(), read.drawn.cend(), [](const Drawn& d) { return d.kind == u"polygon"; });
    ASSERT_TRUE(line != read.drawn.cend() && arrow != read.drawn.cend() && arrow->points.size() == 3) << picture.svg.toStdString();
    EXPECT_EQ(line->stroke, "#000");
    EXPECT_EQ(arrow->fill, "#000");
    // The tip is the corner nearest b; the base's middle is where the line stops.
    QList<QPointF> corners = arrow->points;
    std::sort(corners.begin(), corners.end(), [&b](QPointF p, QPointF q) { return fromBorder(b, p) < fromBorder(b, q); });
    const QPointF base = (corners[1] + corners[2]) / 2;
    EXPECT_LT(std::abs(fromBorder(b, corners[0])), 1);
    EXPECT_NEAR(std::hypot(corners[0].x() - base.x(), corners[0].y() - base.y()), 20, 1);
    EXPECT_LT(std::abs(fromBorder(a, line->points.first())), 1);
    EXPECT_LT(std::hypot(line->points.last().x() - base.x(), line->points.last().y() - base.y()), 1);
    for (const Drawn& drawn : read.drawn)
        EXPECT_TRUE(inside(read.view, drawn.box)) << drawn.kind.toStdString();
}

const DirectionCase kDirections[] = {
    {"TopDown", "", 0, 1},
    {"LeftRight", "rankdir=LR;", 1, 0},
    {"BottomUp", "rankdir=BT; splines=line;", 0, -1},
    {"RightLeft", "rankdir=RL; splines=polyline;", -1, 0},
};
INSTANTIATE_TEST_SUITE_P(GraphvizLayoutTest, DirectionTest, testing::ValuesIn(kDirections),
    [](const testing::TestParamInfo<DirectionCase>& info) { return std::string(info.param.name); });

TEST(GraphvizLayoutTest, EveryKindOfLabelIsDrawnInOrder)
{
    // A graph, and the texts its picture must show: clusters first, then nodes, edges and the graph's own label.
    const std::pair<const char*, QStringList> cases[] = {
        {R"(digraph { a -> b [label="12"] })", {"a", "b", "12"}},
        {R"(digraph { n [label="one\ntwo\lthree\r"] })", {"one", "two", "three"}},
        {"digraph { abc; x [shape=point] }", {"abc"}},
        {R"(digraph { r [shape=record, label="left|{top|bottom}"] })", {"left", "top", "bottom"}},
        {R"(digraph { label="Title"; subgraph cluster_f { label="Folder"; a } a -> b })", {"Folder", "a", "b", "Title"}},
        {"digraph { h [label=<<b>bold</b>>] }", {}},
    };
    for (const auto& [dot, texts] : cases) {
        const GraphPicture picture = layout().drawSvg(dot);
        ASSERT_TRUE(picture.ok()) << picture.error.toStdString();
        const ReadBack read = readBack(picture.svg);
        EXPECT_EQ(read.texts, texts) << dot;
        for (const Drawn& drawn : read.drawn)
            EXPECT_TRUE(inside(read.view, drawn.box)) << dot << ": " << drawn.kind.toStdString() << " " << drawn.text.toStdString();
    }
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
