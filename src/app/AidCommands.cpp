#include "app/AidCommands.h"

#include "aids/BackupRestore.h"
#include "aids/CodeIndent.h"
#include "aids/CodeWrap.h"
#include "aids/HeaderTemplates.h"
#include "aids/LineNumbers.h"
#include "aids/ProcedureSort.h"
#include "aids/ProjectHeaderFacts.h"
#include "aids/SourceDocument.h"
#include "aids/SourceTransforms.h"
#include "aids/SpellCheck.h"
#include "config/Session.h"
#include "model/SourceKind.h"
#include "model/TextPrimitives.h"
#include "platform/PrintSurface.h"
#include "platform/ReplacementFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <optional>

namespace quillon::app {

using model::equalsNoCase;
using model::quote;

namespace {

QString plainText(QString text)
{
    return text.replace(model::kCrLf, QStringLiteral("\n"));
}

// The files --files names (their paths), or "All Files".
QStringList chosenFiles(const Arguments& args, const model::Project& project)
{
    return args.has(QStringLiteral("files")) ? projectFilesArgument(args, project) : QStringList {aids::kAllFilesMarker};
}

// The unique keys of the routines --routines names by MODULE|ROUTINE, among the chosen files.
QStringList chosenRoutines(const Arguments& args, const model::Project& project, const QStringList& files)
{
    QStringList keys;
    for (const QString& wanted : args.value(QStringLiteral("routines")).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString key = model::upperCase(model::trimBlanks(wanted));
        const qsizetype before = keys.size();
        for (const model::FilePtr& file : project.projectFileList) {
            const model::RoutineList* routines = project.routinesByFile.find(file->filePath);
            if (!routines || (!files.contains(aids::kAllFilesMarker) && !files.contains(file->filePath)))
                continue;
            for (const model::RoutinePtr& routine : *routines) {
                if (model::dependencyKey(routine.get()) == key && !keys.contains(routine->uniqueKey))
                    keys.append(routine->uniqueKey);
            }
        }
        if (keys.size() == before)
            throw Usage {
                QStringLiteral("no routine ") + quote(wanted.trimmed()) + QStringLiteral(" in the chosen files")};
    }
    return keys;
}

// "all", or 1-based numbers of the listed backups, as indexes into the list.
std::vector<int> chosenBackups(const QString& spec, size_t count)
{
    std::vector<int> chosen;
    if (spec == QLatin1String("all")) {
        for (size_t i = 0; i < count; ++i)
            chosen.push_back(int(i));
        return chosen;
    }
    for (const QString& item : spec.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int number = item.trimmed().toInt(&ok);
        if (!ok || number < 1 || size_t(number) > count)
            throw Usage {QStringLiteral("there is no backup ") + quote(item.trimmed()) + QStringLiteral(" (")
                + QString::number(count) + QStringLiteral(" registered; see quillon backups)")};
        if (std::find(chosen.begin(), chosen.end(), number - 1) == chosen.end())
            chosen.push_back(number - 1);
    }
    return chosen;
}

// Work files of these files that a run killed before it finished left behind, removed and told.
void removeLeftWorkFiles(const QStringList& files, std::ostream& err)
{
    for (const QString& removed : platform::removeStaleWorkFiles(files, QDateTime::currentDateTime()))
        write(err, QStringLiteral("quillon: ") + platform::staleWorkFileNote(removed) + QLatin1Char('\n'));
}

QString backupLines(const std::vector<aids::BackupEntry>& entries)
{
    const QChar tab = QLatin1Char('\t');
    QString text;
    for (size_t i = 0; i < entries.size(); ++i) {
        const aids::BackupEntry& entry = entries[i];
        text += QString::number(i + 1) + tab + entry.timestamp + tab
            + (entry.isProcedure() ? aids::kProcedureKind : aids::kFileKind) + tab + entry.originalPath + tab
            + entry.procedureName + tab + entry.backupName + QLatin1Char('\n');
    }
    return text;
}

} // namespace

bool aidCommandMeasures(const QStringList& args)
{
    return args.size() > 1 && args[0] == QLatin1String("aid") && args[1] == QLatin1String("wrap");
}

namespace {

// The aid a command line names (throws Usage).
aids::SourceAid aidArgument(const Arguments& args)
{
    const QString name = args.positional.value(0);
    const QStringList names = {QStringLiteral("shrink"), QStringLiteral("movedim"), QStringLiteral("wrap"),
        QStringLiteral("indent"), QStringLiteral("number"), QStringLiteral("unnumber"), QStringLiteral("sort"),
        QStringLiteral("header-file"), QStringLiteral("header-procedure"), QStringLiteral("spell")};
    if (args.positional.size() != 2 || !names.contains(name))
        throw Usage {QStringLiteral("aid takes shrink, movedim, wrap, indent, number, unnumber, sort, header-file, "
                                    "header-procedure or spell and a project file (.vbp)")};
    if (!isProjectFile(args.positional[1]))
        throw Usage {QStringLiteral("aid takes a project file (.vbp)")};
    if (args.has(QStringLiteral("long-line")) && name != QLatin1String("wrap"))
        throw Usage {QStringLiteral("--long-line goes with wrap")};
    if ((args.has(QStringLiteral("start")) || args.has(QStringLiteral("step"))) && name != QLatin1String("number"))
        throw Usage {QStringLiteral("--start and --step go with number")};
    if (args.has(QStringLiteral("by")) && name != QLatin1String("sort"))
        throw Usage {QStringLiteral("--by goes with sort")};
    const bool spell = name == QLatin1String("spell");
    if ((args.has(QStringLiteral("replace")) || args.has(QStringLiteral("literals-only"))) && !spell)
        throw Usage {QStringLiteral("--replace and --literals-only go with spell")};
    if (spell && !args.has(QStringLiteral("replace")))
        throw Usage {QStringLiteral("aid spell takes --replace WORD=RIGHT,...")};
    if (name == QLatin1String("header-file") && args.has(QStringLiteral("routines")))
        throw Usage {QStringLiteral("header-file takes files, not routines")};
    const aids::SourceAid aids[] = {aids::SourceAid::ShrinkBlankLines, aids::SourceAid::MoveDims, aids::SourceAid::Wrap,
        aids::SourceAid::Indent, aids::SourceAid::AddLineNumbers, aids::SourceAid::RemoveLineNumbers,
        aids::SourceAid::SortProcedures, aids::SourceAid::InsertFileHeader, aids::SourceAid::InsertProcedureHeader,
        aids::SourceAid::ReplaceWords};
    return aids[names.indexOf(name)];
}

// The options' numbering, with the first number and the step the command line gives instead.
aids::NumberingRules numberingArguments(const Arguments& args, const config::Options& options)
{
    aids::NumberingRules rules = aids::numberingRules(options);
    const QString first =
        args.has(QStringLiteral("start")) ? args.value(QStringLiteral("start")) : QString::number(rules.first);
    const QString step =
        args.has(QStringLiteral("step")) ? args.value(QStringLiteral("step")) : QString::number(rules.step);
    if (const QString problem = aids::numberingProblem(first, step); !problem.isEmpty())
        throw Usage {problem};
    rules.first = first.trimmed().toLongLong();
    rules.step = step.trimmed().toLongLong();
    return rules;
}

// The options' indent rules, each --set NAME=VALUE applied over them (throws Usage).
aids::IndentRules indentArguments(const Arguments& args, const config::Options& options)
{
    aids::IndentRules rules = aids::indentRules(options);
    for (const QString& setting : args.values(QStringLiteral("set"))) {
        const qsizetype equals = setting.indexOf(QLatin1Char('='));
        if (equals < 0)
            throw Usage {QStringLiteral("--set takes NAME=VALUE, not ") + quote(setting)};
        if (const QString problem = aids::setIndentRule(rules, setting.left(equals), setting.mid(equals + 1));
            !problem.isEmpty())
            throw Usage {problem};
    }
    return rules;
}

// --replace WORD=RIGHT,...: each wrong word and what replaces it (throws Usage).
QHash<QString, QString> replacementArguments(const Arguments& args)
{
    QHash<QString, QString> rights;
    for (const QString& pair : args.value(QStringLiteral("replace")).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const qsizetype equals = pair.indexOf(QLatin1Char('='));
        const QString wrong = equals < 0 ? QString() : pair.left(equals).trimmed();
        const QString right = equals < 0 ? QString() : pair.mid(equals + 1).trimmed();
        if (wrong.isEmpty() || right.isEmpty())
            throw Usage {QStringLiteral("--replace takes WORD=RIGHT,..., not ") + quote(pair)};
        rights.insert(wrong, right);
    }
    if (rights.isEmpty())
        throw Usage {QStringLiteral("--replace takes WORD=RIGHT,...")};
    return rights;
}

// The folder the options file is in, where the templates and the personal words are kept.
QString optionsFolder(const config::Session& session)
{
    return QFileInfo(session.ini.defaultPath()).absolutePath();
}

void writeNotIndented(const QStringList& notIndented, std::ostream& err)
{
    for (const QString& line : notIndented)
        write(err, QStringLiteral("quillon: not indented: ") + line + QLatin1Char('\n'));
}

void writeNotIndented(const QString& path, const std::vector<aids::IndentProblem>& problems, std::ostream& err)
{
    QStringList lines;
    for (const aids::IndentProblem& problem : problems)
        lines << aids::problemLine(path, problem);
    writeNotIndented(lines, err);
}

} // namespace

int runAid(const Arguments& args, config::Session& session, const model::SourceReader& reader,
    const SurfaceFactory& surfaces, std::ostream& out, std::ostream& err)
{
    const aids::SourceAid aid = aidArgument(args);
    // Wrapping measures lines as the printer prints them: without a surface it cannot start.
    std::unique_ptr<platform::IPrintSurface> surface;
    if (aid == aids::SourceAid::Wrap && (!surfaces || !(surface = surfaces()))) {
        write(err,
            QStringLiteral("quillon: wrap measures lines in the printer font, and no printer or PDF writer "
                           "could be opened to measure them\n"));
        return 1;
    }
    // Only a procedure header names callers and callees: the others need no dependency index.
    AnalysedProject loaded(reader);
    model::Project& project = loaded.project;
    if (aid != aids::SourceAid::InsertProcedureHeader)
        project.analysis = nullptr;
    std::optional<aids::HeaderTemplate> headerTemplate;
    if (aid == aids::SourceAid::InsertFileHeader || aid == aids::SourceAid::InsertProcedureHeader) {
        const aids::HeaderKind kind =
            aid == aids::SourceAid::InsertFileHeader ? aids::HeaderKind::File : aids::HeaderKind::Procedure;
        model::Outcome<aids::HeaderTemplate> loadedTemplate = aids::loadHeaderTemplate(kind, optionsFolder(session));
        if (!loadedTemplate) {
            write(err,
                QStringLiteral("quillon: cannot use the template ")
                    + quote(QDir(optionsFolder(session)).filePath(aids::templateFileName(kind))) + QStringLiteral(": ")
                    + loadedTemplate.error() + QLatin1Char('\n'));
            return 1;
        }
        headerTemplate = std::move(*loadedTemplate);
    }
    const QHash<QString, QString> rights =
        aid == aids::SourceAid::ReplaceWords ? replacementArguments(args) : QHash<QString, QString>();
    if (const std::optional<int> failed = openForDump(project, args.positional[1], err))
        return *failed;
    removeLeftWorkFiles(model::filePaths(project.projectFileList), err);
    aids::TargetSelection selection;
    selection.files = chosenFiles(args, project);
    if (args.has(QStringLiteral("routines")))
        selection.procedures = chosenRoutines(args, project, selection.files);
    aids::EditBackups backups = aids::EditBackups::forSession(session, reader);
    aids::AidRunner runner(backups, session.options.ideTabWidth());
    const aids::IndentRules indentRules = aids::indentRules(session.options);
    runner.setIndentRules(&indentRules);
    const aids::NumberingRules numberingRules = numberingArguments(args, session.options);
    runner.setNumberingRules(&numberingRules);
    aids::ProcedureOrder order = aids::procedureOrder(session.options);
    if (args.has(QStringLiteral("by"))) {
        const std::optional<aids::ProcedureOrder> named = aids::procedureOrderNamed(args.value(QStringLiteral("by")));
        if (!named)
            throw Usage {
                QStringLiteral("--by takes name, kind or events, not ") + quote(args.value(QStringLiteral("by")))};
        order = *named;
    }
    runner.setProcedureOrder(&order);
    const aids::HeaderFacts facts = aids::projectHeaderFacts(project,
        project.analysis ? &loaded.analysis.dependencies : nullptr, session.options, QDate::currentDate());
    if (headerTemplate)
        runner.setHeaders(&*headerTemplate, &facts);
    if (aid == aids::SourceAid::ReplaceWords) {
        const bool literalsOnly =
            args.has(QStringLiteral("literals-only")) || aids::spellRules(session.options).literalsOnly;
        // A word the code uses as a name is never replaced, in whichever file it is a name.
        QSet<QString> identifiers;
        for (const QString& path : aids::chosenFilePaths(selection, project.projectFileList)) {
            if (const model::Outcome<aids::SourceDocument> document = aids::readSourceDocument(path, reader))
                identifiers.unite(aids::identifiersOf(document->lines));
        }
        runner.setWordReplacer([literalsOnly, identifiers, &rights](const QString&, const QStringList& lines) {
            return aids::replacementsFor(lines, literalsOnly, identifiers, rights);
        });
    }
    std::optional<aids::LineWrapper> wrapper;
    if (surface) {
        const QString sample = args.has(QStringLiteral("long-line")) ? args.value(QStringLiteral("long-line"))
                                                                     : session.options.text(config::opt::LongLine);
        wrapper.emplace(
            aids::printFontMeasure(*surface, session.options), sample, aids::wrapIndentUnit(session.options));
        wrapper->setSignatureRules(aids::signatureRules(session.options));
        runner.setWrapper(&*wrapper);
    }
    const aids::AidReport report = runner.run(aid, selection, project.projectFileList);
    write(out, report.title + QLatin1Char('\n') + plainText(report.text) + QLatin1Char('\n'));
    for (const QString& line : report.notWrapped)
        write(err, QStringLiteral("quillon: not wrapped: ") + line + QLatin1Char('\n'));
    writeNotIndented(report.notIndented, err);
    for (const QString& failure : report.notWritten)
        write(err, QStringLiteral("quillon: not updated: ") + failure + QLatin1Char('\n'));
    return report.notWritten.isEmpty() ? 0 : 1;
}

int runBackups(const Arguments& args, config::Session& session, const model::SourceReader& reader, std::ostream& out,
    std::ostream& err)
{
    aids::EditBackups backups = aids::EditBackups::forSession(session, reader);
    const std::vector<aids::BackupEntry> entries = backups.loadBackupList();
    removeLeftWorkFiles(aids::backedUpFiles(entries), err);
    const QString action = args.positional.value(0);
    if (args.positional.isEmpty() || (args.positional.size() == 1 && action == QLatin1String("list"))) {
        write(out, backupLines(entries));
        return 0;
    }
    const bool restore = action == QLatin1String("restore");
    if (args.positional.size() != 2 || (!restore && action != QLatin1String("delete")))
        throw Usage {QStringLiteral("backups takes no argument, or restore or delete and N,... or all")};
    if (!restore && args.has(QStringLiteral("no-backup")))
        throw Usage {QStringLiteral("--no-backup goes with restore")};
    const std::vector<int> chosen = chosenBackups(args.positional[1], entries.size());
    aids::BackupRestorer restorer(backups);
    if (!restore) {
        restorer.deleteChosen(entries, chosen);
        return 0;
    }
    if (chosen.empty()) {
        write(out, aids::kNothingToRestoreTitle + QLatin1Char('\n') + aids::kNothingToRestoreText + QLatin1Char('\n'));
        return 0;
    }
    restorer.keepCurrentVersion = !args.has(QStringLiteral("no-backup"));
    const QString text = restorer.restoreChosen(entries, chosen);
    write(out, aids::kRestoreCompleteTitle + QLatin1Char('\n') + plainText(text) + QLatin1Char('\n'));
    return text.contains(QLatin1String("- FAILED: ")) ? 1 : 0;
}

namespace {

// Standard input whole: what the services give (a test's text), else the process's own; nullopt
// when it cannot be read (the message written).
std::optional<QByteArray> readStandardInput(const std::function<QByteArray()>& standardInput, std::ostream& err)
{
    if (standardInput)
        return standardInput();
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly)) {
        cannotRead(err, QStringLiteral("-"), in.errorString());
        return std::nullopt;
    }
    return in.readAll();
}

