#include "formimage/FormImageRenderer.h"

#include "analysis/FormLayoutReader.h"
#include "config/PageSetup.h"
#include "model/Routine.h"
#include "model/TextPrimitives.h"
#include "platform/PrintSurface.h"
#include "print/Highlight.h"
#include "print/PageFrame.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>
#include <vector>

namespace quillon::formimage {

using analysis::FormLayoutReader;
using platform::IPrintSurface;
using platform::LineStyle;
using platform::rgb;

namespace {

constexpr double kTitleBarHeight = 420;
constexpr double kMenuBarHeight = 360;
constexpr double kSmallestName = 5.5;
constexpr double kMarkerPoints = 7;
constexpr double kListPoints = 9;
constexpr double kListTitlePoints = 10;
constexpr double kListTop = 60;
constexpr double kListStroke = 180; // connector stroke to an entry of a list
constexpr double kMenuIndent = 360; // per menu level
constexpr double kSeparatorLength = 1200;

constexpr quint32 kBlack = 0;
constexpr quint32 kWhite = 0xFFFFFF;
constexpr quint32 kTitleBarFill = rgb(217, 217, 217);
constexpr quint32 kMenuBarFill = rgb(242, 242, 242);
constexpr quint32 kContextInk = rgb(140, 140, 140);
constexpr quint32 kHiddenFill = rgb(235, 235, 235);
constexpr quint32 kNameInk = rgb(40, 40, 40);
constexpr quint32 kConnectorInk = rgb(90, 90, 90);
constexpr quint32 kSeparatorInk = rgb(150, 150, 150);

const QString kWindowButtons = QStringLiteral("_  []  X");

// The window parts drawn around the client area, by the kind of object. A user control's and
// a user document's designer is the bare surface a host gives them; a property page is a tab
// of the host's property sheet, titled with its caption, with no menus and no window buttons
// of its own. A designer's block describes data, not a window, so it has no picture.
struct Chrome {
    bool drawable = true;
    bool titleBar = true;
    bool windowButtons = true;
    bool menuBar = false;
};

Chrome chromeOf(const FormRecord& form)
{
    switch (form.objectKind()) {
    case model::SourceKind::UserControl:
    case model::SourceKind::UserDocument:
        return {.drawable = true, .titleBar = false, .windowButtons = false, .menuBar = false};
    case model::SourceKind::PropertyPage:
        return {.drawable = true, .titleBar = true, .windowButtons = false, .menuBar = false};
    case model::SourceKind::Designer:
        return {.drawable = false, .titleBar = false, .windowButtons = false, .menuBar = false};
    default:
        return {.drawable = true, .titleBar = true, .windowButtons = true, .menuBar = form.hasMenuBar};
    }
}

struct Rect {
    double x1 = 0;
    double y1 = 0;
    double x2 = 0;
    double y2 = 0;

    double width() const { return x2 - x1; }
    double height() const { return y2 - y1; }
    bool overlaps(const Rect& o) const { return x1 < o.x2 && o.x1 < x2 && y1 < o.y2 && o.y1 < y2; }
    bool contains(const Rect& o, double margin) const
    {
        return o.x1 >= x1 + margin && o.x2 <= x2 - margin && o.y1 >= y1 + margin && o.y2 <= y2 - margin;
    }
    bool contains(double x, double y) const { return x >= x1 && x <= x2 && y >= y1 && y <= y2; }
    Rect inflated(double m) const { return {x1 - m, y1 - m, x2 + m, y2 + m}; }
};

struct Segment {
    double x1 = 0;
    double y1 = 0;
    double x2 = 0;
    double y2 = 0;

