#include "print/OutputNames.h"

#include "model/TextPrimitives.h"
#include "platform/InterruptCleanup.h"
#include "platform/ReplacementFile.h"
#include "print/OutputCombine.h"

#include <QFile>
#include <QFileInfo>

#include <utility>

namespace quillon::print {

namespace {

using model::kCrLf;

bool endsWithPdf(const QString& name)
{
    return name.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive);
}

// "name.pdf" → ("name", ".pdf"); names without a suffix keep it empty.
std::pair<QString, QString> splitSuffix(const QString& fileName)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0)
        return {fileName, QString()};
    return {fileName.left(dot), fileName.mid(dot)};
}

bool createNew(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    file.close();
    return true;
}

} // namespace

QString withoutPdfExtension(const QString& name)
{
    return endsWithPdf(name) ? name.left(name.size() - 4) : name;
}

QString temporaryPartName(const QString& userOutputName, int partNumber)
{
    return withoutPdfExtension(userOutputName) + QStringLiteral("_QLNTemp") + QString::number(partNumber)
        + QStringLiteral(".pdf");
}

QString mergedOutputName(const QString& userOutputName)
{
    return withoutPdfExtension(userOutputName) + QStringLiteral("_QLNMerged.pdf");
}

SuggestedNames::SuggestedNames(QString suggestedOutputName)
    : suggested_(std::move(suggestedOutputName)), current_(suggested_)
{ }

QString SuggestedNames::forOversizePart(int oversizePartNumber)
{
    if (oversizePartNumber <= 0)
        current_ = suggested_;
    else
        current_ = withoutPdfExtension(suggested_) + QStringLiteral("_Part") + QString::number(oversizePartNumber)
            + QStringLiteral(".pdf");
    return current_;
}

config::Warning suggestedFileNameNotice(const QString& name, bool pdfPrinter, bool onClipboard)
{
    config::Warning notice = config::Warning::notice(QStringLiteral("Suggested File Name"),
        QStringLiteral("Suggested File Name"), platform::MessageIcon::Information, QString());
    notice.text = QStringLiteral("Quillon will ask for the output file name when printing starts.") + kCrLf + kCrLf
        + (onClipboard ? QStringLiteral("A suggested file name, copied to the clipboard, is:")
                       : QStringLiteral("A suggested file name is:"))
        + nameList({name});
    if (pdfPrinter) {
        notice.text += kCrLf + kCrLf
            + QStringLiteral(
                "Output beyond the GDI Spool Size continues in temporary part files, which are combined into "
                "the file you name when the run completes.  The second and later parts are named and written "
                "automatically; nothing needs to be entered for them.");
    }
    return notice;
}

QString reserveUniqueFile(const QString& wanted, QString* error)
{
    QString reason;
    if (createNew(wanted, &reason))
        return wanted;
    const QFileInfo info(wanted);
    // Anything but a name already taken (a missing or read-only folder) will not get better
    // with another name.
    if (!info.exists() && !info.isSymLink()) {
        if (error)
            *error = reason;
        return QString();
    }
    const auto [stem, suffix] = splitSuffix(info.fileName());
    const QString folder = info.path() + QLatin1Char('/');
    for (int n = 2; n <= 9999; ++n) {
        QString candidate = folder + stem + QStringLiteral(" (") + QString::number(n) + QLatin1Char(')') + suffix;
        if (createNew(candidate, &reason))
            return candidate;
        const QFileInfo taken(candidate);
        if (!taken.exists() && !taken.isSymLink())
            break;
    }
    if (error)
        *error = QStringLiteral("no free file name for ") + wanted + QStringLiteral(": ") + reason;
    return QString();
}

TemporaryPartList::~TemporaryPartList()
{
    discard();
}

QString TemporaryPartList::begin(const QString& userOutputName, QString* error)
{
    discard();
    userOutputName_ = platform::replaceablePath(userOutputName);
    partNumber_ = 0;
    if (userOutputName_.isEmpty()) {
        if (error)
            *error = userOutputName.isEmpty() ? QStringLiteral("no output file has been named for this run")
                                              : QStringLiteral("it is not a file that can be replaced");
        return QString();
    }
    // Even the first part stays away from the user's file until the run is complete, so that a
    // run that fails or is interrupted leaves the file as it was.
    QString first = reserveUniqueFile(temporaryPartName(userOutputName_, 0), error);
    if (!first.isEmpty())
        add(first);
    return first;
}

void TemporaryPartList::add(const QString& part)
{
    files_ << part;
    platform::InterruptCleanup::track(part);
}

QString TemporaryPartList::startNext(QString* error)
{
    if (files_.isEmpty()) {
        if (error)
            *error = QStringLiteral("no output file has been named for this run");
        return QString();
    }
    if (partNumber_ >= kMaxParts) {
        if (error)
            *error = QStringLiteral("the run already has the most temporary parts it can take (")
                + QString::number(kMaxParts) + QLatin1Char(')');
        return QString();
    }
    QString name = reserveUniqueFile(temporaryPartName(userOutputName_, partNumber_ + 1), error);
    if (name.isEmpty())
        return name;
    ++partNumber_;
    add(name);
    return name;
}

bool TemporaryPartList::publishSinglePart(QString* error)
{
    if (files_.size() != 1) {
        if (error)
            *error = QStringLiteral("the output is in ") + QString::number(files_.size()) + QStringLiteral(" parts");
        return false;
    }
    if (!platform::renameOver(files_.front(), userOutputName_, error))
        return false;
    release();
    return true;
}

void TemporaryPartList::release()
{
    for (const QString& part : std::as_const(files_))
        platform::InterruptCleanup::forget(part);
    files_.clear();
}

void TemporaryPartList::discard()
{
    for (const QString& part : std::as_const(files_))
        QFile::remove(part);
    release();
}

QString temporaryPartStatus(const QString& partName)
{
    return QStringLiteral(
               "GDI Spool Size reached - output is continuing in a temporary file that will be combined into "
               "your selected file when the run completes.")
        + kCrLf + QStringLiteral("The temporary file is:") + kCrLf + partName;
}

} // namespace quillon::print
