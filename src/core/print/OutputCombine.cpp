#include "print/OutputCombine.h"

#include "model/DiagLog.h"
#include "model/TextPrimitives.h"
#include "platform/Environment.h"
#include "platform/InterruptCleanup.h"
#include "platform/MessageBox.h"
#include "platform/ProcessLauncher.h"
#include "platform/ReplacementFile.h"
#include "platform/StatusSink.h"
#include "print/OutputNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace quillon::print {

namespace {

using model::kCrLf;

bool isExecutableFile(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

bool writeWholeFile(const QString& path, const QByteArray& bytes, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        *error = path + QStringLiteral(": ") + file.errorString();
        return false;
    }
    return true;
}

QByteArray readSmallFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.read(1 << 20);
}

bool looksLikePdf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.size() > 0 && file.read(5) == "%PDF-";
}

QString minutes(qint64 milliseconds)
{
    const qint64 minutes = std::max<qint64>(1, milliseconds / 60000);
    return QString::number(minutes) + (minutes == 1 ? QStringLiteral(" minute") : QStringLiteral(" minutes"));
}

// The files beside the merged file that run the tool and catch its exit status and error
// output; none of them outlives the combine.
struct CombineWorkFiles {
    explicit CombineWorkFiles(const QString& merged)
        : arguments(merged + QStringLiteral(".args.txt")),
          script(merged + QStringLiteral(".run.sh")),
          exitCode(merged + QStringLiteral(".exitcode")),
          errors(merged + QStringLiteral(".stderr.txt"))
    { }
    QString arguments; // the tool's arguments, one a line
    QString script;
    QString exitCode;
    QString errors;

    QStringList all() const { return {arguments, script, exitCode, exitCode + QStringLiteral(".tmp"), errors}; }
    void remove() const
    {
        for (const QString& file : all())
            QFile::remove(file);
    }
};

// Lists the parts in page order, and the merged file, for the tool's "@file" argument.
QByteArray toolArguments(const QStringList& parts, const QString& merged)
{
    QByteArray arguments = "--empty\n--pages\n";
    for (const QString& part : parts)
        arguments += QFile::encodeName(part) + '\n';
    arguments += "--\n" + QFile::encodeName(merged) + '\n';
    return arguments;
}

// Runs the command and leaves its exit status in the exit-code file.
QString toolScript(const QString& command, const CombineWorkFiles& work)
{
    const QString pendingExit = work.exitCode + QStringLiteral(".tmp");
    return QStringLiteral("#!/bin/sh\n# Combines Quillon's output parts; removed when the tool has ended.\n") + command
        + QStringLiteral(" >/dev/null 2>") + shellQuoted(work.errors) + QLatin1Char('\n')
        + QStringLiteral("status=$?\n")
        // Written aside and renamed, so that the exit code is never read half-written.
        + QStringLiteral("printf '%s\\n' \"$status\" >") + shellQuoted(pendingExit) + QStringLiteral(" && mv -f ")
        + shellQuoted(pendingExit) + QLatin1Char(' ') + shellQuoted(work.exitCode) + QLatin1Char('\n');
}

// Files an interrupted program removes, for as long as the object lives.
class TrackedForInterrupt {
public:
    explicit TrackedForInterrupt(QStringList files) : files_(std::move(files))
    {
        for (const QString& file : files_)
            platform::InterruptCleanup::track(file);
    }
    ~TrackedForInterrupt()
    {
        for (const QString& file : files_)
            platform::InterruptCleanup::forget(file);
    }
    TrackedForInterrupt(const TrackedForInterrupt&) = delete;
    TrackedForInterrupt& operator=(const TrackedForInterrupt&) = delete;

private:
    QStringList files_;
};

// Why a tool run that ended did not leave a merged file fit to replace the user's; empty when it did.
QStringList combineFailureReasons(const CombineResult& result, bool ended, bool abandoned, const QString& merged)
{
    QStringList reasons;
    if (abandoned) {
        reasons << QStringLiteral("The combining tool stopped making progress for ") + minutes(PartCombiner::kStallMs)
                + QStringLiteral(" and was abandoned.");
    } else if (!ended) {
        reasons << QStringLiteral("The combining tool ended without reporting an exit status.");
    } else if (result.exitCode != 0 && result.exitCode != 3) {
        reasons << QStringLiteral("The combining tool ended with exit code ") + QString::number(result.exitCode)
                + QLatin1Char('.');
    } else if (!result.warnings.lines.isEmpty()) {
        reasons << QStringLiteral("The combining tool warned about the input, so pages may be missing from the "
                                  "combined file.");
    } else if (!looksLikePdf(merged)) {
        reasons << QStringLiteral("The combined file is empty or not a PDF file.");
    }
    return reasons;
}

} // namespace