    Rect bounds() const { return {std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)}; }
};

// True when some point of the segment lies in the rectangle, edges included.
bool crosses(const Segment& s, const Rect& r)
{
    double t0 = 0;
    double t1 = 1;
    const double dx = s.x2 - s.x1;
    const double dy = s.y2 - s.y1;
    auto clip = [&](double p, double q) {
        if (p == 0)
            return q >= 0;
        const double t = q / p;
        if (p < 0) {
            if (t > t1)
                return false;
            t0 = std::max(t0, t);
        } else {
            if (t < t0)
                return false;
            t1 = std::min(t1, t);
        }
        return true;
    };
    return clip(-dx, s.x1 - r.x1) && clip(dx, r.x2 - s.x1) && clip(-dy, s.y1 - r.y1) && clip(dy, r.y2 - s.y1);
}

double turn(double ax, double ay, double bx, double by, double cx, double cy)
{
    return (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
}

bool crosses(const Segment& a, const Segment& b)
{
    const double d1 = turn(b.x1, b.y1, b.x2, b.y2, a.x1, a.y1);
    const double d2 = turn(b.x1, b.y1, b.x2, b.y2, a.x2, a.y2);
    const double d3 = turn(a.x1, a.y1, a.x2, a.y2, b.x1, b.y1);
    const double d4 = turn(a.x1, a.y1, a.x2, a.y2, b.x2, b.y2);
    if (((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0)))
        return true;
    // Touching or lying along each other.
    auto on = [](const Segment& s, double x, double y, double turn) { return turn == 0 && s.bounds().contains(x, y); };
    return on(b, a.x1, a.y1, d1) || on(b, a.x2, a.y2, d2) || on(a, b.x1, b.y1, d3) || on(a, b.x2, b.y2, d4);
}

// Rectangles and segments filed by the cells of a grid laid over the page, so that a test
// only meets what lies near it: a crowded form asks thousands of such tests per name.
// Whatever lies outside the grid is filed in its border cells.
class SpatialGrid {
public:
    SpatialGrid(const Rect& area, int columns, int rows)
        : area_(area), columns_(columns), rows_(rows), cells_(size_t(columns) * size_t(rows))
    {
        cellWidth_ = std::max(area.width() / columns, 1.0);
        cellHeight_ = std::max(area.height() / rows, 1.0);
    }

    void insert(int id, const Rect& bounds)
    {
        const Range r = rangeOf(bounds);
        for (int row = r.row1; row <= r.row2; ++row) {
            for (int column = r.column1; column <= r.column2; ++column)
                cells_[size_t(row) * size_t(columns_) + size_t(column)].push_back(id);
        }
        if (size_t(id) >= seen_.size())
            seen_.resize(size_t(id) + 1, 0);
    }

    // True when test(id) is true for some entry filed near bounds; each entry is tested once.
    template <typename Test>
    bool any(const Rect& bounds, Test test) const
    {
        if (++stamp_ == 0) {
            std::fill(seen_.begin(), seen_.end(), 0);
            stamp_ = 1;
        }
        const Range r = rangeOf(bounds);
        for (int row = r.row1; row <= r.row2; ++row) {
            for (int column = r.column1; column <= r.column2; ++column) {
                for (int id : cells_[size_t(row) * size_t(columns_) + size_t(column)]) {
                    if (seen_[size_t(id)] == stamp_)
                        continue;
                    seen_[size_t(id)] = stamp_;
                    if (test(id))
                        return true;
                }
            }
        }
        return false;
    }

private:
    struct Range {
        int column1, row1, column2, row2;
    };
    static int cell(double offset, double size, int count)
    {
        const double cell = offset / size;
        if (!(cell > 0)) // NaN too
            return 0;
        return cell >= count - 1 ? count - 1 : int(cell);
    }
    Range rangeOf(const Rect& b) const
    {
        return {cell(b.x1 - area_.x1, cellWidth_, columns_), cell(b.y1 - area_.y1, cellHeight_, rows_),
            cell(b.x2 - area_.x1, cellWidth_, columns_), cell(b.y2 - area_.y1, cellHeight_, rows_)};
    }

    Rect area_;
    int columns_;
    int rows_;
    double cellWidth_ = 1;
    double cellHeight_ = 1;
    std::vector<std::vector<int>> cells_;
    mutable std::vector<quint32> seen_;
    mutable quint32 stamp_ = 0;
};

QString typeNameTail(const QString& typeName)
{
    return typeName.mid(typeName.lastIndexOf(QLatin1Char('.')) + 1);
}

// The longest start of text that fits width with "..." after it; the text itself when it
// fits, empty when not even the dots do.
QString elide(IPrintSurface& s, const QString& text, double width)
{
    if (s.textWidth(text) <= width)
        return text;
    const QString dots = QStringLiteral("...");
    qsizetype low = 0;
    qsizetype high = text.size() - 1;
    while (low < high) {
        const qsizetype middle = (low + high + 1) / 2;
        if (s.textWidth(QString(text.left(middle) + dots)) <= width)
            low = middle;
        else
            high = middle - 1;
    }
    return low > 0 ? text.left(low) + dots : QString();
}

// The largest size, in half points from maximum down to the smallest readable one, at which
// the text is no wider than width; 0 when none is.
double fitPoints(IPrintSurface& s, const QString& text, double maximum, double width)
{
    for (int step = 0; maximum - 0.5 * step >= kSmallestName; ++step) {
        const double points = maximum - 0.5 * step;
        s.setFontSize(points);
        if (s.textWidth(text) <= width)
            return points;
    }
    return 0;
}

// How far each callout pass may go. Pass 1 keeps markers and leaders clear of everything;
// later passes let markers sit inside containers, leaders cross controls and other leaders,
// and the last lets markers lie over controls and the bars. No pass lets a marker cover a
// name or another marker.
struct CalloutPass {
    double margin;
    std::vector<double> leaderLengths;
    bool markerInContainers;
    bool markerOverControls;
    bool markerOverBars;
    bool markerOverLeaders;
    bool leaderAcrossControls;
    bool leaderAcrossLeaders;
    bool leaderAcrossLabels;
};

const std::vector<CalloutPass>& calloutPasses()
{
    static const std::vector<CalloutPass> passes {
        {30, {480, 360, 280, 600, 760}, false, false, false, false, false, false, false},
        {30, {480, 360, 280, 600, 760}, true, false, false, false, true, false, false},
        {22, {200, 160, 120, 100}, true, false, false, false, true, true, false},
        {30, {480, 360, 280, 600, 760, 1200}, true, true, true, true, true, true, true},
    };
    return passes;
}

// Where a leader may leave a control: a point of its box as fractions of its width and
// height, the directions away from the box, and the unit steps to try, in order.
struct Anchor {
    double fx;
    double fy;
    int horizontal;
    int vertical;
    std::vector<std::pair<double, double>> steps;
};

std::vector<std::pair<double, double>> anchorSteps(int horizontal, int vertical)
{
    constexpr double kDegree = 3.14159265358979323846 / 180.0;
    std::vector<std::pair<double, double>> steps;
    auto add = [&](double degrees) {
        const double a = degrees * kDegree;
        if (horizontal != 0 && vertical != 0)
            steps.emplace_back(horizontal * std::cos(a), vertical * std::sin(a));
        else if (horizontal != 0)
            steps.emplace_back(horizontal * std::cos(a), std::sin(a));
        else
            steps.emplace_back(std::sin(a), vertical * std::cos(a));
    };
    if (horizontal != 0 && vertical != 0) {
        add(45);
        for (int k = 1; k <= 14; ++k) {
            add(45 - 3 * k);
            add(45 + 3 * k);
        }
    } else {
        add(0);
        for (int k = 1; k <= 21; ++k) {
            add(3 * k);
            add(-3 * k);
        }
    }
    return steps;
}

const std::vector<Anchor>& anchors()
{
    static const std::vector<Anchor> anchors = [] {
        const struct {
            double fx, fy;
            int h, v;
        } table[] = {{1, 0, 1, -1}, {0.75, 0, 0, -1}, {1, 0.25, 1, 0}, {0, 0, -1, -1}, {0.5, 0, 0, -1},
            {0.25, 0, 0, -1}, {1, 0.5, 1, 0}, {1, 0.75, 1, 0}, {1, 1, 1, 1}, {0.75, 1, 0, 1}, {0.5, 1, 0, 1},
            {0.25, 1, 0, 1}, {0, 1, -1, 1}, {0, 0.75, -1, 0}, {0, 0.5, -1, 0}, {0, 0.25, -1, 0}};
        std::vector<Anchor> list;
        for (const auto& a : table)
            list.push_back({a.fx, a.fy, a.h, a.v, anchorSteps(a.h, a.v)});
        return list;
    }();
    return anchors;
}

// A marker's rectangle at point p, on the side of p that faces away from the control.
Rect markerAt(double px, double py, double dx, double dy, double width, double height)
{
    constexpr double kSide = 0.38; // about sin 22.5°: steeper than that counts as that side
    const double left = dx > kSide ? px : dx < -kSide ? px - width : px - width / 2;
    const double top = dy > kSide ? py : dy < -kSide ? py - height : py - height / 2;
    return {left, top, left + width, top + height};
}

// Candidate marker places the passes may look at on one page. A crowded page whose markers
// have run out of room would otherwise try every candidate of every pass for each of its
// remaining callouts; past this many they go straight to the fallback places.
constexpr long kCandidateBudget = 4000000;

} // namespace

// ---- Placement of the form -----------------------------------------------------------

FormPlacement placeForm(const FormRecord& form, double printableWidth, double printableHeight)
{
    FormPlacement place;
    const Chrome chrome = chromeOf(form);
    place.captionHeight = (chrome.titleBar ? kTitleBarHeight : 0) + (chrome.menuBar ? kMenuBarHeight : 0);
    place.formHeight = place.captionHeight + double(form.clientHeight);
    if (!chrome.drawable || form.clientWidth <= 0 || place.formHeight <= 0 || !(printableWidth > 0)
        || !(printableHeight > 0))
        return place;
    place.scale = std::min(printableWidth / form.clientWidth, printableHeight / place.formHeight);
    place.x0 = (printableWidth - place.scale * form.clientWidth) / 2;
    place.y0 = 0;
    place.valid = std::isfinite(place.scale) && place.scale > 0;
    return place;
}

FormPlacement placeForm(const FormLayout& layout, double printableWidth, double printableHeight)
{
    const FormRecord& form = layout.form;
    // Controls often lie beyond the client area saved in the file (a form that opens
    // maximized, or was shrunk in the designer after they were placed): the picture takes in
    // what they cover, so nothing is drawn off the sheet or over the footer. Controls parked
    // at negative positions are hidden on purpose and are left out of the picture.
    double right = form.clientWidth;
    double bottom = form.clientHeight;
    for (const ControlRecord& c : layout.controls) {
        if (!c.hasSize || c.layer <= 0 || c.absLeft < 0 || c.absTop < 0)
            continue;
        right = std::max(right, double(c.absLeft) + double(c.width));
        bottom = std::max(bottom, double(c.absTop) + double(c.height));
    }
    FormPlacement place = placeForm(form, printableWidth, printableHeight);
    if (!place.valid || (right <= form.clientWidth && bottom <= form.clientHeight))
        return place;
    const double scale = std::min(printableWidth / right, printableHeight / (place.captionHeight + bottom));
    if (!(std::isfinite(scale) && scale > 0))
        return place;
    place.scale = scale;
    place.x0 = (printableWidth - scale * right) / 2;
    return place;
}

// ---- One layer's page, worked out before anything is drawn ----------------------------

struct FormImageRenderer::LayerPlan {
    enum class Shape { Line, Label, Frame, Box };
    struct Item {
        Rect box;
        Segment line; // Shape::Line: the line as drawn
        int control = 0;
        bool context = false;
        Shape shape = Shape::Box;
        bool filled = false;
        bool visible = true;
        bool headerRow = false; // a grid tall enough to show its header row
    };
    struct Text {
        QString text;
        double x = 0;
        double y = 0;
        double points = 0;
        bool bold = false;
        bool italic = false;
    };
    // A name printed on the page, or a callout's marker with its leader.
    struct Label {
        Text text;
        bool callout = false;
        Segment leader;
        Rect clear; // a frame's name breaks the frame's edge, as on the form
        bool onEdge = false;
    };

