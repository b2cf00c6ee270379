// PDF navigation benchmark: writes a hundred listing pages with Qt's PDF writer, repeats them
// with qpdf up to --pages, and times adding a bookmark per file and per routine and a link on
// every page to the result, as a print run of a large project would.
//
//   quillon_bench_navigation [--pages N]
#include "BenchOptions.h"
#include "platform/pdf/QpdfNavigator.h"
#include "platform/qt/GuiStartup.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>

using namespace quillon;

namespace {

void writePages(const QString& path, int pages)
{
    QPdfWriter writer(path);
    writer.setResolution(600);
    QPainter painter(&writer);
    painter.setFont(QFont(QStringLiteral("Liberation Mono"), 9));
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            writer.newPage();
        for (int line = 0; line < 60; ++line)
            painter.drawText(QPointF(600, 800 + line * 95),
                QStringLiteral("%1     If mItems(i).Location = sWhere Then total = total + mItems(i).Price")
                    .arg(page * 60 + line, 6));
    }
}

// A file every 40 pages, a routine on each page, and a link on each page to a routine further on.
platform::DocumentNavigation navigation(int pages)
{
    platform::DocumentNavigation result;
    for (int page = 0; page < pages; ++page) {
        if (page % 40 == 0)
            result.outline.push_back({QStringLiteral("Module%1.bas").arg(page / 40), page, {}});
        result.outline.back().children.push_back({QStringLiteral("Routine%1 ü").arg(page), page, {}});
        result.links.push_back({page, QRectF(60, 90, 180, 11), (page * 37 + 11) % pages});
    }
    result.info = {QStringLiteral("Big project"), QStringLiteral("Listing"), QStringLiteral("Quillon"),
        QDateTime::currentDateTime()};
    return result;
}

} // namespace

int main(int argc, char** argv)
{
    platform::prepareGuiEnvironment();
    QGuiApplication app(argc, argv);
    const int pages = std::max(100, bench::intOption("--pages", 16000)) / 100 * 100;
    QTemporaryDir dir;
    const QString part = dir.filePath(QStringLiteral("part.pdf"));
    const QString target = dir.filePath(QStringLiteral("listing.pdf"));
    writePages(part, 100);
    QStringList args {QStringLiteral("--empty"), QStringLiteral("--pages")};
    for (int i = 0; i < pages / 100; ++i)
        args << part;
    args << QStringLiteral("--") << target;
    if (QProcess::execute(QStringLiteral("qpdf"), args) != 0) {
        std::fprintf(stderr, "qpdf could not make the %d-page file\n", pages);
        return 1;
    }
    const qint64 before = QFileInfo(target).size();
    const platform::DocumentNavigation added = navigation(pages);
    QElapsedTimer timer;
    timer.start();
    QString error;
    if (!platform::QpdfNavigator().addNavigation(target, added, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%d pages, %zu files, %zu links: %.2f s, %.1f MB -> %.1f MB, peak memory %ld MB\n", pages,
        added.outline.size(), added.links.size(), bench::elapsedSeconds(timer), double(before) / 1e6,
        double(QFileInfo(target).size()) / 1e6, usage.ru_maxrss / 1024);
    return 0;
}
