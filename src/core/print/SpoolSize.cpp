#include "print/SpoolSize.h"

#include "config/Options.h"
#include "platform/MessageBox.h"

#include <QDir>
#include <QFile>
#include <QStorageInfo>

#include <algorithm>
#include <limits>

namespace quillon::print {

namespace {

constexpr qint64 kMiB = 1048576;
constexpr qint64 kUnknownMemoryMiB = 512;
constexpr qint64 kUnknownDiskMiB = 500;
constexpr qint64 kHandleBudget = 10000;

} // namespace

std::optional<qint64> parseMemAvailable(const QByteArray& meminfo)
{
    for (const QByteArray& line : meminfo.split('\n')) {
        if (!line.startsWith("MemAvailable:"))
            continue;
        const QList<QByteArray> fields = line.mid(13).simplified().split(' ');
        bool ok = false;
        const qint64 value = fields.value(0).toLongLong(&ok);
        if (!ok || value < 0)
            return std::nullopt;
        const QByteArray unit = fields.value(1).toLower();
        if (unit.isEmpty())
            return value;
        if (unit != "kb" || value > std::numeric_limits<qint64>::max() / 1024)
            return std::nullopt;
        return value * 1024;
    }
    return std::nullopt;
}

SpoolReadings readSpoolReadings(const QString& tempFolder)
{
    SpoolReadings readings;
    QFile meminfo(QStringLiteral("/proc/meminfo"));
    if (meminfo.open(QIODevice::ReadOnly))
        readings.availableMemoryBytes = parseMemAvailable(meminfo.readAll());
    const QStorageInfo storage(tempFolder);
    if (storage.isValid() && storage.isReady() && storage.bytesAvailable() >= 0)
        readings.freeDiskBytes = storage.bytesAvailable();
    // Open descriptors stand in for the interface objects a process may hold before the
    // spooler runs short; the listing's own descriptor is among them, which does no harm.
    const QDir descriptors(QStringLiteral("/proc/self/fd"));
    if (descriptors.exists())
        readings.objectsInUse =
            descriptors.entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot).size();
    return readings;
}

int estimateGdiSpoolSize(const SpoolReadings& readings)
{
    qint64 memoryBytes = readings.availableMemoryBytes.value_or(-1);
    if (memoryBytes < 0)
        memoryBytes = kUnknownMemoryMiB * kMiB;
    // Int(MiB × 102.4) without rounding error: 102.4 / 1048576 is exactly 1 / 10240.
    const qint64 memoryTerm = memoryBytes / 10240;
    qint64 diskMiB = readings.freeDiskBytes.value_or(-1);
    diskMiB = diskMiB < 0 ? kUnknownDiskMiB : diskMiB / kMiB;
    const qint64 diskTerm = diskMiB * 256;
    const qint64 handles = std::max<qint64>(0, kHandleBudget - std::max<qint64>(0, readings.objectsInUse));
    const qint64 handleTerm = handles / 4;
    const qint64 size =
        std::clamp<qint64>(std::min({memoryTerm, diskTerm, handleTerm}), kMinimumSpoolSize, kMaximumSpoolSize);
    return int(size * 95 / 100);
}

QString spoolRecalibratedNote(int previous, int estimate)
{
    if (previous == 0 || previous == estimate)
        return QString();
    return QStringLiteral("GDI Spool Size recalibrated from ") + QString::number(previous) + QStringLiteral(" to ")
        + QString::number(estimate)
        + QStringLiteral(
            ". Use File|User Options to restore a previous value as desired if you have been making manual "
            "adjustments.");
}

bool storeGdiSpoolSize(config::Options& options, int value)
{
    options.setInt(config::opt::GDISpoolSize, value);
    return options.save();
}

bool askToReestimate(platform::IMessageBox& box, const SpoolFont& estimatedFor, const SpoolFont& current)
{
    const bool sameName = estimatedFor.name.trimmed().compare(current.name.trimmed(), Qt::CaseInsensitive) == 0;
    if (sameName && estimatedFor.size == current.size)
        return false;
    return box.showMessage(platform::MessageId::ReestimateSpoolSize, platform::MessageIcon::Question,
               QStringLiteral("GDI Spool Size"),
               QStringLiteral("Your font settings have changed since the GDI Spool Size was last estimated. "
                              "Do you want to re-estimate the GDI Spool Size for the current font?"),
               platform::MessageButtons::YesNo)
        == platform::MessageResult::Yes;
}

GdiSpoolEstimator::GdiSpoolEstimator(config::Options& options, std::function<SpoolReadings()> readings)
    : options_(options), readings_(std::move(readings))
{ }

int GdiSpoolEstimator::value() const
{
    return options_.integer(config::opt::GDISpoolSize);
}

bool GdiSpoolEstimator::estimate(const SpoolFont& font)
{
    estimatedFor_ = font;
    return storeGdiSpoolSize(options_, estimateGdiSpoolSize(readings_()));
}

QString GdiSpoolEstimator::recalibrateAtStart(const SpoolFont& font)
{
    const int previous = value();
    estimate(font);
    return spoolRecalibratedNote(previous, value());
}

bool GdiSpoolEstimator::offerReestimate(platform::IMessageBox& box, const SpoolFont& current)
{
    // Nothing was estimated for any font in this session: there is no change to tell about.
    if (!estimatedFor_ || !askToReestimate(box, *estimatedFor_, current))
        return false;
    return estimate(current);
}

} // namespace quillon::print
