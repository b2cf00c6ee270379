#include "print/LinePrinter.h"

#include "config/SuppressibleMessages.h"
#include "model/Routine.h"
#include "model/TextPrimitives.h"
#include "platform/PrintSurface.h"

#include <algorithm>

namespace quillon::print {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

int HeadingRoom(const QString& text)
{
    if (text.contains(QLatin1String(":\\")) && text.contains(QLatin1Char('(')))
        return 6;
    for (const char* word : {"Sub", "Function", "Event Handler", "Aggregate", "Property Let", "Property Get",
                             "Property Set"}) {
        if (text.contains(QLatin1String(word), Qt::CaseInsensitive))
            return 4;
    }
    return 3;
}

// Colour of each column, from the segments (columns outside every segment: normal text).
std::vector<int> ColumnColours(const std::vector<Segment>& segments, int length)
{
    std::vector<int> colours(size_t(std::max(length, 0)), colour::Normal);
    for (const Segment& s : segments) {
        for (int c = std::max(s.start, 1); c <= std::min(s.end, length); ++c)
            colours[size_t(c - 1)] = s.colour;
    }
    return colours;
}

std::vector<Segment> SegmentsFromColours(const std::vector<int>& colours)
{
    std::vector<Segment> segments;
    for (size_t i = 0; i < colours.size(); ++i) {
        if (!segments.empty() && segments.back().colour == colours[i] && segments.back().end == int(i))
            segments.back().end = int(i + 1);
        else
            segments.push_back({int(i + 1), int(i + 1), colours[i]});
    }
    return segments;
}

QString LongLineQuestion(int count, const QString& line)
{
    QString start = model::trimBlanks(line).toString();
    while (start.startsWith(QLatin1String("[ZRK-"))) {
        const qsizetype close = start.indexOf(QLatin1Char(']'));
        if (close < 0)
            break;
        start.remove(0, close + 1);
    }
    const QString opening = count <= 1 ? QStringLiteral("A")
                                       : QStringLiteral("A") + QStringLiteral("nother (") + QString::number(count)
            + QLatin1Char(')');
    return opening + QStringLiteral(" source line is too long to fit within the printable ") + QStringLiteral("width.")
        + kCrLf + QStringLiteral("Click <Truncate> to clip the line ") + QStringLiteral("to fit (highlighted)") + kCrLf
        + QStringLiteral("Click <Wrap> to Wrap this line ") + QStringLiteral("(highlighted)") + kCrLf
        + QStringLiteral("Click <Cancel> to abort printing ") + QStringLiteral("this procedure") + kCrLf
        + QStringLiteral("Line Start - ") + start.left(30) + QStringLiteral(" ... ") + start.right(30);
}

QString WrapWarningText()
{
    return QStringLiteral("Wrapped lines do not follow the IDE convention of continuing a line with \" _\".  ")
        + QStringLiteral("The first line and each continuation line break at the optimum last space or backslash ")
        + QStringLiteral("that fits the printable width.") + kCrLf + kCrLf
        + QStringLiteral("Wrapped lines are printed on the \"Too Long Line BackColor\" background.") + kCrLf + kCrLf
        + QStringLiteral("Each wrapped line adds printed lines, so the total page count shown in the footer ")
        + QStringLiteral("may be understated from this point.");
}

} // namespace

LinePrinter::LinePrinter(PageFrame& frame, PrintRunState& run, config::SuppressibleMessages* messages)
    : frame_(frame), run_(run), messages_(messages)
{
}

double LinePrinter::Width(QStringView text) const
{
    return frame_.surface().TextWidth(text);
}

