#include "formimage/ProjectRun.h"

#include "analysis/ProjectAnalysis.h"
#include "config/Options.h"
#include "model/ProjectLoader.h"
#include "model/TextPrimitives.h"
#include "platform/PrintSurface.h"
#include "print/PageFrame.h"
#include "print/PageSetup.h"
#include "print/PrintRun.h"

namespace quillon::formimage {

using namespace quillon::model;

std::array<quint32, 10> highlightColours(const config::Options& options)
{
    std::array<quint32, 10> colours {};
    for (int i = 0; i < 10; ++i)
        colours[size_t(i)] = quint32(options.color(i));
    return colours;
}

int printImageDocument(platform::IPrintSurface& surface, print::PageSetup& setup, const config::Options& options,
    const Routine& routine, const SourceReader& reader, platform::IMessageBox* messages)
{
    print::PrintDevice printer(surface, setup);
    printer.applyPageSetup();
    printer.computePageGeometry(true);
    print::PrintRunState run;
    print::PageFrame frame(printer, run);
    frame.normalTextColour = quint32(options.color(0));
    FormImageRenderer renderer(printer, frame, highlightColours(options));
    frame.headerTitle = fileNameOf(routine.filePath) + QStringLiteral("|Image");
    frame.pageNumber = 0;
    frame.firstPageOfDocument = true;
    frame.estimatePages(routine, &reader, renderer.estimateFormImagePages(routine, reader));
    if (!renderer.printFormImage(routine, reader, messages))
        return -1;
    const int pages = surface.pagesStarted();
    return surface.endDocument() ? pages : -2;
}

ProjectRunWiring::ProjectRunWiring(print::PrintRun& run, const Project& project,
    const analysis::ProjectAnalysis& analysis, print::PageSetup& setup, const config::Options& options,
    const SourceReader& reader, platform::IMessageBox* imageMessages,
    std::function<std::unique_ptr<platform::IPrintSurface>()> otherPrinter)
    : images_(run.printer(), run.frame(), highlightColours(options))
{
    run.index = &analysis.dependencies;
    run.symbols = &analysis.symbols;
    run.brackets = options.boolean(config::opt::Brackets);
    run.tabWidth = setup.tabWidthSetting;
    run.projectName = fileBaseName(project.projectPath);
    run.gdiSpoolSize = options.integer(config::opt::GDISpoolSize);
    run.reader = &reader;
    run.loaded = &project.routinesByFile;
    for (const auto& [path, routines] : project.routinesByFile.entries()) {
        for (const RoutinePtr& routine : routines)
            byKey_.insert(routine->uniqueKey, routine);
    }
    run.findRoutine = [this](const QString& key) { return byKey_.value(key); };
    run.printImage = [this, &reader, imageMessages](
                         Routine& routine) { return images_.printFormImage(routine, reader, imageMessages); };
    run.imagePages = [this, &reader](
                         const Routine& routine) { return images_.estimateFormImagePages(routine, reader); };
    run.printImageOnPrinter = [&setup, &options, &reader, imageMessages, otherPrinter = std::move(otherPrinter)](
                                  Routine& routine, const QString& device) {
        std::unique_ptr<platform::IPrintSurface> other = otherPrinter ? otherPrinter() : nullptr;
        if (!other || !other->selectDevice(device))
            return false;
        print::PageSetup own = setup;
        own.deviceName = other->currentDevice().deviceName;
        own.driverName = other->currentDevice().driverName;
        own.printerPort = other->currentDevice().port;
        return printImageDocument(*other, own, options, routine, reader, imageMessages) >= 0;
    };
}

} // namespace quillon::formimage
