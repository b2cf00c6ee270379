#include "formimage/FormImageRenderer.h"

#include "model/RoutineInfo.h"
#include "model/SourceText.h"
#include "platform/MessageBox.h"
#include "platform/RecordingPrintSurface.h"
#include "print/PageFrame.h"
#include "print/PageSetup.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

using namespace quillon::formimage;
using quillon::platform::LineStyle;
using quillon::platform::RecordingPrintSurface;
using quillon::platform::Rgb;
using Op = RecordingPrintSurface::Op;
using Kind = Op::Kind;

namespace {

// Also notes every orientation asked for, and the orientation each form outline (the only
// box of width 2) was drawn in.
class TurningSurface : public RecordingPrintSurface {
public:
    std::vector<int> turns;
    std::vector<int> outlineOrientations;

    void SetOrientationCode(int code) override
    {
        turns.push_back(code);
        RecordingPrintSurface::SetOrientationCode(code);
    }
    void DrawBox(double x1, double y1, double x2, double y2, quint32 rgb, int width, LineStyle style) override
    {
        if (width == 2)
            outlineOrientations.push_back(OrientationCode());
        RecordingPrintSurface::DrawBox(x1, y1, x2, y2, rgb, width, style);
    }
};

// Recognisable stand-ins for the highlight colours: index i is 1000 + i.
std::array<quint32, 10> StandInColours()
{
    std::array<quint32, 10> colours{};
    for (size_t i = 0; i < colours.size(); ++i)
        colours[i] = quint32(1000 + i);
    return colours;
}

// Letter portrait on the recording surface: print box 10080 × 11520 twips at (720, 2016).
struct Bench {
    TurningSurface surface;
    quillon::print::PageSetup setup;
    quillon::print::modProjectPrinterCalls printer{surface, setup};
    quillon::print::PrintRunState run;
    quillon::print::PageFrame frame{printer, run};
    std::array<quint32, 10> colours = StandInColours();
    FormImageRenderer renderer{printer, frame, colours};