    Rect form;
    Rect titleBar;
    Rect menuBar;
    bool hasTitleBar = false;
    bool hasMenuBar = false;
    std::vector<Text> frameTexts;
    std::vector<Item> items;
    std::vector<Label> labels;
    std::vector<std::pair<int, QString>> callouts; // number and name text
};

class FormImageRenderer::LayerPlanner {
public:
    // below: the room under the print box that the footer takes.
    LayerPlanner(IPrintSurface& surface, const FormLayout& layout, const FormPlacement& place, double width,
        double height, double below)
        : s_(surface), layout_(layout), place_(place), page_ {0, 0, width, height}, footer_(below)
    { }

    LayerPlan plan(int layer)
    {
        LayerPlan plan;
        const Rect area = page_.inflated(1440);
        items_.emplace(area, 64, 64);
        labels_.emplace(area, 64, 64);
        leaders_.emplace(area, 64, 64);
        placedLabels_.clear();
        leaderLines_.clear();
        blocked_.clear();
        budget_ = kCandidateBudget;
        slotCursor_ = 0;
        plan_ = &plan;
        planFrame();
        buildItems(layer);
        placeNames();
        s_.setBold(false);
        s_.setItalic(false);
        plan_ = nullptr;
        return plan;
    }

private:
    using Item = LayerPlan::Item;
    using Shape = LayerPlan::Shape;

    void addLabel(const Rect& r)
    {
        labels_->insert(int(placedLabels_.size()), r);
        placedLabels_.push_back(r);
    }
    void addLeader(const Segment& line)
    {
        leaders_->insert(int(leaderLines_.size()), line.bounds());
        leaderLines_.push_back(line);
    }
    void addFrameText(const QString& text, double x, double y, double points, bool bold)
    {
        s_.setFontSize(points);
        s_.setBold(bold);
        plan_->frameTexts.push_back({text, x, y, points, bold, false});
        addLabel({x, y, x + s_.textWidth(text), y + s_.textHeight(text)});
    }

