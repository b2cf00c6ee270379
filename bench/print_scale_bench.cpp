// Printing at scale, without a printer: highlighting one very long source line, and indexing
// a table of contents list that holds many more keys than the project has routines.
//
//   quillon_bench_print_scale [--repeats N] [--keys N]
//
// Prints what each step produced and how long it took; a result that is not what the step
// must produce is reported and makes the exit status 1.
#include "BenchOptions.h"
#include "config/Ini.h"
#include "model/DiagLog.h"
#include "model/ProjectLoader.h"
#include "print/Highlight.h"
#include "print/TableOfContents.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

using namespace quillon;

namespace {

// `Left("x") ` repeated: four segments each (name, bracket, literal, the rest).
bool highlightLongLine(int repeats)
{
    QString line;
    for (int i = 0; i < repeats; ++i)
        line += QStringLiteral("Left(\"x\") ");
    QElapsedTimer timer;
    timer.start();
    const std::vector<print::Segment> segments = print::buildHighlightSegments(line, print::HighlightContext());
    const double seconds = bench::elapsedSeconds(timer);
    const bool ok =
        segments.size() == size_t(repeats) * 4 && !segments.empty() && segments.back().end == int(line.size());
    std::printf("highlight one line of %lld characters: %zu segments in %.3f s%s\n",
        static_cast<long long>(line.size()), segments.size(), seconds, ok ? "" : " - WRONG SEGMENTS");
    return ok;
}

// A small module beside a list of `keys` entries for routines that no longer exist: the
// index keeps every stale entry, adds the module's own, and writes the list once.
bool indexLargeList(int keys)
{
    QTemporaryDir dir;
    const auto write = [&dir](const QString& name, const QByteArray& bytes) {
        QFile file(dir.filePath(name));
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    };
    if (!write(
            QStringLiteral("modA.bas"), "Attribute VB_Name = \"modA\"\r\nPublic Sub Main()\r\n    x = 1\r\nEnd Sub\r\n")
        || !write(QStringLiteral("App.vbp"), "Module=modA; modA.bas\r\n"))
        return false;
    model::DiagLog log {QString()};
    model::Project project;
    if (!project.openProject(dir.filePath(QStringLiteral("App.vbp"))))
        return false;
    config::IniStore options(dir.filePath(QStringLiteral("QLN.spi")), &log);
    print::TocList list(options);
    if (!list.open(project.projectPath))
        return false;
    std::vector<std::pair<QString, QString>> stale;
    for (int i = 0; i < keys; ++i)
        stale.emplace_back(QStringLiteral("old%1.bas|Public Sub P%1").arg(i), QStringLiteral("45000|1S|1|0|0|1|Sub"));
    config::IniDocument doc;
    doc.setValues(print::tocSectionName(project.projectPath), stale);
    if (!options.save(doc, list.path()))
        return false;

    QElapsedTimer timer;
    timer.start();
    const bool indexed = list.index(project).ok();
    const double seconds = bench::elapsedSeconds(timer);
    const size_t entries = list.entries().size();
    // The module's Declarations and Main join the stale keys.
    const bool ok = indexed && entries == size_t(keys) + 2;
    std::printf("index a list of %d stale keys: %s, %zu entries in %.3f s%s\n", keys, indexed ? "written" : "FAILED",
        entries, seconds, ok ? "" : " - WRONG ENTRIES");
    return ok;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int repeats = bench::intOption("--repeats", 200000);
    const int keys = bench::intOption("--keys", 20000);
    const bool highlighted = highlightLongLine(repeats);
    const bool indexed = indexLargeList(keys);
    return highlighted && indexed ? 0 : 1;
}