void LinePrinter::ProcessConnectorTags(QString& line)
{
    ConnectorState& state = frame_.Connectors;
    if (line.contains(QLatin1String("Calls:")) || line.contains(tag::Corner))
        state.previousLineY = 0;
    const QStringView trimmed = model::trimBlanks(line);
    if (trimmed == u"Files:" || (trimmed.startsWith(QLatin1String("File ")) && trimmed.contains(QLatin1String(" = ")))) {
        state.columns.clear();
        state.previousLineY = 0;
        return;
    }
    state.columns.clear();
    if (!line.contains(QLatin1String("[ZRK-")))
        return;
    static const std::pair<const QString*, int> kinds[] = {
        {&tag::Corner, 1}, {&tag::Tee, 2}, {&tag::Last, 3}, {&tag::Vertical, 4}, {&tag::Empty, 0}};
    // One pass from left to right: the earliest tag is always the next one met.
    QString out;
    out.reserve(line.size());
    qsizetype i = 0;
    while (i < line.size()) {
        const qsizetype open = line.indexOf(QLatin1String("[ZRK-"), i);
        if (open < 0) {
            out += QStringView(line).sliced(i);
            break;
        }
        out += QStringView(line).sliced(i, open - i);
        bool matched = false;
        for (const auto& [text, kind] : kinds) {
            if (QStringView(line).sliced(open).startsWith(*text)) {
                if (int(state.columns.size()) < ConnectorState::kMaxColumns)
                    state.columns.push_back({kind, Width(out)});
                out += QStringLiteral("  ");
                i = open + text->size();
                matched = true;
                frame_.ConnectorsInUse = true;
                break;
            }
        }
        if (!matched) {
            out += line[open];
            i = open + 1;
        }
    }
    line = out;
}

void LinePrinter::PrintSourceLine(const QString& line, const model::Routine* routine, bool& continueFlag,
                                  bool background)
{
    QString text = ExpandTabs(line, frame_.geometry().IdeTabWidth);
    if (text.isEmpty()) {
        ++run_.stats.blankLines;
        frame_.surface().PrintText(u"", true);
        return;
    }
    LineFlags flags;
    flags.newPage = TakeTag(tag::NewPage, text);
    flags.heading = TakeTag(tag::Heading, text);
    flags.bold = TakeTag(tag::Bold, text);
    ProcessConnectorTags(text);
    HighlightContext context;
    context.symbols = Symbols;
    context.tocPrint = run_.tocPrint;
    if (routine) {
        context.filePath = routine->FilePath;
        context.routineName = routine->RoutineName;
        context.isDeclarations = routine->IsDeclarations;
    }
    const std::vector<Segment> segments = BuildHighlightSegments(text, context);
    if (Width(text) <= frame_.geometry().PrintableWidth)
        Print(text, background, segments, flags);
    else
        LongLineAction(text, routine, continueFlag, segments, flags);
}

void LinePrinter::PrintLine(QString line, bool background)
{
    LineFlags flags;
    flags.newPage = TakeTag(tag::NewPage, line);
    flags.bold = TakeTag(tag::Bold, line);
    flags.heading = TakeTag(tag::Heading, line);
    Print(line, background, {}, flags);
}

void LinePrinter::NewPageKeepingConnectors()
{
    const std::vector<ConnectorColumn> saved = frame_.Connectors.columns;
    frame_.PrintFooter();
    frame_.StartPage();
    frame_.Connectors.columns = saved;
}

void LinePrinter::FitOnPage(double rows)
{
    if (frame_.surface().CurrentY() + rows * frame_.geometry().CharHeight > frame_.Bottom)
        NewPageKeepingConnectors();
}

void LinePrinter::Print(const QString& text, bool background, const std::vector<Segment>& segments,
                        const LineFlags& flags)
{
    platform::IPrintSurface& s = frame_.surface();
    const PageGeometry& g = frame_.geometry();
    if (flags.newPage) {
        frame_.PrintFooter();
        frame_.StartPage();
    }
    if (flags.heading)
        FitOnPage(HeadingRoom(text));
    FitOnPage(1);
    const double y0 = s.CurrentY();
    if (background)
        s.FillBox(frame_.Left, y0, frame_.Left + g.PrintableWidth, y0 + g.CharHeight, Colours[colour::LongLineBand]);
    s.SetCurrentY(y0);
    s.SetCurrentX(frame_.Left);
    ++run_.stats.printedLines;
    if (flags.bold) {
        s.SetBold(true);
        s.SetTextColor(Colours[colour::Normal]);
        s.PrintText(text, true);
        s.SetBold(false);
        return;
    }
    if (segments.empty()) {
        s.SetTextColor(Colours[colour::Normal]);
        s.PrintText(text, true);
        return;
    }
    const int length = int(text.size());
    for (const Segment& segment : segments) {
        if (segment.start < 1)
            continue;
        const int end = std::min(segment.end, length);
        if (end < segment.start)
            continue;
        const int index = segment.colour == colour::LongLineBand ? colour::Normal : segment.colour;
        s.SetTextColor(Colours[size_t(std::clamp(index, 0, 9))]);
        s.PrintText(QStringView(text).sliced(segment.start - 1, end - segment.start + 1), false);
    }
    DrawConnectors(flags);
    s.PrintText(u"", true);
}

