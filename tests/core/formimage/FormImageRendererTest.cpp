#include "formimage/FormImageRenderer.h"

#include "model/RoutineInfo.h"
#include "model/SourceText.h"
#include "platform/MessageBox.h"
#include "platform/RecordingPrintSurface.h"
#include "print/PageFrame.h"
#include "print/PageSetup.h"
#include "support/TestSupport.h"

#include <QRegularExpression>

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

// Also notes the orientation each form outline (the only box of width 2) was drawn in.
class TurningSurface : public RecordingPrintSurface {
public:
    std::vector<int> outlineOrientations;
    void DrawBox(double x1, double y1, double x2, double y2, quint32 rgb, int width, LineStyle style) override
    {
        if (width == 2)
            outlineOrientations.push_back(OrientationCode());
        RecordingPrintSurface::DrawBox(x1, y1, x2, y2, rgb, width, style);
    }
};

std::array<quint32, 10> StandInColours() // index i is 1000 + i
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
    bool Print(const FormLayout& layout)
    {
        frame.PageNumber = 0;
        return renderer.PrintFormImage(layout, QStringLiteral("C:\\Project\\Main.frm"));
    }
    std::vector<Op> Ops(Kind kind, int page = 0) const
    {
        std::vector<Op> out;
        std::copy_if(surface.ops.begin(), surface.ops.end(), std::back_inserter(out),
                     [&](const Op& op) { return op.kind == kind && (page == 0 || op.page == page); });
        return out;
    }
    const Op* Text(const QString& text) const
    {
        for (const Op& op : surface.ops)
            if (op.kind == Kind::Text && op.text == text)
                return &op;
        return nullptr;
    }
    QStringList Headings() const // "page:title"
    {
        QStringList out;
        for (const Op& op : Ops(Kind::Text))
            if (op.bold && op.fontSize == 12)
                out << QString::number(op.page) + QLatin1Char(':') + op.text;
        return out;
    }
    // The names and markers of a page: texts under 8 points.
    std::vector<Op> SmallTexts(int page) const
    {
        std::vector<Op> out;
        for (const Op& op : Ops(Kind::Text, page))
            if (!op.text.isEmpty() && op.fontSize < 8)
                out.push_back(op);
        return out;
    }
};

