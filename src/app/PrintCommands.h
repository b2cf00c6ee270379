#pragma once
#include "app/Cli.h"
#include "app/CliSupport.h"
#include "config/PageSetup.h"
#include "model/ListingLine.h"

namespace quillon::config {
class Session;
}
namespace quillon::platform {
class BatchMessageBox;
class IMessageBox;
} // namespace quillon::platform

namespace quillon::app {

// Where a printing command's messages and progress go: the command line's one box, which
// answers and counts every message and sums them up when the command line ends, and its
// standard error.
struct BatchConsole {
    platform::BatchMessageBox& messages;
    ConsoleWriter& console;
};

// quillon highlight SOURCEFILE [--project PROJECT.vbp] [--tab-width N]
int runHighlight(const Arguments& args, config::Session& session, const model::SourceReader& reader, std::ostream& out,
    std::ostream& err);
// quillon listing SOURCEFILE [-o OUT.pdf] [--project PROJECT.vbp] [page options]
int runListing(const Arguments& args, config::Session& session, const model::SourceReader& reader,
    const CliServices& services, const BatchConsole& batch, std::ostream& out, std::ostream& err);

// quillon print PROJECT.vbp [-o OUT.pdf] [selection] [page options] [--list]
int runPrint(const Arguments& args, config::Session& session, const model::SourceReader& reader,
    const CliServices& services, const BatchConsole& batch, std::ostream& out, std::ostream& err);

// quillon toc PROJECT.vbp [-o OUT.pdf] [--text] [--no-notes] [page options]
int runToc(const Arguments& args, config::Session& session, const model::SourceReader& reader,
    const CliServices& services, std::ostream& out, std::ostream& err);

// A report the program made: the table of contents, the insight report.
struct ReportToPrint {
    QString vbp; // the project it reports on
    model::Listing listing;
    QString title; // heads its pages: "Table of Contents"
    QString runSuffix; // after the project's name in the run's name: " TOC"
    QString what; // in the failure message: "the table of contents"
};
// The page set-up of the command line and the box that answers the run's messages.
struct ReportPrinting {
    platform::IMessageBox& batch;
    const config::PageSetup& setup;
};
// The options' page set-up with the command line's page options applied (throws Usage).
config::PageSetup commandPageSetup(const Arguments& args, const config::Session& session);
// Prints the report as one routine to the output the command line chose (--text: its lines in
// their markup form to standard output instead).
int printReport(const Arguments& args, config::Session& session, const model::SourceReader& reader,
    const CliServices& services, const ReportPrinting& printing, const ReportToPrint& report, std::ostream& out,
    std::ostream& err);

// quillon image FORM.frm [-o OUT.pdf] [page options]
int runImage(const Arguments& args, config::Session& session, const model::SourceReader& reader,
    const CliServices& services, std::ostream& out, std::ostream& err);

QStringList tocValueOptions();
QStringList tocFlagOptions();
QStringList listingValueOptions();
QStringList listingFlagOptions();
QStringList printValueOptions();
QStringList printFlagOptions();

} // namespace quillon::app