// A name for a module's text given on standard input whose extension tells its kind: a class by
// its first line, a form, user control ... by the object its layout block begins, else a module.
QString standardInputName(const QStringList& lines)
{
    const QString first = lines.isEmpty() ? QString() : model::upperCase(model::trimBlanks(lines.front()));
    if (!first.startsWith(QLatin1String("VERSION ")))
        return QStringLiteral("-.bas");
    if (first.contains(QLatin1String("CLASS")))
        return QStringLiteral("-.cls");
    model::SourceKind kind = model::SourceKind::Form;
    for (const QString& line : lines.mid(1, 3)) {
        const QStringView text = model::trimBlanks(line);
        if (model::startsWithUpper(text, QLatin1StringView("BEGIN "))) {
            const QStringView object = model::trimLeadingBlanks(text.sliced(6));
            const qsizetype blank = object.indexOf(QLatin1Char(' '));
            kind = model::sourceKindOfLayoutObject(blank < 0 ? object : object.first(blank));
            break;
        }
    }
    return QStringLiteral("-.") + model::lowerCase(QString(model::fileTypeOf(kind)));
}

// quillon indent --check PROJECT.vbp: the files indenting would change.
int checkIndent(const Arguments& args, const aids::IndentRules& rules, const model::SourceReader& reader,
    std::ostream& out, std::ostream& err)
{
    model::Project project(reader);
    if (const std::optional<int> failed = openForDump(project, args.positional[0], err))
        return *failed;
    const aids::WorkSet work =
        aids::buildWorkSet({{aids::kAllFilesMarker}, {}}, project.projectFileList, reader, aids::DeclarationsToo::Yes);
    int wouldChange = 0;
    for (const aids::WorkItem& item : work) {
        const model::Outcome<aids::SourceDocument> document = aids::readSourceDocument(item.path, reader);
        if (!document)
            return cannotRead(err, item.path, document.error());
        const aids::IndentRewrite indented = aids::indentRoutines(document->lines, item.routines, rules);
        writeNotIndented(item.path, indented.problems, err);
        if (indented.rewrite.changed) {
            write(out, item.path + QLatin1Char('\n'));
            ++wouldChange;
        }
    }
    return wouldChange > 0 ? 1 : 0;
}

} // namespace