void LinePrinter::DrawConnectors(const LineFlags& flags)
{
    ConnectorState& state = frame_.Connectors;
    if (state.columns.empty())
        return;
    platform::IPrintSurface& s = frame_.surface();
    const double x0 = s.CurrentX();
    const double top = s.CurrentY();
    if (state.previousLineY > 0 && top > state.previousLineY)
        state.lineAdvance = top - state.previousLineY;
    if (state.lineAdvance <= 0)
        state.lineAdvance = frame_.geometry().LineAdvance;
    const double height = state.lineAdvance;
    const double middle = top + height / 2;
    const double bottom = top + height;
    const double twoBlanks = Width(u"  ");
    const quint32 ink = Colours[colour::Normal];
    const size_t count = state.columns.size();
    for (size_t i = 0; i < count; ++i) {
        const ConnectorColumn& column = state.columns[i];
        const double left = frame_.Left + column.x;
        const double centre = left + twoBlanks / 2;
        const double right = left + twoBlanks;
        int kind = column.kind;
        if (i + 1 < count)
            kind = column.kind != 0 ? 4 : 0;
        else if (flags.wrappedPiece)
            kind = !flags.lastPiece ? 4 : (column.kind == 4 ? 4 : 3);
        switch (kind) {
        case 1:
            s.DrawLine(centre, middle, centre, bottom, ink, 3, platform::LineStyle::Solid);
            s.DrawLine(centre, middle, right, middle, ink, 3, platform::LineStyle::Solid);
            break;
        case 2:
            s.DrawLine(centre, top, centre, bottom, ink, 3, platform::LineStyle::Solid);
            s.DrawLine(centre, middle, right, middle, ink, 3, platform::LineStyle::Solid);
            break;
        case 3:
            s.DrawLine(centre, top, centre, middle, ink, 3, platform::LineStyle::Solid);
            s.DrawLine(centre, middle, right, middle, ink, 3, platform::LineStyle::Solid);
            break;
        case 4: s.DrawLine(centre, top, centre, bottom, ink, 3, platform::LineStyle::Solid); break;
        default: break;
        }
    }
    state.previousLineY = top;
    s.SetCurrentX(x0);
    s.SetCurrentY(top);
}

QString LinePrinter::TruncateToFit(const QString& line) const
{
    const double available = frame_.geometry().PrintableWidth - Width(u" ...");
    const int length = int(line.size());
    // The first n whose prefix reaches the available width; widths grow with n.
    int low = 1;
    int high = std::max(length, 1);
    while (low < high) {
        const int mid = (low + high) / 2;
        if (Width(QStringView(line).left(mid)) >= available)
            high = mid;
        else
            low = mid + 1;
    }
    const int n = low;
    return line.left(n - 1) + QStringLiteral(" ...");
}

