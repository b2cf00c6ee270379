#pragma once
#include "platform/PdfNavigation.h"

namespace quillon::platform {

// Adds the navigation with libqpdf: the document is read as it is, the outline, links and
// properties are added to its objects, and it is written again with every stream kept as it
// was, so the pages and their text do not change.
class QpdfNavigator final : public IPdfNavigator {
public:
    bool addNavigation(const QString& pdfPath, const DocumentNavigation& navigation, QString* error) override;
};

} // namespace quillon::platform
