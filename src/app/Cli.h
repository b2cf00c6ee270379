#pragma once
#include "platform/SvgPageSurface.h"

#include <QStringList>

#include <functional>
#include <memory>
#include <ostream>

namespace quillon::platform {
class IGraphLayout;
class IPdfNavigator;
class IPrintSurface;
class IPrinterDefaults;
} // namespace quillon::platform

namespace quillon::model {
class Project;
enum class AggregateMode;
} // namespace quillon::model

namespace quillon::analysis {
class DependencyIndex;
} // namespace quillon::analysis

namespace quillon::app {

// What the command line needs of the platform beyond QtCore: a print surface for the
// printing subcommands and the current printer's defaults. The program gives the Qt
// implementations; tests give recording ones.
struct CliServices {
    std::function<std::unique_ptr<platform::IPrintSurface>()> createPrintSurface;
    const platform::IPrinterDefaults* printerDefaults = nullptr; // none: the built-in PDF writer's
    // The surfaces can draw side by side on other threads, and what they write are PDF files
    // that can be joined: a print run to a PDF file then prints parts of its queue in parallel.
    bool parallelPrinting = false;
    bool errIsTerminal = false; // the progress of a print then rewrites one line in place
    // Gives a printed PDF its bookmarks, links and properties; none: the PDF stays as written.
    platform::IPdfNavigator* pdfNavigator = nullptr;
    // Surfaces whose pages become SVG pictures (the form images of a site); none: no images.
    platform::SvgSurfaceFactory createSvgSurface;
    // Lays out and draws the site's graphs; none: the calls are listed, not drawn.
    const platform::IGraphLayout* graphLayout = nullptr;
    // All of standard input (quillon indent -); none: the process's own.
    std::function<QByteArray()> readStandardInput;
};

// Command lines that print or measure on a print surface, and so need a GUI application object
// (the arguments after the program name).
bool isPrintingCommandLine(const QStringList& args);

// Runs one command line (the arguments after the program name). Dumps go to `out` as UTF-8;
// usage errors, notes and messages go to `err`. Returns the process exit code:
// 0 success, 1 an input that cannot be read or an output that cannot be written, 2 a usage error.
int runCli(const QStringList& args, std::ostream& out, std::ostream& err, const CliServices& services = {});

QString usageText();

// The standard output of `quillon routines PROJECT.vbp` and `quillon calls PROJECT.vbp` for a
// loaded project.
QString routinesDumpText(const model::Project& project, model::AggregateMode aggregateMode);
QString callsDumpText(const analysis::DependencyIndex& dep);

} // namespace quillon::app
