#pragma once
#include "analysis/RoutineMetrics.h"
#include "html/SiteMap.h"
#include "platform/SvgPageSurface.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <vector>

namespace quillon::analysis {
class DependencyIndex;
class SymbolTable;
} // namespace quillon::analysis
namespace quillon::config {
class Options;
}
namespace quillon::model {
class Project;
}
namespace quillon::platform {
class IGraphLayout;
}

namespace quillon::html {

// What every page of one export reads; nothing in it changes while pages are written side by side.
struct SiteContext {
    const model::Project* project = nullptr;
    const analysis::SymbolTable* symbols = nullptr;
    const analysis::DependencyIndex* index = nullptr;
    const config::Options* options = nullptr;
    const SiteMap* map = nullptr;
    QString projectTitle;
    int tabWidth = 4;
    bool brackets = false; // the loop brackets beside the code, as the print draws them
    const platform::IGraphLayout* graphs = nullptr; // none: no pictures of calls
    platform::SvgSurfaceFactory pictures; // none: no form images
};

// A name the search box finds, and where it leads.
struct SearchEntry {
    QString name;
    QString kind; // "Form", "Private Sub", "Constant"...
    QString where; // the file it is in
    QString href;
};

struct RenderedPage {
    QByteArray html;
    std::vector<SearchEntry> entries;
    QStringList notes; // what could not be drawn, for the export's report
    std::vector<std::pair<QString, QByteArray>> graphs; // the pictures of its graph script, by id
};

// A file's path as the site shows it: from the project's folder, so a site copied elsewhere tells
// nothing of the machine that wrote it ("forms/frmMain.frm", "../shared/modUtil.bas").
QString shownPath(const SiteContext& site, const QString& path);

// The head and the bar every page shares: the project's name, the links to the site's own
// pages, the search box. `title` is plain text; `graphScript`, the script that holds the page's
// graph pictures (none: the page has none).
QString pageStart(const SiteContext& site, const QString& title, const QString& graphScript = QString());
// The graph script of a file's page, beside the site's assets.
QString graphScriptOf(const QString& pageName);
QString pageEnd();

// The page of one part of a file: its records in line order, each with its anchor, the code
// highlighted with the print's colours, a line anchor per line, calls linked to their
// routines; per procedure its dependency report, API calls, metrics and neighbourhood; a
// form's image at the top.
RenderedPage renderFilePage(const SiteContext& site, const SiteFile& file, int pageIndex);

} // namespace quillon::html
