#pragma once
#include <QByteArray>
#include <QString>

namespace quillon::analysis {
class DependencyIndex;
}

namespace quillon::html {

class SiteMap;

// Beyond these a neighbourhood or the module graph is too dense for a picture to say anything;
// the page lists the calls instead.
constexpr int kMaxNeighbourhoodNodes = 30;
constexpr int kMaxModuleNodes = 150;
constexpr int kMaxModuleEdges = 600;

// A routine's callers and callees to two calls away, as DOT with every node a link to its
// routine on the site (its label the link's title); empty when it has fewer than two, or more than
// kMaxNeighbourhoodNodes.
QByteArray neighbourhoodDot(const analysis::DependencyIndex& index, const SiteMap& map, const QString& key);

// The modules and the calls between them (an edge per calling module and called module, its
// label the number of routine pairs), every module a link to its file's page; empty when there
// are no calls, or too many modules or edges to draw (*tooLarge set then).
QByteArray moduleGraphDot(const analysis::DependencyIndex& index, const SiteMap& map, bool* tooLarge);

} // namespace quillon::html
