#pragma once
#include "model/Outcome.h"
#include "platform/SvgPageSurface.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace quillon::analysis {
class ProjectAnalysis;
}
namespace quillon::config {
class Options;
}
namespace quillon::model {
class Project;
}
namespace quillon::platform {
class IGraphLayout;
}

// The project as a static site that a browser opens from the disk: an index of the files, a
// page per file with its code highlighted and every call a link, the insight pages, the
// module graph, and a search box on every page.
namespace quillon::html {

struct SiteRequest {
    QString folder; // where the site goes; an earlier export there is replaced
    QStringList files; // full paths of the files to show; every file when empty
    QStringList routineKeys; // dependency keys of the procedures to show; every one when empty
    int jobs = 0; // pages written side by side: 0, one per core
    bool brackets = false; // the loop brackets beside the code, as the print draws them
    const platform::IGraphLayout* graphs = nullptr; // none: the calls are listed, not drawn
    platform::SvgSurfaceFactory pictures; // none: forms without their images
    std::function<bool()> cancelRequested;
    // After each page: how many of how many are written, and which.
    std::function<void(int done, int total, const QString& page)> progress;
};

struct SiteSummary {
    int pages = 0;
    int filePages = 0;
    qint64 bytes = 0; // the whole site
    qint64 largestPageBytes = 0;
    QString largestPage;
    bool cancelled = false; // nothing was replaced
    QStringList notes; // what could not be drawn or read, the site written all the same
};

// The name of the file an export leaves in its folder, by which a later export knows the folder
// as one it may replace.
inline const QString kSiteMarker = QStringLiteral(".quillon-site");

// Writes the site in a work folder beside request.folder and puts it in that folder's place in
// one step when complete; on failure or cancel the folder stays as it was. A folder that exists
// must be empty or hold an earlier export.
model::Outcome<SiteSummary> exportSite(const model::Project& project, const analysis::ProjectAnalysis& analysis,
    const config::Options& options, const SiteRequest& request);

} // namespace quillon::html
