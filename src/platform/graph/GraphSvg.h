#pragma once
#include <QByteArray>

#include <graphviz/types.h>

namespace quillon::platform {

// The picture of GRAPH as Graphviz laid it out (after gvLayout, before gvFreeLayout, with the
// Graphviz lock held), in SVG a page can hold: one <svg> element sized in points, the y axis
// turned down, numbers to a tenth, each node or edge with a URL a link with its tooltip as
// title, and the stand-ins of dotQuoted turned back. Clusters are drawn as boxes with their
// labels; HTML-like labels are left out.
QByteArray svgOfLayout(Agraph_t* graph);

} // namespace quillon::platform
