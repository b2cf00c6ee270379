#include "app/Cli.h"
#include "app/AidCommands.h"
#include "app/CliSupport.h"
#include "app/FormCommands.h"
#include "app/GraphCommands.h"
#include "app/HtmlCommands.h"
#include "app/InsightCommands.h"
#include "app/OptionsCommands.h"
#include "app/PrintCommands.h"
#include "app/SpellCommands.h"

#include "analysis/DependencyReport.h"
#include "analysis/LoopBrackets.h"
#include "analysis/ProjectAnalysis.h"
#include "config/Session.h"
#include "model/DiagLog.h"
#include "model/ListingMarkup.h"
#include "model/ProjectLoader.h"
#include "model/RoutineParser.h"
#include "model/TextPrimitives.h"
#include "platform/Environment.h"
#include "platform/MessageBox.h"
#include "platform/PrinterDefaults.h"
#include "print/SpoolSize.h"

#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <limits>
#include <optional>
#include <vector>

namespace quillon::app {

using namespace quillon::model;
using quillon::config::Options;
using quillon::config::Session;

namespace {

QString routineLine(const Routine& r)
{
    const QChar tab = QLatin1Char('\t');
    // An aggregate has no signature line; its column shows how many properties it gathers.
    const qint32 signatureColumn = r.kind == RoutineKind::Aggregate ? r.memberCount : r.signatureLine;
    return fileNameOf(r.filePath) + tab + kindText(r.kind) + tab + r.routineName + tab + QString::number(r.startLine)
        + tab + QString::number(signatureColumn) + tab + QString::number(r.endLine) + tab
        + QString::number(r.commentLines) + tab + QString::number(r.blankLines) + tab + QString::number(r.codeLines)
        + tab + (r.sigLineText.isEmpty() ? QString() : scopeAndKindText(r.sigLineText)) + tab + r.moduleName
        + QLatin1Char('\n');
}

QString fileRoutineLines(const QString& path, const RoutineList& routines, AggregateMode aggregateMode,
    const RoutinesByFileMap& loaded, const SourceReader& reader)
{
    QString text;
    for (const RoutinePtr& routine : routines)
        text += routineLine(*routine);
    if (aggregateMode == AggregateMode::None)
        return text;
    const RoutineList members = collectAggregateProperties(path, aggregateMode, &loaded, reader);
    if (members.empty())
        return text;
    text += routineLine(*makeAggregateRecord(path, members.front()->moduleName, aggregateMode, qint32(members.size())));
    const QChar tab = QLatin1Char('\t');
    for (const RoutinePtr& member : members) {
        text += fileNameOf(member->filePath) + tab + QStringLiteral("MEMBER") + tab + member->routineName + tab
            + QString::number(member->startLine) + tab + QString::number(member->endLine) + QLatin1Char('\n');
    }
    return text;
}

int runFiles(const Arguments& args, const SourceReader& reader, std::ostream& out, std::ostream& err)
{
    if (args.positional.size() != 1)
        throw Usage {QStringLiteral("files takes one project file")};
    Project project(reader);
    const QString path = args.positional[0];
    const Outcome<FileList> files = project.loadVbpFiles(QFileInfo(path).absoluteFilePath());
    if (!files)
        return cannotRead(err, path, files.error());
    for (const ProjectNote& projectNote : project.notes)
        note(err, noteText(projectNote));
    QString text;
    for (const FilePtr& file : *files) {
        text += file->fileType() + QLatin1Char('\t') + file->fileName + QLatin1Char('\t') + file->filePath
            + QLatin1Char('\n');
    }
    write(out, text);
    return 0;
}

int runRoutines(const Arguments& args, const SourceReader& reader, std::ostream& out, std::ostream& err)
{
    if (args.positional.size() != 1)
        throw Usage {QStringLiteral("routines takes one project or source file")};
    const AggregateMode aggregateMode = aggregateArgument(args, AggregateMode::None);
    const QString path = args.positional[0];
    if (isProjectFile(path)) {
        Project project(reader);
        if (std::optional<int> failed = openForDump(project, path, err))
            return *failed;
        write(out, routinesDumpText(project, aggregateMode));
        return 0;
    }

    if (std::optional<int> failed = notAFile(err, path))
        return *failed;
    const QFileInfo info(path);
    const QString absolute = info.absoluteFilePath();
    const Outcome<SplitFile> split = readAndSplitFile(absolute, reader);
    if (!split)
        return cannotRead(err, path, split.error());
    if (split->hasNul)
        noteBinary(err, path);
    RoutinesByFileMap loaded;
    loaded.insert(absolute, split->routines);
    write(out, fileRoutineLines(absolute, split->routines, aggregateMode, loaded, reader));
    return 0;
}

int runCalls(const Arguments& args, const SourceReader& reader, std::ostream& out, std::ostream& err)
{
    const QString path = projectArgument(args, "calls", 1, 1);
    AnalysedProject loaded(reader);
    if (std::optional<int> failed = openForDump(loaded.project, path, err))
        return *failed;
    write(out, callsDumpText(loaded.analysis.dependencies));
    return 0;
}

int runSymbols(const Arguments& args, const SourceReader& reader, std::ostream& out, std::ostream& err)
{
    const QString path = projectArgument(args, "symbols", 1, 1);
    AnalysedProject loaded(reader);
    if (std::optional<int> failed = openForDump(loaded.project, path, err))
        return *failed;
    QString text;
    for (const QString& line : loaded.analysis.symbols.dumpLines(loaded.project.projectFileList))
        text += line + QLatin1Char('\n');
    write(out, text);
    return 0;
}

int runReport(
    const Arguments& args, const SourceReader& reader, const Options& options, std::ostream& out, std::ostream& err)
{
    const QString path = projectArgument(args, "report", 1, std::numeric_limits<qsizetype>::max());
    int tabWidth = options.ideTabWidth();
    if (args.options.contains(QStringLiteral("tab-width"))) {
        bool ok = false;
        tabWidth = args.options.value(QStringLiteral("tab-width")).toInt(&ok);
        if (!ok || tabWidth < 1 || tabWidth > 32)
            throw Usage {QStringLiteral("--tab-width takes a number from 1 to 32")};
    }
    AnalysedProject loaded(reader);
    if (std::optional<int> failed = openForDump(loaded.project, path, err))
        return *failed;
    const analysis::DependencyIndex& dep = loaded.analysis.dependencies;
    RoutineList routines;
    int code = 0;
    if (args.positional.size() > 1) {
        for (const QString& key : args.positional.mid(1)) {
            const RoutinePtr routine = dep.routineFor(upperCase(trimBlanks(key)));
            if (!routine) {
                note(err, QStringLiteral("no routine ") + quote(key) + QStringLiteral(" in the dependency index"));
                code = 1;
                continue;
            }
            routines.push_back(routine);
        }
    } else {
        for (const auto& [key, routine] : dep.routineMap().entries()) {
            if (analysis::isEligibleForReport(dep, *routine))
                routines.push_back(routine);
        }
    }
    analysis::DependencyReporter reporter(dep, tabWidth);
    for (const RoutinePtr& routine : routines) {
        QString text = QStringLiteral("=== ") + analysis::DependencyIndex::routineKey(*routine) + QLatin1Char('\n');
        for (const model::ListingLine& line : reporter.buildDependencyReport(*routine).lines)
            text += encodeListingLine(line) + QLatin1Char('\n');
        write(out, text);
    }
    return code;
}

int runBrackets(const Arguments& args, const SourceReader& reader, std::ostream& out, std::ostream& err)
{
    const QStringList& words = args.positional;
    if (words.size() != 1 && words.size() != 3)
        throw Usage {QStringLiteral("brackets takes a source file and, optionally, FIRST and LAST line numbers")};
    int first = 1;
    int last = std::numeric_limits<int>::max();
    if (words.size() == 3) {
        bool okFirst = false;
        bool okLast = false;
        first = words[1].toInt(&okFirst);
        last = words[2].toInt(&okLast);
        if (!okFirst || !okLast || first < 1 || last < 1)
            throw Usage {QStringLiteral("FIRST and LAST are line numbers from 1")};
    }
    const QString path = words[0];
    if (std::optional<int> failed = notAFile(err, path))
        return *failed;
    const QFileInfo info(path);
    const Outcome<SourceFile> file = reader.read(info.absoluteFilePath());
    if (!file)
        return cannotRead(err, path, file.error());
    QString text;
    for (const model::ListingLine& line : analysis::buildBracketListing(file->lines, first, last))
        text += encodeListingLine(line) + QLatin1Char('\n');
    write(out, text);
    return 0;
}

int runMessages(const Arguments& args, Session& session, std::ostream& out)
{
    const QStringList& words = args.positional;
    config::SuppressibleMessages& messages = session.messages;
    if (words.isEmpty()) {
        QString text;
        for (int i = 0; i < messages.restoreCount() && i < messages.menuCaptions().size(); ++i)
            text += QString::number(i) + QLatin1Char('\t') + messages.menuCaptions()[i] + QLatin1Char('\n');
        write(out, text);
        return 0;
    }
    if (words[0] != QLatin1String("restore") || words.size() != 2)
        throw Usage {QStringLiteral("messages takes no argument, or: restore N|all")};
    if (words[1] == QLatin1String("all")) {
        while (messages.restoreCount() > 0) {
            write(out, QStringLiteral("restored: ") + messages.menuCaptions()[0] + QLatin1Char('\n'));
            messages.deleteRecord(0, true);
        }
        return 0;
    }
    bool ok = false;
    const int index = words[1].toInt(&ok);
    if (!ok || index < 0 || index >= messages.restoreCount())
        throw Usage {QStringLiteral("no hidden message ") + quote(words[1]) + QStringLiteral(" (there are ")
            + QString::number(messages.restoreCount()) + QLatin1Char(')')};
    write(out, QStringLiteral("restored: ") + messages.menuCaptions()[index] + QLatin1Char('\n'));
    messages.deleteRecord(index, true);
    return 0;
}

int runSpool(const Arguments& args, Session& session, std::ostream& out, std::ostream& err)
{
    const QStringList& words = args.positional;
    if (words.size() > 1 || (words.size() == 1 && words[0] != QLatin1String("estimate")))
        throw Usage {QStringLiteral("spool takes no argument, or: estimate")};
    if (words.isEmpty()) {
        write(out,
            QStringLiteral("GDISpoolSize\t") + QString::number(session.options.integer(config::opt::GDISpoolSize))
                + QLatin1Char('\n'));
        return 0;
    }
    const QString temp = platform::tempFolder();
    const print::SpoolReadings readings = print::readSpoolReadings(temp);
    auto mib = [](const std::optional<qint64>& bytes) {
        return bytes ? QString::number(*bytes / 1048576) : QStringLiteral("unknown");
    };
    print::GdiSpoolEstimator estimator(session.options, [&readings] { return readings; });
    const int previous = estimator.value();
    if (!estimator.estimate(
            {session.options.text(config::opt::FontName), session.options.text(config::opt::FontSize).toDouble()})) {
        write(err,
            QStringLiteral("quillon: cannot write the options file ") + quote(session.ini.defaultPath())
                + QStringLiteral(": the estimate was not stored\n"));
        return 1;
    }
    const QString note = print::spoolRecalibratedNote(previous, estimator.value());
    write(out,
        QStringLiteral("memory\t") + mib(readings.availableMemoryBytes) + QStringLiteral(" MiB\n")
            + QStringLiteral("disk\t") + mib(readings.freeDiskBytes) + QStringLiteral(" MiB free in ") + temp
            + QLatin1Char('\n') + QStringLiteral("descriptors\t") + QString::number(readings.objectsInUse)
            + QLatin1Char('\n') + QStringLiteral("GDISpoolSize\t") + QString::number(estimator.value())
            + QLatin1Char('\n') + (note.isEmpty() ? QString() : note + QLatin1Char('\n')));
    return 0;
}

} // namespace

namespace {
int usageError(std::ostream& err, const QString& problem)
{
    write(err, QStringLiteral("quillon: ") + problem + QStringLiteral("\n\n") + usageText());
    return 2;
}

// What a subcommand's run is given. The reader is null for the subcommands that read no
// source file: they run before the code page is settled, so an unknown stored one is not noted.
struct CommandCall {
    const Arguments& args;
    Session& session;
    const SourceReader* reader;
    const CliServices& services;
    const BatchConsole& batch;
    std::ostream& out;
    std::ostream& err;
};

// Whether a subcommand stops when the options file cannot be used: those that show or record
// what lives in its folder do; the others go on with the defaults.
enum class OptionsFileUse { DefaultsDo, Needed, NeededUnlessList };

// One subcommand: what its command line may hold, what it needs of the process, how it runs
// and how the usage text tells it.
struct Command {
    QString name;
    QStringList valueOptions {}; // the options that take a value
    QStringList flagOptions {}; // the options that stand alone
    bool prints = false; // it prints, and so needs a GUI application object (fonts, printers)
    // Command lines of it that measure text on a print surface without printing (null: none).
    bool (*measures)(const QStringList& commandLine) = nullptr;
    OptionsFileUse optionsFile = OptionsFileUse::DefaultsDo;
    bool readsSources = true;
    int (*run)(const CommandCall& call) = nullptr;
    QString usage; // its lines of the usage text
};

QStringList imageValueOptions()
{
    QStringList options = listingValueOptions();
    options.removeAll(QStringLiteral("project"));
    options.removeAll(QStringLiteral("tab-width"));
    options.removeAll(QStringLiteral("long-lines"));
    return options;
}

// Every subcommand, in the order the usage text lists them.
const std::vector<Command>& commands()
{
    const QString codepage = QStringLiteral("codepage");
    static const std::vector<Command> table = {
        {.name = QStringLiteral("files"),
            .valueOptions = {codepage},
            .run = [](const CommandCall& c) { return runFiles(c.args, *c.reader, c.out, c.err); },
            .usage = QStringLiteral("  files PROJECT.vbp [--codepage NAME]\n"
                                    "      The project's source files in file-list order: type, name, path.\n")},
        {.name = QStringLiteral("routines"),
            .valueOptions = {codepage, QStringLiteral("aggregate")},
            .run = [](const CommandCall& c) { return runRoutines(c.args, *c.reader, c.out, c.err); },
            .usage = QStringLiteral("  routines PROJECT.vbp|SOURCEFILE [--aggregate none|small|all] [--codepage NAME]\n"
                                    "      The routines of every file of a project, or of one source file.\n")},
        {.name = QStringLiteral("symbols"),
            .valueOptions = {codepage},
            .run = [](const CommandCall& c) { return runSymbols(c.args, *c.reader, c.out, c.err); },
            .usage =
                QStringLiteral("  symbols PROJECT.vbp [--codepage NAME]\n"
                               "      The symbol tables: constants, globals, module variables and procedures\n"
                               "      per file, the project-wide sets, and the ByRef parameters per procedure.\n")},
        {.name = QStringLiteral("calls"),
            .valueOptions = {codepage},
            .run = [](const CommandCall& c) { return runCalls(c.args, *c.reader, c.out, c.err); },
            .usage = QStringLiteral("  calls PROJECT.vbp [--codepage NAME]\n"
                                    "      The dependency index: routines, calls, callers, API calls, Declare\n"
                                    "      statements, event handlers and the start-up routine.\n")},
        {.name = QStringLiteral("unused"),
            .valueOptions = {codepage},
            .run = [](const CommandCall& c) { return runUnused(c.args, *c.reader, c.out, c.err); },
            .usage = QStringLiteral("  unused PROJECT.vbp [--codepage NAME]\n"
                                    "      The procedures that neither the start-up routine, an event handler nor a\n"
                                    "      public procedure of a class, user control, property page, user document\n"
                                    "      or designer reaches through the calls, the Declare statements no routine\n"
                                    "      calls, and the totals.\n")},
        {.name = QStringLiteral("metrics"),
            .valueOptions = {codepage, QStringLiteral("format")},
            .run = [](const CommandCall& c) { return runMetrics(c.args, *c.reader, c.out, c.err); },
            .usage = QStringLiteral("  metrics PROJECT.vbp [--format tsv|json] [--codepage NAME]\n"
                                    "      Per routine: lines, callers, callees, API calls, decision points,\n"
                                    "      cyclomatic complexity and deepest block nesting.\n")},
        {.name = QStringLiteral("graph"),
            .valueOptions = {codepage, QStringLiteral("format"), QStringLiteral("from"), QStringLiteral("depth")},
            .flagOptions = {QStringLiteral("modules"), QStringLiteral("callers")},
            .run = [](const CommandCall& c) { return runGraph(c.args, *c.reader, c.out, c.err); },
            .usage =
                QStringLiteral("  graph PROJECT.vbp [--format dot|csv] [--modules] [--from KEY [--depth N]\n"
                               "          [--callers]] [--codepage NAME]\n"
                               "      The call graph for Graphviz (dot) or as CSV; --modules folds it to modules,\n"
                               "      --from keeps what KEY reaches within N calls (--callers: what reaches KEY).\n")},
        {.name = QStringLiteral("report"),
            .valueOptions = {codepage, QStringLiteral("tab-width")},
            .run = [](const CommandCall& c) { return runReport(c.args, *c.reader, c.session.options, c.out, c.err); },
            .usage = QStringLiteral("  report PROJECT.vbp [KEY ...] [--tab-width N] [--codepage NAME]\n"
                                    "      Dependency reports of the routines named by KEY (MODULE|NAME), or of\n"
                                    "      every procedure that gets one, with their connector tags.\n")},
        {.name = QStringLiteral("brackets"),
            .valueOptions = {codepage},
            .run = [](const CommandCall& c) { return runBrackets(c.args, *c.reader, c.out, c.err); },
            .usage =
                QStringLiteral("  brackets SOURCEFILE [FIRST LAST] [--codepage NAME]\n"
                               "      The loop-bracket listing of lines FIRST..LAST of a source file (all\n"
                               "      lines when not given), with connector tags and unbalanced-block reports.\n")},
        {.name = QStringLiteral("highlight"),
            .valueOptions = {codepage, QStringLiteral("tab-width"), QStringLiteral("project")},
            .run = [](const CommandCall& c) { return runHighlight(c.args, c.session, *c.reader, c.out, c.err); },
            .usage =
                QStringLiteral("  highlight SOURCEFILE [--project PROJECT.vbp] [--tab-width N] [--codepage NAME]\n"
                               "      Per line: its number, a TAB and its highlight segments START-END:COLOUR.\n")},
        {.name = QStringLiteral("layout"),
            .valueOptions = {codepage},
            .run = [](const CommandCall& c) { return runLayout(c.args, *c.reader, c.out, c.err); },
            .usage = QStringLiteral("  layout FORM.frm|CONTROL.ctl|PAGE.pag|DOCUMENT.dob [--codepage NAME]\n"
                                    "      The layout block of a form, user control, property page or user document\n"
                                    "      as read for its image: a FORM line for the object itself, a CTRL line per\n"
                                    "      control (position, size, container, layer, place on the object) and a\n"
                                    "      MENU line per menu.\n")},
        {.name = QStringLiteral("listing"),
            .valueOptions = listingValueOptions(),
            .flagOptions = listingFlagOptions(),
            .prints = true,
            .run =
                [](const CommandCall& c) {
                    return runListing(c.args, c.session, *c.reader, c.services, c.batch, c.out, c.err);
                },
            .usage =
                QStringLiteral("  listing SOURCEFILE [-o OUT.pdf] [--project PROJECT.vbp] [--printer NAME]\n"
                               "          [--paper letter|legal] [--orientation portrait|landscape] [--font NAME]\n"
                               "          [--size PT] [--duplex|--simplex] [--binding 0..6] [--fold 0..4]\n"
                               "          [--margins L,R,T,B,BINDER] [--long-lines wrap|truncate|cancel]\n"
                               "      Print one source file as a highlighted listing: to OUT.pdf, to a printer,\n"
                               "      or to the Output Folder option's folder under a dated name. The page\n"
                               "      options hold for this run only.\n")},
        {.name = QStringLiteral("print"),
            .valueOptions = printValueOptions(),
            .flagOptions = printFlagOptions(),
            .prints = true,
            .optionsFile = OptionsFileUse::NeededUnlessList,
            .run =
                [](const CommandCall& c) {
                    return runPrint(c.args, c.session, *c.reader, c.services, c.batch, c.out, c.err);
                },
            .usage =
                QStringLiteral("  print PROJECT.vbp [-o OUT.pdf] [--files NAME,...] [--routines KEY,...] [--deps]\n"
                               "          [--only-deps] [--brackets] [--aggregate none|small|all] [--list]\n"
                               "          [--spool N] [--jobs N]\n"
                               "          [page options of listing]\n"
                               "      Document the project: every routine of every file (or of the files and\n"
                               "      routines named), with dependency reports and loop brackets when asked.\n"
                               "      --list prints the queue instead. --spool N sets the GDI Spool Size for\n"
                               "      this run (0: one file, no parts). A PDF file without a spool size is\n"
                               "      printed in --jobs parts side by side (default: the cores) and joined.\n")},
        {.name = QStringLiteral("image"),
            .valueOptions = imageValueOptions(),
            .flagOptions = listingFlagOptions(),
            .prints = true,
            .run =
                [](const CommandCall& c) { return runImage(c.args, c.session, *c.reader, c.services, c.out, c.err); },
            .usage = QStringLiteral("  image FORM.frm|CONTROL.ctl|PAGE.pag|DOCUMENT.dob [-o OUT.pdf]\n"
                                    "          [page options of listing]\n"
                                    "      Print the picture of one form, user control, property page or user\n"
                                    "      document: a page per layer of overlapping controls, the callouts of names\n"
                                    "      that do not fit, and the menu tree. A designer (.dsr) has none.\n")},
        {.name = QStringLiteral("toc"),
            .valueOptions = tocValueOptions(),
            .flagOptions = tocFlagOptions(),
            .prints = true,
            .optionsFile = OptionsFileUse::Needed,
            .run = [](const CommandCall& c) { return runToc(c.args, c.session, *c.reader, c.services, c.out, c.err); },
            .usage = QStringLiteral("  toc PROJECT.vbp [-o OUT.pdf] [--text] [--no-notes] [page options of listing]\n"
                                    "      Print the table of contents with the print history and the project\n"
                                    "      summary; --text writes its lines (tags included) to standard output.\n")},
        {.name = QStringLiteral("insight"),
            .valueOptions = tocValueOptions(),
            .flagOptions = listingFlagOptions() << QStringLiteral("text"),
            .prints = true,
            .run =
                [](const CommandCall& c) { return runInsight(c.args, c.session, *c.reader, c.services, c.out, c.err); },
            .usage =
                QStringLiteral("  insight PROJECT.vbp [-o OUT.pdf] [--text] [page options of listing]\n"
                               "      Print the project insight report: the unused procedures by file with the\n"
                               "      share of unused code, the 25 most complex routines with their metrics,\n"
                               "      and the calls between modules; --text writes its lines to standard output.\n")},
        {.name = QStringLiteral("html"),
            .valueOptions = {codepage, QStringLiteral("output"), QStringLiteral("files"), QStringLiteral("routines"),
                QStringLiteral("jobs")},
            .flagOptions = {QStringLiteral("brackets")},
            .prints = true,
            .run =
                [](const CommandCall& c) {
                    return runHtml(c.args, c.session, *c.reader, c.services, c.batch, c.out, c.err);
                },
            .usage = QStringLiteral(
                "  html PROJECT.vbp -o FOLDER [--files NAME,...] [--routines KEY,...] [--brackets]\n"
                "          [--jobs N]\n"
                "      Write the project as a site a browser opens from the disk: an index of\n"
                "      the files, a page per file with the code highlighted, every call a link\n"
                "      and each procedure's callers and callees, the form images, the insight\n"
                "      pages, the module graph and a search box. An earlier site in FOLDER is\n"
                "      replaced once the new one is complete; prints FOLDER/index.html.\n")},
        {.name = QStringLiteral("spool"),
            .optionsFile = OptionsFileUse::Needed,
            .readsSources = false,
            .run = [](const CommandCall& c) { return runSpool(c.args, c.session, c.out, c.err); },
            .usage = QStringLiteral("  spool [estimate]\n"
                                    "      The GDI Spool Size in use (the most printed lines of one output file; 0:\n"
                                    "      no limit); estimate measures the machine, stores a new value and tells\n"
                                    "      when it moved a value that was in use.\n")},
        {.name = QStringLiteral("options"),
            .measures = optionsCommandMeasures,
            .optionsFile = OptionsFileUse::Needed,
            .readsSources = false,
            .run =
                [](const CommandCall& c) {
                    return runOptions(c.args, c.session, c.services.createPrintSurface, c.out, c.err);
                },
            .usage = QStringLiteral(
                "  options\n"
                "      The options file's path, then every option with its value, by section.\n"
                "  options set SECTION KEY VALUE\n"
                "      Write one option (SECTION with or without the \"Quillon\" prefix, e.g. Output)\n"
                "      after the checks User Options makes for it; a check that fails is told on\n"
                "      stderr and nothing is written (exit status 1).\n"
                "  options check\n"
                "      Every check of User Options on the stored options; exit status 1 when one fails.\n")},
        {.name = QStringLiteral("messages"),
            .optionsFile = OptionsFileUse::Needed,
            .readsSources = false,
            .run = [](const CommandCall& c) { return runMessages(c.args, c.session, c.out); },
            .usage = QStringLiteral("  messages\n"
                                    "      The hidden messages, numbered from 0.\n"
                                    "  messages restore N|all\n"
                                    "      Show hidden message N (or all of them) again.\n")},
        {.name = QStringLiteral("aid"),
            .valueOptions = {codepage, QStringLiteral("files"), QStringLiteral("routines"), QStringLiteral("long-line"),
                QStringLiteral("start"), QStringLiteral("step"), QStringLiteral("by"), QStringLiteral("replace")},
            .flagOptions = {QStringLiteral("literals-only")},
            .measures = aidCommandMeasures,
            .run =
                [](const CommandCall& c) {
                    return runAid(c.args, c.session, *c.reader, c.services.createPrintSurface, c.out, c.err);
                },
            .usage = QStringLiteral(
                "  aid shrink|movedim|wrap|indent|number|unnumber|sort|header-file|header-procedure\n"
                "          PROJECT.vbp [--files NAME,...] [--routines KEY,...] [--long-line TEXT]\n"
                "          [--start N] [--step N] [--by name|kind|events]\n"
                "  aid spell PROJECT.vbp --replace WORD=RIGHT,... [--files NAME,...] [--literals-only]\n"
                "      Rewrite the project's sources in place: shrink runs of blank lines inside\n"
                "      procedures to one, move each procedure's Dim statements to its top, wrap\n"
                "      lines printed wider than the sample long line (--long-line, else the option\n"
                "      \"Long Line\"), indent by block structure, or add or remove line numbers\n"
                "      (number: --start and --step, else the line number options), or sort\n"
                "      each file's procedures (--by, else the option \"Sort By\"), or insert\n"
                "      file or procedure headers from their templates (see templates), or\n"
                "      replace misspelt words of literals and comments (spell). Lines that\n"
                "      cannot be wrapped, and blocks that cannot be indented, go to stderr.\n"
                "      Every file (or chosen procedure) is backed up before it changes.\n")},
        {.name = QStringLiteral("templates"),
            .readsSources = false,
            .run =
                [](const CommandCall& c) {
                    return runTemplates(c.args, c.session, c.services.readStandardInput, c.out, c.err);
                },
            .usage = QStringLiteral("  templates [show [file|procedure]]\n"
                                    "      The file and procedure header templates in use, each with its file in\n"
                                    "      the options folder; one of them alone as its bare text.\n"
                                    "  templates set file|procedure FILE|-\n"
                                    "      Check a template (comment lines; fields such as {ProcedureName}) and\n"
                                    "      make it the one in use; an unknown field is refused with its name.\n")},
        {.name = QStringLiteral("spell"),
            .valueOptions = {codepage, QStringLiteral("files"), QStringLiteral("lang")},
            .flagOptions = {QStringLiteral("literals-only")},
            .run = [](const CommandCall& c) { return runSpell(c.args, c.session, *c.reader, c.out, c.err); },
            .usage = QStringLiteral("  spell PROJECT.vbp [--files NAME,...] [--literals-only] [--lang xx_YY]\n"
                                    "      The words of string literals and comments the dictionary does not know:\n"
                                    "      PATH:LINE:COLUMN, TAB, word, TAB, suggestions separated by \",\". Exit\n"
                                    "      status 1 when there is one, 2 when no dictionary could be opened.\n")},
        {.name = QStringLiteral("indent"),
            .valueOptions = {codepage, QStringLiteral("set")},
            .flagOptions = {QStringLiteral("check")},
            .run =
                [](const CommandCall& c) {
                    return runIndent(c.args, c.session.options, *c.reader, c.services.readStandardInput, c.out, c.err);
                },
            .usage = QStringLiteral("  indent [FILE|-] [--set NAME=VALUE ...] [--codepage NAME]\n"
                                    "      The file (or standard input) indented by the indent rules, on stdout;\n"
                                    "      nothing changes on disk. --set changes a rule for this run (NAME as in\n"
                                    "      the options section \"DAIndentForm\": --set \"Indent Width=2\").\n"
                                    "  indent --check PROJECT.vbp [--set NAME=VALUE ...]\n"
                                    "      The project's files that indenting would change; exit status 1 when\n"
                                    "      there is one.\n")},
        {.name = QStringLiteral("backups"),
            .valueOptions = {codepage},
            .flagOptions = {QStringLiteral("no-backup")},
            .run = [](const CommandCall& c) { return runBackups(c.args, c.session, *c.reader, c.out, c.err); },
            .usage = QStringLiteral("  backups\n"
                                    "      The edit backups, numbered from 1: time, File or Procedure, original\n"
                                    "      path, procedure name, backup file name.\n"
                                    "  backups restore N,...|all [--no-backup]\n"
                                    "      Put backups back (the current version backed up first, unless\n"
                                    "      --no-backup).\n"
                                    "  backups delete N,...|all\n"
                                    "      Delete backups.\n")},
    };
    return table;
}

const Command* findCommand(const QString& name)
{
    for (const Command& command : commands()) {
        if (command.name == name)
            return &command;
    }
    return nullptr;
}

// The exit status when the options file cannot be used by a command that needs it (the
// message written); the others go on with the defaults.
std::optional<int> checkOptionsFile(
    const Outcome<void>& status, const QString& path, const Command& command, const Arguments& args, std::ostream& err)
{
    if (status)
        return std::nullopt;
    const bool needsOptionsFile = command.optionsFile == OptionsFileUse::Needed
        || (command.optionsFile == OptionsFileUse::NeededUnlessList && !args.has(QStringLiteral("list")));
    if (needsOptionsFile) {
        write(err,
            QStringLiteral("quillon: cannot use the options file ") + quote(path) + QStringLiteral(": ")
                + status.error() + QLatin1Char('\n'));
        return 1;
    }
    note(err,
        QStringLiteral("cannot use the options file ") + quote(path) + QStringLiteral(": ") + status.error()
            + QStringLiteral("; the defaults apply"));
    return std::nullopt;
}

// The command's exit status, unless its dump did not arrive: that is a failure, whatever the
// command itself did.
int withOutputChecked(int code, std::ostream& out, std::ostream& err)
{
    out.flush();
    if (out)
        return code;
    const int number = errno;
    write(err,
        QStringLiteral("quillon: cannot write to standard output")
            + (number ? QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(number)) : QString())
            + QLatin1Char('\n'));
    return code == 2 ? 2 : 1;
}

int runCommand(const Command& command, const Arguments& args, const CodePage* chosen, Session& session,
    const CliServices& services, const BatchConsole& batch, std::ostream& out, std::ostream& err)
{
    try {
        if (!command.readsSources)
            return command.run({args, session, nullptr, services, batch, out, err});
        if (!chosen) {
            const QString stored = session.options.text(config::opt::CodePage);
            chosen = CodePage::find(stored);
            if (!chosen) {
                note(err,
                    QStringLiteral("the option \"Code Page\" names an unknown code page ") + quote(stored)
                        + QStringLiteral("; windows-1252 applies"));
                chosen = &CodePage::standard();
            }
        }
        const SourceReader reader(*chosen, &DiagLog::standard());
        return command.run({args, session, &reader, services, batch, out, err});
    } catch (const Usage& usage) {
        return usageError(err, usage.problem);
    }
}

// The usage text's second half: the options that several subcommands share, and what holds
// for all of them.
QString optionsUsageText()
{
    return QStringLiteral("Options:\n"
                          "  --aggregate MODE  also group property procedures: none (default), small\n"
                          "                    (at most 6 lines each) or all\n"
                          "  --tab-width N     the indent unit of reports (default: option \"Tab Width\" of\n"
                          "                    section IDE, 4 when empty)\n"
                          "  --codepage NAME   code page of source files that are not UTF-8: windows-874,\n"
                          "                    windows-1250 ... windows-1258 (default: the option\n"
                          "                    \"Code Page\" of section IDE, itself windows-1252 at first)\n"
                          "  --verbose         listing, print, image, toc, insight: write every message each\n"
                          "                    time it is met, not once with a closing count of its answers\n"
                          "  --help            show this text\n"
                          "  --version         show the version\n"
                          "\n"
                          "\n"
                          "Every subcommand reads the options file Quillon/QLN.spi in $APPDATA (else\n"
                          "~/.config), creating it with every option at its default when it is missing.\n"
                          "\n"
                          "Exit status: 0 done; 1 an input could not be read, an output could not be written\n"
                          "or there was nothing to print; 2 a usage error; 130 or 143 interrupted.\n");
}
} // namespace