void LinePrinter::LongLineAction(const QString& line, const model::Routine* routine, bool& continueFlag,
                                 const std::vector<Segment>& segments, const LineFlags& flags)
{
    const bool dependency = routine && model::KindIs(*routine, QLatin1StringView("DEPENDENCY"));
    int answer = 1;
    if (!dependency && messages_) {
        messages_->Request.MessageKey = kLongLineKey;
        if (messages_->IsSuppressed()) {
            answer = messages_->StoredAnswer();
        } else {
            ++run_.overLongLines;
            config::Warning question;
            question.key = kLongLineKey;
            question.title = QStringLiteral("Long Line Action");
            question.icon = QStringLiteral("!");
            question.text = LongLineQuestion(run_.overLongLines, line);
            question.buttons = {QStringLiteral("Truncate"), QStringLiteral("Wrap"), QStringLiteral("Cancel")};
            answer = messages_->Ask(question);
        }
    }
    if (answer == 0) {
        const QString cut = TruncateToFit(line);
        std::vector<int> colours = ColumnColours(segments, int(line.size()));
        colours.resize(size_t(std::max<qsizetype>(cut.size() - 4, 0)));
        colours.insert(colours.end(), 4, colour::Normal);
        Print(cut, true, SegmentsFromColours(colours), flags);
        return;
    }
    if (answer == 1) {
        if (!dependency && messages_) {
            const config::Warning warning =
                config::Warning::Notice(kWrapWarningKey, QStringLiteral("Wrap Warning"), QStringLiteral("I"), WrapWarningText());
            if (messages_->Ask(warning) != 0) {
                Print(line, false, segments, flags);
                return;
            }
        }
        Wrap(line, segments, flags);
        return;
    }
    AbandonNotice(line);
    continueFlag = false;
}

void LinePrinter::AbandonNotice(const QString& line)
{
    platform::IPrintSurface& s = frame_.surface();
    run_.abort = true;
    s.SetTextColor(Colours[colour::Global]);
    s.PrintText(u"", true);
    FitOnPage(1);
    s.SetCurrentX(frame_.Left);
    s.PrintText(QStringLiteral("Procedure print aborted by user because the ") + QStringLiteral("next code line was too long."),
                true);
    FitOnPage(1);
    s.SetCurrentX(frame_.Left);
    s.PrintText(TruncateToFit(QStringLiteral("LONG LINE START:  ") + line), true);
}

void LinePrinter::WrapAndPrint(QString line)
{
    LineFlags flags;
    flags.newPage = TakeTag(tag::NewPage, line);
    flags.heading = TakeTag(tag::Heading, line);
    flags.bold = TakeTag(tag::Bold, line);
    Wrap(line, {}, flags);
}

void LinePrinter::Wrap(const QString& line, const std::vector<Segment>& segments, const LineFlags& flags)
{
    const PageGeometry& g = frame_.geometry();
    const double printable = g.PrintableWidth;
    const double maximum = printable - Width(u"\" & _");
    const int indent = int(line.size() - model::trimLeadingBlanks(line).size());
    int continuation = indent + frame_.setup().CodeIndent;
    // An indent so deep that nothing fits after it would never end the line: start at column 1.
    if (Width(QString(continuation + 1, QLatin1Char('X'))) > maximum)
        continuation = 0;
    const std::vector<int> colours = ColumnColours(segments, int(line.size()));

    // The remaining text is `pad` blanks followed by the line from index `from`.
    int pad = 0;
    int from = 0;
    LineFlags pieceFlags = flags;
    pieceFlags.wrappedPiece = true;
    while (true) {
        const QString rest = QString(pad, QLatin1Char(' ')) + line.mid(from);
        auto measure = [&](int n) { return Width(QStringView(rest).left(n)); };
        const bool last = Width(rest) <= printable;
        int pieceLength = int(rest.size());
        int restStart = pieceLength;
        if (!last) {
            const WrapBreak found = FindBreak(rest, continuation, maximum, measure);
            pieceLength = found.pieceLength;
            restStart = found.restStart;
            if (measure(pieceLength) > printable) {
                int fits = pieceLength;
                while (fits > 1 && measure(fits) > printable)
                    --fits;
                pieceLength = restStart = fits;
            }
            // Every piece takes at least one character of the line itself.
            if (restStart <= pad)
                pieceLength = restStart = pad + 1;
        }
        std::vector<int> pieceColours;
        pieceColours.reserve(size_t(pieceLength));
        for (int j = 0; j < pieceLength; ++j)
            pieceColours.push_back(j < pad ? colour::Normal : colours[size_t(from + j - pad)]);
        pieceFlags.lastPiece = last;
        Print(rest.left(pieceLength), true, SegmentsFromColours(pieceColours), pieceFlags);
        ++run_.stats.wrappedLines;
        pieceFlags.newPage = false;
        pieceFlags.heading = false;
        if (last)
            break;
        from += restStart - pad;
        pad = continuation;
        if (from >= int(line.size()))
            break;
    }
}

} // namespace quillon::print