// A form built by hand, as the layout reader leaves it.
class Form {
public:
    Form(int width, int height, const QString& caption = QStringLiteral("Main"))
    {
        layout_.Form = {QStringLiteral("frmMain"), caption, width, height, false, 0, 0, 0};
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
    void Line(const QString& name, int x1, int y1, int x2, int y2)
    {
        ControlRecord& c = (*this)[Add(QStringLiteral("VB.Line"), name, std::min(x1, x2), std::min(y1, y2),
                                       std::abs(x2 - x1), std::abs(y2 - y1))];
        c.X1 = x1;
        c.Y1 = y1;
        c.X2 = x2;
        c.Y2 = y2;
        c.HasSize = true;
    }
    void Menu(const QString& name, const QString& caption, int level, bool visible = true)
    {
        layout_.Menus.push_back({name, caption, qint16(level), visible});
        layout_.Form.HasMenuBar |= level == 0 && visible && caption != QLatin1String("-");
    }
    ControlRecord& operator[](int n) { return layout_.Control(n); }
    const FormLayout& Done()
    {
        modFormImage_v2::ComputeAbsolutePositions(layout_);
        modFormImage_v2::AssignLayers(layout_);
        return layout_;
    }

private:
    FormLayout layout_;
};

struct Box {
    double x1, y1, x2, y2;
    bool Overlaps(const Box& o) const { return x1 < o.x2 && o.x1 < x2 && y1 < o.y2 && o.y1 < y2; }
};

Box TextBox(const Op& op) // under the recording surface's metrics
{
    return {op.x, op.y, op.x + op.text.size() * 12.0 * op.fontSize, op.y + 24.0 * op.fontSize};
}

// Pairs of texts whose rectangles overlap, as "a / b".
QStringList OverlappingTexts(std::vector<Op> texts)
{
    std::sort(texts.begin(), texts.end(), [](const Op& a, const Op& b) { return a.x < b.x; });
    QStringList pairs;
    for (size_t i = 0; i < texts.size(); ++i) {
        for (size_t j = i + 1; j < texts.size() && texts[j].x < TextBox(texts[i]).x2; ++j) {
            if (TextBox(texts[i]).Overlaps(TextBox(texts[j])))
                pairs << texts[i].text + QStringLiteral(" / ") + texts[j].text;
        }
    }
    return pairs;
}

bool At(const Op& op, double x1, double y1, double x2, double y2)
{
    return std::abs(op.x - x1) < 1e-6 && std::abs(op.y - y1) < 1e-6 && std::abs(op.x2 - x2) < 1e-6
        && std::abs(op.y2 - y2) < 1e-6;
}

bool AnyAt(const std::vector<Op>& ops, double x1, double y1, double x2, double y2)
{
    return std::any_of(ops.begin(), ops.end(), [&](const Op& op) { return At(op, x1, y1, x2, y2); });
}

// Page positions of form-client positions of a form without a menu bar.
struct Mapping {
    double left, top, s, x0;
    Mapping(const Bench& b, const FormLayout& layout)
    {
        const quillon::print::PageGeometry& g = b.printer.Geometry();
        const FormPlacement place = PlaceForm(layout.Form, g.PrintableWidth, g.PrintableHeight);
        left = b.frame.Left;
        top = b.frame.Top;
        s = place.scale;
        x0 = place.x0;
    }
    double X(double x) const { return left + x0 + s * x; }
    double Y(double y) const { return top + s * (420 + y); }
};

Form OneButton(int width = 4800, int height = 3600)
{
    Form form(width, height);
    form.Button(QStringLiteral("cmdOK"), 240, 240);
    return form;
}

TEST(FormImageRendererTest, FormIsScaledToThePrintBoxAtItsTopAndCentredAcross)
{
    Bench b;
    Form form = OneButton(4800, 3600);
    const FormLayout& layout = form.Done();
    const FormPlacement place = PlaceForm(layout.Form, 10080, 11520);
    EXPECT_EQ(place.formHeight, 4020);
    EXPECT_DOUBLE_EQ(place.scale, std::min(10080.0 / 4800, 11520.0 / 4020));
    ASSERT_TRUE(b.Print(layout));
    EXPECT_EQ(b.Headings(), QStringList{"1:Main.frm|Image - Layer 1 of 1"});
    EXPECT_TRUE(AnyAt(b.Ops(Kind::Box), 720, 2016, 720 + 10080, 2016 + 2.1 * 4020));
    EXPECT_TRUE(AnyAt(b.Ops(Kind::Fill), 720, 2016, 720 + 10080, 2016 + 2.1 * 420)); // title bar
    const Op* caption = b.Text(QStringLiteral("Main"));
    ASSERT_NE(caption, nullptr);
    EXPECT_TRUE(caption->bold);
    EXPECT_DOUBLE_EQ(caption->x, 720 + 2.1 * 80);
    const Op* buttons = b.Text(QStringLiteral("_  []  X"));
    ASSERT_NE(buttons, nullptr);
    EXPECT_NEAR(TextBox(*buttons).x2, 720 + 10080 - 2.1 * 80, 1e-6);

    // A tall form is limited by the height and centred across.
    Bench tall;
    Form narrow = OneButton(2000, 6000);
    ASSERT_TRUE(tall.Print(narrow.Done()));
    const double s = 11520.0 / 6420;
    const double gap = (10080 - s * 2000) / 2;
    EXPECT_TRUE(AnyAt(tall.Ops(Kind::Box), 720 + gap, 2016, 720 + gap + s * 2000, 2016 + 11520));
}

TEST(FormImageRendererTest, ControlsBeyondTheClientAreaAreTakenInAndParkedOnesLeftOut)
{
    Form form(2000, 1000);
    form.Button(QStringLiteral("cmdFar"), 3000, 2000, 1000, 500);
    form.Button(QStringLiteral("cmdParked"), -20000, 100);
    form.Button(QStringLiteral("cmdHalfOut"), -600, 100, 1200, 495);
    const FormLayout& layout = form.Done();
    const FormPlacement place = PlaceForm(layout, 10080, 11520);
    EXPECT_DOUBLE_EQ(place.scale, std::min(10080.0 / 4000, 11520.0 / (420 + 2500)));
    EXPECT_NEAR(place.PageX(4000), 10080 - place.x0, 1e-6) << "the far button's edge and the form centred together";
    EXPECT_DOUBLE_EQ(PlaceForm(layout.Form, 10080, 11520).scale, std::min(10080.0 / 2000, 11520.0 / 1420))
        << "the form alone keeps its own scale";

    Bench b(true); // duplex keeps the page upright, so the print box is the portrait one
    ASSERT_TRUE(b.Print(layout));
    for (const Op& box : b.Ops(Kind::Box)) {
        EXPECT_GE(box.x, 720 - 1e-6);
        EXPECT_LE(box.x2, 720 + 10080 + 1e-6);
        EXPECT_LE(box.y2, 2016 + 11520 + 1e-6) << "nothing runs into the footer";
    }
    EXPECT_NE(b.Text(QStringLiteral("cmdFar")), nullptr);
    EXPECT_EQ(b.Text(QStringLiteral("cmdParked")), nullptr);
}

TEST(FormImageRendererTest, WideFormTurnsThePageOnlyWhenThatEnlargesItAndNotPrintingDuplex)
{
    Form wide = OneButton(12000, 3000);
    const FormLayout& layout = wide.Done();
    Bench b;
    ASSERT_TRUE(b.Print(layout));
    EXPECT_EQ(b.surface.outlineOrientations, std::vector<int>{2});
    EXPECT_EQ(b.surface.OrientationCode(), 1);
    EXPECT_EQ(b.setup.Orientation, QStringLiteral("Portrait"));
    EXPECT_DOUBLE_EQ(b.printer.Geometry().PrintableWidth, 10080);

    Bench duplex(true);
    ASSERT_TRUE(duplex.Print(layout));
    EXPECT_EQ(duplex.surface.outlineOrientations, std::vector<int>{1});
    // Its page has its footer; the back page is the print run's.
    EXPECT_EQ(duplex.surface.PagesStarted(), 1);
    EXPECT_EQ(duplex.surface.Texts().filter(QStringLiteral("Printed with Quillon")).size(), 1);

    // The set-up's landscape box would print 4800 × 3600 smaller: the margins are not turned.
    Bench same;
    Form form = OneButton();
    ASSERT_TRUE(same.Print(form.Done()));
    EXPECT_EQ(same.surface.outlineOrientations, std::vector<int>{1});
}

TEST(FormImageRendererTest, ControlsAreFilledOutlinedAndNamedByTheirType)
{
    Bench b;
    Form form(4800, 3600);
    form.Button(QStringLiteral("cmdOK"), 240, 240);
    form[form.Button(QStringLiteral("cmdHidden"), 240, 960, 2000)].Visible = false;
    form[form.Button(QStringLiteral("cmdArr"), 240, 1680, 1500)].Index = 3;
    form.Add(QStringLiteral("VB.Label"), QStringLiteral("lblInfo"), 2760, 240, 1800, 300);
    form.Add(QStringLiteral("VB.Frame"), QStringLiteral("fraOpts"), 2760, 960, 1800, 1200);
    form.Line(QStringLiteral("linRise"), 4500, 2400, 2800, 3300);
    form[form.Add(QStringLiteral("VB.Line"), QStringLiteral("linBox"), 3000, 100, 800, 40)].HasSize = true;
    form.Add(QStringLiteral("MSFlexGridLib.MSFlexGrid"), QStringLiteral("grdData"), 240, 2400, 2000, 1000);
    const FormLayout& layout = form.Done();
    ASSERT_EQ(layout.Form.LayerCount, 1);
    ASSERT_TRUE(b.Print(layout));
    const Mapping m(b, layout);
    auto opsAt = [&](Kind kind, int x, int y, int w, int h) {
        std::vector<Op> out;
        for (const Op& op : b.Ops(kind))
            if (At(op, m.X(x), m.Y(y), m.X(x + w), m.Y(y + h)))
                out.push_back(op);
        return out;
    };
    ASSERT_EQ(opsAt(Kind::Fill, 240, 240, 1200, 495).size(), 1u);
    EXPECT_EQ(opsAt(Kind::Fill, 240, 240, 1200, 495)[0].color, 0xFFFFFFu);
    ASSERT_EQ(opsAt(Kind::Fill, 240, 960, 2000, 495).size(), 1u);
    EXPECT_EQ(opsAt(Kind::Fill, 240, 960, 2000, 495)[0].color, Rgb(235, 235, 235));
    EXPECT_TRUE(opsAt(Kind::Fill, 2760, 240, 1800, 300).empty());  // label
    EXPECT_TRUE(opsAt(Kind::Fill, 2760, 960, 1800, 1200).empty()); // frame
    ASSERT_EQ(opsAt(Kind::Box, 2760, 240, 1800, 300).size(), 1u);
    EXPECT_EQ(opsAt(Kind::Box, 2760, 240, 1800, 300)[0].style, LineStyle::Dashed);
    ASSERT_EQ(opsAt(Kind::Box, 2760, 960, 1800, 1200).size(), 1u);
    EXPECT_EQ(opsAt(Kind::Box, 2760, 960, 1800, 1200)[0].style, LineStyle::Solid);

    EXPECT_NE(b.Text(QStringLiteral("cmdHidden  (V=F)")), nullptr);
    EXPECT_NE(b.Text(QStringLiteral("cmdArr(3)")), nullptr);
    EXPECT_NE(b.Text(QStringLiteral("lblInfo")), nullptr);
    const Op* ok = b.Text(QStringLiteral("cmdOK"));
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->color, Rgb(40, 40, 40));
    EXPECT_DOUBLE_EQ(ok->fontSize, 7);
    EXPECT_NEAR((TextBox(*ok).x1 + TextBox(*ok).x2) / 2, m.X(240 + 600), 1e-6); // centred
    EXPECT_NEAR((TextBox(*ok).y1 + TextBox(*ok).y2) / 2, m.Y(240 + 247.5), 1e-6);
    // A frame's name sits on its top edge in italics, on a gap cleared in the edge.
    const Op* frame = b.Text(QStringLiteral("fraOpts"));
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->italic);
    EXPECT_DOUBLE_EQ(frame->fontSize, 6.5);
    EXPECT_DOUBLE_EQ(frame->x, m.X(2760) + 60);
    EXPECT_DOUBLE_EQ(frame->y, m.Y(960) - 0.4 * 24 * 6.5);
    EXPECT_TRUE(AnyAt(b.Ops(Kind::Fill), frame->x - 20, frame->y, TextBox(*frame).x2 + 20, TextBox(*frame).y2));

    // Lines run between their own end points, or corner to corner without them; no names.
    EXPECT_TRUE(AnyAt(b.Ops(Kind::Line), m.X(4500), m.Y(2400), m.X(2800), m.Y(3300)));
    EXPECT_TRUE(AnyAt(b.Ops(Kind::Line), m.X(3000), m.Y(100), m.X(3800), m.Y(140)));
    EXPECT_EQ(b.Text(QStringLiteral("linRise")), nullptr);
    // The grid's header row lies 160 twips down its box, which is over 800 twips high.
    EXPECT_TRUE(AnyAt(b.Ops(Kind::Line), m.X(240), m.Y(2400) + 160, m.X(2240), m.Y(2400) + 160));
    // Black ink, the body font and no italics afterwards.
    EXPECT_FALSE(b.surface.Italic() || b.surface.Bold());
    EXPECT_DOUBLE_EQ(b.surface.FontSize(), 10);
}