int runIndent(const Arguments& args, const config::Options& options, const model::SourceReader& reader,
    const std::function<QByteArray()>& standardInput, std::ostream& out, std::ostream& err)
{
    if (args.positional.size() > 1)
        throw Usage {QStringLiteral("indent takes one file, or - for standard input")};
    const aids::IndentRules rules = indentArguments(args, options);
    if (args.has(QStringLiteral("check"))) {
        if (args.positional.size() != 1 || !isProjectFile(args.positional[0]))
            throw Usage {QStringLiteral("indent --check takes a project file (.vbp)")};
        return checkIndent(args, rules, reader, out, err);
    }
    const QString path = args.positional.value(0, QStringLiteral("-"));
    aids::SourceDocument document;
    if (path == QLatin1String("-")) {
        const std::optional<QByteArray> bytes = readStandardInput(standardInput, err);
        if (!bytes)
            return 1;
        document = aids::documentOfBytes(*bytes, reader.codePage());
    } else {
        if (const std::optional<int> failed = notAFile(err, path))
            return *failed;
        model::Outcome<aids::SourceDocument> file = aids::readSourceDocument(path, reader);
        if (!file)
            return cannotRead(err, path, file.error());
        document = std::move(*file);
    }
    const QString name = path == QLatin1String("-") ? standardInputName(document.lines) : path;
    const aids::IndentRewrite indented = aids::indentFileLines(name, document.lines, rules);
    writeNotIndented(path, indented.problems, err);
    const QStringList& lines = indented.rewrite.changed ? indented.rewrite.lines : document.lines;
    const QByteArray text = model::encodeSourceText(aids::rewrittenText(lines, document), document.encoding);
    out.write(text.constData(), text.size());
    out.flush();
    return out ? 0 : 1;
}