    void planFrame()
    {
        const FormRecord& form = layout_.form;
        const double scale = place_.scale;
        const double left = place_.x0;
        const double top = place_.y0;
        const double right = place_.pageX(form.clientWidth);
        plan_->form = {left, top, right, top + scale * place_.formHeight};
        const Chrome chrome = chromeOf(form);
        if (!chrome.titleBar)
            return;
        plan_->hasTitleBar = true;
        plan_->titleBar = {left, top, right, top + scale * kTitleBarHeight};
        blocked_.push_back(plan_->titleBar);

        const double titlePoints = std::clamp(scale * kTitleBarHeight * 0.6 / 20, 4.0, 10.0);
        s_.setFontSize(titlePoints);
        s_.setBold(false);
        const double buttonsWidth = chrome.windowButtons ? s_.textWidth(kWindowButtons) : 0;
        const double textTop = top + (scale * kTitleBarHeight - s_.textHeight(u"X")) / 2;
        const double buttonsLeft = right - scale * 80 - buttonsWidth;
        const double titleLeft = left + scale * 80;
        s_.setBold(true);
        // A caption longer than the bar is cut short rather than run over the buttons.
        const QString title =
            elide(s_, form.caption.isEmpty() ? form.name : form.caption, buttonsLeft - scale * 80 - titleLeft);
        if (!title.isEmpty())
            addFrameText(title, titleLeft, textTop, titlePoints, true);
        if (chrome.windowButtons && buttonsLeft >= left)
            addFrameText(kWindowButtons, buttonsLeft, textTop, titlePoints, false);

        plan_->hasMenuBar = chrome.menuBar;
        if (!chrome.menuBar)
            return;
        const double barTop = plan_->titleBar.y2;
        plan_->menuBar = {left, barTop, right, barTop + scale * kMenuBarHeight};
        blocked_.push_back(plan_->menuBar);
        const double menuPoints = std::clamp(scale * kMenuBarHeight * 0.55 / 20, 4.0, 9.0);
        s_.setFontSize(menuPoints);
        s_.setBold(false);
        const double menuTop = barTop + (scale * kMenuBarHeight - s_.textHeight(u"X")) / 2;
        double x = left + scale * 120;
        for (const MenuRecord& menu : layout_.menus) {
            if (menu.level != 0 || !menu.visible || menu.caption == QLatin1String("-"))
                continue;
            const QString caption = QString(menu.caption).remove(QLatin1Char('&'));
            const double width = s_.textWidth(caption);
            if (x + width > right)
                break; // the bar is full; the menu tree lists them all
            addFrameText(caption, x, menuTop, menuPoints, false);
            x += width + scale * 280;
        }
    }

    // The line as the form draws it: from its own end points when the layout kept them,
    // otherwise corner to corner of its box.
    Segment lineOf(const ControlRecord& c, const Rect& box) const
    {
        const qint64 x1 = c.x1, y1 = c.y1, x2 = c.x2, y2 = c.y2;
        const bool kept = std::min(x1, x2) == c.left && std::llabs(x2 - x1) == qint64(c.width)
            && std::min(y1, y2) == c.top && std::llabs(y2 - y1) == qint64(c.height);
        if (!kept)
            return {box.x1, box.y1, box.x2, box.y2};
        const double dx = double(c.absLeft) - double(c.left);
        const double dy = double(c.absTop) - double(c.top);
        return {place_.pageX(dx + double(x1)), place_.pageY(dy + double(y1)), place_.pageX(dx + double(x2)),
            place_.pageY(dy + double(y2))};
    }

    Item makeItem(int n, bool context) const
    {
        const ControlRecord& c = layout_.control(n);
        Item item;
        const double ax1 = place_.pageX(c.absLeft);
        const double ay1 = place_.pageY(c.absTop);
        const double ax2 = place_.pageX(double(c.absLeft) + double(c.width));
        const double ay2 = place_.pageY(double(c.absTop) + double(c.height));
        item.box = {std::min(ax1, ax2), std::min(ay1, ay2), std::max(ax1, ax2), std::max(ay1, ay2)};
        item.control = n;
        item.context = context;
        item.visible = c.visible;
        const QString tail = typeNameTail(c.typeName);
        auto is = [&](const char16_t* name) { return model::equalsNoCase(tail, name); };
        item.shape = is(u"Line") ? Shape::Line : is(u"Label") ? Shape::Label : is(u"Frame") ? Shape::Frame : Shape::Box;
        item.filled = item.shape == Shape::Box;
        item.headerRow = item.shape == Shape::Box && c.typeName.contains(QLatin1String("FlexGrid"), Qt::CaseInsensitive)
            && item.box.height() > 200;
        if (item.shape == Shape::Line)
            item.line = lineOf(c, item.box);
        return item;
    }

    void addItem(Item item)
    {
        const int id = int(plan_->items.size());
        // Context boxes only surround what the page shows; names and markers keep to them as to
        // any container.
        items_->insert(id, item.shape == Shape::Line && !item.context ? item.line.bounds() : item.box);
        plan_->items.push_back(item);
    }

    void buildItems(int layer)
    {
        const int total = layout_.controlTotal();
        std::vector<char> listed(size_t(total) + 1, 0);
        for (int n = 1; n <= total; ++n) {
            const ControlRecord& c = layout_.control(n);
            if (c.hasSize && c.layer == layer) {
                Item item = makeItem(n, false);
                // Parked out of sight (negative positions): not on the page either.
                if (item.box.x2 < page_.x1 || item.box.y2 < place_.pageY(0) || item.box.x1 > page_.x2
                    || item.box.y1 > page_.y2)
                    continue;
                // Partly parked: the page shows the part that lies on it.
                if (item.shape != Shape::Line) {
                    item.box.x1 = std::max(item.box.x1, page_.x1);
                    item.box.x2 = std::min(item.box.x2, page_.x2);
                    item.box.y2 = std::min(item.box.y2, page_.y2);
                }
                addItem(item);
                listed[size_t(n)] = 1;
            }
        }
        if (layer < 2)
            return;
        const size_t normal = plan_->items.size();
        for (size_t k = 0; k < normal; ++k) {
            int steps = total; // a Parent loop in a layout built by hand ends here
            for (int p = layout_.control(plan_->items[k].control).parent; layout_.isControl(p) && steps-- > 0;
                 p = layout_.control(p).parent) {
                const ControlRecord& c = layout_.control(p);
                if (!c.hasSize || c.layer == layer || listed[size_t(p)])
                    continue;
                listed[size_t(p)] = 1;
                addItem(makeItem(p, true));
            }
        }
    }

    static QString nameText(const ControlRecord& c)
    {
        QString text = c.name;
        if (c.index >= 0)
            text += QLatin1Char('(') + QString::number(c.index) + QLatin1Char(')');
        if (!c.visible)
            text += QStringLiteral("  (V=F)");
        return text;
    }

    void placeNames()
    {
        const size_t count = plan_->items.size();
        for (size_t k = 0; k < count; ++k) {
            const Item& item = plan_->items[k];
            if (item.context || item.shape == Shape::Line)
                continue;
            const QString text = nameText(layout_.control(item.control));
            const bool placed = item.shape == Shape::Frame ? placeOnFrameEdge(int(k), text) : placeInside(int(k), text);
            if (!placed)
                placeCallout(int(k), text);
        }
    }