TEST(FormImageRendererTest, NamesShrinkToFitButNotBelowFiveAndAHalfPoints)
{
    Bench b;
    Form form(4800, 3600);
    // 11 characters: 924 twips at 7 points; the room is 400 · 2.1 − 40 = 800 twips.
    form.Button(QStringLiteral("cmdNarrowOK"), 240, 240, 400);
    // The room for 9 characters at 5.5 points (594 twips) is 300 · 2.1 − 40 = 590.
    form.Button(QStringLiteral("cmdNarrow"), 240, 1240, 300);
    ASSERT_TRUE(b.Print(form.Done()));
    ASSERT_NE(b.Text(QStringLiteral("cmdNarrowOK")), nullptr);
    EXPECT_DOUBLE_EQ(b.Text(QStringLiteral("cmdNarrowOK"))->fontSize, 6);
    EXPECT_EQ(b.Text(QStringLiteral("cmdNarrow")), nullptr);
    EXPECT_NE(b.Text(QStringLiteral("1 - cmdNarrow")), nullptr);
}

TEST(FormImageRendererTest, SmallControlGetsCalloutListedOnTheCalloutsPage)
{
    Bench b;
    Form form = OneButton();
    const int tiny = form.Add(QStringLiteral("VB.PictureBox"), QStringLiteral("picTiny"), 2400, 1800, 60, 60);
    const FormLayout& layout = form.Done();
    ASSERT_TRUE(b.Print(layout));
    EXPECT_EQ(b.Headings(),
              (QStringList{"1:Main.frm|Image - Layer 1 of 1", "2:Main.frm|Image - Layer 1 of 1 - Callouts (cont.)"}));
    EXPECT_FALSE(b.surface.TextsOnPage(1).contains(QStringLiteral("picTiny")));
    const Op* marker = b.Text(QStringLiteral("1"));
    ASSERT_NE(marker, nullptr);
    EXPECT_EQ(marker->page, 1);
    EXPECT_TRUE(marker->bold);

    // The leader runs from 8 twips off the control to 12 twips short of the marker.
    const Mapping m(b, layout);
    const ControlRecord& c = layout.Control(tiny);
    const Box control{m.X(c.AbsLeft), m.Y(c.AbsTop), m.X(c.AbsLeft + 60), m.Y(c.AbsTop + 60)};
    EXPECT_FALSE(TextBox(*marker).Overlaps(control));
    std::vector<Op> leaders;
    for (const Op& op : b.Ops(Kind::Line, 1))
        if (op.color == Rgb(90, 90, 90))
            leaders.push_back(op);
    ASSERT_EQ(leaders.size(), 1u);
    auto distance = [](double x, double y, const Box& r) {
        return std::hypot(std::max({r.x1 - x, 0.0, x - r.x2}), std::max({r.y1 - y, 0.0, y - r.y2}));
    };
    EXPECT_NEAR(distance(leaders[0].x, leaders[0].y, control), 8, 1e-6);
    EXPECT_NEAR(distance(leaders[0].x2, leaders[0].y2, TextBox(*marker)), 12, 1.0);

    const Op* title = b.Text(QStringLiteral("Callouts"));
    ASSERT_NE(title, nullptr);
    EXPECT_TRUE(title->bold);
    EXPECT_DOUBLE_EQ(title->fontSize, 10);
    EXPECT_DOUBLE_EQ(title->x, b.frame.Left);
    EXPECT_DOUBLE_EQ(title->y, b.frame.Top + 60);
    const Op* entry = b.Text(QStringLiteral("1 - picTiny"));
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->page, 2);
    EXPECT_DOUBLE_EQ(entry->fontSize, 9);
}

