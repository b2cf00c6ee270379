#include "formimage/FormImageRenderer.h"

#include "core/print/PrintFixture.h"
#include "model/Routine.h"
#include "model/SourceText.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <algorithm>

using namespace quillon::formimage;
using quillon::platform::rgb;
using quillon::test::RecordingPrintSurface;
using Op = RecordingPrintSurface::Op;
using Kind = Op::Kind;

namespace {

// Letter portrait on the recording surface: print box 10080 × 11520 twips at (720, 2016).
// The highlight colours are 1000 to 1009.
struct Bench : quillon::test::PrintBench {
    FormImageRenderer renderer {printer, frame, lines.colours};

    explicit Bench(bool duplex = false)
    {
        setup.duplex = duplex;
        compute();
    }
    bool print(const FormLayout& layout)
    {
        frame.pageNumber = 0;
        return renderer.printFormImage(layout, "C:\\Project\\Main.frm");
    }
    const Op* text(const QString& text) const
    {
        const auto found = std::find_if(surface.ops.begin(), surface.ops.end(), [&](const Op& op) { return op.kind == Kind::Text && op.text == text; });
        return found == surface.ops.end() ? nullptr : &*found;
    }
    QStringList headings() const // "page:title"
    {
        QStringList out;
        for (const Op& op : of(Kind::Text))
            if (op.bold && op.fontSize == 12)
                out << QString::number(op.page) + ':' + op.text;
        return out;
    }
    // What shows on paper: pages and everything but the empty texts that measure the line advance.
    long drawn() const
    {
        return std::count_if(surface.ops.begin(), surface.ops.end(), [](const Op& op) { return op.kind != Kind::Text || !op.text.isEmpty(); });
    }
};

// A form built by hand, as the layout reader leaves it.
class Form {
public:
    explicit Form(int width = 4800, int height = 3600, const QString& caption = "Main") { layout_.form = {"frmMain", caption, width, height, false, 0, 0, 0}; }
    int add(const QString& name, int left, int top, int width = 1200, int height = 495, const QString& type = "VB.CommandButton", int parent = -1)
    {
        ControlRecord c;
        c.typeName = type, c.name = name, c.left = left, c.top = top, c.width = width, c.height = height;
        c.parent = qint16(parent), c.hasSize = width >= 1 && height >= 1;
        layout_.controls.push_back(c);
        return layout_.controlTotal();
    }
    void line(const QString& name, int x1, int y1, int x2, int y2)
    {
        ControlRecord& c = (*this)[add(name, std::min(x1, x2), std::min(y1, y2), std::abs(x2 - x1), std::abs(y2 - y1), "VB.Line")];
        c.x1 = x1, c.y1 = y1, c.x2 = x2, c.y2 = y2, c.hasSize = true;
    }
    void menu(const QString& name, const QString& caption, int level, bool visible = true)
    {
        layout_.menus.push_back({name, caption, qint16(level), visible});
        layout_.form.hasMenuBar |= level == 0 && visible && caption != QLatin1String("-");
    }
    ControlRecord& operator[](int n) { return layout_.control(n); }
    FormRecord& record() { return layout_.form; }
    const FormLayout& done()
    {
        placement::computeAbsolutePositions(layout_);
        placement::assignLayers(layout_);
        return layout_;
    }

private:
    FormLayout layout_;
};

Form oneButton(int width = 4800, int height = 3600)
{
    Form form(width, height);
    form.add("cmdOK", 240, 240);
    return form;
}

struct Box {
    double x1, y1, x2, y2;
    bool overlaps(const Box& o) const { return x1 < o.x2 && o.x1 < x2 && y1 < o.y2 && o.y1 < y2; }
};

Box textBox(const Op& op) // under the recording surface's metrics
{
    return {op.x, op.y, op.x + op.text.size() * 12.0 * op.fontSize, op.y + 24.0 * op.fontSize};
}

double distance(double x, double y, const Box& r)
{
    return std::hypot(std::max({r.x1 - x, 0.0, x - r.x2}), std::max({r.y1 - y, 0.0, y - r.y2}));
}

// What is drawn with exactly these corners (page twips), in order: "fill COLOUR", "STYLE box WIDTH
// COLOUR", "line COLOUR", colours in hex with red in the low byte, "pN " before those not on page 1.
QString drawnAt(const Bench& b, double x1, double y1, double x2, double y2)
{
    const char* const styles[] = {"solid", "dashed", "dotted", "dash-dot"};
    QStringList out;
    for (const Op& op : b.surface.ops) {
        if (op.kind == Kind::Text || std::abs(op.x - x1) > 1e-6 || std::abs(op.y - y1) > 1e-6 || std::abs(op.x2 - x2) > 1e-6 || std::abs(op.y2 - y2) > 1e-6)
            continue;
        const QString colour = QString::number(op.color, 16);
        const QString page = op.page == 1 ? QString() : QStringLiteral("p%1 ").arg(op.page);
        if (op.kind == Kind::Fill)
            out << page + "fill " + colour;
        else if (op.kind == Kind::Box)
            out << page + styles[int(op.style)] + QStringLiteral(" box %1 ").arg(op.width) + colour;
        else
            out << page + "line " + colour;
    }
    return out.join(", ");
}
// Page twips of a place on a 4800 × 3600 form, which fills the print box's width: 2.1 page twips
// to the form's twip from the box's corner (720, 2016), the client area (or the menu bar) under
// the 420-twip title bar.
double x(double x)
{
    return 720 + 2.1 * x;
}
double y(double y)
{
    return 2016 + 2.1 * (420 + y);
}

// How a text was printed: "pPAGE POINTSpt [bold] [italic] COLOUR"; empty when it was not.
QString style(const Bench& b, const QString& text)
{
    const Op* op = b.text(text);
    return op
        ? QStringLiteral("p%1 %2pt%3%4 %5").arg(op->page).arg(op->fontSize).arg(op->bold ? " bold" : "", op->italic ? " italic" : "").arg(op->color, 0, 16)
        : QString();
}

TEST(FormImageRendererTest, ATallFormIsCentredAcrossAndWhatLiesBeyondItsClientAreaIsTakenIn)
{
    // A tall form is limited by the height and centred across; without a caption its title bar
    // shows its name.
    Bench tall;
    Form narrow(2000, 6000, QString());
    narrow.add("cmdOK", 240, 240);
    ASSERT_TRUE(tall.print(narrow.done()));
    const double s = 11520.0 / 6420;
    EXPECT_EQ(drawnAt(tall, 720 + (10080 - s * 2000) / 2, 2016, 720 + (10080 + s * 2000) / 2, 2016 + 11520), "solid box 2 0");
    EXPECT_NE(tall.text("frmMain"), nullptr);

    // A button beyond the client area (to 4000 across, 2500 down) sets the scale, 2.52; one parked
    // far out is left out; one half out to the left is cut at the print box.
    Bench duplex(true); // keeps the page upright
    Form small(2000, 1000);
    small.add("cmdFar", 3000, 2000, 1000, 500);
    small.add("cmdParked", -20000, 100);
    small.add("cmdHalfOut", -600, 100);
    ASSERT_TRUE(duplex.print(small.done()));
    EXPECT_EQ(drawnAt(duplex, 720, 2016, 720 + 2.52 * 2000, 2016 + 2.52 * 1420), "solid box 2 0");
    EXPECT_EQ(drawnAt(duplex, 720, 2016 + 2.52 * 520, 720 + 2.52 * 600, 2016 + 2.52 * 1015), "fill ffffff, solid box 1 0");
    EXPECT_EQ(duplex.of(Kind::Box).size(), 3u) << "the parked one is not drawn";
}

// A form without area, without anything drawable or without a print box prints nothing.
TEST(FormImageRendererTest, EstimateEqualsThePagesPrintedAndThePageTurnsOnlyWhenThatEnlargesTheForm)
{
    Form menus = oneButton();
    for (int i = 0; i < 200; ++i)
        menus.menu("mnuItem" + QString::number(i), "Item", i % 3);
    Form nothingDrawable;
    nothingDrawable.add("tmrTick", 100, 100, 0, 0, "VB.Timer");
    nothingDrawable.menu("mnuFile", "&File", 0);
    Form awkward; // a nameless button under one that reaches far off the sheet, one far away, a flat line
    awkward.add("cmdFar", 2000000000, -2000000000);
    awkward.add(QString(), 240, 1000);
    awkward.add("cmdHuge", -1000000, -1000000, 2000000000, 2000000000);
    awkward.line("linFlat", 0, 3000, 4800, 3000);
    struct {
        const char* what;
        Form form;
        bool duplex;
        int pages;
        bool turned; // for the layer pages
        bool noPrintBox = false;
    } cases[] = {
        {"one button: the set-up's landscape box (its margins are not turned) prints it smaller", oneButton(), false, 1, false},
        {"a page for the layer and 36 menus a page", menus, false, 1 + 6, false},
        {"a wide form", oneButton(12000, 3000), false, 1, true},
        {"a wide form printed duplex", oneButton(12000, 3000), true, 1, false},
        {"no width", oneButton(0, 3600), false, 0, false},
        {"no height", oneButton(4800, -420), false, 0, false},
        {"nothing drawable", nothingDrawable, false, 0, false},
        {"awkward controls", awkward, false, 2, false},
        {"margins wider than the sheet", oneButton(), false, 0, false, true},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.what);
        Bench b(c.duplex);
        if (c.noPrintBox) {
            b.setup.workingLeft = b.setup.workingRight = 5;
            b.printer.computePageGeometry(true);
        }
        const FormLayout& layout = c.form.done();
        EXPECT_EQ(b.renderer.estimateFormImagePages(layout), c.pages);
        EXPECT_EQ(b.drawn(), 0);
        EXPECT_EQ(b.print(layout), c.pages > 0);
        EXPECT_EQ(b.drawn() == 0, c.pages == 0);
        EXPECT_EQ(b.surface.pagesStarted(), std::max(c.pages, 1));
        double widest = 0; // of the outlines: wider than the portrait box only on a turned page
        for (const Op& op : b.of(Kind::Box))
            widest = op.width == 2 ? std::max(widest, op.x2 - op.x) : widest;
        EXPECT_EQ(widest > 10080 + 1e-6, c.turned);
        EXPECT_EQ(b.surface.orientationCode(), 1) << "turned back after the estimate and the print";
    }
}

