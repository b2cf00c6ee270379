#pragma once
#include "print/PrintRunConfig.h"

#include <QString>
#include <QtGlobal>

#include <array>
#include <functional>
#include <memory>

namespace quillon::config {
class Options;
struct PageSetup;
} // namespace quillon::config
namespace quillon::model {
struct Routine;
class SourceReader;
} // namespace quillon::model
namespace quillon::platform {
class IMessageBox;
class IPrintSurface;
} // namespace quillon::platform

namespace quillon::formimage {

// The ten highlight colours of the options.
std::array<quint32, 10> highlightColours(const config::Options& options);

// Prints one form image as a document of its own on the surface: the frame starts afresh,
// the image ends its routine. The pages printed; -1 when there was nothing to draw, -2 when
// the output could not be completed.
int printImageDocument(platform::IPrintSurface& surface, config::PageSetup& setup, const config::Options& options,
    const model::Routine& routine, const model::SourceReader& reader, platform::IMessageBox* messages);

// The form images of a print run, drawn by the FormImageRenderer with the run's own device and
// frame, or as a document of their own on a surface from otherPrinter when one is too large for
// any output file (with the run's page set-up as it stands then). A form file that cannot be
// read is told through messages when it is drawn, and counts no pages.
class FormImagePrinter : public print::IFormImagePrinter {
public:
    using SurfaceFactory = std::function<std::unique_ptr<platform::IPrintSurface>()>;
    FormImagePrinter(const config::PageSetup& setup, const config::Options& options, const model::SourceReader& reader,
        platform::IMessageBox* messages, SurfaceFactory otherPrinter);

    bool printImage(const model::Routine& routine, config::PrintDevice& printer, print::PageFrame& frame) override;
    int imagePages(const model::Routine& routine, config::PrintDevice& printer, print::PageFrame& frame) override;
    bool printOnPrinter(const model::Routine& routine, const QString& device) override;

private:
    const config::PageSetup& setup_;
    const config::Options& options_;
    const model::SourceReader& reader_;
    platform::IMessageBox* messages_;
    SurfaceFactory otherPrinter_;
    std::array<quint32, 10> colours_;
};

} // namespace quillon::formimage