// Small controls, some overlapping, in a frame and out.
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
        form.Add(i % 7 == 0 ? QStringLiteral("VB.Label") : QStringLiteral("VB.TextBox"),
                 QStringLiteral("txtField") + QString::number(i), left, top, width, height, inFrame ? frame : -1);
    }
    return form;
}

TEST(FormImageRendererTest, CrowdedFormMarkersCoverNoMarkerOrNameAndEveryNameIsShown)
{
    Bench b;
    Form form = CrowdedForm(260, 7);
    const FormLayout& layout = form.Done();
    ASSERT_GE(layout.Form.LayerCount, 2);
    ASSERT_TRUE(b.Print(layout));
    std::map<int, QStringList> shown; // by layer: names printed and names listed as callouts
    int markers = 0;
    int layer = 0;
    for (const QString& heading : b.Headings()) {
        const int page = heading.section(QLatin1Char(':'), 0, 0).toInt();
        if (heading.contains(QStringLiteral(" - Callouts"))) {
            for (const QString& text : b.surface.TextsOnPage(page).filter(QStringLiteral(" - ")))
                shown[layer] << text.section(QStringLiteral(" - "), 1);
            continue;
        }
        ++layer;
        const std::vector<Op> texts = b.SmallTexts(page);
        EXPECT_EQ(OverlappingTexts(texts), QStringList()) << "page " << page;
        for (const Op& op : texts) {
            markers += op.bold ? 1 : 0;
            if (!op.bold)
                shown[layer] << op.text;
            EXPECT_TRUE(op.x >= b.frame.Left && TextBox(op).x2 <= b.frame.Left + 10080) << op.text.toStdString();
        }
    }
    EXPECT_GT(markers, 20);
    for (const ControlRecord& c : layout.Controls)
        EXPECT_EQ(shown[c.Layer].count(c.Name), 1) << c.Name.toStdString();
}