TEST(FormImageRendererTest, ControlsAreDrawnAndNamedByTheirType)
{
    Bench b;
    Form form;
    form.add("cmdOK", 240, 240);
    form[form.add("cmdHidden", 240, 960, 2000)].visible = false;
    form.add("lblInfo", 2760, 240, 1800, 300, "VB.Label");
    const int opts = form.add("fraOpts", 2760, 960, 1800, 1200, "VB.Frame");
    form.add("cmdFirst", 100, 300, 1500, 600, "VB.CommandButton", opts);
    form.add("cmdSecond", 200, 400, 1500, 600, "VB.CommandButton", opts);
    form.line("linRise", 4500, 2400, 2800, 3300);
    form[form.add("linBox", 3000, 100, 800, 40, "VB.Line")].hasSize = true;
    form.add("grdData", 240, 2400, 2000, 1000, "MSFlexGridLib.MSFlexGrid");
    form.add("gauSpeed", 240, 1600, 2000, 600, "Gauges.ctlGauge"); // a user control of the project
    ASSERT_TRUE(b.print(form.done()));
    // Overlapping buttons go on two layers, the frame that holds them dotted, unnamed, on the second.
    EXPECT_EQ(b.headings(), (QStringList {"1:Main.frm|Image - Layer 1 of 2", "2:Main.frm|Image - Layer 2 of 2 (cont.)"}));
    // Every control by its name, lines by none.
    const QRegularExpression names("^(cmd|fra|lbl|lin|grd|gau)");
    EXPECT_EQ(b.surface.texts(1).filter(names), (QStringList {"cmdOK", "cmdHidden  (V=F)", "lblInfo", "fraOpts", "cmdFirst", "grdData", "gauSpeed"}));
    EXPECT_EQ(b.surface.texts(2).filter(names), QStringList {"cmdSecond"});
    // The title bar: its caption in bold and the window buttons.
    ASSERT_TRUE(b.text("Main") && b.text("Main")->bold && b.text("_  []  X"));
    // What each kind of control is drawn as (the outline and a button's box: ATallForm...).
    const struct {
        double x1, y1, x2, y2; // form twips
        const char* drawn;
    } drawn[] = {
        {0, -420, 4800, 0, "fill d9d9d9, p2 fill d9d9d9"}, // the title bar, on every page
        {240, 960, 2240, 1455, "fill ebebeb, solid box 1 0"}, // hidden
        {2760, 240, 4560, 540, "dashed box 1 0"}, // label
        {2760, 960, 4560, 2160, "solid box 1 0, p2 dotted box 1 8c8c8c"}, // frame
        {4500, 2400, 2800, 3300, "line 0"}, // between its own end points
        {3000, 100, 3800, 140, "line 0"}, // without them corner to corner
        {240, 2400 + 160 / 2.1, 2240, 2400 + 160 / 2.1, "line 0"}, // the grid's header row, 160 twips down
        {240, 1600, 2240, 2200, "fill ffffff, solid box 1 0"}, // an unknown type: a box
    };
    for (const auto& d : drawn)
        EXPECT_EQ(drawnAt(b, x(d.x1), y(d.y1), x(d.x2), y(d.y2)), d.drawn) << d.x1 << ',' << d.y1;
    EXPECT_EQ(style(b, "cmdOK"), "p1 7pt 282828");
    const Op* ok = b.text("cmdOK");
    EXPECT_NEAR((textBox(*ok).x1 + textBox(*ok).x2) / 2, x(240 + 600), 1e-6); // centred
    EXPECT_NEAR((textBox(*ok).y1 + textBox(*ok).y2) / 2, y(240 + 247.5), 1e-6);
    // A frame's name is in italics, on a white gap cleared under it.
    ASSERT_EQ(style(b, "fraOpts"), "p1 6.5pt italic 282828");
    const Op* frame = b.text("fraOpts");
    EXPECT_EQ(drawnAt(b, frame->x - 20, frame->y, textBox(*frame).x2 + 20, textBox(*frame).y2), "fill ffffff");
    // Black ink, the body font and no italics afterwards.
    EXPECT_FALSE(b.surface.italic() || b.surface.bold());
    EXPECT_DOUBLE_EQ(b.surface.fontSize(), 10);
}