    explicit Bench(bool duplex = false)
    {
        printer.now = [] { return QDateTime(QDate(2026, 3, 7), QTime(14, 5, 9)); };
        setup.Duplex = duplex;
        printer.ComputePageGeometry(true);
    }
    double W() const { return printer.Geometry().PrintableWidth; }
    double H() const { return printer.Geometry().PrintableHeight; }
    bool Print(const FormLayout& layout)
    {
        frame.PageNumber = 0;
        return renderer.PrintFormImage(layout, QStringLiteral("C:\\Project\\Main.frm"));
    }
    std::vector<Op> Ops(Kind kind, int page = 0) const
    {
        std::vector<Op> out;
        for (const Op& op : surface.ops) {
            if (op.kind == kind && (page == 0 || op.page == page))
                out.push_back(op);
        }
        return out;
    }
    const Op* Text(const QString& text) const
    {
        for (const Op& op : surface.ops) {
            if (op.kind == Kind::Text && op.text == text)
                return &op;
        }
        return nullptr;
    }
    // The page headings, "page:title".
    QStringList Headings() const
    {
        QStringList out;
        for (const Op& op : Ops(Kind::Text)) {
            if (op.bold && op.fontSize == 12)
                out << QString::number(op.page) + QLatin1Char(':') + op.text;
        }
        return out;
    }
    int PagesPrinted() const { return surface.PagesStarted(); }
    // The pages of the layers themselves.
    std::vector<int> LayerPages() const
    {
        std::vector<int> pages;
        for (const QString& heading : Headings()) {
            if (heading.contains(QStringLiteral(" - Layer ")) && !heading.contains(QStringLiteral(" - Callouts")))
                pages.push_back(heading.section(QLatin1Char(':'), 0, 0).toInt());
        }
        return pages;
    }
};

// A form built by hand, as the layout reader would leave it.
class Form {
public:
    Form(int width, int height, const QString& caption = QStringLiteral("Main"))
    {
        layout_.Form.Name = QStringLiteral("frmMain");
        layout_.Form.Caption = caption;
        layout_.Form.ClientWidth = width;
        layout_.Form.ClientHeight = height;
    }
    int Add(const QString& type, const QString& name, int left, int top, int width, int height, int parent = -1)
    {
        ControlRecord c;
        c.TypeName = type;
        c.Name = name;
        c.Left = left;
        c.Top = top;
        c.Width = width;
        c.Height = height;
        c.Parent = qint16(parent);
        c.HasSize = width >= 1 && height >= 1;
        layout_.Controls.push_back(c);
        return layout_.ControlTotal();
    }
    int Button(const QString& name, int left, int top, int width = 1200, int height = 495, int parent = -1)
    {
        return Add(QStringLiteral("VB.CommandButton"), name, left, top, width, height, parent);
    }
    int Line(const QString& name, int x1, int y1, int x2, int y2)
    {
        const int n = Add(QStringLiteral("VB.Line"), name, std::min(x1, x2), std::min(y1, y2), std::abs(x2 - x1),
                          std::abs(y2 - y1));
        ControlRecord& c = layout_.Control(n);
        c.X1 = x1;
        c.Y1 = y1;
        c.X2 = x2;
        c.Y2 = y2;
        c.HasSize = true;
        return n;
    }
    void Menu(const QString& name, const QString& caption, int level, bool visible = true)
    {
        layout_.Menus.push_back({name, caption, qint16(level), visible});
        if (level == 0 && visible && caption != QLatin1String("-"))
            layout_.Form.HasMenuBar = true;
    }
    ControlRecord& operator[](int n) { return layout_.Control(n); }
    const FormLayout& Done()
    {
        modFormImage_v2::ComputeAbsolutePositions(layout_);
        modFormImage_v2::AssignLayers(layout_);
        layout_.Form.ControlCount = qint16(std::min(layout_.ControlTotal(), 32767));
        layout_.Form.MenuCount = qint16(layout_.MenuTotal());
        return layout_;
    }

private:
    FormLayout layout_;
};

struct Box {
    double x1, y1, x2, y2;
    bool Overlaps(const Box& o) const { return x1 < o.x2 && o.x1 < x2 && y1 < o.y2 && o.y1 < y2; }
};

// A printed text's rectangle under the recording surface's metrics.
Box TextBox(const Op& op)
{
    return {op.x, op.y, op.x + op.text.size() * 12.0 * op.fontSize, op.y + 24.0 * op.fontSize};
}

// Pairs of the texts whose rectangles overlap, as "a / b".
QStringList OverlappingTexts(std::vector<Op> texts)
{
    std::sort(texts.begin(), texts.end(), [](const Op& a, const Op& b) { return a.x < b.x; });
    QStringList pairs;
    for (size_t i = 0; i < texts.size(); ++i) {
        const Box first = TextBox(texts[i]);
        for (size_t j = i + 1; j < texts.size() && texts[j].x < first.x2; ++j) {
            if (first.Overlaps(TextBox(texts[j])))
                pairs << texts[i].text + QStringLiteral(" / ") + texts[j].text;
        }
    }
    return pairs;
}

bool SameBox(const Op& op, double x1, double y1, double x2, double y2)
{
    return std::abs(op.x - x1) < 1e-6 && std::abs(op.y - y1) < 1e-6 && std::abs(op.x2 - x2) < 1e-6
        && std::abs(op.y2 - y2) < 1e-6;
}

// Where a control's box lands on the page for a form without a menu bar drawn at scale s.
struct Mapping {
    double left, top, s, x0;
    double X(double x) const { return left + x0 + s * x; }
    double Y(double y) const { return top + s * (420 + y); }
};

Mapping MappingOf(const Bench& b, const FormLayout& layout)
{
    const FormPlacement place = PlaceForm(layout.Form, b.W(), b.H());
    return {b.frame.Left, b.frame.Top, place.scale, place.x0};
}

// ---- Placement on the page ------------------------------------------------------------

TEST(FormImageRendererTest, FormOf4800By3600IsScaledToThePrintBoxAtItsTopAndCentred)
{
    Bench b;
    Form form(4800, 3600);
    form.Button(QStringLiteral("cmdOK"), 240, 240);
    const FormLayout& layout = form.Done();

    const FormPlacement place = PlaceForm(layout.Form, b.W(), b.H());
    EXPECT_EQ(place.captionHeight, 420);
    EXPECT_EQ(place.formHeight, 4020);
    EXPECT_DOUBLE_EQ(place.scale, std::min(10080.0 / 4800, 11520.0 / 4020));
    EXPECT_DOUBLE_EQ(place.scale, 2.1);
    EXPECT_DOUBLE_EQ(place.y0, 0);

    ASSERT_TRUE(b.Print(layout));
    EXPECT_EQ(b.Headings(), QStringList{"1:Main.frm|Image - Layer 1 of 1"});
    const std::vector<Op> outlines = [&] {
        std::vector<Op> out;
        for (const Op& op : b.Ops(Kind::Box))
            if (op.width == 2)
                out.push_back(op);
        return out;
    }();
    ASSERT_EQ(outlines.size(), 1u);
    EXPECT_TRUE(SameBox(outlines[0], 720, 2016, 720 + 10080, 2016 + 2.1 * 4020));
    // The title bar: 420 form twips of gray at the top, the caption at s·80 from the left,
    // the window buttons ending s·80 before the right edge.
    bool titleBar = false;
    for (const Op& op : b.Ops(Kind::Fill))
        titleBar |= op.color == Rgb(217, 217, 217) && SameBox(op, 720, 2016, 720 + 10080, 2016 + 2.1 * 420);
    EXPECT_TRUE(titleBar);
    const Op* caption = b.Text(QStringLiteral("Main"));
    ASSERT_NE(caption, nullptr);
    EXPECT_TRUE(caption->bold);
    EXPECT_DOUBLE_EQ(caption->x, 720 + 2.1 * 80);
    EXPECT_DOUBLE_EQ(caption->fontSize, std::min(10.0, 2.1 * 420 * 0.6 / 20));
    const Op* buttons = b.Text(QStringLiteral("_  []  X"));
    ASSERT_NE(buttons, nullptr);
    EXPECT_FALSE(buttons->bold);
    EXPECT_NEAR(buttons->x + 8 * 12 * buttons->fontSize, 720 + 10080 - 2.1 * 80, 1e-6);
}

TEST(FormImageRendererTest, FormLimitedByHeightIsCentredAcrossThePrintBox)
{
    Bench b;
    Form form(2000, 6000);
    form.Button(QStringLiteral("cmdOK"), 240, 240);
    ASSERT_TRUE(b.Print(form.Done()));
    const double s = 11520.0 / 6420;
    for (const Op& op : b.Ops(Kind::Box)) {
        if (op.width != 2)
            continue;
        EXPECT_NEAR(op.x - 720, 720 + 10080 - op.x2, 1e-6);
        EXPECT_NEAR(op.x2 - op.x, s * 2000, 1e-6);
        EXPECT_DOUBLE_EQ(op.y, 2016);
        EXPECT_NEAR(op.y2, 2016 + 11520, 1e-6);
    }
}

TEST(FormImageRendererTest, WideFormTurnsThePageOnlyWithoutDuplexAndTurnsItBack)
{
    Form wide(12000, 3000);
    wide.Button(QStringLiteral("cmdOK"), 240, 240);
    const FormLayout& layout = wide.Done();
    {
        Bench b;
        ASSERT_TRUE(b.Print(layout));
        EXPECT_EQ(b.surface.outlineOrientations, std::vector<int>{2});
        EXPECT_EQ(b.surface.OrientationCode(), 1);
        EXPECT_EQ(b.setup.Orientation, QStringLiteral("Portrait"));
        EXPECT_DOUBLE_EQ(b.W(), 10080);
        EXPECT_DOUBLE_EQ(b.H(), 11520);
    }
    {
        Bench b(true);
        b.surface.turns.clear();
        ASSERT_TRUE(b.Print(layout));
        EXPECT_EQ(b.surface.outlineOrientations, std::vector<int>{1});
        EXPECT_TRUE(b.surface.turns.empty() || std::all_of(b.surface.turns.begin(), b.surface.turns.end(),
                                                           [](int code) { return code == 1; }));
    }
    {
        // Landscape would print this one smaller: the set-up's margins are not the turned box.
        Bench b;
        Form form(4800, 3600);
        form.Button(QStringLiteral("cmdOK"), 240, 240);
        ASSERT_TRUE(b.Print(form.Done()));
        EXPECT_EQ(b.surface.outlineOrientations, std::vector<int>{1});
        EXPECT_EQ(b.surface.OrientationCode(), 1);
    }
}

// ---- Controls and names --------------------------------------------------------------

TEST(FormImageRendererTest, ControlsAreFilledOutlinedAndNamedByTheirType)
{
    Bench b;
    Form form(4800, 3600);
    const int ok = form.Button(QStringLiteral("cmdOK"), 240, 240);
    const int hidden = form.Button(QStringLiteral("cmdHidden"), 240, 960, 2000);
    form[hidden].Visible = false;
    const int array = form.Button(QStringLiteral("cmdArr"), 240, 1680, 1500);
    form[array].Index = 3;
    const int label = form.Add(QStringLiteral("VB.Label"), QStringLiteral("lblInfo"), 2760, 240, 1800, 300);
    const int frame = form.Add(QStringLiteral("VB.Frame"), QStringLiteral("fraOpts"), 2760, 960, 1800, 1200);
    form.Line(QStringLiteral("linRise"), 4500, 2400, 2800, 3300);
    const int grid = form.Add(QStringLiteral("MSFlexGridLib.MSFlexGrid"), QStringLiteral("grdData"), 240, 2400, 2000, 1000);
    const FormLayout& layout = form.Done();
    ASSERT_EQ(layout.Form.LayerCount, 1);
    ASSERT_TRUE(b.Print(layout));
    const Mapping m = MappingOf(b, layout);
    auto boxOf = [&](int n, const Op& op) {
        const ControlRecord& c = layout.Control(n);
        return SameBox(op, m.X(c.AbsLeft), m.Y(c.AbsTop), m.X(c.AbsLeft + c.Width), m.Y(c.AbsTop + c.Height));
    };
    auto fillsOf = [&](int n) {
        std::vector<quint32> colours;
        for (const Op& op : b.Ops(Kind::Fill))
            if (boxOf(n, op))
                colours.push_back(op.color);
        return colours;
    };
    auto outlineOf = [&](int n) -> const Op* {
        for (const Op& op : b.surface.ops)
            if (op.kind == Kind::Box && boxOf(n, op))
                return &op;
        return nullptr;
    };

    EXPECT_EQ(fillsOf(ok), std::vector<quint32>{0xFFFFFF});
    EXPECT_EQ(fillsOf(hidden), std::vector<quint32>{Rgb(235, 235, 235)});
    EXPECT_TRUE(fillsOf(label).empty());
    EXPECT_TRUE(fillsOf(frame).empty());
    ASSERT_NE(outlineOf(label), nullptr);
    EXPECT_EQ(outlineOf(label)->style, LineStyle::Dashed);
    ASSERT_NE(outlineOf(frame), nullptr);
    EXPECT_EQ(outlineOf(frame)->style, LineStyle::Solid);
    EXPECT_EQ(outlineOf(frame)->color, 0u);

    ASSERT_NE(b.Text(QStringLiteral("cmdHidden  (V=F)")), nullptr);
    ASSERT_NE(b.Text(QStringLiteral("cmdArr(3)")), nullptr);
    ASSERT_NE(b.Text(QStringLiteral("lblInfo")), nullptr);
    const Op* okName = b.Text(QStringLiteral("cmdOK"));
    ASSERT_NE(okName, nullptr);
    EXPECT_EQ(okName->color, Rgb(40, 40, 40));
    EXPECT_FALSE(okName->italic);
    EXPECT_DOUBLE_EQ(okName->fontSize, 7);
    // Centred in its button.
    EXPECT_NEAR(okName->x + 5 * 12 * 7 / 2.0, m.X(240 + 600), 1e-6);
    EXPECT_NEAR(okName->y + 24 * 7 / 2.0, m.Y(240 + 495 / 2.0), 1e-6);

    // A frame's name sits on its top edge in italics.
    const Op* frameName = b.Text(QStringLiteral("fraOpts"));
    ASSERT_NE(frameName, nullptr);
    EXPECT_TRUE(frameName->italic);
    EXPECT_DOUBLE_EQ(frameName->fontSize, 6.5);
    EXPECT_DOUBLE_EQ(frameName->x, m.X(2760) + 60);
    EXPECT_DOUBLE_EQ(frameName->y, m.Y(960) - 0.4 * 24 * 6.5);

    // The line keeps its direction; lines get no name.
    bool line = false;
    for (const Op& op : b.Ops(Kind::Line))
        line |= SameBox(op, m.X(4500), m.Y(2400), m.X(2800), m.Y(3300));
    EXPECT_TRUE(line);
    EXPECT_EQ(b.Text(QStringLiteral("linRise")), nullptr);

    // The grid's header row: 160 twips down, as its box is over 800 twips high.
    bool header = false;
    for (const Op& op : b.Ops(Kind::Line))
        header |= SameBox(op, m.X(240), m.Y(2400) + 160, m.X(2240), m.Y(2400) + 160);
    EXPECT_TRUE(header);
    EXPECT_NE(outlineOf(grid), nullptr);
    // Afterwards the surface is back to black ink and the body font.
    EXPECT_FALSE(b.surface.Italic());
    EXPECT_FALSE(b.surface.Bold());
    EXPECT_DOUBLE_EQ(b.surface.FontSize(), 10);
}

TEST(FormImageRendererTest, LineWithoutItsEndPointsRunsCornerToCorner)
{
    Bench b;
    Form form(4800, 3600);
    const int n = form.Add(QStringLiteral("VB.Line"), QStringLiteral("linBox"), 1000, 1000, 800, 400);
    form[n].HasSize = true;
    const FormLayout& layout = form.Done();
    ASSERT_TRUE(b.Print(layout));
    const Mapping m = MappingOf(b, layout);
    bool line = false;
    for (const Op& op : b.Ops(Kind::Line))
        line |= SameBox(op, m.X(1000), m.Y(1000), m.X(1800), m.Y(1400));
    EXPECT_TRUE(line);
}

// ---- Callouts --------------------------------------------------------------------------

TEST(FormImageRendererTest, SmallControlGetsCalloutListedOnTheCalloutsPage)
{
    Bench b;
    Form form(4800, 3600);
    form.Button(QStringLiteral("cmdOK"), 240, 240);
    const int tiny = form.Add(QStringLiteral("VB.PictureBox"), QStringLiteral("picTiny"), 2400, 1800, 60, 60);
    const FormLayout& layout = form.Done();
    ASSERT_TRUE(b.Print(layout));

    EXPECT_EQ(b.Headings(),
              (QStringList{"1:Main.frm|Image - Layer 1 of 1", "2:Main.frm|Image - Layer 1 of 1 - Callouts (cont.)"}));
    EXPECT_EQ(b.Text(QStringLiteral("picTiny")), nullptr);
    const Op* marker = b.Text(QStringLiteral("1"));
    ASSERT_NE(marker, nullptr);
    EXPECT_EQ(marker->page, 1);
    EXPECT_TRUE(marker->bold);

    // The leader starts just outside the control and ends just short of the marker.
    const Mapping m = MappingOf(b, layout);
    const ControlRecord& c = layout.Control(tiny);
    const Box control{m.X(c.AbsLeft), m.Y(c.AbsTop), m.X(c.AbsLeft + c.Width), m.Y(c.AbsTop + c.Height)};
    const Box markerBox = TextBox(*marker);
    EXPECT_FALSE(markerBox.Overlaps(control));
    std::vector<Op> leaders;
    for (const Op& op : b.Ops(Kind::Line, 1))
        if (op.color == Rgb(90, 90, 90))
            leaders.push_back(op);
    ASSERT_EQ(leaders.size(), 1u);
    const Op& leader = leaders[0];
    auto distance = [](double x, double y, const Box& r) {
        const double dx = std::max({r.x1 - x, 0.0, x - r.x2});
        const double dy = std::max({r.y1 - y, 0.0, y - r.y2});
        return std::hypot(dx, dy);
    };
    EXPECT_NEAR(distance(leader.x, leader.y, control), 8, 1e-6);
    EXPECT_NEAR(distance(leader.x2, leader.y2, markerBox), 12, 1.0);

    const QStringList listPage = b.surface.TextsOnPage(2);
    EXPECT_TRUE(listPage.contains(QStringLiteral("Callouts")));
    EXPECT_TRUE(listPage.contains(QStringLiteral("1 - picTiny")));
    const Op* title = b.Text(QStringLiteral("Callouts"));
    EXPECT_TRUE(title->bold);
    EXPECT_DOUBLE_EQ(title->fontSize, 10);
    EXPECT_DOUBLE_EQ(title->x, b.frame.Left);
    EXPECT_DOUBLE_EQ(title->y, b.frame.Top + 60);
    EXPECT_DOUBLE_EQ(b.Text(QStringLiteral("1 - picTiny"))->fontSize, 9);
}

TEST(FormImageRendererTest, NameTooWideForItsControlButReadableSizeStillFitsAtSmallerSize)
{
    Bench b;
    Form form(4800, 3600);
    // 11 characters at 7 points are 924 twips; the button's room is 1200·2.1 − 40 = 2480 at
    // first, then a narrow one of 400·2.1 − 40 = 800 takes 6 points (792 twips).
    form.Button(QStringLiteral("cmdNarrowOK"), 240, 240, 400);
    ASSERT_TRUE(b.Print(form.Done()));
    const Op* name = b.Text(QStringLiteral("cmdNarrowOK"));
    ASSERT_NE(name, nullptr);
    EXPECT_DOUBLE_EQ(name->fontSize, 6);
    EXPECT_EQ(b.Headings().size(), 1);
}

// A form crowded with small controls, some overlapping, in containers and out.
Form CrowdedForm(int count, int seed)
{
    Form form(9000, 7000);
    const int frame = form.Add(QStringLiteral("VB.Frame"), QStringLiteral("fraAll"), 4500, 300, 4200, 6400);
    unsigned state = unsigned(seed);
    auto next = [&](int range) {
        state = state * 1103515245u + 12345u;
        return int((state >> 8) % unsigned(range));
    };
    for (int i = 0; i < count; ++i) {
        const bool inFrame = i % 3 == 0;
        const int width = 80 + next(700);
        const int height = 60 + next(400);
        const int left = inFrame ? 100 + next(3800) : next(4200);
        const int top = inFrame ? 200 + next(5800) : next(6600);
        const QString type = i % 7 == 0 ? QStringLiteral("VB.Label") : QStringLiteral("VB.TextBox");
        form.Add(type, QStringLiteral("txtField") + QString::number(i), left, top, width, height, inFrame ? frame : -1);
    }
    return form;
}

TEST(FormImageRendererTest, CrowdedFormMarkersNeverCoverMarkersOrNamesAndEveryNameIsShown)
{
    Bench b;
    Form form = CrowdedForm(260, 7);
    const FormLayout& layout = form.Done();
    ASSERT_GE(layout.Form.LayerCount, 2);
    ASSERT_TRUE(b.Print(layout));

    // Pages of layers and the names each shows, by the headings.
    std::map<int, int> layerOfPage;
    std::map<int, bool> calloutPage;
    for (const QString& heading : b.Headings()) {
        const int page = heading.section(QLatin1Char(':'), 0, 0).toInt();
        const QString title = heading.section(QLatin1Char(':'), 1);
        const int layer = title.section(QStringLiteral(" - Layer "), 1).section(QLatin1Char(' '), 0, 0).toInt();
        layerOfPage[page] = layer;
        calloutPage[page] = title.contains(QStringLiteral(" - Callouts"));
    }
    int markers = 0;
    std::map<int, QStringList> shownOnLayer;
    for (const auto& [page, layer] : layerOfPage) {
        std::vector<Op> texts;
        for (const Op& op : b.Ops(Kind::Text, page))
            if (!op.text.isEmpty() && !(op.bold && op.fontSize == 12) && op.fontSize < 8)
                texts.push_back(op);
        if (calloutPage[page]) {
            for (const Op& op : b.Ops(Kind::Text, page))
                if (op.text.contains(QStringLiteral(" - ")))
                    shownOnLayer[layer] << op.text.section(QStringLiteral(" - "), 1);
            continue;
        }
        EXPECT_EQ(OverlappingTexts(texts), QStringList()) << "page " << page;
        for (size_t i = 0; i < texts.size(); ++i) {
            if (texts[i].bold)
                ++markers;
            else
                shownOnLayer[layer] << texts[i].text;
            // On the page.
            EXPECT_GE(texts[i].x, b.frame.Left);
            EXPECT_LE(TextBox(texts[i]).x2, b.frame.Left + b.W() + 1e-6);
        }
    }
    EXPECT_GT(markers, 20);
    for (int n = 1; n <= layout.ControlTotal(); ++n) {
        const ControlRecord& c = layout.Control(n);
        EXPECT_EQ(shownOnLayer[c.Layer].count(c.Name), 1) << c.Name.toStdString();
    }
}

TEST(FormImageRendererTest, CalloutsBeyondOnePageGoOnInColumnsAndPages)
{
    Bench b;
    Form form(30000, 20000);
    for (int i = 0; i < 400; ++i)
        form.Add(QStringLiteral("VB.TextBox"), QStringLiteral("t") + QString::number(i), (i % 20) * 1500,
                 (i / 20) * 1000, 600, 285);
    const FormLayout& layout = form.Done();
    ASSERT_EQ(layout.Form.LayerCount, 1);
    const int estimate = b.renderer.EstimateFormImagePages(layout);
    ASSERT_TRUE(b.Print(layout));
    EXPECT_EQ(b.PagesPrinted(), estimate);
    QStringList listed;
    std::set<double> columns;
    for (const Op& op : b.Ops(Kind::Text)) {
        if (op.page >= 2 && op.text.contains(QStringLiteral(" - ")) && op.fontSize == 9) {
            listed << op.text;
            columns.insert(op.x);
        }
    }
    EXPECT_EQ(listed.size(), 400);
    EXPECT_EQ(listed.first(), QStringLiteral("1 - t0"));
    EXPECT_EQ(listed.last(), QStringLiteral("400 - t399"));
    EXPECT_GT(columns.size(), 1u);
}

// ---- Layers -------------------------------------------------------------------------------

TEST(FormImageRendererTest, OverlappingButtonsSpreadOverLayersWithTheirContainerDottedOnTheSecond)
{
    Bench b;
    Form form(4800, 3600);
    const int frame = form.Add(QStringLiteral("VB.Frame"), QStringLiteral("fraBox"), 240, 240, 4000, 3000);
    form.Button(QStringLiteral("cmdFirst"), 200, 300, 1500, 600, frame);
    const int second = form.Button(QStringLiteral("cmdSecond"), 300, 400, 1500, 600, frame);
    const FormLayout& layout = form.Done();
    ASSERT_EQ(layout.Form.LayerCount, 2);
    ASSERT_EQ(layout.Control(second).Layer, 2);
    ASSERT_TRUE(b.Print(layout));

    EXPECT_EQ(b.Headings(), (QStringList{"1:Main.frm|Image - Layer 1 of 2", "2:Main.frm|Image - Layer 2 of 2 (cont.)"}));
    EXPECT_TRUE(b.surface.TextsOnPage(1).contains(QStringLiteral("cmdFirst")));
    EXPECT_FALSE(b.surface.TextsOnPage(1).contains(QStringLiteral("cmdSecond")));
    EXPECT_TRUE(b.surface.TextsOnPage(2).contains(QStringLiteral("cmdSecond")));
    EXPECT_FALSE(b.surface.TextsOnPage(2).contains(QStringLiteral("cmdFirst")));
    EXPECT_FALSE(b.surface.TextsOnPage(2).contains(QStringLiteral("fraBox")));

    const Mapping m = MappingOf(b, layout);
    int dotted = 0;
    for (const Op& op : b.Ops(Kind::Box, 2)) {
        if (op.style == LineStyle::Dotted) {
            ++dotted;
            EXPECT_EQ(op.color, Rgb(140, 140, 140));
            EXPECT_TRUE(SameBox(op, m.X(240), m.Y(240), m.X(4240), m.Y(3240)));
        }
    }
    EXPECT_EQ(dotted, 1);
    for (const Op& op : b.Ops(Kind::Box, 1))
        EXPECT_NE(op.style, LineStyle::Dotted);
}

// ---- Menu tree -------------------------------------------------------------------------

TEST(FormImageRendererTest, MenuTreeIndentsByLevelWithSeparatorsAsGrayLines)
{
    Bench b;
    Form form(4800, 3600);
    form.Button(QStringLiteral("cmdOK"), 240, 240);
    form.Menu(QStringLiteral("mnuFile"), QStringLiteral("&File"), 0);
    form.Menu(QStringLiteral("mnuOpen"), QStringLiteral("&Open"), 1);
    form.Menu(QStringLiteral("mnuSep"), QStringLiteral("-"), 1);
    form.Menu(QStringLiteral("mnuExit"), QStringLiteral("E&xit"), 1);
    form.Menu(QStringLiteral("mnuSecret"), QStringLiteral("Secret"), 1, false);
    form.Menu(QStringLiteral("mnuHelp"), QStringLiteral("&Help"), 0);
    const FormLayout& layout = form.Done();
    ASSERT_TRUE(b.Print(layout));

    EXPECT_EQ(b.Headings(), (QStringList{"1:Main.frm|Image - Layer 1 of 1", "2:Main.frm|Image - Menu Tree (cont.)"}));
    // The menu bar shows the top-level captions without their access keys, in order.
    const QStringList layerPage = b.surface.TextsOnPage(1);
    EXPECT_TRUE(layerPage.contains(QStringLiteral("File")));
    EXPECT_LT(b.Text(QStringLiteral("File"))->x, b.Text(QStringLiteral("Help"))->x);
    // With a menu bar the client area starts 780 form twips down.
    const FormPlacement place = PlaceForm(layout.Form, b.W(), b.H());
    EXPECT_EQ(place.captionHeight, 780);

    const Op* file = b.Text(QStringLiteral("&File"));
    const Op* open = b.Text(QStringLiteral("&Open"));
    const Op* exit = b.Text(QStringLiteral("E&xit"));
    ASSERT_TRUE(file && open && exit);
    EXPECT_EQ(file->page, 2);
    EXPECT_DOUBLE_EQ(file->x, b.frame.Left);
    EXPECT_DOUBLE_EQ(open->x, b.frame.Left + 360);
    EXPECT_EQ(file->color, 0u);
    const Op* fileName = b.Text(QStringLiteral("[mnuFile]"));
    ASSERT_NE(fileName, nullptr);
    EXPECT_EQ(fileName->color, 1006u); // the "Procedure Names" colour
    EXPECT_DOUBLE_EQ(fileName->x, file->x + 5 * 12 * 9 + 160);
    ASSERT_NE(b.Text(QStringLiteral("  (hidden)")), nullptr);
    EXPECT_EQ(b.surface.TextsOnPage(2).indexOf(QStringLiteral("  (hidden)")),
              b.surface.TextsOnPage(2).indexOf(QStringLiteral("[mnuSecret]")) + 1);
    EXPECT_EQ(b.Text(QStringLiteral("-")), nullptr);

    // The separator: a 1200-twip gray line at level 1, between Open and Exit.
    std::vector<Op> separators;
    for (const Op& op : b.Ops(Kind::Line, 2))
        if (op.color == Rgb(150, 150, 150))
            separators.push_back(op);
    ASSERT_EQ(separators.size(), 1u);
    EXPECT_DOUBLE_EQ(separators[0].x, b.frame.Left + 360);
    EXPECT_DOUBLE_EQ(separators[0].x2 - separators[0].x, 1200);
    EXPECT_DOUBLE_EQ(separators[0].y, separators[0].y2);
    EXPECT_GT(separators[0].y, open->y);
    EXPECT_LT(separators[0].y, exit->y);

    // Connectors join the level-1 items to their menu: one vertical stroke runs from the
    // File row down through every item but stops at the last one's middle.
    double lowest = 0;
    int connectors = 0;
    for (const Op& op : b.Ops(Kind::Line, 2)) {
        if (op.color != Rgb(90, 90, 90))
            continue;
        ++connectors;
        if (op.x == op.x2)
            lowest = std::max(lowest, op.y2);
    }
    EXPECT_GT(connectors, 0);
    const Op* secret = b.Text(QStringLiteral("Secret"));
    EXPECT_GT(lowest, secret->y);
    EXPECT_LT(lowest, b.Text(QStringLiteral("&Help"))->y);
}

// ---- Page count -----------------------------------------------------------------------

TEST(FormImageRendererTest, EstimateEqualsThePagesPrinted)
{
    auto check = [](const FormLayout& layout, int atLeast, const char* what) {
        Bench b;
        const int estimate = b.renderer.EstimateFormImagePages(layout);
        EXPECT_EQ(b.surface.OrientationCode(), 1) << what;
        ASSERT_TRUE(b.Print(layout)) << what;
        EXPECT_EQ(b.PagesPrinted(), estimate) << what;
        EXPECT_EQ(b.frame.PageNumber, estimate) << what;
        EXPECT_GE(estimate, atLeast) << what;
    };
    Form plain(4800, 3600);
    plain.Button(QStringLiteral("cmdOK"), 240, 240);
    check(plain.Done(), 1, "plain");

    Form callouts(4800, 3600);
    callouts.Add(QStringLiteral("VB.PictureBox"), QStringLiteral("picTiny"), 2400, 1800, 60, 60);
    check(callouts.Done(), 2, "callouts");

    Form layered(4800, 3600);
    for (int i = 0; i < 4; ++i)
        layered.Button(QStringLiteral("cmdStack") + QString::number(i), 240 + 20 * i, 240, 1200, 495);
    layered.Add(QStringLiteral("VB.Timer"), QStringLiteral("tmrTick"), 100, 100, 0, 0);
    check(layered.Done(), 4, "layers");

    Form menus(4800, 3600);
    menus.Button(QStringLiteral("cmdOK"), 240, 240);
    for (int i = 0; i < 200; ++i)
        menus.Menu(QStringLiteral("mnuItem") + QString::number(i), QStringLiteral("Item"), i % 3);
    check(menus.Done(), 1 + 6, "menus");

    Form wide(14000, 3000);
    wide.Add(QStringLiteral("VB.PictureBox"), QStringLiteral("picTiny"), 2400, 1800, 30, 30);
    check(wide.Done(), 2, "turned");

    Form crowded = CrowdedForm(300, 3);
    check(crowded.Done(), 3, "crowded");
}

TEST(FormImageRendererTest, DuplexEndsTheImageOnABackPage)
{
    Bench b(true);
    Form form(4800, 3600);
    form.Button(QStringLiteral("cmdOK"), 240, 240);
    const FormLayout& layout = form.Done();
    EXPECT_EQ(b.renderer.EstimateFormImagePages(layout), 1);
    ASSERT_TRUE(b.Print(layout));
    EXPECT_EQ(b.PagesPrinted(), 2);
    EXPECT_TRUE(b.surface.TextsOnPage(2).contains(QStringLiteral("(This Page Intentionally Left Blank)")));
    // One footer a page.
    int footers = 0;
    for (const Op& op : b.Ops(Kind::Text))
        footers += op.text.startsWith(QStringLiteral("Printed with Quillon")) ? 1 : 0;
    EXPECT_EQ(footers, 2);
}

// ---- Bad input ----------------------------------------------------------------------------

TEST(FormImageRendererTest, DegenerateFormsPrintNothing)
{
    Form zeroWidth(0, 3600);
    zeroWidth.Button(QStringLiteral("cmdOK"), 240, 240);
    Form noHeight(4800, -420);
    noHeight.Button(QStringLiteral("cmdOK"), 240, 240);
    Form nothingDrawable(4800, 3600);
    nothingDrawable.Add(QStringLiteral("VB.Timer"), QStringLiteral("tmrTick"), 100, 100, 0, 0);
    nothingDrawable.Menu(QStringLiteral("mnuFile"), QStringLiteral("&File"), 0);
    for (Form* form : {&zeroWidth, &noHeight, &nothingDrawable}) {
        Bench b;
        const FormLayout& layout = form->Done();
        const size_t before = b.surface.ops.size();
        EXPECT_EQ(b.renderer.EstimateFormImagePages(layout), 0);
        EXPECT_FALSE(b.Print(layout));
        EXPECT_EQ(b.surface.ops.size(), before);
        EXPECT_EQ(b.frame.PageNumber, 0);
    }
    // No print box at all.
    Bench b;
    b.setup.Margins = {5, 5, 1, 1, 0};
    b.setup.WorkingLeft = b.setup.WorkingRight = 5;
    b.printer.ComputePageGeometry(true);
    Form form(4800, 3600);
    form.Button(QStringLiteral("cmdOK"), 240, 240);
    EXPECT_FALSE(b.Print(form.Done()));
    EXPECT_EQ(b.frame.PageNumber, 0);
}

TEST(FormImageRendererTest, AwkwardControlsAndNamesPrintWithoutHarm)
{
    Bench b;
    Form form(4800, 3600, QString());
    form.Button(QStringLiteral("cmdFar"), 2000000000, -2000000000, 1200, 495);
    form.Button(QString(100000, QLatin1Char('N')), 240, 240);
    form.Button(QString(), 240, 1000);
    form.Button(QStringLiteral("cmdHuge"), -1000000, -1000000, 2000000000, 2000000000);
    const int line = form.Line(QStringLiteral("linFlat"), 0, 3000, 4800, 3000);
    (void)line;
    const FormLayout& layout = form.Done();
    const int estimate = b.renderer.EstimateFormImagePages(layout);
    ASSERT_TRUE(b.Print(layout));
    EXPECT_EQ(b.PagesPrinted(), estimate);
    // An empty caption shows the form's name; the long name is listed as a callout.
    EXPECT_NE(b.Text(QStringLiteral("frmMain")), nullptr);
    bool longListed = false;
    for (const Op& op : b.Ops(Kind::Text))
        longListed |= op.text.startsWith(QStringLiteral("1 - NNNN")) || op.text.startsWith(QStringLiteral("2 - NNNN"));
    EXPECT_TRUE(longListed);
}

TEST(FormImageRendererTest, FiveThousandControlsPrintAsEstimated)
{
    Bench b;
    Form form(60000, 40000);
    const int frame = form.Add(QStringLiteral("VB.Frame"), QStringLiteral("fraAll"), 100, 100, 59000, 39000);
    for (int i = 0; i < 5000; ++i) {
        const int column = i % 80;
        const int row = i / 80;
        form.Add(i % 5 == 0 ? QStringLiteral("VB.Label") : QStringLiteral("VB.TextBox"),
                 QStringLiteral("txtCell") + QString::number(i), 200 + column * 720, 200 + row * 600, 600, 285,
                 i % 2 == 0 ? frame : -1);
    }
    const FormLayout& layout = form.Done();
    const int estimate = b.renderer.EstimateFormImagePages(layout);
    ASSERT_TRUE(b.Print(layout));
    EXPECT_EQ(b.PagesPrinted(), estimate);
    ASSERT_GE(estimate, 2);
    // Far more markers than the page has room for: the last ones still cover nothing, the
    // footer included.
    for (int page : b.LayerPages()) {
        std::vector<Op> texts;
        int markers = 0;
        for (const Op& op : b.Ops(Kind::Text, page)) {
            if (!op.text.isEmpty() && op.fontSize < 12) {
                texts.push_back(op);
                markers += op.bold && op.fontSize == 7 ? 1 : 0;
            }
        }
        EXPECT_GT(markers, 2000);
        EXPECT_EQ(OverlappingTexts(texts), QStringList()) << "page " << page;
    }
}

// ---- Reading the form file --------------------------------------------------------------

TEST(FormImageRendererTest, RoutineOverloadsReadTheFormFile)
{
    quillon::test::Fixture fx;
    const QString path = fx.writeLines(QStringLiteral("frmOrder.frm"),
                                       {"VERSION 5.00", "Begin VB.Form frmOrder", "   Caption = \"Order\"",
                                        "   ClientHeight = 3600", "   ClientWidth = 4800",
                                        "   Begin VB.CommandButton cmdOK", "      Caption = \"OK\"",
                                        "      Height = 495", "      Left = 240", "      Top = 240",
                                        "      Width = 1200", "   End", "End", "Attribute VB_Name = \"frmOrder\""});
    quillon::model::clsRoutineInfo routine;
    routine.FilePath = path;
    routine.RoutineKind = quillon::model::kind::Image;
    quillon::platform::ScriptedMessageBox box;
    {
        Bench b;
        EXPECT_EQ(b.renderer.EstimateFormImagePages(routine, quillon::model::SourceReader::Default()), 1);
        b.frame.PageNumber = 0;
        ASSERT_TRUE(b.renderer.PrintFormImage(routine, quillon::model::SourceReader::Default(), &box));
        EXPECT_EQ(b.Headings(), QStringList{"1:frmOrder.frm|Image - Layer 1 of 1"});
        EXPECT_NE(b.Text(QStringLiteral("Order")), nullptr);
        EXPECT_NE(b.Text(QStringLiteral("cmdOK")), nullptr);
    }
    routine.FilePath = fx.path(QStringLiteral("missing.frm"));
    Bench b;
    EXPECT_EQ(b.renderer.EstimateFormImagePages(routine, quillon::model::SourceReader::Default()), 0);
    EXPECT_TRUE(box.shown.empty());
    EXPECT_FALSE(b.renderer.PrintFormImage(routine, quillon::model::SourceReader::Default(), &box));
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].title, QStringLiteral("Form Image"));
    EXPECT_EQ(b.frame.PageNumber, 0);
}

} // namespace
