#pragma once
#include "app/Cli.h"
#include "app/CliSupport.h"

namespace quillon::config {
class Session;
}
namespace quillon::platform {
class BatchMessageBox;
}

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