TEST(FormImageRendererTest, OverlappingButtonsGoOnTwoLayersWithTheirContainerDottedOnTheSecond)
{
    Bench b;
    Form form(4800, 3600);
    const int frame = form.Add(QStringLiteral("VB.Frame"), QStringLiteral("fraBox"), 240, 240, 4000, 3000);
    form.Button(QStringLiteral("cmdFirst"), 200, 300, 1500, 600, frame);
    form.Button(QStringLiteral("cmdSecond"), 300, 400, 1500, 600, frame);
    const FormLayout& layout = form.Done();
    ASSERT_EQ(layout.Form.LayerCount, 2);
    ASSERT_TRUE(b.Print(layout));
    EXPECT_EQ(b.Headings(),
              (QStringList{"1:Main.frm|Image - Layer 1 of 2", "2:Main.frm|Image - Layer 2 of 2 (cont.)"}));
    EXPECT_EQ(b.surface.TextsOnPage(1).filter(QStringLiteral("cmd")), QStringList{"cmdFirst"});
    EXPECT_EQ(b.surface.TextsOnPage(2).filter(QStringLiteral("cmd")), QStringList{"cmdSecond"});
    EXPECT_FALSE(b.surface.TextsOnPage(2).contains(QStringLiteral("fraBox")));
    const Mapping m(b, layout);
    std::vector<Op> dotted;
    for (const Op& op : b.Ops(Kind::Box))
        if (op.style == LineStyle::Dotted)
            dotted.push_back(op);
    ASSERT_EQ(dotted.size(), 1u);
    EXPECT_EQ(dotted[0].page, 2);
    EXPECT_EQ(dotted[0].color, Rgb(140, 140, 140));
    EXPECT_TRUE(At(dotted[0], m.X(240), m.Y(240), m.X(4240), m.Y(3240)));
}