namespace {

aids::HeaderKind templateKindArgument(const QString& name)
{
    if (name == QLatin1String("file"))
        return aids::HeaderKind::File;
    if (name == QLatin1String("procedure"))
        return aids::HeaderKind::Procedure;
    throw Usage {QStringLiteral("templates takes file or procedure, not ") + quote(name)};
}

QString templateTitle(aids::HeaderKind kind)
{
    return kind == aids::HeaderKind::File ? QStringLiteral("File Header Template")
                                          : QStringLiteral("Procedure Header Template");
}

} // namespace

int runTemplates(const Arguments& args, const config::Session& session,
    const std::function<QByteArray()>& standardInput, std::ostream& out, std::ostream& err)
{
    const QString folder = optionsFolder(session);
    const QString action = args.positional.value(0, QStringLiteral("show"));
    if (action == QLatin1String("show") && args.positional.size() <= 2) {
        QString text;
        const std::vector<aids::HeaderKind> kinds = args.positional.size() == 2
            ? std::vector<aids::HeaderKind> {templateKindArgument(args.positional[1])}
            : std::vector<aids::HeaderKind> {aids::HeaderKind::File, aids::HeaderKind::Procedure};
        for (const aids::HeaderKind kind : kinds) {
            const QString path = QDir(folder).filePath(aids::templateFileName(kind));
            const model::Outcome<aids::HeaderTemplate> tmpl = aids::loadHeaderTemplate(kind, folder);
            if (!tmpl)
                return cannotRead(err, path, tmpl.error());
            // One template alone is its bare text, to be edited and set again.
            if (kinds.size() > 1)
                text += (text.isEmpty() ? QString() : QStringLiteral("\n")) + templateTitle(kind) + QStringLiteral(": ")
                    + path + (QFileInfo::exists(path) ? QString() : QStringLiteral(" (not written yet: the default)"))
                    + QLatin1Char('\n');
            text += tmpl->lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
        }
        write(out, text);
        return 0;
    }
    if (action != QLatin1String("set") || args.positional.size() != 3)
        throw Usage {QStringLiteral("templates takes show [file|procedure], or set file|procedure FILE")};
    const aids::HeaderKind kind = templateKindArgument(args.positional[1]);
    const QString source = args.positional[2];
    QByteArray bytes;
    if (source == QLatin1String("-")) {
        const std::optional<QByteArray> input = readStandardInput(standardInput, err);
        if (!input)
            return 1;
        bytes = *input;
    } else {
        if (const std::optional<int> failed = notAFile(err, source))
            return *failed;
        QFile in(source);
        if (!in.open(QIODevice::ReadOnly))
            return cannotRead(err, source, in.errorString());
        bytes = in.readAll();
    }
    const model::Outcome<void> saved = aids::saveHeaderTemplate(kind, folder, QString::fromUtf8(bytes));
    if (!saved) {
        write(err, QStringLiteral("quillon: the ") + templateTitle(kind).toLower()
                + QStringLiteral(" was not changed: ") + saved.error() + QLatin1Char('\n'));
        return 1;
    }
    write(out, templateTitle(kind) + QStringLiteral(" saved: ") + QDir(folder).filePath(aids::templateFileName(kind))
            + QLatin1Char('\n'));
    return 0;
}

} // namespace quillon::app