// By the object's type: the form twips of bars above the client area (-1: no picture), a title, window
// buttons. Only a form has a menu bar; every kind that is drawn has its menu tree.
TEST(FormImageRendererTest, EachKindOfObjectHasTheBarsOfItsWindow)
{
    const std::tuple<const char*, double, bool, bool> kinds[] = {{"VB.Form", 780, true, true}, {"VB.MDIForm", 780, true, true},
        {"VB.PropertyPage", 420, true, false}, {"VB.UserControl", 0, false, false}, {"VB.UserDocument", 0, false, false},
        {"{C0E45035-5775}", -1, false, false}};
    for (const auto& [type, bars, title, buttons] : kinds) {
        SCOPED_TRACE(type);
        Bench b(true); // keeps the page upright
        Form form = oneButton();
        form.record().objectType = type, form.menu("mnuFile", "&File", 0);
        const FormLayout& layout = form.done();
        EXPECT_EQ(std::tuple(b.renderer.estimateFormImagePages(layout), b.print(layout)), std::tuple(bars < 0 ? 0 : 2, bars >= 0));
        EXPECT_EQ(drawnAt(b, 720, 2016, x(4800), 2016 + 2.1 * (bars + 3600)), bars < 0 ? "" : "solid box 2 0");
        EXPECT_EQ(drawnAt(b, 720, 2016, x(4800), 2016 + 2.1 * 420), title ? "fill d9d9d9" : "");
        EXPECT_EQ(drawnAt(b, x(240), 2016 + 2.1 * (bars + 240), x(1440), 2016 + 2.1 * (bars + 735)), bars < 0 ? "" : "fill ffffff, solid box 1 0");
        EXPECT_EQ(std::tuple(b.text("Main") != nullptr, b.text("_  []  X") != nullptr, b.text("File") != nullptr, b.text("&File") != nullptr),
            std::tuple(title, buttons, bars == 780, bars >= 0));
    }
}

