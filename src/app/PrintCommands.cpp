#include "app/PrintCommands.h"

#include "analysis/SymbolTable.h"
#include "app/FormCommands.h"
#include "config/PageSetup.h"
#include "config/Session.h"
#include "formimage/FormImagePrinter.h"
#include "formimage/ProjectPrintConfig.h"
#include "model/DiagLog.h"
#include "model/ListingMarkup.h"
#include "model/RoutineParser.h"
#include "model/TextPrimitives.h"
#include "platform/MessageBox.h"
#include "platform/PrintSurface.h"
#include "platform/ProcessLauncher.h"
#include "platform/ReplacementFile.h"
#include "print/Highlight.h"
#include "print/LinePrinter.h"
#include "print/Navigation.h"
#include "print/OutputCombine.h"
#include "print/OutputFiles.h"
#include "print/PageFrame.h"
#include "print/ParallelPrint.h"
#include "print/PdfJoin.h"
#include "print/PrintRun.h"
#include "print/ProcedureLists.h"
#include "print/TableOfContents.h"
#include "print/TocText.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <mutex>

namespace quillon::app {

using namespace quillon::model;

namespace {

// The source file, its routines and the symbol tables it is coloured with: those of the
// project when one is given, else of the file alone.
struct SourceForPrint {
    QString path;
    QStringList lines;
    RoutineList routines;
    std::vector<int> routineOfLine; // index into routines, -1 for none
    std::unique_ptr<AnalysedProject> project;
    analysis::SymbolTable ownSymbols;
    const analysis::SymbolTable* symbols = nullptr;
};

std::optional<int> loadSource(
    const Arguments& args, const SourceReader& reader, SourceForPrint& source, std::ostream& err)
{
    const QString given = args.positional[0];
    if (std::optional<int> failed = notAFile(err, given))
        return *failed;
    const QFileInfo info(given);
    source.path = info.absoluteFilePath();
    Outcome<SourceFile> file = reader.read(source.path);
    if (!file)
        return cannotRead(err, given, file.error());
    source.lines = std::move(file->lines);
    if (args.has(QStringLiteral("project"))) {
        const QString vbp = args.value(QStringLiteral("project"));
        if (!isProjectFile(vbp))
            throw Usage {QStringLiteral("--project takes a project file (.vbp)")};
        source.project = std::make_unique<AnalysedProject>(reader);
        if (std::optional<int> failed = openForDump(source.project->project, vbp, err))
            return failed;
        source.symbols = &source.project->analysis.symbols;
        if (const RoutineList* loaded = source.project->project.routinesByFile.find(source.path))
            source.routines = *loaded;
    } else {
        auto file = std::make_shared<ProjectFile>();
        file->filePath = source.path;
        file->fileName = fileNameOf(source.path);
        file->setFileType(fileExtension(source.path));
        source.ownSymbols.buildSymbolTables({file}, reader);
        source.symbols = &source.ownSymbols;
    }
    if (source.routines.empty())
        source.routines = splitLinesIntoRoutines(source.path, source.lines);
    // The first routine in the file's order whose span holds a line is the one it prints in.
    source.routineOfLine.assign(size_t(source.lines.size()) + 1, -1);
    for (size_t r = 0; r < source.routines.size(); ++r) {
        const Routine& routine = *source.routines[r];
        if (routine.startLine < 1)
            continue;
        const qint32 last = std::min<qint32>(routine.endLine, qint32(source.lines.size()));
        for (qint32 line = routine.startLine; line <= last; ++line) {
            if (source.routineOfLine[size_t(line)] < 0)
                source.routineOfLine[size_t(line)] = int(r);
        }
    }
    return std::nullopt;
}

// A line in no routine's span is coloured as the declarations are.
Routine declarationsStandIn(const QString& path)
{
    Routine routine;
    routine.filePath = path;
    routine.routineName = kindText(RoutineKind::Declarations);
    routine.kind = RoutineKind::Declarations;
    routine.isDeclarations = true;
    return routine;
}

int tabWidthArgument(const Arguments& args, int fallback)
{
    if (!args.has(QStringLiteral("tab-width")))
        return fallback;
    bool ok = false;
    const int width = args.value(QStringLiteral("tab-width")).toInt(&ok);
    if (!ok || width < 1 || width > 32)
        throw Usage {QStringLiteral("--tab-width takes a number from 1 to 32")};
    return width;
}

// Answers the long-line question as the command line says; everything else as in batch mode.
void giveLongLineAnswer(platform::BatchMessageBox& box, int longLineButton)
{
    if (longLineButton >= 0)
        box.givenAnswers[platform::MessageId::LongLineAction] = longLineButton;
}

void applyPageOptions(const Arguments& args, config::PageSetup& setup)
{
    if (args.has(QStringLiteral("paper"))) {
        const QString paper = args.value(QStringLiteral("paper")).toLower();
        if (paper != QLatin1String("letter") && paper != QLatin1String("legal"))
            throw Usage {QStringLiteral("--paper takes letter or legal")};
        setup.paperSize = paper == QLatin1String("legal") ? QStringLiteral("Legal") : QStringLiteral("Letter");
    }
    if (args.has(QStringLiteral("orientation"))) {
        const QString orientation = args.value(QStringLiteral("orientation")).toLower();
        if (orientation != QLatin1String("portrait") && orientation != QLatin1String("landscape"))
            throw Usage {QStringLiteral("--orientation takes portrait or landscape")};
        setup.orientation =
            orientation == QLatin1String("landscape") ? QStringLiteral("Landscape") : QStringLiteral("Portrait");
    }
    if (args.has(QStringLiteral("font"))) {
        if (args.value(QStringLiteral("font")).trimmed().isEmpty())
            throw Usage {QStringLiteral("--font takes a font name")};
        setup.fontName = args.value(QStringLiteral("font"));
    }
    if (args.has(QStringLiteral("size")))
        setup.fontSize = numberArgument(args, "size", 4, 72);
    if (args.has(QStringLiteral("duplex")) && args.has(QStringLiteral("simplex")))
        throw Usage {QStringLiteral("--duplex and --simplex exclude each other")};
    if (args.has(QStringLiteral("duplex")))
        setup.duplex = true;
    if (args.has(QStringLiteral("simplex")))
        setup.duplex = false;
    if (args.has(QStringLiteral("binding")))
        setup.bindingEdge = int(numberArgument(args, "binding", 0, 6));
    if (args.has(QStringLiteral("fold")))
        setup.foldingGuide = int(numberArgument(args, "fold", 0, 4));
    if (args.has(QStringLiteral("margins"))) {
        const QStringList parts = args.value(QStringLiteral("margins")).split(QLatin1Char(','));
        if (parts.size() != 5)
            throw Usage {QStringLiteral("--margins takes five numbers: LEFT,RIGHT,TOP,BOTTOM,BINDER (inches)")};
        for (int i = 0; i < 5; ++i) {
            bool ok = false;
            const double inches = parts[i].trimmed().toDouble(&ok);
            if (!ok || inches < 0 || inches > 20)
                throw Usage {QStringLiteral("--margins takes five numbers from 0 to 20 (inches)")};
            setup.margins[size_t(i)] = inches;
        }
        setup.workingLeft = setup.margins[config::kLeft];
        setup.workingRight = setup.margins[config::kRight];
    }
}

// A project opened by a printing command: analysed, with its table of contents list kept with
// the load (opened, indexed as the third load phase and cleared of stale keys), and the box
// that answers the messages of both (the session's, which answers every message of the run).
struct ProjectToPrint : AnalysedProject {
    ProjectToPrint(const SourceReader& reader, config::Session& session)
        : AnalysedProject(reader), batch(session.box), toc(session.ini)
    { }
    // The exit status when the project cannot be read (the message written).
    std::optional<int> open(const QString& vbp, std::ostream& err)
    {
        project.refreshTableOfContents = [this, &err](model::Project& opened) {
            if (const Outcome<void> usable = toc.open(opened.projectPath); !usable) {
                note(err, QStringLiteral("the table of contents list cannot be used: ") + usable.error());
                return;
            }
            toc.index(opened);
            toc.checkStaleKeys(opened, batch);
        };
        return openForDump(project, vbp, err);
    }