QString routinesDumpText(const Project& project, AggregateMode aggregateMode)
{
    QString text;
    for (const FilePtr& file : project.projectFileList) {
        const RoutineList* routines = project.routinesByFile.find(file->filePath);
        text += fileRoutineLines(file->filePath, routines ? *routines : RoutineList(), aggregateMode,
            project.routinesByFile, project.reader());
    }
    return text;
}

QString callsDumpText(const analysis::DependencyIndex& dep)
{
    const QChar tab = QLatin1Char('\t');
    const QChar nl = QLatin1Char('\n');
    QString text;
    for (const auto& [key, routine] : dep.routineMap().entries())
        text += QStringLiteral("ROUTINE") + tab + key + nl;
    auto lists = [&](const char* label, const KeyedMap<analysis::OrderedKeyList>& map) {
        for (const auto& entry : dep.routineMap().entries()) {
            if (const analysis::OrderedKeyList* list = map.find(entry.first)) {
                for (const QString& item : list->items())
                    text += QString::fromLatin1(label) + tab + entry.first + tab + item + nl;
            }
        }
    };
    lists("CALLS", dep.callsMap());
    lists("CALLEDBY", dep.calledByMap());
    lists("API", dep.apiCallMap());
    for (const auto& [name, declaration] : dep.apiDeclarationMap().entries())
        text += QStringLiteral("DECLARE") + tab + name + tab + declaration + nl;
    for (const auto& [key, label] : dep.eventLabelMap().entries())
        text += QStringLiteral("EVENT") + tab + key + tab + label + nl;
    text += QStringLiteral("STARTUP") + tab + dep.startupKey() + nl;
    return text;
}

