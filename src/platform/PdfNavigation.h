#pragma once
#include <QDateTime>
#include <QRectF>
#include <QString>

#include <vector>

namespace quillon::platform {

// One bookmark of a PDF's outline: its title, the page it opens (0 = the document's first
// page) and the bookmarks under it.
struct OutlineEntry {
    QString title;
    int page = 0;
    std::vector<OutlineEntry> children;
};

// A clickable area of a page that opens another page of the same document. The area is in
// points (1/72 inch) from the page's top-left corner, y running down.
struct PageLink {
    int page = 0;
    QRectF area;
    int targetPage = 0;
};

// The document properties a PDF reader shows.
struct DocumentInfo {
    QString title;
    QString subject;
    QString creator;
    QDateTime created;
};

// What makes a printed PDF navigable, collected while it is printed.
struct DocumentNavigation {
    std::vector<OutlineEntry> outline;
    std::vector<PageLink> links;
    DocumentInfo info;

    bool isEmpty() const { return outline.empty() && links.empty() && info.title.isEmpty(); }
};

// Adds an outline, links and document properties to a finished PDF file, keeping every page and
// its contents as they were. The file is replaced in one step (a work file beside it, then a
// rename): on failure it stays as it was.
class IPdfNavigator {
public:
    virtual ~IPdfNavigator() = default;
    // False with the reason when the file could not be read or written; entries that name a page
    // the document does not have are left out, not an error.
    virtual bool addNavigation(const QString& pdfPath, const DocumentNavigation& navigation, QString* error) = 0;
};

} // namespace quillon::platform
