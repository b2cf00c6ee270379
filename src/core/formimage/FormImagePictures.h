#pragma once
#include <QByteArray>

#include <vector>

namespace quillon::config {
class Options;
}
namespace quillon::model {
struct Routine;
class SourceReader;
} // namespace quillon::model
namespace quillon::platform {
class IMessageBox;
class ISvgPageSurface;
} // namespace quillon::platform

namespace quillon::formimage {

// The pages of a form's image (the Image routine of its file) as SVG pictures, printed as a
// document of its own on the surface with the page set-up of the options. Empty when there is
// nothing to draw (no area, a designer), when the routine is no image, or when the form file
// cannot be read (messages tells why) or the pictures cannot be made.
std::vector<QByteArray> formImagePictures(const model::Routine& imageRoutine, const model::SourceReader& reader,
    const config::Options& options, platform::ISvgPageSurface& surface, platform::IMessageBox* messages);

} // namespace quillon::formimage
