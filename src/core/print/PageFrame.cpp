#include "print/PageFrame.h"

#include "config/Options.h"
#include "model/Routine.h"
#include "model/SourceText.h"
#include "model/TextPrimitives.h"
#include "platform/PrintSurface.h"

#include <cmath>

namespace quillon::print {

PageFrame::PageFrame(PrintDevice& printer, PrintRunState& run) : printer_(printer), run_(run) {}

platform::IPrintSurface& PageFrame::surface() const
{
    return printer_.surface();
}

const PageGeometry& PageFrame::geometry() const
{
    return printer_.Geometry();
}

const PageSetup& PageFrame::setup() const
{
    return printer_.setup();
}

void PageFrame::StartPage()
{
    platform::IPrintSurface& s = surface();
    const PageGeometry& g = geometry();
    if (!FirstPageOfDocument)
        s.NewPage();
    FirstPageOfDocument = false;
    if (ConnectorsInUse) {
        Connectors.columns.clear();
        Connectors.previousLineY = 0;
        Connectors.lineAdvance = g.CharHeight;
    }
    ++PageNumber;
    Top = g.HeaderBandHeight + g.MarginTwips[kTop];
    Left = g.MarginTwips[kLeft];
    if (setup().BindingEdge != 0 && setup().Duplex && PageNumber % 2 == 1) {
        Top += g.BinderHeight;
        Left += g.BinderWidth;
    }
    printer_.DrawFoldingGuide();

    s.SetFontSize(1.2 * setup().FontSize);
    s.SetBold(true);
    s.SetTextColor(NormalTextColour);
    Bottom = Top + g.PrintableHeight;
    const QString title = HeaderTitle + (PageNumber > 1 ? QStringLiteral(" (cont.)") : QString());
    s.SetCurrentY(Top - 2 * g.HeaderBandHeight / 3);
    s.SetCurrentX(Left + (g.PrintableWidth - s.TextWidth(title)) / 2);
    s.PrintText(title, true);
    s.SetBold(false);
    s.SetFontSize(setup().FontSize);
    s.PrintText(u"", true);
}

void PageFrame::PrintFooter()
{
    platform::IPrintSurface& s = surface();
    const PageGeometry& g = geometry();
    s.SetCurrentY(Top + g.PrintableHeight);
    s.SetFontSize(0.8 * setup().FontSize);
    s.SetTextColor(NormalTextColour);
    s.SetCurrentX(Left);
    s.PrintText(g.PrintDateText, false);
    QString pages = QStringLiteral("Page ") + QString::number(PageNumber) + QStringLiteral(" of ") + TotalPagesText;
    if (EstimateFlag)
        pages += QStringLiteral(" (est)");
    s.SetCurrentX(Left + (g.PrintableWidth - s.TextWidth(pages)) / 2);
    s.PrintText(pages, false);
    const QString version = config::VersionText();
    s.SetCurrentX(Left + g.PrintableWidth - s.TextWidth(version));
    s.PrintText(version, true);
    const QString printedWith = QStringLiteral("Printed with Quillon ") + config::NoticeText();
    s.SetCurrentX(Left + (g.PrintableWidth - s.TextWidth(printedWith)) / 2);
    s.PrintText(printedWith, true);
    s.SetFontSize(setup().FontSize);
}

void PageFrame::PrintBlankPage()
{
    StartPage();
    platform::IPrintSurface& s = surface();
    const PageGeometry& g = geometry();
    const QString notice = QStringLiteral("(This Page Intentionally Left Blank)");
    s.SetCurrentY(Top + (g.PrintableHeight - s.TextHeight(notice)) / 2);
    s.SetCurrentX(Left + (g.PrintableWidth - s.TextWidth(notice)) / 2);
    s.PrintText(notice, true);
    PrintFooter();
}

void PageFrame::EndRoutine()
{
    PrintFooter();
    if (PageNumber % 2 == 1 && setup().Duplex && !run_.abort)
        PrintBlankPage();
    EstimateFlag = false;
}

int PageFrame::EstimatePages(const model::Routine& routine, const model::SourceReader* reader, int imagePages)
{
    platform::IPrintSurface& s = surface();
    const PageGeometry& g = geometry();
    s.SetFontName(setup().FontName);
    s.SetFontSize(setup().FontSize);
    LinesPerPage = g.CharHeight > 0 ? g.PrintableHeight / g.CharHeight : 1;
    if (LinesPerPage < 1)
        LinesPerPage = 1;
    double lines = double(routine.endLine) - double(routine.startLine) + 1;
    const bool toc = model::KindIs(routine, QLatin1StringView("TOC"));
    if (toc && reader) {
        const model::SourceFile file = reader->Read(routine.FilePath);
        const qsizetype last = std::min<qsizetype>(routine.endLine, file.lines.size());
        for (qsizetype i = 0; i < last; ++i) {
            QString text = file.lines[i];
            if (text.startsWith(QLatin1String("[ZRK-B] ")))
                text.remove(0, 8);
            else if (text.startsWith(QLatin1String("[ZRK-B]")))
                text.remove(0, 7);
            if (s.TextWidth(model::trimBlanks(text)) > g.PrintableWidth)
                lines += 1;
        }
    }
    const double exact = lines / LinesPerPage;
    int pages = int(std::floor(exact));
    if (exact > pages)
        ++pages;
    if (toc)
        pages += 3;
    if (model::KindIs(routine, QLatin1StringView("IMAGE")) && imagePages > 0)
        pages = imagePages;
    if (setup().Duplex && pages % 2 == 1)
        ++pages;
    EstimatedPages = pages;
    TotalPagesText = QString::number(pages);
    EstimateFlag = true;
    run_.stats.Reset();
    return pages;
}

} // namespace quillon::print