    // Free for a name: it covers no name or marker, lies wholly inside (20 twips in) every
    // other control it touches, and no line or leader runs through it.
    bool nameIsFree(const Rect& r, int self) const
    {
        if (labels_->any(r, [&](int id) { return placedLabels_[size_t(id)].overlaps(r); }))
            return false;
        const bool controlInTheWay = items_->any(r, [&](int id) {
            if (id == self)
                return false;
            const Item& other = plan_->items[size_t(id)];
            if (other.shape == Shape::Line && !other.context)
                return crosses(other.line, r);
            return other.box.overlaps(r) && !other.box.contains(r, 20);
        });
        if (controlInTheWay)
            return false;
        return !leaders_->any(r, [&](int id) { return crosses(leaderLines_[size_t(id)], r); });
    }

    void addName(const QString& text, const Rect& r, double points, bool onEdge)
    {
        LayerPlan::Label label;
        label.text = {text, r.x1, r.y1, points, false, onEdge};
        label.onEdge = onEdge;
        label.clear = {r.x1 - 20, r.y1, r.x2 + 20, r.y2};
        plan_->labels.push_back(std::move(label));
        addLabel(r);
    }

    bool placeOnFrameEdge(int k, const QString& text)
    {
        const Rect box = plan_->items[size_t(k)].box;
        const double room = box.width() - 120;
        s_.setBold(false);
        s_.setItalic(true);
        bool placed = false;
        const double points = fitPoints(s_, text, 6.5, room);
        if (points > 0) {
            const double width = s_.textWidth(text);
            const double height = s_.textHeight(text);
            const Rect r {box.x1 + 60, box.y1 - 0.4 * height, box.x1 + 60 + width, box.y1 + 0.6 * height};
            if (width <= room && nameIsFree(r, k)) {
                addName(text, r, points, true);
                placed = true;
            }
        }
        s_.setItalic(false);
        return placed;
    }

    bool placeInside(int k, const QString& text)
    {
        const Rect box = plan_->items[size_t(k)].box;
        const double w = box.width();
        const double h = box.height();
        s_.setBold(false);
        const double points = fitPoints(s_, text, 7, w - 40);
        if (points <= 0)
            return false;
        const double width = s_.textWidth(text);
        const double height = s_.textHeight(text);
        if (width + 20 > w || height + 20 > h)
            return false;
        static const double kVertical[] = {0, 0.2, -0.2, 0.32, -0.32};
        static const double kHorizontal[] = {0, 0.15, -0.15, 0.3, -0.3};
        const Rect inner = box.inflated(-10);
        for (double dy : kVertical) {
            for (double dx : kHorizontal) {
                const double x = box.x1 + (w - width) / 2 + dx * w;
                const double y = box.y1 + (h - height) / 2 + dy * h;
                const Rect r {x, y, x + width, y + height};
                if (inner.contains(r, 0) && nameIsFree(r, k)) {
                    addName(text, r, points, false);
                    return true;
                }
            }
        }
        return false;
    }

    bool markerIsFree(const Rect& marker, const Segment& leader, const CalloutPass& pass, int self) const
    {
        if (!page_.contains(marker, 0))
            return false;
        const Rect guard = marker.inflated(pass.margin);
        if (labels_->any(guard, [&](int id) { return placedLabels_[size_t(id)].overlaps(guard); }))
            return false;
        if (!pass.leaderAcrossLabels
            && labels_->any(leader.bounds(), [&](int id) { return crosses(leader, placedLabels_[size_t(id)]); }))
            return false;
        if (!pass.markerOverBars) {
            for (const Rect& bar : blocked_) {
                if (bar.overlaps(guard))
                    return false;
            }
        }
        if (!pass.markerOverControls) {
            const bool onControl = items_->any(guard, [&](int id) {
                const Item& other = plan_->items[size_t(id)];
                if (other.shape == Shape::Line && !other.context)
                    return crosses(other.line, guard);
                return other.box.overlaps(guard) && !(pass.markerInContainers && other.box.contains(guard, 0));
            });
            if (onControl)
                return false;
        }
        if (!pass.markerOverLeaders
            && leaders_->any(guard, [&](int id) { return crosses(leaderLines_[size_t(id)], guard); }))
            return false;
        if (!pass.leaderAcrossControls) {
            const bool acrossControl = items_->any(leader.bounds(), [&](int id) {
                if (id == self)
                    return false;
                const Item& other = plan_->items[size_t(id)];
                if (other.shape == Shape::Line && !other.context)
                    return crosses(leader, other.line);
                // A container the whole leader runs inside is not crossed.
                return crosses(leader, other.box)
                    && !(other.box.contains(leader.x1, leader.y1) && other.box.contains(leader.x2, leader.y2));
            });
            if (acrossControl)
                return false;
        }
        if (!pass.leaderAcrossLeaders
            && leaders_->any(leader.bounds(), [&](int id) { return crosses(leader, leaderLines_[size_t(id)]); }))
            return false;
        return true;
    }

    // A marker place free of names, markers and the bars, found without trying leaders: the
    // print box in rows, first beside and below the form, then over it, then rows under the
    // footer, which always come free. The places tried stay tried for the rest of the page.
    Rect fallbackMarker(double width, double height)
    {
        const double stepX = std::max(height, 60.0);
        const double stepY = height + 20;
        const long columns = std::max(1L, long(page_.width() / stepX));
        const long rows = std::max(1L, long(page_.height() / stepY));
        const long inBox = columns * rows;
        auto free = [&](const Rect& r) {
            for (const Rect& bar : blocked_) {
                if (bar.overlaps(r))
                    return false;
            }
            const Rect guard = r.inflated(10);
            return !labels_->any(guard, [&](int id) { return placedLabels_[size_t(id)].overlaps(guard); });
        };
        for (;; ++slotCursor_) {
            const long round = slotCursor_ / inBox;
            const long slot = slotCursor_ % inBox;
            // Slots fill whole rows: the row is the integer quotient.
            const long row = round < 2 ? slot / columns : (slotCursor_ - 2 * inBox) / columns;
            const double x = page_.x1 + double(slot % columns) * stepX;
            const double y = (round < 2 ? page_.y1 : page_.y2 + footer_) + double(row) * stepY;
            const Rect r {x, y, x + width, y + height};
            if (round < 2 && (!page_.contains(r, 0) || r.overlaps(plan_->form) != (round == 1)))
                continue;
            if (free(r))
                return r;
        }
    }