    platform::IMessageBox& batch;
    print::TocList toc;
};

// The --long-lines answer as a button of the long-line question, -1 when not given.
int givenLongLineButton(const Arguments& args)
{
    if (!args.has(QStringLiteral("long-lines")))
        return -1;
    const int button =
        int(QStringList {"truncate", "wrap", "cancel"}.indexOf(args.value(QStringLiteral("long-lines"))));
    if (button < 0)
        throw Usage {QStringLiteral("--long-lines takes wrap, truncate or cancel")};
    return button;
}

std::unique_ptr<platform::IPrintSurface> createSurface(const CliServices& services, std::ostream& err)
{
    if (!services.createPrintSurface) {
        write(err, QStringLiteral("quillon: printing is not available in this build\n"));
        return nullptr;
    }
    return services.createPrintSurface();
}

// "OUTPUT<TAB>N pages": the file written, or the printer that got the job.
// A PDF of one source file gets the properties a reader shows: its title is the file's name.
void addDocumentInfo(const CliServices& services, const platform::IPrintSurface& surface, const QString& outputPath,
    const QString& source)
{
    if (print::classifyOutputTarget(surface.currentDevice()).pdfPrinter) {
        print::navigatePdf(services.pdfNavigator, outputPath, {},
            print::documentInfoFor(fileNameOf(source), fileNameOf(source), QDateTime::currentDateTime()),
            &DiagLog::standard());
    }
}

void reportOutput(std::ostream& out, const QString& path, const platform::IPrintSurface& surface, int pages)
{
    write(out,
        (path.isEmpty() ? surface.currentDevice().deviceName : path) + QLatin1Char('\t') + QString::number(pages)
            + QStringLiteral(" pages\n"));
}

// The "Image" pseudo-routine of a form file (or a user control, property page or user
// document); null when the file has none.
RoutinePtr formImageRoutine(const QString& path, const SourceReader& reader)
{
    for (const RoutinePtr& routine : splitFileIntoRoutines(path, reader)) {
        if (routine->kind == RoutineKind::Image)
            return routine;
    }
    return nullptr;
}

// One "OUTPUT<TAB>N pages" line per file the run left (batches and "_Part" files stay separate).
void reportOutputs(std::ostream& out, const print::RunResult& result, const platform::IPrintSurface& surface)
{
    if (result.files.empty()) {
        reportOutput(out, result.outputPath, surface, result.pages);
        return;
    }
    for (const print::OutputDocument& file : result.files)
        reportOutput(out, file.path, surface, file.pages);
}

struct OutputChoice {
    QString path; // empty for a printer
    QString error; // why the file cannot be written there (empty when it can)
};

// The printer and the output file of a printing command: -o (the built-in PDF writer unless
// --printer names another file target) or the default target; a PDF target without -o
// writes into the Output Folder under the suggested name.
OutputChoice chooseOutput(const Arguments& args, const config::Session& session, config::PrintDevice& printer,
    platform::IPrintSurface& surface, const QString& baseName)
{
    const bool toFile = args.has(QStringLiteral("output"));
    if (args.has(QStringLiteral("printer"))) {
        if (!printer.selectOutputDevice(args.value(QStringLiteral("printer")))) {
            QStringList names;
            for (const platform::PrinterInfo& info : surface.printers())
                names << info.deviceName;
            throw Usage {QStringLiteral("no printer ") + quote(args.value(QStringLiteral("printer")))
                + QStringLiteral(" (known: ") + names.join(QStringLiteral(", ")) + QLatin1Char(')')};
        }
    } else if (toFile) {
        for (const platform::PrinterInfo& info : surface.printers()) {
            if (info.port == QLatin1String("FILE:")) {
                printer.selectOutputDevice(info.deviceName);
                break;
            }
        }
    }
    printer.applyPageSetup();
    OutputChoice choice;
    if (surface.isFileTarget()) {
        choice.path = toFile ? QFileInfo(args.value(QStringLiteral("output"))).absoluteFilePath()
                             : QDir(session.options.text(config::opt::OutputFolder))
                                   .filePath(print::suggestedOutputName(baseName, printer.now()));
        surface.setOutputFile(choice.path);
        // Found out before anything is printed, not when the finished document cannot be saved.
        platform::ReplacementFile probe;
        if (!probe.begin(choice.path, &choice.error) && choice.error.isEmpty())
            choice.error = QStringLiteral("it cannot be created");
    } else if (toFile) {
        throw Usage {QStringLiteral("-o writes a PDF file; ") + quote(surface.currentDevice().deviceName)
            + QStringLiteral(" is a printer")};
    }
    return choice;
}

// Selects the files --files names (every file without it).
void selectFiles(const Arguments& args, print::ProcedureLists& lists, const model::Project& project)
{
    if (!args.has(QStringLiteral("files"))) {
        lists.includeAllFiles = true;
        return;
    }
    const QStringList names = args.value(QStringLiteral("files")).split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (size_t i = 0; i < project.projectFileList.size(); ++i) {
        for (const QString& name : names) {
            if (equalsNoCase(name.trimmed(), project.projectFileList[i]->fileName))
                lists.fileSelected[i] = true;
        }
    }
}

// Selects the procedures --routines names by key (every procedure without it).
void selectRoutines(const Arguments& args, print::ProcedureLists& lists)
{
    QStringList keys;
    if (args.has(QStringLiteral("routines")))
        keys = args.value(QStringLiteral("routines")).split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (print::ListRow& row : lists.procedures) {
        row.selected = keys.isEmpty();
        for (const QString& key : keys) {
            if (equalsNoCase(upperCase(trimBlanks(key)), dependencyKey(row.routine.get())))
                row.selected = true;
        }
    }
}

// Fills the print queue from the files and procedures the command line selects, with the
// dependency reports it asks for. The exit status when the command ends here: nothing to
// print, or --list, which writes the queue instead of printing it.
std::optional<int> buildPrintQueue(const Arguments& args, const model::Project& project, print::ProcedureLists& lists,
    std::ostream& out, std::ostream& err)
{
    selectFiles(args, lists, project);
    if (lists.fillProcedures() == 0) {
        write(err, QStringLiteral("quillon: no procedures to print\n"));
        return 1;
    }
    selectRoutines(args, lists);
    if (lists.buildQueue() == 0) {
        write(err, QStringLiteral("quillon: no procedures were added to the print queue\n"));
        return 1;
    }
    if (args.has(QStringLiteral("deps")) || args.has(QStringLiteral("only-deps")))
        lists.setDependencyReports(true);
    if (args.has(QStringLiteral("only-deps")))
        lists.keepOnlyDependencyReports();
    if (!args.has(QStringLiteral("list")))
        return std::nullopt;
    QString text;
    for (const print::ListRow& row : lists.queue) {
        if (row.selected)
            text += row.text + QLatin1Char('\n');
    }
    write(out, text);
    return 0;
}

// The run's status as progress on stderr: a line per procedure, not per line, and a few a
// second at most.
class ProgressLines {
public:
    explicit ProgressLines(ConsoleWriter& console) : console_(&console) { sinceUpdate_.start(); }
    void operator()(const QString& text)
    {
        // Only the procedures: the run's other status texts are told by its report, and each
        // part of a run printed side by side has its own.
        if (!text.startsWith(QLatin1String("Printing ")))
            return;
        const qsizetype line = text.lastIndexOf(QLatin1String(") line "));
        const QString procedure = line < 0 ? text : text.left(line + 1);
        if (procedure == lastProcedure_ || sinceUpdate_.elapsed() < 250)
            return;
        lastProcedure_ = procedure;
        sinceUpdate_.restart();
        console_->progress(procedure);
    }

private:
    ConsoleWriter* console_;
    QElapsedTimer sinceUpdate_;
    QString lastProcedure_;
};

// --jobs: how many parts of the queue print side by side (the machine's cores by default),
// where the surfaces can.
int jobsArgument(const Arguments& args, const CliServices& services)
{
    const int jobs = args.has(QStringLiteral("jobs")) ? int(numberArgument(args, "jobs", 1, 64))
                                                      : std::max(1, QThread::idealThreadCount());
    return services.parallelPrinting ? jobs : 1;
}

// A box that answers as `like` would (its answers given on the command line, else the batch
// rule) and writes nothing: the messages are told to `like` itself once the parts are printed.
std::unique_ptr<platform::IMessageBox> silentAnswerer(platform::IMessageBox& like)
{
    auto box = std::make_unique<platform::BatchMessageBox>();
    if (const auto* batch = dynamic_cast<const platform::BatchMessageBox*>(&like))
        box->givenAnswers = batch->givenAnswers;
    box->write = [](const QString&) {};
    return box;
}

// Everything a part of the queue printed side by side shares with the whole run.
struct SliceSetting {
    const CliServices& services;
    const config::PageSetup& setup;
    const QString& device;
    config::Session& session;
    config::SuppressibleMessages& warnings;
    ProjectToPrint& loaded;
    bool brackets;
    std::function<void(const QString&)> status; // called from every slice's thread
};

// The queue printed in parts side by side into files joined in queue order (the joining tool
// when the files are not in the shape the writer makes): the same document as one run makes.
print::RunResult printInParallel(const std::vector<print::ListRow>& queue, int jobs, const QString& outputPath,
    const SliceSetting& setting, platform::IStatusSink* statusSink)
{
    print::ParallelPrint parallel;
    parallel.deviceName = setting.device;
    parallel.navigator = setting.services.pdfNavigator;
    const QString& vbp = setting.loaded.project.projectPath;
    parallel.documentInfo = print::documentInfoFor(fileBaseName(vbp), fileNameOf(vbp), QDateTime::currentDateTime());
    parallel.log = &DiagLog::standard();
    parallel.plainMessages = &setting.loaded.batch;
    parallel.warnings = &setting.warnings.box();
    std::optional<print::TocListHistory> history;
    if (setting.loaded.toc.isOpen())
        history.emplace(setting.loaded.toc);
    parallel.history = history ? &*history : nullptr;
    parallel.prepareSlice = [&setting](print::PrintSlice& slice) {
        slice.surface = setting.services.createPrintSurface();
        slice.setup = setting.setup;
        config::PrintDevice device(*slice.surface, slice.setup);
        if (!device.selectOutputDevice(setting.device))
            return false;
        device.applyPageSetup();
        slice.surface->setOutputFile(slice.partPath);
        slice.warnings = platform::DeferredMessageBox(silentAnswerer(setting.warnings.box()));
        slice.plainMessages = platform::DeferredMessageBox(silentAnswerer(setting.loaded.batch));
        return true;
    };
    parallel.printSlice = [&setting](print::PrintSlice& slice) {
        config::SuppressibleMessages warnings(setting.warnings, slice.warnings);
        print::PrintRunConfig config = formimage::projectPrintConfig({.surface = *slice.surface,
            .setup = slice.setup,
            .options = setting.session.options,
            .warnings = warnings,
            .messages = slice.plainMessages,
            .project = setting.loaded.project,
            .analysis = setting.loaded.analysis,
            .otherPrinter = setting.services.createPrintSurface});
        config.history = slice.history;
        config.brackets = config.brackets || setting.brackets;
        config.outputPath = slice.partPath;
        config.procedureOffset = slice.procedureOffset;
        config.procedureTotal = slice.procedureTotal;
        config.status = setting.status;
        slice.result = print::PrintRun(std::move(config)).runPrintQueue(slice.rows);
    };
    parallel.join = [statusSink](const QStringList& parts, const QString& output, QString* error) {
        const model::Outcome<int> joined = print::joinPdfParts(parts, output);
        if (joined)
            return true;
        // Not in the writer's usual shape: the joining tool reads any PDF.
        platform::ProcessLauncher launcher;
        platform::SilentMessageBox quiet;
        print::PartCombiner combiner(launcher, &quiet, statusSink, &DiagLog::standard());
        const print::CombineResult combined = combiner.combine(parts, output);
        if (!combined.succeeded() && error)
            *error = joined.error() + QStringLiteral("; ") + combined.text;
        return combined.succeeded();
    };
    return parallel.run(queue, jobs, outputPath);
}

// Why a print run printed nothing or could not leave its output in one file; the exit status.
int runFailed(std::ostream& err, const print::RunResult& result)
{
    if (!result.status.isEmpty())
        write(err, QStringLiteral("quillon: ") + result.status.trimmed() + QLatin1Char('\n'));
    write(err,
        result.routinesPrinted == 0 ? QStringLiteral("quillon: nothing was printed\n")
                                    : QStringLiteral("quillon: the output could not be written as one file\n"));
    return 1;
}
} // namespace

QStringList printValueOptions()
{
    QStringList options = listingValueOptions();
    options.removeAll(QStringLiteral("project"));
    options << "files"
            << "routines"
            << "aggregate"
            << "spool"
            << "jobs";
    return options;
}

QStringList printFlagOptions()
{
    return listingFlagOptions() << "deps"
                                << "only-deps"
                                << "brackets"
                                << "list";
}

int runPrint(const Arguments& args, config::Session& session, const SourceReader& reader, const CliServices& services,
    const BatchConsole& batch, std::ostream& out, std::ostream& err)
{
    const QString vbp = projectArgument(args, "print", 1, 1);
    config::PageSetup setup = config::PageSetup::fromOptions(session.options);
    applyPageOptions(args, setup);
    setup.tabWidthSetting = tabWidthArgument(args, setup.tabWidthSetting);
    const model::AggregateMode aggregate = aggregateArgument(args, session.options.aggregateMode());
    ProjectToPrint loaded(reader, session);
    // --jobs counts the threads of the load too (without it, the cores).
    if (args.has(QStringLiteral("jobs")))
        loaded.project.jobs = int(numberArgument(args, "jobs", 1, 64));
    if (std::optional<int> failed = loaded.open(vbp, err))
        return *failed;
    const analysis::DependencyIndex& index = loaded.analysis.dependencies;

    // The queue as the main window builds it: files, then procedures, then the queue.
    print::ProcedureLists lists(loaded.project, &index, &loaded.batch, reader);
    lists.aggregateMode = aggregate;
    if (std::optional<int> done = buildPrintQueue(args, loaded.project, lists, out, err))
        return *done;

    const int longLineButton = givenLongLineButton(args);
    std::unique_ptr<platform::IPrintSurface> surface = createSurface(services, err);
    if (!surface)
        return 1;
    config::PrintDevice chooser(*surface, setup);
    const OutputChoice output = chooseOutput(args, session, chooser, *surface, fileBaseName(vbp));
    if (!output.error.isEmpty())
        return cannotWrite(err, output.path, output.error);
    giveLongLineAnswer(batch.messages, longLineButton);
    config::SuppressibleMessages ownWarnings(session.ini, batch.messages);
    config::SuppressibleMessages& warnings = longLineButton >= 0 ? ownWarnings : session.messages;
    print::PrintRunConfig config = formimage::projectPrintConfig({.surface = *surface,
        .setup = setup,
        .options = session.options,
        .warnings = warnings,
        .messages = loaded.batch,
        .project = loaded.project,
        .analysis = loaded.analysis,
        .otherPrinter = services.createPrintSurface,
        .history = &loaded.toc});
    config.brackets = config.brackets || args.has(QStringLiteral("brackets"));
    config.outputPath = output.path;
    config.navigator = services.pdfNavigator;
    if (args.has(QStringLiteral("spool")))
        config.gdiSpoolSize = int(numberArgument(args, "spool", 0, 1000000000));
    config.status = ProgressLines(batch.console);
    const int jobs = jobsArgument(args, services);
    // Parts side by side when the output is one new PDF file: a printer takes one job, and the
    // spool limit decides its own parts as it goes.
    const bool parallel = jobs > 1 && config.gdiSpoolSize == 0 && !output.path.isEmpty()
        && !platform::replaceablePath(output.path).isEmpty()
        && print::classifyOutputTarget(surface->currentDevice()).pdfPrinter;
    std::mutex statusLock;
    const print::RunResult result = parallel
        ? printInParallel(lists.queue, jobs, output.path,
            SliceSetting {services, setup, surface->currentDevice().deviceName, session, warnings, loaded,
                config.brackets,
                [&statusLock, progress = ProgressLines(batch.console)](const QString& text) mutable {
                    const std::lock_guard lock(statusLock);
                    progress(text);
                }},
            nullptr)
        : print::PrintRun(std::move(config)).runPrintQueue(lists.queue);
    if (!result.report.isEmpty())
        write(err, result.report + QLatin1Char('\n'));
    if (!result.ok || result.routinesPrinted == 0)
        return runFailed(err, result);
    reportOutputs(out, result, *surface);
    return 0;
}

config::PageSetup commandPageSetup(const Arguments& args, const config::Session& session)
{
    config::PageSetup setup = config::PageSetup::fromOptions(session.options);
    applyPageOptions(args, setup);
    return setup;
}

int runToc(const Arguments& args, config::Session& session, const SourceReader& reader, const CliServices& services,
    std::ostream& out, std::ostream& err)
{
    const QString vbp = projectArgument(args, "toc", 1, 1);
    const config::PageSetup setup = commandPageSetup(args, session);
    ProjectToPrint loaded(reader, session);
    if (std::optional<int> failed = loaded.open(vbp, err))
        return *failed;
    if (!loaded.toc.isOpen())
        return 1;
    const bool suppressNotes = args.has(QStringLiteral("no-notes")) || print::askSuppressTocNotes(session.messages);
    std::optional<Listing> listing =
        print::prepareTableOfContents(loaded.toc, loaded.project, loaded.batch, suppressNotes);
    if (!listing) {
        write(err, QStringLiteral("quillon: No TOC data found.\n"));
        return 1;
    }
    const ReportToPrint report {vbp, std::move(*listing), QStringLiteral("Table of Contents"), QStringLiteral(" TOC"),
        QStringLiteral("the table of contents")};
    return printReport(args, session, reader, services, {loaded.batch, setup}, report, out, err);
}

int printReport(const Arguments& args, config::Session& session, const SourceReader& reader,
    const CliServices& services, const ReportPrinting& printing, const ReportToPrint& report, std::ostream& out,
    std::ostream& err)
{
    if (args.has(QStringLiteral("text"))) {
        QString text;
        for (const ListingLine& line : report.listing.lines)
            text += encodeListingLine(line) + QLatin1Char('\n');
        write(out, text);
        return 0;
    }
    config::PageSetup setup = printing.setup;
    std::unique_ptr<platform::IPrintSurface> surface = createSurface(services, err);
    if (!surface)
        return 1;
    const QString runName = fileBaseName(report.vbp) + report.runSuffix;
    config::PrintDevice chooser(*surface, setup);
    const OutputChoice output = chooseOutput(args, session, chooser, *surface, runName);
    if (!output.error.isEmpty())
        return cannotWrite(err, output.path, output.error);
    print::PrintRunConfig config(
        *surface, setup, session.options, session.messages, printing.batch, &DiagLog::standard());
    config.outputPath = output.path;
    config.projectName = runName;
    config.reader = &reader;
    config.navigator = services.pdfNavigator;
    config.documentInfo = print::documentInfoFor(config.projectName, fileNameOf(report.vbp), QDateTime());
    const print::RunResult result =
        print::PrintRun(std::move(config))
            .runPrintQueue({{print::makeTocRoutine(report.listing, report.title), report.title, true}});
    if (!result.ok || result.routinesPrinted == 0) {
        write(err, QStringLiteral("quillon: ") + report.what + QStringLiteral(" could not be printed\n"));
        return 1;
    }
    reportOutput(out, output.path, *surface, result.pages);
    return 0;
}

QStringList tocValueOptions()
{
    return {"output", "printer", "paper", "orientation", "font", "size", "binding", "fold", "margins", "codepage"};
}

QStringList tocFlagOptions()
{
    return listingFlagOptions() << "text"
                                << "no-notes";
}

QStringList listingValueOptions()
{
    return {"output", "project", "printer", "paper", "orientation", "font", "size", "binding", "fold", "margins",
        "long-lines", "codepage", "tab-width"};
}

QStringList listingFlagOptions()
{
    return {"duplex", "simplex", "verbose"};
}

int runHighlight(
    const Arguments& args, config::Session& session, const SourceReader& reader, std::ostream& out, std::ostream& err)
{
    if (args.positional.size() != 1)
        throw Usage {QStringLiteral("highlight takes one source file")};
    const int tabWidth = tabWidthArgument(args, session.options.ideTabWidth());
    SourceForPrint source;
    if (std::optional<int> failed = loadSource(args, reader, source, err))
        return *failed;
    const Routine standIn = declarationsStandIn(source.path);
    QString text;
    for (qsizetype i = 0; i < source.lines.size(); ++i) {
        const int index = source.routineOfLine[size_t(i + 1)];
        const Routine& routine = index < 0 ? standIn : *source.routines[size_t(index)];
        print::HighlightContext context;
        context.symbols = source.symbols;
        context.file = routine.filePath;
        context.routineName = routine.routineName;
        context.isDeclarations = routine.isDeclarations;
        text += QString::number(i + 1) + QLatin1Char('\t');
        const QString line = print::expandTabs(source.lines[i], tabWidth);
        QStringList parts;
        for (const print::Segment& s : print::buildHighlightSegments(line, context))
            parts << QStringLiteral("%1-%2:%3").arg(s.start).arg(s.end).arg(s.colour);
        text += parts.join(QLatin1Char(' ')) + QLatin1Char('\n');
    }
    write(out, text);
    return 0;
}

int runListing(const Arguments& args, config::Session& session, const SourceReader& reader, const CliServices& services,
    const BatchConsole& batch, std::ostream& out, std::ostream& err)
{
    if (args.positional.size() != 1)
        throw Usage {QStringLiteral("listing takes one source file")};
    config::PageSetup setup = config::PageSetup::fromOptions(session.options);
    applyPageOptions(args, setup);
    setup.tabWidthSetting = tabWidthArgument(args, setup.tabWidthSetting);
    const int longLineButton = givenLongLineButton(args);
    std::unique_ptr<platform::IPrintSurface> surface = createSurface(services, err);
    if (!surface)
        return 1;
    config::PrintDevice printer(*surface, setup);
    SourceForPrint source;
    if (std::optional<int> failed = loadSource(args, reader, source, err))
        return *failed;
    const OutputChoice output = chooseOutput(args, session, printer, *surface, fileBaseName(source.path));
    if (!output.error.isEmpty())
        return cannotWrite(err, output.path, output.error);
    const QString& outputPath = output.path;

    print::PrintRunState run;
    printer.computePageGeometry(true);
    print::PageFrame frame(printer, run);
    frame.normalTextColour = quint32(session.options.color(0));
    giveLongLineAnswer(batch.messages, longLineButton);
    config::SuppressibleMessages ownMessages(session.ini, batch.messages);
    print::LinePrinter printerLines(frame, run, longLineButton >= 0 ? &ownMessages : &session.messages);
    for (int i = 0; i < 10; ++i)
        printerLines.colours[size_t(i)] = quint32(session.options.color(i));
    printerLines.symbols = source.symbols;

    Routine whole;
    whole.filePath = source.path;
    whole.kind = RoutineKind::Sub;
    whole.startLine = 1;
    whole.endLine = qint32(source.lines.size());
    frame.headerTitle = fileNameOf(source.path);
    frame.pageNumber = 0;
    frame.firstPageOfDocument = true;
    frame.estimatePages(whole);
    frame.startPage();
    const Routine standIn = declarationsStandIn(source.path);
    for (qsizetype i = 0; i < source.lines.size(); ++i) {
        const int index = source.routineOfLine[size_t(i + 1)];
        const Routine& routine = index < 0 ? standIn : *source.routines[size_t(index)];
        bool go = true;
        printerLines.printListingLine(ListingLine(source.lines[i]), &routine, go);
        if (!go)
            break;
    }
    frame.endRoutine();
    const int pages = surface->pagesStarted();
    if (!surface->endDocument()) {
        return cannotWrite(err, outputPath.isEmpty() ? surface->currentDevice().deviceName : outputPath,
            QStringLiteral("the output could not be completed"));
    }
    if (run.abort)
        note(err, QStringLiteral("the listing was abandoned at a line too long for the page"));
    addDocumentInfo(services, *surface, outputPath, source.path);
    reportOutput(out, outputPath, *surface, pages);
    return 0;
}

int runImage(const Arguments& args, config::Session& session, const SourceReader& reader, const CliServices& services,
    std::ostream& out, std::ostream& err)
{
    if (args.positional.size() != 1)
        throw Usage {QStringLiteral("image takes one form (.frm), user control (.ctl), property page (.pag) or user "
                                    "document (.dob)")};
    const QString given = args.positional[0];
    if (std::optional<int> failed = notAFile(err, given))
        return *failed;
    if (std::optional<int> refused = refuseWithoutImage(err, given, QStringLiteral("image")))
        return *refused;
    const QFileInfo info(given);
    const RoutinePtr image = formImageRoutine(info.absoluteFilePath(), reader);
    if (!image)
        return cannotRead(
            err, given, QStringLiteral("no layout block followed by Attribute lines was found (no image)"));
    config::PageSetup setup = config::PageSetup::fromOptions(session.options);
    applyPageOptions(args, setup);
    std::unique_ptr<platform::IPrintSurface> surface = createSurface(services, err);
    if (!surface)
        return 1;
    config::PrintDevice printer(*surface, setup);
    const OutputChoice output = chooseOutput(args, session, printer, *surface, fileBaseName(info.filePath()));
    if (!output.error.isEmpty())
        return cannotWrite(err, output.path, output.error);
    const QString& outputPath = output.path;
    // The reader's message goes to stderr as the command's own one line.
    platform::SilentMessageBox quiet;
    const int pages = formimage::printImageDocument(*surface, setup, session.options, *image, reader, &quiet);
    if (pages == -2) {
        return cannotWrite(err, outputPath.isEmpty() ? surface->currentDevice().deviceName : outputPath,
            QStringLiteral("the output could not be completed"));
    }
    if (pages < 0) {
        const QString why = quiet.texts.isEmpty()
            ? QStringLiteral("the form has nothing to draw")
            : QString(quiet.texts.front()).replace(QStringLiteral("\r\n"), QStringLiteral(" "));
        write(err,
            QStringLiteral("quillon: no form image printed for ") + quote(given) + QStringLiteral(": ") + why
                + QLatin1Char('\n'));
        return 1;
    }
    addDocumentInfo(services, *surface, outputPath, info.filePath());
    reportOutput(out, outputPath, *surface, pages);
    return 0;
}

} // namespace quillon::app