TEST(FormImageRendererTest, MenuTreeIndentsByLevelWithSeparatorsAsGrayLines)
{
    Bench b;
    Form form = OneButton();
    form.Menu(QStringLiteral("mnuFile"), QStringLiteral("&File"), 0);
    form.Menu(QStringLiteral("mnuOpen"), QStringLiteral("&Open"), 1);
    form.Menu(QStringLiteral("mnuSep"), QStringLiteral("-"), 1);
    form.Menu(QStringLiteral("mnuExit"), QStringLiteral("E&xit"), 1);
    form.Menu(QStringLiteral("mnuSecret"), QStringLiteral("Secret"), 1, false);
    form.Menu(QStringLiteral("mnuHelp"), QStringLiteral("&Help"), 0);
    const FormLayout& layout = form.Done();
    EXPECT_EQ(PlaceForm(layout.Form, 10080, 11520).captionHeight, 780);
    ASSERT_TRUE(b.Print(layout));
    EXPECT_EQ(b.Headings(), (QStringList{"1:Main.frm|Image - Layer 1 of 1", "2:Main.frm|Image - Menu Tree (cont.)"}));
    // The menu bar: top-level captions without their access keys, left to right.
    ASSERT_TRUE(b.Text(QStringLiteral("File")) && b.Text(QStringLiteral("Help")));
    EXPECT_LT(b.Text(QStringLiteral("File"))->x, b.Text(QStringLiteral("Help"))->x);

    const Op* file = b.Text(QStringLiteral("&File"));
    const Op* open = b.Text(QStringLiteral("&Open"));
    const Op* exit = b.Text(QStringLiteral("E&xit"));
    ASSERT_TRUE(file && open && exit);
    EXPECT_EQ(file->page, 2);
    EXPECT_DOUBLE_EQ(file->x, b.frame.Left);
    EXPECT_DOUBLE_EQ(open->x, b.frame.Left + 360);
    EXPECT_EQ(file->color, 0u);
    const Op* name = b.Text(QStringLiteral("[mnuFile]"));
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->color, 1006u); // "Procedure Names"
    EXPECT_DOUBLE_EQ(name->x, TextBox(*file).x2 + 160);
    const QStringList tree = b.surface.TextsOnPage(2);
    EXPECT_EQ(tree.indexOf(QStringLiteral("  (hidden)")), tree.indexOf(QStringLiteral("[mnuSecret]")) + 1);
    EXPECT_FALSE(tree.contains(QStringLiteral("-")));

    std::vector<Op> separators;
    std::vector<Op> connectors;
    for (const Op& op : b.Ops(Kind::Line, 2)) {
        if (op.color == Rgb(150, 150, 150))
            separators.push_back(op);
        if (op.color == Rgb(90, 90, 90))
            connectors.push_back(op);
    }
    ASSERT_EQ(separators.size(), 1u);
    EXPECT_DOUBLE_EQ(separators[0].x, b.frame.Left + 360);
    EXPECT_DOUBLE_EQ(separators[0].x2 - separators[0].x, 1200);
    EXPECT_TRUE(separators[0].y > open->y && separators[0].y < exit->y);
    // One vertical connector runs down the File items, ending at the middle of the last one.
    double lowest = 0;
    for (const Op& op : connectors)
        lowest = op.x == op.x2 ? std::max(lowest, op.y2) : lowest;
    EXPECT_GT(lowest, b.Text(QStringLiteral("Secret"))->y);
    EXPECT_LT(lowest, b.Text(QStringLiteral("&Help"))->y);
}