    // The first place the passes allow, in their order; false when none does (or the page
    // has spent its budget of candidates).
    bool searchPasses(int k, double width, double height, Rect& marker, Segment& leader)
    {
        const Rect box = plan_->items[size_t(k)].box;
        for (const CalloutPass& pass : calloutPasses()) {
            for (double length : pass.leaderLengths) {
                for (const Anchor& anchor : anchors()) {
                    const double ax = box.x1 + anchor.fx * box.width();
                    const double ay = box.y1 + anchor.fy * box.height();
                    for (const auto& [dx, dy] : anchor.steps) {
                        if (budget_ <= 0)
                            return false;
                        --budget_;
                        marker = markerAt(ax + (length + 30) * dx, ay + (length + 30) * dy, dx, dy, width, height);
                        leader = {ax + 8 * dx, ay + 8 * dy, ax + (length + 18) * dx, ay + (length + 18) * dy};
                        if (markerIsFree(marker, leader, pass, k))
                            return true;
                    }
                }
            }
        }
        return false;
    }

    void placeCallout(int k, const QString& text)
    {
        const int number = int(plan_->callouts.size()) + 1;
        plan_->callouts.emplace_back(number, text);
        const QString numberText = QString::number(number);
        s_.setFontSize(kMarkerPoints);
        s_.setBold(true);
        const double width = s_.textWidth(numberText);
        const double height = s_.textHeight(numberText);
        s_.setBold(false);

        Rect marker;
        Segment leader;
        if (!searchPasses(k, width, height, marker, leader)) {
            marker = fallbackMarker(width, height);
            leader = leaderTo(plan_->items[size_t(k)].box, marker);
        }
        LayerPlan::Label label;
        label.text = {numberText, marker.x1, marker.y1, kMarkerPoints, true, false};
        label.callout = true;
        label.leader = leader;
        plan_->labels.push_back(std::move(label));
        addLabel(marker);
        addLeader(leader);
    }

    // From the control's anchor nearest the marker to the marker's nearest point.
    static Segment leaderTo(const Rect& box, const Rect& marker)
    {
        const double mx = (marker.x1 + marker.x2) / 2;
        const double my = (marker.y1 + marker.y2) / 2;
        double bestX = box.x2;
        double bestY = box.y1;
        double best = -1;
        for (const Anchor& anchor : anchors()) {
            const double ax = box.x1 + anchor.fx * box.width();
            const double ay = box.y1 + anchor.fy * box.height();
            const double d = (ax - mx) * (ax - mx) + (ay - my) * (ay - my);
            if (best < 0 || d < best) {
                best = d;
                bestX = ax;
                bestY = ay;
            }
        }
        return {bestX, bestY, std::clamp(bestX, marker.x1, marker.x2), std::clamp(bestY, marker.y1, marker.y2)};
    }

    IPrintSurface& s_;
    const FormLayout& layout_;
    const FormPlacement& place_;
    Rect page_;
    double footer_;
    LayerPlan* plan_ = nullptr;
    std::optional<SpatialGrid> items_;
    std::optional<SpatialGrid> labels_;
    std::optional<SpatialGrid> leaders_;
    std::vector<Rect> placedLabels_;
    std::vector<Segment> leaderLines_;
    std::vector<Rect> blocked_;
    long budget_ = kCandidateBudget;
    long slotCursor_ = 0;
};

// ---- Lists after the layers: callouts and the menu tree -------------------------------

namespace {

// Where the entries of a list go: pages, and on each page columns of rows under a title.
struct ListSlot {
    int page = 0; // from 0
    double x = 0; // the column's left edge, in the print box
    double y = 0; // the row's top
    bool lastInColumn = false;
};

struct CalloutList {
    std::vector<QString> entries;
    std::vector<ListSlot> slots;
    int pages = 0;
    double rowHeight = 0;
    double titleHeight = 0;
};

CalloutList layOutCallouts(
    IPrintSurface& s, const std::vector<std::pair<int, QString>>& callouts, double width, double height)
{
    CalloutList list;
    if (callouts.empty())
        return list;
    s.setBold(true);
    s.setFontSize(kListTitlePoints);
    list.titleHeight = s.textHeight(u"Callouts");
    s.setBold(false);
    s.setFontSize(kListPoints);
    list.rowHeight = 1.4 * s.textHeight(u"X");
    constexpr double kTextIndent = 60 + kListStroke + 60;
    constexpr double kColumnGap = 360;
    double widest = 0;
    for (const auto& [number, name] : callouts) {
        list.entries.push_back(QString::number(number) + QStringLiteral(" - ") + name);
        widest = std::max(widest, s.textWidth(list.entries.back()));
    }
    double columnWidth = kTextIndent + widest + kColumnGap;
    if (columnWidth > width) {
        columnWidth = width;
        for (QString& entry : list.entries)
            entry = elide(s, entry, width - kTextIndent);
    }
    const int columns = std::max(1, int(width / columnWidth));
    const double firstRow = kListTop + list.titleHeight + 60;
    const int rows = std::max(1, int((height - firstRow) / list.rowHeight));
    const int perPage = columns * rows;
    const int count = int(list.entries.size());
    for (int k = 0; k < count; ++k) {
        const int onPage = k % perPage;
        ListSlot slot;
        slot.page = k / perPage;
        const int column = onPage / rows;
        slot.x = column * columnWidth;
        slot.y = firstRow + (onPage % rows) * list.rowHeight;
        slot.lastInColumn = onPage % rows == rows - 1 || k == count - 1;
        list.slots.push_back(slot);
    }
    list.pages = (count + perPage - 1) / perPage;
    return list;
}

struct MenuRows {
    double rowHeight = 0;
    int perPage = 1;
    int pages = 0;
};

MenuRows layOutMenuRows(IPrintSurface& s, int menus, double height)
{
    MenuRows rows;
    s.setBold(false);
    s.setFontSize(kListPoints);
    rows.rowHeight = 1.45 * s.textHeight(u"X");
    rows.perPage = std::max(1, int((height - kListTop) / rows.rowHeight));
    rows.pages = (menus + rows.perPage - 1) / rows.perPage;
    return rows;
}

// Menu levels deeper than any form nests are drawn at this depth.
constexpr int kDeepestMenu = 62;

int drawnLevel(const MenuRecord& menu)
{
    return std::clamp<int>(menu.level, 0, kDeepestMenu);
}

} // namespace

// ---- Orientation for the image ---------------------------------------------------------

// Turns the page for the form when that prints it more than 2 % larger, and back afterwards.
// Never when printing duplex: the turned sheets would not back each other. The other
// orientation's print box is the one the page set-up really gives (its margins differ from
// the turned box), and a device that cannot turn the page in the middle of a document gives
// the same box again, so the form stays as it is.
class FormImageRenderer::Orientation {
public:
    Orientation(config::PrintDevice& printer, const FormLayout& form) : printer_(printer)
    {
        config::PageSetup& setup = printer.setup();
        if (setup.duplex)
            return;
        const config::PageGeometry& g = printer.geometry();
        const FormPlacement current = placeForm(form, g.printableWidth, g.printableHeight);
        if (!current.valid)
            return;
        saved_ = setup.orientation;
        const bool landscape = model::upperCase(model::trimBlanks(setup.orientation)) == QLatin1String("LANDSCAPE");
        setup.orientation = landscape ? QStringLiteral("Portrait") : QStringLiteral("Landscape");
        printer.computePageGeometry(false);
        switched_ = true;
        const config::PageGeometry& turned = printer.geometry();
        const FormPlacement other = placeForm(form, turned.printableWidth, turned.printableHeight);
        if (!(other.valid && current.scale * 1.02 < other.scale))
            turnBack();
    }
    ~Orientation() { turnBack(); }
    Orientation(const Orientation&) = delete;
    Orientation& operator=(const Orientation&) = delete;

private:
    void turnBack()
    {
        if (!switched_)
            return;
        switched_ = false;
        printer_.setup().orientation = saved_;
        printer_.computePageGeometry(false);
    }

