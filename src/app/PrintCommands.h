#pragma once
#include "app/Cli.h"
#include "app/CliSupport.h"

namespace quillon::config {
class Session;
}

namespace quillon::app {

// quillon highlight SOURCEFILE [--project PROJECT.vbp] [--tab-width N]
int RunHighlight(const Arguments& args, config::Session& session, const model::SourceReader& reader,
                 std::ostream& out, std::ostream& err);
// quillon listing SOURCEFILE [-o OUT.pdf] [--project PROJECT.vbp] [page options]
int RunListing(const Arguments& args, config::Session& session, const model::SourceReader& reader,
               const CliServices& services, std::ostream& out, std::ostream& err);

// quillon print PROJECT.vbp [-o OUT.pdf] [selection] [page options] [--list]
int RunPrint(const Arguments& args, config::Session& session, const model::SourceReader& reader,
             const CliServices& services, std::ostream& out, std::ostream& err);

// quillon toc PROJECT.vbp [-o OUT.pdf] [--text] [--no-notes] [page options]
int RunToc(const Arguments& args, config::Session& session, const model::SourceReader& reader,
           const CliServices& services, std::ostream& out, std::ostream& err);

// quillon image FORM.frm [-o OUT.pdf] [page options]
int RunImage(const Arguments& args, config::Session& session, const model::SourceReader& reader,
             const CliServices& services, std::ostream& out, std::ostream& err);

QStringList TocValueOptions();
QStringList TocFlagOptions();
QStringList ListingValueOptions();
QStringList ListingFlagOptions();
QStringList PrintValueOptions();
QStringList PrintFlagOptions();

} // namespace quillon::app