TEST(FormImageRendererTest, NamesShrinkToFitThenBecomeCalloutsListedAfterTheLayer)
{
    Bench b;
    Form form;
    // 11 characters: 924 twips at 7 points; the room is 400 · 2.1 − 40 = 800 twips, 792 at 6 points.
    form.add("cmdNarrowOK", 240, 240, 400);
    // The room for 9 characters at 5.5 points (594 twips) is 300 · 2.1 − 40 = 590.
    form.add("cmdNarrow", 240, 1240, 300);
    form.add("picTiny", 2400, 1800, 60, 60, "VB.PictureBox");
    form.add(QString(100000, QLatin1Char('N')), 2400, 600);
    ASSERT_TRUE(b.print(form.done()));
    EXPECT_EQ(b.headings(), (QStringList {"1:Main.frm|Image - Layer 1 of 1", "2:Main.frm|Image - Layer 1 of 1 - Callouts (cont.)"}));
    EXPECT_EQ(style(b, "cmdNarrowOK"), "p1 6pt 282828");

    // picTiny's marker: bold on the layer's page, clear of the control, with a leader from 8
    // twips off the control.
    ASSERT_EQ(style(b, "2"), "p1 7pt bold 282828");
    const Op* marker = b.text("2");
    const Box control {x(2400), y(1800), x(2460), y(1860)};
    EXPECT_FALSE(textBox(*marker).overlaps(control));
    const std::vector<Op> lines = b.of(Kind::Line, {}, 1);
    const auto leader = std::find_if(
        lines.begin(), lines.end(), [&](const Op& op) { return op.color == rgb(90, 90, 90) && std::abs(distance(op.x, op.y, control) - 8) < 1e-6; });
    ASSERT_NE(leader, lines.end());

    ASSERT_EQ(style(b, "Callouts"), "p2 10pt bold 0");
    EXPECT_EQ(style(b, "1 - cmdNarrow"), "p2 9pt 0");
    EXPECT_EQ(b.surface.texts(2).filter(QRegularExpression("^3 - NNNN+\\.\\.\\.$")).size(), 1) << "a long name cut short";
}

