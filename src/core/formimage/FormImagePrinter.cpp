#include "formimage/FormImagePrinter.h"

#include "config/Options.h"
#include "config/PageSetup.h"
#include "formimage/FormImageRenderer.h"
#include "model/TextPrimitives.h"
#include "platform/PrintSurface.h"
#include "print/PageFrame.h"

namespace quillon::formimage {

using namespace quillon::model;

std::array<quint32, 10> highlightColours(const config::Options& options)
{
    std::array<quint32, 10> colours {};
    for (int i = 0; i < 10; ++i)
        colours[size_t(i)] = quint32(options.color(i));
    return colours;
}

int printImageDocument(platform::IPrintSurface& surface, config::PageSetup& setup, const config::Options& options,
    const Routine& routine, const SourceReader& reader, platform::IMessageBox* messages)
{
    config::PrintDevice printer(surface, setup);
    printer.applyPageSetup();
    printer.computePageGeometry(true);
    print::PrintRunState run;
    print::PageFrame frame(printer, run);
    frame.normalTextColour = quint32(options.color(0));
    FormImageRenderer renderer(printer, frame, highlightColours(options));
    frame.headerTitle = fileNameOf(routine.filePath) + QStringLiteral("|Image");
    frame.pageNumber = 0;
    frame.firstPageOfDocument = true;
    frame.estimatePages(routine, renderer.estimateFormImagePages(routine, reader));
    if (!renderer.printFormImage(routine, reader, messages))
        return -1;
    const int pages = surface.pagesStarted();
    return surface.endDocument() ? pages : -2;
}

FormImagePrinter::FormImagePrinter(const config::PageSetup& setup, const config::Options& options,
    const SourceReader& reader, platform::IMessageBox* messages, SurfaceFactory otherPrinter)
    : setup_(setup),
      options_(options),
      reader_(reader),
      messages_(messages),
      otherPrinter_(std::move(otherPrinter)),
      colours_(highlightColours(options))
{ }

bool FormImagePrinter::printImage(const Routine& routine, config::PrintDevice& printer, print::PageFrame& frame)
{
    return FormImageRenderer(printer, frame, colours_).printFormImage(routine, reader_, messages_);
}

int FormImagePrinter::imagePages(const Routine& routine, config::PrintDevice& printer, print::PageFrame& frame)
{
    return FormImageRenderer(printer, frame, colours_).estimateFormImagePages(routine, reader_);
}

bool FormImagePrinter::printOnPrinter(const Routine& routine, const QString& device)
{
    std::unique_ptr<platform::IPrintSurface> other = otherPrinter_ ? otherPrinter_() : nullptr;
    if (!other || !other->selectDevice(device))
        return false;
    config::PageSetup own = setup_;
    own.deviceName = other->currentDevice().deviceName;
    own.driverName = other->currentDevice().driverName;
    own.printerPort = other->currentDevice().port;
    return printImageDocument(*other, own, options_, routine, reader_, messages_) >= 0;
}

} // namespace quillon::formimage
