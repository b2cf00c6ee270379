#pragma once
#include <QByteArray>
#include <QString>
#include <QStringView>

#include <memory>

namespace quillon::platform {

// A graph laid out and drawn: the SVG picture, ready to be placed inside an HTML page (no XML
// declaration, no document type, no comments), or why it could not be drawn. Its width and
// height stay in points, the size the graph was laid out for, with the viewBox beside them: a
// page's CSS may scale it ("max-width: 100%; height: auto" keeps its proportions).
struct GraphPicture {
    QByteArray svg;
    QString error; // empty when svg holds the picture
    bool ok() const { return error.isEmpty(); }
};

// Lays out a graph written in the DOT language and draws it as SVG. Nodes and edges with a URL
// attribute become links in the picture (with target="_top" they leave a frame), their tooltip
// the link's title. The picture's elements have no ids, so a page may hold several pictures.
// Safe to call from several threads at once.
class IGraphLayout {
public:
    virtual ~IGraphLayout() = default;
    virtual GraphPicture drawSvg(const QByteArray& dot) const = 0;
};

// TEXT as a quoted DOT string, for a node's name or a label, tooltip or URL attribute: the
// picture shows (or links to) the text as given. Newlines break a label's lines; other control
// characters become spaces. Graphviz reads a backslash as the start of an escape ("\N" is the
// node's name, and a tooltip is read twice) and "&lt;" as an entity, so the backslash and the
// ampersand travel as the stand-ins below, which only drawSvg turns back: text quoted here is
// meant for IGraphLayout.
QByteArray dotQuoted(QStringView text);
// Two noncharacters, which no text of a project holds (dotQuoted replaces them if one does).
inline constexpr char16_t kDotBackslash = u'\uFDD0';
inline constexpr char16_t kDotAmpersand = u'\uFDD1';

// The layout on the Graphviz library ("dot" layout); null with the reason in *error when the
// library cannot be used.
std::unique_ptr<IGraphLayout> openGraphvizLayout(QString* error);

} // namespace quillon::platform