    config::PrintDevice& printer_;
    QString saved_;
    bool switched_ = false;
};

// ---- The renderer -----------------------------------------------------------------------

FormImageRenderer::FormImageRenderer(
    config::PrintDevice& printer, print::PageFrame& frame, const std::array<quint32, 10>& colours)
    : printer_(printer), frame_(frame), colours_(colours)
{ }

bool FormImageRenderer::printFormImage(
    const model::Routine& routine, const model::SourceReader& reader, platform::IMessageBox* messages)
{
    FormLayoutReader form(reader, messages);
    if (!form.readFormLayout(routine.filePath))
        return false;
    return printFormImage(form.layout(), routine.filePath);
}

int FormImageRenderer::estimateFormImagePages(const model::Routine& routine, const model::SourceReader& reader)
{
    FormLayoutReader form(reader, nullptr);
    if (!form.readFormLayout(routine.filePath))
        return 0;
    return estimateFormImagePages(form.layout());
}

int FormImageRenderer::estimateFormImagePages(const FormLayout& layout)
{
    if (layout.form.layerCount <= 0)
        return 0;
    Orientation orientation(printer_, layout);
    const config::PageGeometry& g = printer_.geometry();
    const FormPlacement place = placeForm(layout, g.printableWidth, g.printableHeight);
    if (!place.valid)
        return 0;
    IPrintSurface& s = printer_.surface();
    s.setFontName(printer_.setup().fontName);
    LayerPlanner planner(s, layout, place, g.printableWidth, g.printableHeight, 1.2 * g.footerBandHeight);
    int pages = 0;
    for (int layer = 1; layer <= layout.form.layerCount; ++layer)
        pages += 1 + calloutPages(planner.plan(layer));
    pages += menuTreePages(layout);
    restoreDrawingState();
    return pages;
}

int FormImageRenderer::calloutPages(const LayerPlan& plan) const
{
    const config::PageGeometry& g = printer_.geometry();
    return layOutCallouts(printer_.surface(), plan.callouts, g.printableWidth, g.printableHeight).pages;
}

int FormImageRenderer::menuTreePages(const FormLayout& layout) const
{
    return layOutMenuRows(printer_.surface(), layout.menuTotal(), printer_.geometry().printableHeight).pages;
}

bool FormImageRenderer::printFormImage(const FormLayout& layout, const QString& filePath)
{
    if (layout.form.layerCount <= 0)
        return false;
    Orientation orientation(printer_, layout);
    const config::PageGeometry& g = printer_.geometry();
    const FormPlacement place = placeForm(layout, g.printableWidth, g.printableHeight);
    if (!place.valid)
        return false;
    IPrintSurface& s = printer_.surface();
    s.setFontName(printer_.setup().fontName);
    LayerPlanner planner(s, layout, place, g.printableWidth, g.printableHeight, 1.2 * g.footerBandHeight);
    const QString base = model::fileNameOf(filePath) + QStringLiteral("|Image");
    const int layers = layout.form.layerCount;
    pageOpen_ = false;
    for (int layer = 1; layer <= layers; ++layer) {
        const QString heading = base + QStringLiteral(" - Layer ") + QString::number(layer) + QStringLiteral(" of ")
            + QString::number(layers);
        const LayerPlan plan = planner.plan(layer);
        beginPage(heading);
        drawLayer(plan);
        if (!plan.callouts.empty())
            printCallouts(plan, heading + QStringLiteral(" - Callouts"));
    }
    if (layout.menuTotal() > 0)
        printMenuTree(layout, base + QStringLiteral(" - Menu Tree"));
    frame_.printFooter();
    pageOpen_ = false;
    return true;
}

void FormImageRenderer::beginPage(const QString& heading)
{
    if (pageOpen_)
        frame_.printFooter();
    frame_.headerTitle = heading;
    frame_.startPage();
    pageOpen_ = true;
}

void FormImageRenderer::restoreDrawingState()
{
    IPrintSurface& s = printer_.surface();
    s.setTextColor(kBlack);
    s.setFontName(printer_.setup().fontName);
    s.setFontSize(printer_.setup().fontSize);
    s.setBold(false);
    s.setItalic(false);
}

void FormImageRenderer::printAt(double x, double y, const QString& text, double points, bool bold, bool italic)
{
    IPrintSurface& s = printer_.surface();
    s.setFontSize(points);
    s.setBold(bold);
    s.setItalic(italic);
    s.setCurrentX(frame_.left + x);
    s.setCurrentY(frame_.top + y);
    s.printText(text, false);
}

void FormImageRenderer::drawLayer(const LayerPlan& plan)
{
    IPrintSurface& s = printer_.surface();
    const double ox = frame_.left;
    const double oy = frame_.top;
    auto fill = [&](const Rect& r, quint32 colour) { s.fillBox(ox + r.x1, oy + r.y1, ox + r.x2, oy + r.y2, colour); };
    auto box = [&](const Rect& r, quint32 colour, int width, LineStyle style) {
        s.drawBox(ox + r.x1, oy + r.y1, ox + r.x2, oy + r.y2, colour, width, style);
    };
    auto line = [&](const Segment& l, quint32 colour) {
        s.drawLine(ox + l.x1, oy + l.y1, ox + l.x2, oy + l.y2, colour, 1, LineStyle::Solid);
    };
    using Shape = LayerPlan::Shape;

    // The bars first, so that the form's outline stays whole over them.
    if (plan.hasTitleBar)
        fill(plan.titleBar, kTitleBarFill);
    if (plan.hasMenuBar)
        fill(plan.menuBar, kMenuBarFill);
    box(plan.form, kBlack, 2, LineStyle::Solid);
    s.setTextColor(kBlack);
    for (const LayerPlan::Text& t : plan.frameTexts)
        printAt(t.x, t.y, t.text, t.points, t.bold, t.italic);

    for (const LayerPlan::Item& item : plan.items) {
        if (item.context)
            box(item.box, kContextInk, 1, LineStyle::Dotted);
    }
    for (const LayerPlan::Item& item : plan.items) {
        if (!item.context && item.filled)
            fill(item.box, item.visible ? kWhite : kHiddenFill);
    }
    for (const LayerPlan::Item& item : plan.items) {
        if (item.context)
            continue;
        switch (item.shape) {
        case Shape::Line:
            line(item.line, kBlack);
            break;
        case Shape::Label:
            box(item.box, kBlack, 1, LineStyle::Dashed);
            break;
        case Shape::Frame:
        case Shape::Box:
            box(item.box, kBlack, 1, LineStyle::Solid);
            if (item.headerRow) {
                const double y = item.box.y1 + std::min(160.0, 0.2 * item.box.height());
                line({item.box.x1, y, item.box.x2, y}, kBlack);
            }
            break;
        }
    }

    s.setTextColor(kNameInk);
    for (const LayerPlan::Label& label : plan.labels) {
        if (label.callout)
            line(label.leader, kConnectorInk);
        if (label.onEdge)
            fill(label.clear, kWhite);
        printAt(label.text.x, label.text.y, label.text.text, label.text.points, label.text.bold, label.text.italic);
    }
    restoreDrawingState();
}

void FormImageRenderer::printCallouts(const LayerPlan& plan, const QString& heading)
{
    IPrintSurface& s = printer_.surface();
    const config::PageGeometry& g = printer_.geometry();
    const CalloutList list = layOutCallouts(s, plan.callouts, g.printableWidth, g.printableHeight);
    int page = -1;
    for (size_t k = 0; k < list.entries.size(); ++k) {
        const ListSlot& slot = list.slots[k];
        if (slot.page != page) {
            if (page >= 0)
                restoreDrawingState();
            beginPage(heading);
            page = slot.page;
            s.setTextColor(kBlack);
            printAt(0, kListTop, QStringLiteral("Callouts"), kListTitlePoints, true, false);
        }
        const double x = frame_.left + slot.x + 60;
        const double top = frame_.top + slot.y;
        const double middle = top + list.rowHeight / 2;
        s.drawLine(x, top, x, slot.lastInColumn ? middle : top + list.rowHeight, kConnectorInk, 1, LineStyle::Solid);
        s.drawLine(x, middle, x + kListStroke, middle, kConnectorInk, 1, LineStyle::Solid);
        s.setFontSize(kListPoints);
        printAt(slot.x + 60 + kListStroke + 60, slot.y + (list.rowHeight - s.textHeight(u"X")) / 2, list.entries[k],
            kListPoints, false, false);
    }
    restoreDrawingState();
}

void FormImageRenderer::printMenuTree(const FormLayout& layout, const QString& heading)
{
    IPrintSurface& s = printer_.surface();
    const int total = layout.menuTotal();
    const MenuRows rows = layOutMenuRows(s, total, printer_.geometry().printableHeight);
    const double textTop = (rows.rowHeight - s.textHeight(u"X")) / 2;

    // Whether each menu has a later sibling, found from the end: the first menu after it
    // that is not deeper is of its own level.
    std::vector<char> laterSibling(size_t(total) + 1, 0);
    std::vector<int> open;
    for (int m = total; m >= 1; --m) {
        const int level = drawnLevel(layout.menu(m));
        while (!open.empty() && open.back() > level)
            open.pop_back();
        laterSibling[size_t(m)] = char(!open.empty() && open.back() == level);
        if (open.empty() || open.back() != level)
            open.push_back(level);
    }

    // Per level, whether its vertical connector goes on below the current row.
    std::vector<char> continues(kDeepestMenu + 2, 0);
    for (int m = 1; m <= total; ++m) {
        const int row = (m - 1) % rows.perPage;
        if (row == 0) {
            if (m > 1)
                restoreDrawingState();
            beginPage(heading);
        }
        const MenuRecord& menu = layout.menu(m);
        const int level = drawnLevel(menu);
        const double top = frame_.top + kListTop + row * rows.rowHeight;
        const double middle = top + rows.rowHeight / 2;
        auto column = [&](int n) { return frame_.left + (n - 1) * kMenuIndent + 120; };
        for (int n = 1; n < level; ++n) {
            if (continues[size_t(n)])
                s.drawLine(column(n), top, column(n), top + rows.rowHeight, kConnectorInk, 1, LineStyle::Solid);
        }
        if (level >= 1) {
            const double x = column(level);
            s.drawLine(
                x, top, x, laterSibling[size_t(m)] ? top + rows.rowHeight : middle, kConnectorInk, 1, LineStyle::Solid);
            s.drawLine(x, middle, x + kListStroke, middle, kConnectorInk, 1, LineStyle::Solid);
        }
        continues[size_t(level)] = laterSibling[size_t(m)];
        std::fill(continues.begin() + level + 1, continues.end(), 0);

        const double x = level * kMenuIndent;
        if (menu.caption == QLatin1String("-")) {
            s.drawLine(frame_.left + x, middle, frame_.left + x + kSeparatorLength, middle, kSeparatorInk, 1,
                LineStyle::Solid);
            continue;
        }
        s.setTextColor(kBlack);
        printAt(x, kListTop + row * rows.rowHeight + textTop, menu.caption, kListPoints, false, false);
        s.setCurrentX(s.currentX() + 160);
        s.setTextColor(colours_[size_t(print::colour::ProcedureName)]);
        s.printText(QString(QLatin1Char('[') + menu.name + QLatin1Char(']')), false);
        if (!menu.visible) {
            s.setTextColor(kBlack);
            s.printText(u"  (hidden)", false);
        }
    }
    restoreDrawingState();
}

} // namespace quillon::formimage
