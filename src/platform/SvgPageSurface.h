#pragma once
#include "PrintSurface.h"

#include <QByteArray>

#include <functional>
#include <memory>
#include <vector>

namespace quillon::platform {

// A print surface whose pages become SVG pictures instead of paper: what a renderer prints on
// it (lines, boxes, texts as text) can be placed in an HTML page. Texts are measured as the
// PDF writer measures them, so a picture is laid out as its printed page is.
class ISvgPageSurface : public IPrintSurface {
public:
    // The pictures of the pages printed since the last call, in order, each ready to be placed
    // inside an HTML page (no XML declaration, no document type); taking them empties the list.
    virtual std::vector<QByteArray> takePages() = 0;
};

using SvgSurfaceFactory = std::function<std::unique_ptr<ISvgPageSurface>()>;

} // namespace quillon::platform
