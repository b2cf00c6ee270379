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

std::array<quint32, 10> HighlightColours(const config::Options& options)
{
    std::array<quint32, 10> colours{};
    for (int i = 0; i < 10; ++i)
        colours[size_t(i)] = quint32(options.Color(i));
    return colours;
}

int PrintImageDocument(platform::IPrintSurface& surface, print::PageSetup& setup, const config::Options& options,
                       const Routine& routine, const SourceReader& reader, platform::IMessageBox* messages)
{
    print::PrintDevice printer(surface, setup);
    printer.ApplyPageSetup();
    printer.ComputePageGeometry(true);
    print::PrintRunState run;
    print::PageFrame frame(printer, run);
    frame.NormalTextColour = quint32(options.Color(0));
    FormImageRenderer renderer(printer, frame, HighlightColours(options));
    frame.HeaderTitle = FileNameOf(routine.FilePath) + QStringLiteral("|Image");
    frame.PageNumber = 0;
    frame.FirstPageOfDocument = true;
    frame.EstimatePages(routine, &reader, renderer.EstimateFormImagePages(routine, reader));
    if (!renderer.PrintFormImage(routine, reader, messages))
        return -1;
    const int pages = surface.PagesStarted();
    return surface.EndDocument() ? pages : -2;
}

ProjectRunWiring::ProjectRunWiring(print::PrintRun& run, const Project& project,
                                   const analysis::ProjectAnalysis& analysis, print::PageSetup& setup,
                                   const config::Options& options, const SourceReader& reader,
                                   platform::IMessageBox* imageMessages,
                                   std::function<std::unique_ptr<platform::IPrintSurface>()> otherPrinter)
    : images_(run.printer(), run.frame(), HighlightColours(options))
{
    run.Index = &analysis.dependencies;
    run.Symbols = &analysis.symbols;
    run.Brackets = options.Bool(config::opt::Brackets);
    run.TabWidth = setup.TabWidthSetting;
    run.ProjectName = FileBaseName(project.ProjectPath);
    run.GdiSpoolSize = options.Int(config::opt::GDISpoolSize);
    run.Reader = &reader;
    run.Loaded = &project.RoutinesByFile;
    for (const auto& [path, routines] : project.RoutinesByFile.entries()) {
        for (const RoutinePtr& routine : routines)
            byKey_.insert(routine->UniqueKey, routine);
    }
    run.FindRoutine = [this](const QString& key) { return byKey_.value(key); };
    run.PrintImage = [this, &reader, imageMessages](Routine& routine) {
        return images_.PrintFormImage(routine, reader, imageMessages);
    };
    run.ImagePages = [this, &reader](const Routine& routine) {
        return images_.EstimateFormImagePages(routine, reader);
    };
    run.PrintImageOnPrinter = [&setup, &options, &reader, imageMessages,
                               otherPrinter = std::move(otherPrinter)](Routine& routine, const QString& device) {
        std::unique_ptr<platform::IPrintSurface> other = otherPrinter ? otherPrinter() : nullptr;
        if (!other || !other->SelectDevice(device))
            return false;
        print::PageSetup own = setup;
        own.DeviceName = other->CurrentDevice().deviceName;
        own.DriverName = other->CurrentDevice().driverName;
        own.PrinterPort = other->CurrentDevice().port;
        return PrintImageDocument(*other, own, options, routine, reader, imageMessages) >= 0;
    };
}

} // namespace quillon::formimage