TEST(FormImageRendererTest, CrowdedFormMarkersCoverNoMarkerOrNameAndEveryNameIsShownOnce)
{
    // 260 small controls of many sizes strewn over the form, some overlapping; every third in a frame.
    Bench b;
    Form form(9000, 7000);
    const int frame = form.add("fraAll", 4500, 300, 4200, 6400, "VB.Frame");
    for (int i = 0; i < 260; ++i)
        form.add("txtField" + QString::number(i), i * 397 % 4200, i * 233 % 6400, 80 + i * 53 % 700, 60 + i * 31 % 400, i % 7 == 0 ? "VB.Label" : "VB.TextBox",
            i % 3 == 0 ? frame : -1);
    const FormLayout& layout = form.done();
    const int estimate = b.renderer.estimateFormImagePages(layout);
    ASSERT_TRUE(b.print(layout));
    EXPECT_EQ(b.surface.pagesStarted(), estimate);
    std::map<int, QStringList> shown; // by layer: names printed and names listed as callouts
    int markers = 0;
    int layer = 0;
    std::set<double> columns; // of the callouts lists
    for (const QString& heading : b.headings()) {
        const int page = heading.section(QLatin1Char(':'), 0, 0).toInt();
        if (heading.contains(" - Callouts")) {
            for (const Op& op : b.of(Kind::Text, {}, page))
                if (op.text.contains(" - ") && op.fontSize == 9) {
                    shown[layer] << op.text.section(" - ", 1);
                    columns.insert(op.x);
                }
            continue;
        }
        ++layer;
        std::vector<Op> texts; // the names and markers: texts under 8 points
        for (const Op& op : b.of(Kind::Text, {}, page))
            if (!op.text.isEmpty() && op.fontSize < 8)
                texts.push_back(op);
        for (size_t i = 0; i < texts.size(); ++i)
            for (size_t j = i + 1; j < texts.size(); ++j)
                EXPECT_FALSE(textBox(texts[i]).overlaps(textBox(texts[j]))) << texts[i].text.toStdString() << " / " << texts[j].text.toStdString();
        for (const Op& op : texts) {
            markers += op.bold ? 1 : 0;
            if (!op.bold)
                shown[layer] << op.text;
            EXPECT_TRUE(op.x >= b.frame.left && textBox(op).x2 <= b.frame.left + 10080) << op.text.toStdString();
        }
    }
    EXPECT_GT(markers, 20);
    EXPECT_GT(columns.size(), 1u) << "a list longer than the page goes on in another column";
    for (const ControlRecord& c : layout.controls)
        EXPECT_EQ(shown[c.layer].count(c.name), 1) << c.name.toStdString();
}