TEST(FormImageRendererTest, EstimateEqualsThePagesPrinted)
{
    auto check = [](Form form, int atLeast, const char* what) {
        Bench b;
        const FormLayout& layout = form.Done();
        const int estimate = b.renderer.EstimateFormImagePages(layout);
        EXPECT_EQ(b.surface.OrientationCode(), 1) << what;
        ASSERT_TRUE(b.Print(layout)) << what;
        EXPECT_EQ(b.surface.PagesStarted(), estimate) << what;
        EXPECT_EQ(b.frame.PageNumber, estimate) << what;
        EXPECT_EQ(b.surface.Texts().filter(QStringLiteral("Printed with Quillon")).size(), estimate) << what;
        EXPECT_GE(estimate, atLeast) << what;
    };
    check(OneButton(), 1, "plain");
    Form layered = OneButton();
    for (int i = 0; i < 4; ++i)
        layered.Button(QStringLiteral("cmdStack") + QString::number(i), 260 + 20 * i, 240);
    check(layered, 5, "layers");
    Form menus = OneButton();
    for (int i = 0; i < 200; ++i)
        menus.Menu(QStringLiteral("mnuItem") + QString::number(i), QStringLiteral("Item"), i % 3);
    check(menus, 1 + 6, "menus");
    Form wide(14000, 3000);
    wide.Add(QStringLiteral("VB.PictureBox"), QStringLiteral("picTiny"), 2400, 1800, 30, 30);
    check(wide, 2, "turned");
    check(CrowdedForm(300, 3), 3, "crowded");

    // Callouts beyond one page's column go on in further columns.
    Bench b;
    Form grid(30000, 20000);
    for (int i = 0; i < 400; ++i)
        grid.Add(QStringLiteral("VB.TextBox"), QStringLiteral("t") + QString::number(i), (i % 20) * 1500,
                 (i / 20) * 1000, 600, 285);
    const int estimate = b.renderer.EstimateFormImagePages(grid.Done());
    ASSERT_TRUE(b.Print(grid.Done()));
    EXPECT_EQ(b.surface.PagesStarted(), estimate);
    std::set<double> columns;
    QStringList listed;
    for (const Op& op : b.Ops(Kind::Text))
        if (op.page >= 2 && op.fontSize == 9 && op.text.contains(QStringLiteral(" - "))) {
            listed << op.text;
            columns.insert(op.x);
        }
    ASSERT_EQ(listed.size(), 400);
    EXPECT_EQ(listed.last(), QStringLiteral("400 - t399"));
    EXPECT_GT(columns.size(), 1u);
}

TEST(FormImageRendererTest, FiveThousandControlsKeepTheirMarkersApartWhenThePageRunsOutOfRoom)
{
    Bench b;
    Form form(60000, 40000);
    const int frame = form.Add(QStringLiteral("VB.Frame"), QStringLiteral("fraAll"), 100, 100, 59000, 39000);
    for (int i = 0; i < 5000; ++i)
        form.Add(i % 5 == 0 ? QStringLiteral("VB.Label") : QStringLiteral("VB.TextBox"),
                 QStringLiteral("txtCell") + QString::number(i), 200 + (i % 80) * 720, 200 + (i / 80) * 600, 600,
                 285, i % 2 == 0 ? frame : -1);
    const FormLayout& layout = form.Done();
    const int estimate = b.renderer.EstimateFormImagePages(layout);
    ASSERT_TRUE(b.Print(layout));
    EXPECT_EQ(b.surface.PagesStarted(), estimate);
    const QRegularExpression layerPage(QStringLiteral("Layer \\d+ of \\d+( \\(cont\\.\\))?$"));
    for (const QString& heading : b.Headings().filter(layerPage)) {
        const int page = heading.section(QLatin1Char(':'), 0, 0).toInt();
        std::vector<Op> texts;
        for (const Op& op : b.Ops(Kind::Text, page))
            if (!op.text.isEmpty() && op.fontSize < 12) // with the footer
                texts.push_back(op);
        EXPECT_GT(texts.size(), 2000u);
        EXPECT_EQ(OverlappingTexts(texts), QStringList()) << "page " << page;
    }
}

