#pragma once
#include "app/OptionsCommands.h"

#include <functional>

namespace quillon::config {
class Options;
class Session;
} // namespace quillon::config

namespace quillon::app {

// quillon aid shrink|movedim|wrap PROJECT.vbp [--files NAME,...] [--routines KEY,...]
// [--long-line TEXT]: the rewrite over the chosen files and procedures (all of them by default),
// each file backed up first; the report on stdout. Wrap measures with a print surface.
int runAid(const Arguments& args, config::Session& session, const model::SourceReader& reader,
    const SurfaceFactory& surfaces, std::ostream& out, std::ostream& err);

// quillon indent [FILE|-] [--set NAME=VALUE ...]: the indented text of one file (or of standard
// input) on stdout, nothing changed on disk; quillon indent --check PROJECT.vbp: the files
// indenting would change, exit status 1 when there is one.
int runIndent(const Arguments& args, const config::Options& options, const model::SourceReader& reader,
    const std::function<QByteArray()>& standardInput, std::ostream& out, std::ostream& err);

// quillon templates [show [file|procedure]]: the header templates in use (one alone as its bare
// text); quillon templates set file|procedure FILE|-: a new template, checked before it is saved.
int runTemplates(const Arguments& args, const config::Session& session,
    const std::function<QByteArray()>& standardInput, std::ostream& out, std::ostream& err);

// Whether the command line measures text on a print surface (and so needs fonts).
bool aidCommandMeasures(const QStringList& args);

// quillon backups [restore N,...|all [--no-backup] | delete N,...|all]: the registered edit
// backups, one per line, or some of them put back or deleted.
int runBackups(const Arguments& args, config::Session& session, const model::SourceReader& reader, std::ostream& out,
    std::ostream& err);

} // namespace quillon::app
