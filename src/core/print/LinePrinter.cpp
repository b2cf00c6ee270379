#include "print/LinePrinter.h"

#include "aids/LineBreak.h"
#include "config/SuppressibleMessages.h"
#include "model/Routine.h"
#include "model/TextPrimitives.h"
#include "platform/PrintSurface.h"

#include <algorithm>

namespace quillon::print {

using config::PageGeometry;
using model::ListingMark;

namespace {

using model::kCrLf;

int headingRoom(const QString& text)
{
    if (text.contains(QLatin1String(":\\")) && text.contains(QLatin1Char('(')))
        return 6;
    for (const char* word :
        {"Sub", "Function", "Event Handler", "Aggregate", "Property Let", "Property Get", "Property Set"}) {
        if (text.contains(QLatin1String(word), Qt::CaseInsensitive))
            return 4;
    }
    return 3;
}

// Colour of each column, from the segments (columns outside every segment: normal text).
std::vector<int> columnColours(const std::vector<Segment>& segments, int length)
{
    std::vector<int> colours(size_t(std::max(length, 0)), colour::Normal);
    for (const Segment& s : segments) {
        for (int c = std::max(s.start, 1); c <= std::min(s.end, length); ++c)
            colours[size_t(c - 1)] = s.colour;
    }
    return colours;
}

std::vector<Segment> segmentsFromColours(const std::vector<int>& colours)
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

QString longLineQuestion(int count, const QString& line)
{
    const QString start = model::trimBlanks(line).toString();
    const QString opening = count <= 1
        ? QStringLiteral("A")
        : QStringLiteral("A") + QStringLiteral("nother (") + QString::number(count) + QLatin1Char(')');
    return opening + QStringLiteral(" source line is too long to fit within the printable ") + QStringLiteral("width.")
        + kCrLf + QStringLiteral("Click <Truncate> to clip the line ") + QStringLiteral("to fit (highlighted)") + kCrLf
        + QStringLiteral("Click <Wrap> to Wrap this line ") + QStringLiteral("(highlighted)") + kCrLf
        + QStringLiteral("Click <Cancel> to abort printing ") + QStringLiteral("this procedure") + kCrLf
        + QStringLiteral("Line Start - ") + start.left(30) + QStringLiteral(" ... ") + start.right(30);
}

QString wrapWarningText()
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
{ }

double LinePrinter::width(QStringView text) const
{
    return frame_.surface().textWidth(text);
}

void LinePrinter::placeConnectors(const model::ListingLine& line, const QString& text)
{
    ConnectorState& state = frame_.connectors;
    // Where a tree or a block begins, the line advance is measured afresh.
    const bool opens = std::any_of(line.connectors.begin(), line.connectors.end(),
        [](const model::Connector& c) { return c.kind == ListingMark::Corner; });
    if (opens || text.contains(QLatin1String("Calls:")))
        state.previousLineY = 0;
    state.columns.clear();
    if (line.connectors.empty()) {
        const QStringView trimmed = model::trimBlanks(text);
        if (trimmed == u"Files:"
            || (trimmed.startsWith(QLatin1String("File ")) && trimmed.contains(QLatin1String(" = "))))
            state.previousLineY = 0;
        return;
    }
    frame_.connectorsInUse = true;
    const int tabWidth = frame_.geometry().ideTabWidth;
    for (const model::Connector& connector : line.connectors) {
        if (int(state.columns.size()) >= ConnectorState::kMaxColumns)
            break;
        const qsizetype column = std::clamp<qsizetype>(connector.column, 0, line.text.size());
        state.columns.push_back({connector.kind, width(expandTabs(QStringView(line.text).first(column), tabWidth))});
    }
}

void LinePrinter::printListingLine(
    const model::ListingLine& line, const model::Routine* routine, bool& continueFlag, model::ListingColours colours)
{
    if (line.isEmpty()) {
        ++run_.stats.blankLines;
        frame_.surface().printText(u"", true);
        return;
    }
    const QString text = expandTabs(line.text, frame_.geometry().ideTabWidth);
    LineFlags flags;
    flags.newPage = line.has(ListingMark::NewPage);
    flags.heading = line.has(ListingMark::KeepWithNext);
    flags.bold = line.has(ListingMark::Bold);
    placeConnectors(line, text);
    HighlightContext context;
    context.symbols = symbols;
    context.colours = colours;
    if (routine) {
        context.file = routine->filePath;
        context.routineName = routine->routineName;
        context.isDeclarations = routine->isDeclarations;
    }
    const std::vector<Segment> segments = buildHighlightSegments(text, context);
    if (width(text) <= frame_.geometry().printableWidth)
        print(text, false, segments, flags);
    else
        longLineAction(text, routine, continueFlag, segments, flags);
}

void LinePrinter::newPageKeepingConnectors()
{
    const std::vector<ConnectorColumn> saved = frame_.connectors.columns;
    frame_.printFooter();
    frame_.startPage();
    frame_.connectors.columns = saved;
}

void LinePrinter::fitOnPage(double rows)
{
    if (frame_.surface().currentY() + rows * frame_.geometry().charHeight > frame_.bottom)
        newPageKeepingConnectors();
}

void LinePrinter::print(
    const QString& text, bool background, const std::vector<Segment>& segments, const LineFlags& flags)
{
    platform::IPrintSurface& s = frame_.surface();
    const PageGeometry& g = frame_.geometry();
    if (flags.newPage) {
        frame_.printFooter();
        frame_.startPage();
    }
    if (flags.heading)
        fitOnPage(headingRoom(text));
    fitOnPage(1);
    const double y0 = s.currentY();
    if (background)
        s.fillBox(frame_.left, y0, frame_.left + g.printableWidth, y0 + g.charHeight, colours[colour::LongLineBand]);
    s.setCurrentY(y0);
    s.setCurrentX(frame_.left);
    ++run_.stats.printedLines;
    if (flags.bold) {
        s.setBold(true);
        s.setTextColor(colours[colour::Normal]);
        s.printText(text, true);
        s.setBold(false);
        return;
    }
    if (segments.empty()) {
        s.setTextColor(colours[colour::Normal]);
        s.printText(text, true);
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
        s.setTextColor(colours[size_t(std::clamp(index, 0, 9))]);
        s.printText(QStringView(text).sliced(segment.start - 1, end - segment.start + 1), false);
    }
    drawConnectors(flags);
    s.printText(u"", true);
}

void LinePrinter::drawConnectors(const LineFlags& flags)
{
    ConnectorState& state = frame_.connectors;
    if (state.columns.empty())
        return;
    platform::IPrintSurface& s = frame_.surface();
    const double x0 = s.currentX();
    const double top = s.currentY();
    if (state.previousLineY > 0 && top > state.previousLineY)
        state.lineAdvance = top - state.previousLineY;
    if (state.lineAdvance <= 0)
        state.lineAdvance = frame_.geometry().lineAdvance;
    const double height = state.lineAdvance;
    const double middle = top + height / 2;
    const double bottom = top + height;
    const double twoBlanks = width(u"  ");
    const quint32 ink = colours[colour::Normal];
    const size_t count = state.columns.size();
    for (size_t i = 0; i < count; ++i) {
        const ConnectorColumn& column = state.columns[i];
        const double left = frame_.left + column.x;
        const double centre = left + twoBlanks / 2;
        const double right = left + twoBlanks;
        // Only the last column turns to the text; the ones before it pass by. The pieces of a
        // wrapped line pass by too, and the last one ends what the line ends.
        ListingMark kind = column.kind;
        if (i + 1 < count)
            kind = column.kind != ListingMark::Gap ? ListingMark::Vertical : ListingMark::Gap;
        else if (flags.wrappedPiece)
            kind = !flags.lastPiece || column.kind == ListingMark::Vertical ? ListingMark::Vertical : ListingMark::Last;
        if (kind == ListingMark::Gap)
            continue;
        // The stem: from the middle for a corner down, to the middle for a corner up; every
        // kind but the plain vertical then turns right at the middle towards the line's text.
        const double stemTop = kind == ListingMark::Corner ? middle : top;
        const double stemBottom = kind == ListingMark::Last ? middle : bottom;
        s.drawLine(centre, stemTop, centre, stemBottom, ink, 3, platform::LineStyle::Solid);
        if (kind != ListingMark::Vertical)
            s.drawLine(centre, middle, right, middle, ink, 3, platform::LineStyle::Solid);
    }
    state.previousLineY = top;
    s.setCurrentX(x0);
    s.setCurrentY(top);
}

QString LinePrinter::truncateToFit(const QString& line) const
{
    const double available = frame_.geometry().printableWidth - width(u" ...");
    const int length = int(line.size());
    // The first n whose prefix reaches the available width; widths grow with n.
    int low = 1;
    int high = std::max(length, 1);
    while (low < high) {
        const int mid = (low + high) / 2;
        if (width(QStringView(line).left(mid)) >= available)
            high = mid;
        else
            low = mid + 1;
    }
    const int n = low;
    return line.left(n - 1) + QStringLiteral(" ...");
}

void LinePrinter::longLineAction(const QString& line, const model::Routine* routine, bool& continueFlag,
    const std::vector<Segment>& segments, const LineFlags& flags)
{
    const bool dependency = routine && routine->kind == model::RoutineKind::Dependency;
    int answer = 1;
    if (!dependency && messages_) {
        messages_->request.messageKey = kLongLineKey;
        if (messages_->isSuppressed()) {
            answer = messages_->storedAnswer();
        } else {
            ++run_.overLongLines;
            config::Warning question;
            question.id = platform::MessageId::LongLineAction;
            question.key = kLongLineKey;
            question.title = QStringLiteral("Long Line Action");
            question.icon = platform::MessageIcon::Exclamation;
            question.text = longLineQuestion(run_.overLongLines, line);
            question.buttons = {QStringLiteral("Truncate"), QStringLiteral("Wrap"), QStringLiteral("Cancel")};
            answer = messages_->ask(question);
        }
    }
    if (answer == 0) {
        const QString cut = truncateToFit(line);
        std::vector<int> colours = columnColours(segments, int(line.size()));
        colours.resize(size_t(std::max<qsizetype>(cut.size() - 4, 0)));
        colours.insert(colours.end(), 4, colour::Normal);
        print(cut, true, segmentsFromColours(colours), flags);
        return;
    }
    if (answer == 1) {
        if (!dependency && messages_) {
            const config::Warning warning = config::Warning::notice(
                kWrapWarningKey, QStringLiteral("Wrap Warning"), platform::MessageIcon::Information, wrapWarningText());
            if (messages_->ask(warning) != 0) {
                print(line, false, segments, flags);
                return;
            }
        }
        wrap(line, segments, flags);
        return;
    }
    abandonNotice(line);
    continueFlag = false;
}

void LinePrinter::abandonNotice(const QString& line)
{
    platform::IPrintSurface& s = frame_.surface();
    run_.abort = true;
    s.setTextColor(colours[colour::Global]);
    s.printText(u"", true);
    fitOnPage(1);
    s.setCurrentX(frame_.left);
    s.printText(
        QStringLiteral("Procedure print aborted by user because the ") + QStringLiteral("next code line was too long."),
        true);
    fitOnPage(1);
    s.setCurrentX(frame_.left);
    s.printText(truncateToFit(QStringLiteral("LONG LINE START:  ") + line), true);
}

void LinePrinter::wrap(const QString& line, const std::vector<Segment>& segments, const LineFlags& flags)
{
    const PageGeometry& g = frame_.geometry();
    const double printable = g.printableWidth;
    const double maximum = printable - width(u"\" & _");
    const int indent = int(line.size() - model::trimLeadingBlanks(line).size());
    int continuation = indent + frame_.setup().codeIndent;
    // An indent so deep that nothing fits after it would never end the line: start at column 1.
    if (width(QString(continuation + 1, QLatin1Char('X'))) > maximum)
        continuation = 0;
    const std::vector<int> colours = columnColours(segments, int(line.size()));

    // The remaining text is `pad` blanks followed by the line from index `from`.
    int pad = 0;
    int from = 0;
    LineFlags pieceFlags = flags;
    pieceFlags.wrappedPiece = true;
    while (true) {
        const QString rest = QString(pad, QLatin1Char(' ')) + line.mid(from);
        auto measure = [&](int n) { return width(QStringView(rest).left(n)); };
        const bool last = width(rest) <= printable;
        int pieceLength = int(rest.size());
        int restStart = pieceLength;
        if (!last) {
            const aids::WrapBreak found = aids::findBreak(rest, continuation, maximum, measure);
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
        print(rest.left(pieceLength), true, segmentsFromColours(pieceColours), pieceFlags);
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
