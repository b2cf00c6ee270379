#include "print/PageFrame.h"

#include "config/Options.h"
#include "model/Routine.h"
#include "model/SourceText.h"
#include "model/TextPrimitives.h"
#include "platform/PrintSurface.h"

#include <cmath>

namespace quillon::print {

using config::kLeft;
using config::kTop;
using config::PageGeometry;
using config::PageSetup;
using config::PrintDevice;

PageFrame::PageFrame(PrintDevice& printer, PrintRunState& run) : printer_(printer), run_(run)
{ }

platform::IPrintSurface& PageFrame::surface() const
{
    return printer_.surface();
}

const PageGeometry& PageFrame::geometry() const
{
    return printer_.geometry();
}

const PageSetup& PageFrame::setup() const
{
    return printer_.setup();
}

void PageFrame::startPage()
{
    platform::IPrintSurface& s = surface();
    const PageGeometry& g = geometry();
    if (!firstPageOfDocument)
        s.newPage();
    firstPageOfDocument = false;
    if (connectorsInUse) {
        connectors.columns.clear();
        connectors.previousLineY = 0;
        connectors.lineAdvance = g.charHeight;
    }
    ++pageNumber;
    top = g.headerBandHeight + g.marginTwips[kTop];
    left = g.marginTwips[kLeft];
    if (setup().bindingEdge != 0 && setup().duplex && pageNumber % 2 == 1) {
        top += g.binderHeight;
        left += g.binderWidth;
    }
    printer_.drawFoldingGuide();

    s.setFontSize(1.2 * setup().fontSize);
    s.setBold(true);
    s.setTextColor(normalTextColour);
    bottom = top + g.printableHeight;
    const QString title = headerTitle + (pageNumber > 1 ? QStringLiteral(" (cont.)") : QString());
    s.setCurrentY(top - 2 * g.headerBandHeight / 3);
    s.setCurrentX(left + (g.printableWidth - s.textWidth(title)) / 2);
    s.printText(title, true);
    s.setBold(false);
    s.setFontSize(setup().fontSize);
    s.printText(u"", true);
    if (pageNumber == 1 && routineStarted)
        routineStarted();
}

void PageFrame::printFooter()
{
    platform::IPrintSurface& s = surface();
    const PageGeometry& g = geometry();
    s.setCurrentY(top + g.printableHeight);
    s.setFontSize(0.8 * setup().fontSize);
    s.setTextColor(normalTextColour);
    s.setCurrentX(left);
    s.printText(g.printDateText, false);
    QString pages = QStringLiteral("Page ") + QString::number(pageNumber) + QStringLiteral(" of ") + totalPagesText;
    if (estimateFlag)
        pages += QStringLiteral(" (est)");
    s.setCurrentX(left + (g.printableWidth - s.textWidth(pages)) / 2);
    s.printText(pages, false);
    const QString version = config::versionText();
    s.setCurrentX(left + g.printableWidth - s.textWidth(version));
    s.printText(version, true);
    const QString printedWith = QStringLiteral("Printed with Quillon ") + config::noticeText();
    s.setCurrentX(left + (g.printableWidth - s.textWidth(printedWith)) / 2);
    s.printText(printedWith, true);
    s.setFontSize(setup().fontSize);
}

void PageFrame::printBlankPage()
{
    startPage();
    platform::IPrintSurface& s = surface();
    const PageGeometry& g = geometry();
    const QString notice = QStringLiteral("(This Page Intentionally Left Blank)");
    s.setCurrentY(top + (g.printableHeight - s.textHeight(notice)) / 2);
    s.setCurrentX(left + (g.printableWidth - s.textWidth(notice)) / 2);
    s.printText(notice, true);
    printFooter();
}

void PageFrame::endRoutine()
{
    printFooter();
    if (pageNumber % 2 == 1 && setup().duplex && !run_.abort)
        printBlankPage();
    estimateFlag = false;
}

int PageFrame::estimatePages(const model::Routine& routine, const model::SourceReader* reader, int imagePages)
{
    platform::IPrintSurface& s = surface();
    const PageGeometry& g = geometry();
    s.setFontName(setup().fontName);
    s.setFontSize(setup().fontSize);
    linesPerPage = g.charHeight > 0 ? g.printableHeight / g.charHeight : 1;
    if (linesPerPage < 1)
        linesPerPage = 1;
    double lines = double(routine.endLine) - double(routine.startLine) + 1;
    const bool toc = model::isTableOfContents(routine);
    if (toc && reader) {
        const QStringList fileLines = reader->read(routine.filePath).valueOr({}).lines;
        const qsizetype last = std::min<qsizetype>(routine.endLine, fileLines.size());
        for (qsizetype i = 0; i < last; ++i) {
            QString text = fileLines[i];
            if (text.startsWith(QLatin1String("[ZRK-B] ")))
                text.remove(0, 8);
            else if (text.startsWith(QLatin1String("[ZRK-B]")))
                text.remove(0, 7);
            if (s.textWidth(model::trimBlanks(text)) > g.printableWidth)
                lines += 1;
        }
    }
    const double exact = lines / linesPerPage;
    int pages = int(std::floor(exact));
    if (exact > pages)
        ++pages;
    if (toc)
        pages += 3;
    if (routine.kind == model::RoutineKind::Image && imagePages > 0)
        pages = imagePages;
    if (setup().duplex && pages % 2 == 1)
        ++pages;
    estimatedPages = pages;
    totalPagesText = QString::number(pages);
    estimateFlag = true;
    run_.stats.reset();
    return pages;
}

} // namespace quillon::print