TEST(FormImageRendererTest, DegenerateFormsPrintNothingAndAwkwardOnesPrintWithoutHarm)
{
    Form zeroWidth = OneButton(0, 3600);
    Form noHeight = OneButton(4800, -420);
    Form nothingDrawable(4800, 3600);
    nothingDrawable.Add(QStringLiteral("VB.Timer"), QStringLiteral("tmrTick"), 100, 100, 0, 0);
    nothingDrawable.Menu(QStringLiteral("mnuFile"), QStringLiteral("&File"), 0);
    for (Form* form : {&zeroWidth, &noHeight, &nothingDrawable}) {
        Bench b;
        const size_t before = b.surface.ops.size();
        EXPECT_EQ(b.renderer.EstimateFormImagePages(form->Done()), 0);
        EXPECT_FALSE(b.Print(form->Done()));
        EXPECT_EQ(b.surface.ops.size(), before);
    }
    Bench noBox; // margins wider than the sheet
    noBox.setup.WorkingLeft = noBox.setup.WorkingRight = 5;
    noBox.printer.ComputePageGeometry(true);
    Form form = OneButton();
    EXPECT_FALSE(noBox.Print(form.Done()));

    Bench b;
    Form awkward(4800, 3600, QString());
    awkward.Button(QStringLiteral("cmdFar"), 2000000000, -2000000000);
    awkward.Button(QString(100000, QLatin1Char('N')), 240, 240);
    awkward.Button(QString(), 240, 1000);
    awkward.Button(QStringLiteral("cmdHuge"), -1000000, -1000000, 2000000000, 2000000000);
    awkward.Line(QStringLiteral("linFlat"), 0, 3000, 4800, 3000);
    const FormLayout& layout = awkward.Done();
    const int estimate = b.renderer.EstimateFormImagePages(layout);
    ASSERT_TRUE(b.Print(layout));
    EXPECT_EQ(b.surface.PagesStarted(), estimate);
    EXPECT_NE(b.Text(QStringLiteral("frmMain")), nullptr); // no caption: the form's name
    EXPECT_FALSE(b.surface.Texts().filter(QRegularExpression(QStringLiteral("^\\d - NNNN"))).isEmpty());
}

TEST(FormImageRendererTest, RoutineOverloadsReadTheFormFile)
{
    quillon::test::Fixture fx;
    quillon::model::clsRoutineInfo routine;
    routine.RoutineKind = quillon::model::kind::Image;
    routine.FilePath = fx.writeLines(
        QStringLiteral("frmOrder.frm"),
        {"VERSION 5.00", "Begin VB.Form frmOrder", "   Caption = \"Order\"", "   ClientHeight = 3600",
         "   ClientWidth = 4800", "   Begin VB.CommandButton cmdOK", "      Height = 495", "      Left = 240",
         "      Top = 240", "      Width = 1200", "   End", "End", "Attribute VB_Name = \"frmOrder\""});
    const quillon::model::SourceReader& reader = quillon::model::SourceReader::Default();
    quillon::platform::ScriptedMessageBox box;
    Bench b;
    EXPECT_EQ(b.renderer.EstimateFormImagePages(routine, reader), 1);
    ASSERT_TRUE(b.renderer.PrintFormImage(routine, reader, &box));
    EXPECT_EQ(b.Headings(), QStringList{"1:frmOrder.frm|Image - Layer 1 of 1"});
    EXPECT_NE(b.Text(QStringLiteral("Order")), nullptr);
    EXPECT_NE(b.Text(QStringLiteral("cmdOK")), nullptr);

    // A missing file: the estimate says nothing, printing tells the user once.
    routine.FilePath = fx.path(QStringLiteral("missing.frm"));
    Bench missing;
    EXPECT_EQ(missing.renderer.EstimateFormImagePages(routine, reader), 0);
    EXPECT_TRUE(box.shown.empty());
    EXPECT_FALSE(missing.renderer.PrintFormImage(routine, reader, &box));
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].title, QStringLiteral("Form Image"));
}

} // namespace
