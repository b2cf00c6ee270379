#pragma once
#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

namespace quillon::config {
class Options;
}
namespace quillon::platform {
class IMessageBox;
}

namespace quillon::print {

// The GDI Spool Size: the most printed lines one output file may take, estimated from what the
// machine has left.

// What the machine has left, read once per estimate. Unknown values fall back to 512 MiB of
// memory and 500 MiB of disk.
struct SpoolReadings {
    std::optional<qint64> availableMemoryBytes;
    std::optional<qint64> freeDiskBytes;
    qint64 objectsInUse = 0; // file descriptors the process holds (a bad negative reading counts as 0)
};

// MemAvailable of /proc/meminfo, free space of the temporary folder's file system and the
// entries of /proc/self/fd.
SpoolReadings readSpoolReadings(const QString& tempFolder);
// The "MemAvailable:" line of a /proc/meminfo text, in bytes.
std::optional<qint64> parseMemAvailable(const QByteArray& meminfo);

// 95 % of the smallest of the memory, disk and handle terms, the size kept within 500..8000.
int estimateGdiSpoolSize(const SpoolReadings& readings);
inline constexpr int kMinimumSpoolSize = 500;
inline constexpr int kMaximumSpoolSize = 8000;

// The start-up note when the estimate moved a value that was in use; empty when the previous
// value was 0 or is unchanged.
QString spoolRecalibratedNote(int previous, int estimate);
// Stores the value in the options and writes the options file.
bool storeGdiSpoolSize(config::Options& options, int value);

// The body font the last estimate was made for.
struct SpoolFont {
    QString name;
    double size = 0;
    bool operator==(const SpoolFont&) const = default;
};
// Before a print command: asks "GDI Spool Size" when the font has changed since the last
// estimate. True when the user wants a new estimate.
bool askToReestimate(platform::IMessageBox& box, const SpoolFont& estimatedFor, const SpoolFont& current);

// The estimate over a session: made at program start, offered again before a print command
// when the body font has changed since.
class GdiSpoolEstimator {
public:
    GdiSpoolEstimator(config::Options& options, std::function<SpoolReadings()> readings);

    // Estimates and stores a new value for the font; false when the options file could not be written.
    bool estimate(const SpoolFont& font);
    // At program start: estimates and stores, and gives the note for the status text when a
    // value that was in use moved (empty otherwise).
    QString recalibrateAtStart(const SpoolFont& font);
    // Before a print command: asks when the font differs from the last estimate's and
    // estimates again on Yes. True when a new value was stored.
    bool offerReestimate(platform::IMessageBox& box, const SpoolFont& current);

    const std::optional<SpoolFont>& estimatedFor() const { return estimatedFor_; }
    int value() const;

private:
    config::Options& options_;
    std::function<SpoolReadings()> readings_;
    std::optional<SpoolFont> estimatedFor_;
};

} // namespace quillon::print