QString usageText()
{
    QString text = QStringLiteral("Usage: quillon SUBCOMMAND [ARGUMENTS]\n"
                                  "\n"
                                  "Subcommands:\n");
    for (const Command& command : commands())
        text += command.usage;
    return text + QStringLiteral("\n") + optionsUsageText();
}

bool isPrintingCommandLine(const QStringList& args)
{
    const Command* command = args.isEmpty() ? nullptr : findCommand(args[0]);
    return command && (command->prints || (command->measures && command->measures(args)));
}

int runCli(const QStringList& args, std::ostream& out, std::ostream& err, const CliServices& services)
{
    if (args.isEmpty())
        return usageError(err, QStringLiteral("no subcommand given"));
    const QString& name = args[0];
    if (name == QLatin1String("--help") || name == QLatin1String("-h") || name == QLatin1String("help")) {
        write(out, usageText());
        return 0;
    }
    if (name == QLatin1String("--version")) {
        write(out, QStringLiteral("Quillon " QUILLON_VERSION "\n"));
        return 0;
    }
    const Command* command = findCommand(name);
    if (!command)
        return usageError(err, QStringLiteral("unknown subcommand ") + quote(name));
    QString problem;
    const std::optional<Arguments> parsed =
        parseArguments(args.mid(1), command->valueOptions, problem, command->flagOptions);
    if (!parsed)
        return usageError(err, problem);

    const CodePage* chosen = nullptr;
    if (parsed->options.contains(QStringLiteral("codepage"))) {
        chosen = CodePage::find(parsed->options.value(QStringLiteral("codepage")));
        if (!chosen)
            return usageError(err,
                QStringLiteral("unknown code page ") + quote(parsed->options.value(QStringLiteral("codepage")))
                    + QStringLiteral(" (known: ") + CodePage::names().join(QStringLiteral(", ")) + QLatin1Char(')'));
    }

    // From here on everything written to stderr goes through the console, so that no message
    // lands on the end of a progress line.
    ConsoleWriter console(err, services.errIsTerminal);
    platform::BatchMessageBox box;
    box.verbose = parsed->has(QStringLiteral("verbose"));
    box.write = [&console](const QString& text) { write(console.stream(), text); };
    platform::BuiltInPdfPrinterDefaults builtIn;
    Session session(box, services.printerDefaults ? *services.printerDefaults : builtIn, &DiagLog::standard());
    std::optional<int> code =
        checkOptionsFile(session.start(), session.ini.defaultPath(), *command, *parsed, console.stream());
    if (!code) {
        code = withOutputChecked(
            runCommand(*command, *parsed, chosen, session, services, {box, console}, out, console.stream()), out,
            console.stream());
    }
    // Every way out of every command passes here, so the summary closes each run exactly once.
    box.writeSummary();
    console.endProgress();
    return *code;
}

} // namespace quillon::app
