#include "formimage/FormImagePictures.h"

#include "config/PageSetup.h"
#include "formimage/FormImagePrinter.h"
#include "model/Routine.h"
#include "platform/SvgPageSurface.h"

namespace quillon::formimage {

std::vector<QByteArray> formImagePictures(const model::Routine& imageRoutine, const model::SourceReader& reader,
    const config::Options& options, platform::ISvgPageSurface& surface, platform::IMessageBox* messages)
{
    if (imageRoutine.kind != model::RoutineKind::Image)
        return {};
    // Pages someone printed before belong to no image of ours.
    surface.takePages();
    config::PageSetup setup = config::PageSetup::fromOptions(options);
    if (printImageDocument(surface, setup, options, imageRoutine, reader, messages) < 0) {
        surface.abandonDocument();
        surface.takePages();
        return {};
    }
    return surface.takePages();
}

} // namespace quillon::formimage