QString nameList(const QStringList& names)
{
    QString text;
    for (const QString& name : names)
        text += kCrLf + QStringLiteral("     ") + name;
    return text;
}

QString findCombineTool(const QString& programFolder, const QString& searchPath)
{
    if (!programFolder.isEmpty()) {
        const QString folder = QDir::cleanPath(programFolder) + QLatin1Char('/');
        for (const char* relative : {"qpdf Files/bin/qpdf", "qpdf", "qpdf/qpdf"}) {
            const QString candidate = folder + QLatin1String(relative);
            if (isExecutableFile(candidate))
                return QFileInfo(candidate).absoluteFilePath();
        }
    }
    // Relative entries would run whatever "qpdf" the current folder holds.
    for (const QString& entry : searchPath.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        if (!QDir::isAbsolutePath(entry))
            continue;
        QString candidate = QDir::cleanPath(entry) + QStringLiteral("/qpdf");
        if (isExecutableFile(candidate))
            return candidate;
    }
    return QString();
}

QString elapsedText(qint64 milliseconds)
{
    const qint64 seconds = std::max<qint64>(0, milliseconds / 1000);
    return QStringLiteral("%1:%2")
        .arg(seconds / 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

ToolWarnings findToolWarnings(const QString& errorOutput, const QStringList& parts)
{
    ToolWarnings found;
    // The longest names first, so that a name contained in another is not credited with its warnings.
    QStringList byLength = parts;
    std::stable_sort(
        byLength.begin(), byLength.end(), [](const QString& a, const QString& b) { return a.size() > b.size(); });
    for (QStringView line : QStringView(errorOutput).split(QLatin1Char('\n'))) {
        const QString text = line.trimmed().toString();
        if (!text.contains(QLatin1String("WARNING")))
            continue;
        found.lines << text;
        for (const QString& part : byLength) {
            if (text.contains(part)) {
                if (!found.parts.contains(part))
                    found.parts << part;
                break;
            }
        }
    }
    // Page order, as the user will look for them.
    QStringList ordered;
    for (const QString& part : parts) {
        if (found.parts.contains(part))
            ordered << part;
    }
    found.parts = ordered;
    return found;
}

QString shellQuoted(const QString& text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

PartCombiner::PartCombiner(platform::IProcessLauncher& launcher, platform::IMessageBox* box,
    platform::IStatusSink* status, model::DiagLog* log)
    : programFolder(platform::programFolder()),
      searchPath(qEnvironmentVariable("PATH")),
      launcher_(launcher),
      box_(box),
      status_(status),
      log_(log)
{ }

void PartCombiner::status(const QString& text)
{
    if (status_)
        status_->showStatus(text);
}

void PartCombiner::log(const QString& text)
{
    if (log_)
        log_->write(text);
}

bool PartCombiner::waitForParts(CombineResult& result)
{
    const qint64 start = waits.elapsedMs();
    const int n = int(result.parts.size());
    for (int i = 0; i < n; ++i) {
        const QString& part = result.parts[i];
        const QString ofN = QString::number(i + 1) + QStringLiteral(" of ") + QString::number(n);
        bool ready = false;
        for (int attempt = 1; attempt <= kPartTries; ++attempt) {
            if (readableLength(part) > 0) {
                ready = true;
                break;
            }
            status(QStringLiteral("Waiting for output file ") + ofN
                + QStringLiteral(" to be released by the printer driver") + QStringLiteral(" - elapsed ")
                + elapsedText(waits.elapsedMs() - start));
            if (attempt < kPartTries)
                waits.pause(kPartPauseMs);
        }
        if (!ready)
            result.missingParts << part;
        status(QStringLiteral("Checked output file ") + ofN);
    }
    return result.missingParts.isEmpty();
}

CombineResult& PartCombiner::fail(CombineResult& result, const QStringList& reasons)
{
    if (result.outcome != CombineOutcome::Abandoned)
        result.outcome = CombineOutcome::Failed;
    const bool intact = result.missingParts.isEmpty() && result.warnings.lines.isEmpty();
    QString text = QStringLiteral("The output part files could not be combined automatically.");
    for (const QString& reason : reasons)
        text += kCrLf + reason;
    if (!result.missingParts.isEmpty())
        text += kCrLf + QStringLiteral("These files are missing or empty:") + nameList(result.missingParts);
    if (!result.warnings.parts.isEmpty()) {
        text += kCrLf + QStringLiteral("The combining tool found damage in:") + nameList(result.warnings.parts);
    } else if (!result.warnings.lines.isEmpty()) {
        text += kCrLf + QStringLiteral("The combining tool warned:") + nameList(result.warnings.lines.mid(0, 10));
    }
    const QString n = QString::number(result.parts.size());
    if (intact) {
        text += kCrLf + QStringLiteral("Your output is complete and intact in ") + n
            + QStringLiteral(" separate files:") + nameList(result.parts) + kCrLf
            + QStringLiteral("The files are continuous and can be combined manually.");
    } else {
        text += kCrLf + QStringLiteral("Your output remains in ") + n + QStringLiteral(" separate files:")
            + nameList(result.parts) + kCrLf
            + QStringLiteral("Check the files named above before combining the files manually.");
    }
    result.title = QStringLiteral("PDF Combine Failed");
    result.text = text;
    log(QStringLiteral("PDF combine failed: ") + reasons.join(QLatin1Char(' ')));
    if (box_)
        box_->showMessage(platform::MessageIcon::Exclamation, result.title, result.text);
    return result;
}

CombineResult& PartCombiner::reportToolNotFound(CombineResult& result)
{
    result.outcome = CombineOutcome::ToolNotFound;
    result.title = QStringLiteral("PDF Combine Tool Not Found");
    result.text = QStringLiteral("The PDF combining tool (qpdf) was not found in the Quillon program folder or on "
                                 "the search path.")
        + kCrLf + QStringLiteral("Your output is complete but remains in ") + QString::number(result.parts.size())
        + QStringLiteral(" separate files:") + nameList(result.parts) + kCrLf
        + QStringLiteral("Install qpdf (the Debian package \"qpdf\") or place it in the program folder to enable "
                         "automatic combining, or combine the files manually.");
    log(QStringLiteral("PDF combine: qpdf not found; the output stays in ") + QString::number(result.parts.size())
        + QStringLiteral(" files"));
    if (box_)
        box_->showMessage(platform::MessageIcon::Exclamation, result.title, result.text);
    return result;
}

PartCombiner::ToolEnd PartCombiner::awaitTool(qint64 id, const QString& exitFile, const QString& merged)
{
    const qint64 start = waits.elapsedMs();
    qint64 lastGrowth = start;
    qint64 lastSize = -1;
    ToolEnd end;
    for (;;) {
        if (QFileInfo::exists(exitFile)) {
            end.ended = true;
            break;
        }
        if (!launcher_.isRunning(id)) {
            end.ended = QFileInfo::exists(exitFile); // it may have been written just before the end
            break;
        }
        const qint64 now = waits.elapsedMs();
        status(QStringLiteral("Combining Temporary Output Files - elapsed ") + elapsedText(now - start));
        const qint64 size = QFileInfo(merged).size();
        if (size != lastSize) {
            lastSize = size;
            lastGrowth = now;
        } else if (now - lastGrowth >= kStallMs) {
            end.abandoned = true;
            break;
        }
        waits.pause(kPollMs);
    }
    if (end.abandoned)
        launcher_.stop(id);
    else
        launcher_.release(id);
    return end;
}

void PartCombiner::readToolOutcome(CombineResult& result, bool ended, const QString& exitFile, const QString& errorFile)
{
    bool exitOk = false;
    const int exitCode = QString::fromLatin1(readSmallFile(exitFile)).trimmed().toInt(&exitOk);
    result.exitCode = ended && exitOk ? exitCode : -1;
    const QString errorOutput = QString::fromLocal8Bit(readSmallFile(errorFile));
    log(QStringLiteral("PDF combine exit code ") + QString::number(result.exitCode));
    if (!errorOutput.trimmed().isEmpty())
        log(QStringLiteral("PDF combine tool output: ") + errorOutput.trimmed());
    result.warnings = findToolWarnings(errorOutput, result.parts);
}

CombineResult& PartCombiner::replaceOutputWithMerged(CombineResult& result, const QString& merged)
{
    QString error;
    if (!platform::renameOver(merged, result.outputFile, &error)) {
        QFile::remove(merged);
        return fail(result,
            {QStringLiteral("The combined file could not be given the name ") + result.outputFile + QStringLiteral(": ")
                + error});
    }
    for (const QString& part : result.parts) {
        if (part != result.outputFile && !QFile::remove(part) && QFileInfo::exists(part))
            result.undeletedParts << part;
    }
    result.outcome = CombineOutcome::Combined;
    result.text = QString::number(result.parts.size()) + QStringLiteral(" output part files were combined into:")
        + kCrLf + result.outputFile;
    if (!result.undeletedParts.isEmpty())
        result.text +=
            kCrLf + QStringLiteral("These part files could not be removed:") + nameList(result.undeletedParts);
    log(QStringLiteral("PDF combine: ") + QString::number(result.parts.size()) + QStringLiteral(" files combined into ")
        + result.outputFile);
    status(result.text);
    return result;
}

CombineResult PartCombiner::combine(const QStringList& parts, const QString& userOutputName)
{
    CombineResult result;
    for (const QString& part : parts)
        result.parts << QFileInfo(part).absoluteFilePath();
    result.outputFile = QFileInfo(userOutputName).absoluteFilePath();
    if (result.parts.size() < 2)
        return result;
    // The merged file is renamed over the user's file: a device or a FIFO in its place is
    // never replaced, and a link keeps pointing at the new document.
    const QString replaceable = platform::replaceablePath(result.outputFile);
    if (replaceable.isEmpty())
        return fail(result,
            {QStringLiteral("The output ") + result.outputFile
                + QStringLiteral(" is not a file the combined file can replace.")});
    result.outputFile = replaceable;
    if (!waits.pause || !waits.elapsedMs)
        waits = OutputWaits::system();

    if (!waitForParts(result))
        return fail(result, {});

    result.tool = findCombineTool(programFolder, searchPath);
    if (result.tool.isEmpty())
        return reportToolNotFound(result);
    for (const QString& part : result.parts) {
        if (part.contains(QLatin1Char('\n')) || part.contains(QLatin1Char('\r')))
            return fail(
                result, {QStringLiteral("A file name holds a line break, which the combining tool cannot be given.")});
    }

    QString error;
    const QString merged = reserveUniqueFile(mergedOutputName(result.outputFile), &error);
    if (merged.isEmpty())
        return fail(result, {QStringLiteral("The combined file could not be created: ") + error});
    const CombineWorkFiles work(merged);
    // An interrupted program removes them and the merged file, which stops being temporary only
    // when it has become the user's file.
    const TrackedForInterrupt tracked(work.all() + QStringList {merged});
    work.remove();

    const QString command =
        shellQuoted(result.tool) + QLatin1Char(' ') + shellQuoted(QLatin1Char('@') + work.arguments);
    if (!writeWholeFile(work.arguments, toolArguments(result.parts, merged), &error)
        || !writeWholeFile(work.script, QFile::encodeName(toolScript(command, work)), &error)) {
        work.remove();
        QFile::remove(merged);
        return fail(result, {QStringLiteral("The combining tool's work files could not be written: ") + error});
    }
    QFile::setPermissions(work.script, QFile::permissions(work.script) | QFileDevice::ExeOwner | QFileDevice::ExeUser);
    log(QStringLiteral("PDF combine: ") + command);

    const qint64 id = launcher_.start(QStringLiteral("/bin/sh"), {work.script}, &error);
    if (id == 0) {
        work.remove();
        QFile::remove(merged);
        return fail(result, {QStringLiteral("The combining tool could not be started: ") + error});
    }

    const ToolEnd end = awaitTool(id, work.exitCode, merged);
    readToolOutcome(result, end.ended, work.exitCode, work.errors);
    work.remove();
    if (end.abandoned)
        result.outcome = CombineOutcome::Abandoned;
    const QStringList reasons = combineFailureReasons(result, end.ended, end.abandoned, merged);
    if (!reasons.isEmpty()) {
        QFile::remove(merged);
        return fail(result, reasons);
    }
    return replaceOutputWithMerged(result, merged);
}

} // namespace quillon::print
