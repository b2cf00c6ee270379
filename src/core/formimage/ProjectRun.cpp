#include "formimage/ProjectRun.h"

#include "analysis/ProjectAnalysis.h"
#include "config/Options.h"
#include "config/PageSetup.h"
#include "model/DiagLog.h"
#include "model/ProjectLoader.h"
#include "model/TextPrimitives.h"
#include "platform/PrintSurface.h"
#include "print/PageFrame.h"
#include "print/PrintRun.h"
#include "print/TableOfContents.h"

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

ProjectPrintRun::ProjectPrintRun(Parts parts)
    : run_(parts.surface, parts.setup, parts.options, parts.warnings, parts.messages, &DiagLog::standard(),
        std::move(parts.environment)),
      images_(run_.printer(), run_.frame(), highlightColours(parts.options))
{
    const Project& project = parts.project;
    const SourceReader& reader = project.reader();
    run_.index = &parts.analysis.dependencies;
    run_.symbols = &parts.analysis.symbols;
    run_.brackets = parts.options.boolean(config::opt::Brackets);
    run_.tabWidth = parts.setup.tabWidthSetting;
    run_.projectName = fileBaseName(project.projectPath);
    run_.documentInfo = print::documentInfoFor(run_.projectName, fileNameOf(project.projectPath), QDateTime());
    run_.gdiSpoolSize = parts.options.integer(config::opt::GDISpoolSize);
    run_.reader = &reader;
    run_.loaded = &project.routinesByFile;
    for (const auto& [path, routines] : project.routinesByFile.entries()) {
        for (const RoutinePtr& routine : routines)
            byKey_.insert(routine->uniqueKey, routine);
    }
    run_.findRoutine = [this](const QString& key) { return byKey_.value(key); };
    platform::IMessageBox* messages = &parts.messages;
    run_.printImage = [this, &reader, messages](
                          Routine& routine) { return images_.printFormImage(routine, reader, messages); };
    run_.imagePages = [this, &reader](
                          const Routine& routine) { return images_.estimateFormImagePages(routine, reader); };
    run_.printImageOnPrinter = [&setup = parts.setup, &options = parts.options, &reader, messages,
                                   otherPrinter = std::move(parts.otherPrinter)](
                                   Routine& routine, const QString& device) {
        std::unique_ptr<platform::IPrintSurface> other = otherPrinter ? otherPrinter() : nullptr;
        if (!other || !other->selectDevice(device))
            return false;
        config::PageSetup own = setup;
        own.deviceName = other->currentDevice().deviceName;
        own.driverName = other->currentDevice().driverName;
        own.printerPort = other->currentDevice().port;
        return printImageDocument(*other, own, options, routine, reader, messages) >= 0;
    };
    if (parts.history && parts.history->isOpen()) {
        history_.emplace(*parts.history);
        run_.history = &*history_;
    }
}

} // namespace quillon::formimage
