#pragma once
#include <QByteArray>
#include <QString>

#include <memory>

namespace quillon::platform {

// A graph laid out and drawn: the SVG picture, ready to be placed inside an HTML page (no XML
// declaration, no document type), or why it could not be drawn.
struct GraphPicture {
    QByteArray svg;
    QString error; // empty when svg holds the picture
    bool ok() const { return error.isEmpty(); }
};

// Lays out a graph written in the DOT language and draws it as SVG. Nodes and edges with a URL
// attribute become links in the picture. Safe to call from several threads at once.
class IGraphLayout {
public:
    virtual ~IGraphLayout() = default;
    virtual GraphPicture drawSvg(const QByteArray& dot) const = 0;
};

// The layout on the Graphviz library ("dot" layout); null with the reason in *error when the
// library cannot be used.
std::unique_ptr<IGraphLayout> openGraphvizLayout(QString* error);

} // namespace quillon::platform