TEST(FormImageRendererTest, MenuBarAndMenuTreeIndentedByLevelWithSeparatorsAsGreyLines)
{
    Bench b;
    Form form = oneButton();
    form.menu("mnuFile", "&File", 0);
    form.menu("mnuOpen", "&Open", 1);
    form.menu("mnuSep", "-", 1);
    form.menu("mnuExit", "E&xit", 1);
    form.menu("mnuSecret", "Secret", 1, false);
    form.menu("mnuHelp", "&Help", 0);
    ASSERT_TRUE(b.print(form.done()));
    EXPECT_EQ(b.headings(), (QStringList {"1:Main.frm|Image - Layer 1 of 1", "2:Main.frm|Image - Menu Tree (cont.)"}));
    // The 360-twip menu bar under the title bar; its captions without their access keys, in order.
    EXPECT_EQ(drawnAt(b, x(0), y(0), x(4800), y(360)), "fill f2f2f2");
    EXPECT_EQ(drawnAt(b, x(0), y(-420), x(4800), y(360 + 3600)), "solid box 2 0");
    ASSERT_TRUE(b.text("File") && b.text("Help"));
    EXPECT_LT(b.text("File")->x, b.text("Help")->x);

    // The tree: captions in black, indented 360 twips a level, each name after its caption
    // in the "Procedure Names" colour (1006 = 3ee).
    EXPECT_EQ(style(b, "&File"), "p2 9pt 0");
    EXPECT_EQ(style(b, "[mnuFile]"), "p2 9pt 3ee");
    ASSERT_TRUE(b.text("&File") && b.text("&Open"));
    EXPECT_DOUBLE_EQ(b.text("&Open")->x - b.text("&File")->x, 360);
    const QStringList tree = b.surface.texts(2);
    EXPECT_EQ(tree.indexOf("  (hidden)"), tree.indexOf("[mnuSecret]") + 1);
    EXPECT_FALSE(tree.contains("-"));
    // Rows of 1.45 × 9 points from 60 twips down the print box: the separator is a grey line 1200
    // twips long across the middle of the third row.
    const double row = 1.45 * 24 * 9;
    EXPECT_EQ(drawnAt(b, 720 + 360, 2076 + 2.5 * row, 720 + 360 + 1200, 2076 + 2.5 * row), "p2 line 969696");
}

// The routine's overloads read its form file; a missing one is told once and prints nothing.
TEST(FormImageRendererTest, RoutineOverloadsReadTheFormFile)
{
    Bench b;
    quillon::model::Routine routine;
    routine.filePath = b.fx.writeLines("frmOrder.frm",
        {"Begin VB.Form frmOrder", "ClientHeight = 3600", "ClientWidth = 4800", "Begin VB.CommandButton cmdOK", "Height = 495", "Width = 1200", "End", "End"});
    const quillon::model::SourceReader& reader = quillon::model::SourceReader::standard();
    EXPECT_EQ(b.renderer.estimateFormImagePages(routine, reader), 1);
    routine.filePath = b.fx.path("missing.frm");
    EXPECT_EQ(b.renderer.estimateFormImagePages(routine, reader), 0);
    EXPECT_FALSE(b.renderer.printFormImage(routine, reader, &b.box));
    EXPECT_EQ(b.box.shown.size(), 1u) << "told once, by the print";
}

} // namespace
