#include "config/OptionsValidation.h"
#include "config/SuppressibleMessages.h"
#include "platform/PrinterDefaults.h"
#include "support/RecordingPrintSurface.h"
#include "support/ScriptedMessageBox.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace quillon::config;
using namespace quillon::platform;
using quillon::test::Fixture;
using quillon::test::RecordingPrintSurface;
using quillon::test::ScriptedMessageBox;

namespace {

// A device whose "i" is a third as wide as its "X".
struct ProportionalSurface : RecordingPrintSurface {
    double textWidth(QStringView text) const override
    {
        double width = 0;
        for (QChar c : text)
            width += (c == QLatin1Char('i') ? 4.0 : 12.0) * fontSize();
        return width;
    }
};

// The options dialog's starting point on the recording device (Letter, 11520 twips across
// between its unprintable edges; 10-point characters are 120 twips wide).
struct Bench {
    explicit Bench(RecordingPrintSurface* device = nullptr) : surface(device ? *device : own)
    {
        surface.installedPrinters = {{"Quillon PDF", "Quillon PDF Writer", "FILE:"}, {"Office", "IPP", "ipp://office"}};
        surface.defaultDevice = "Office";
        surface.selectDevice("Quillon PDF");
        original.deviceName = "Quillon PDF";
        original.fontName = "Courier New";
        original.margins = {"0.500", "0.500", "1.000", "1.000", "0.750"};
        original.gdiSpoolSize = "2000";
        draft = original;
    }
    ValidationResult validate(unsigned checks = kAllChecks) { return validateOptions(draft, original, surface, messages, checks); }
    QStringList titles() const
    {
        QStringList titles;
        for (const auto& shown : box.shown)
            titles << (shown.isRequest ? shown.request.title : shown.title);
        return titles;
    }

    Fixture fx;
    IniStore ini {fx.path("opts.ini"), nullptr};
    ScriptedMessageBox box;
    SuppressibleMessages messages {ini, box};
    RecordingPrintSurface own;
    RecordingPrintSurface& surface;
    OptionsDraft original;
    OptionsDraft draft;
};

ScriptedMessageBox::RequestAnswer click(int button)
{
    return {button, SuppressChoice::Never, {}};
}

struct Case {
    const char* name;
    std::function<void(OptionsDraft&, OptionsDraft&)> edit; // draft, original
    std::vector<int> answers; // buttons of the boxes with free buttons, in order
    QStringList titles; // every message shown, in order
    bool passes;
    QString lastText; // the last message's text, when it is fixed ("" leaves it unchecked)
};

TEST(OptionsValidationTest, EachCheckInItsOrderWithItsMessageAndTheFirstFailureEndsTheRun)
{
    const QString sample90(90, QLatin1Char('x'));
    // clang-format off
    const Case cases[] = {
        {"nothing changed", [](OptionsDraft&, OptionsDraft&) {}, {}, {}, true, ""},
        {"empty left margin before a bad spool size", [](OptionsDraft& d, OptionsDraft&) { d.margins[0] = " "; d.gdiSpoolSize = "abc"; }, {}, {"Value Needed"}, false, "A value is needed for the Left margin."},
        {"margin that is no number", [](OptionsDraft& d, OptionsDraft&) { d.margins[1] = "1,5"; }, {}, {"Invalid Margin"}, false, "The Right margin value \"1,5\" is not a valid number.  Enter the margin in inches, for example \"0.500\"."},
        {"negative margin", [](OptionsDraft& d, OptionsDraft&) { d.margins[2] = "-0.2"; }, {}, {"Invalid Margin"}, false, "The Top margin value \"-0.2\" is negative: margins are 0 or more inches."},
        {"margins wider than the paper", [](OptionsDraft& d, OptionsDraft&) { d.margins[0] = "4.5"; d.margins[1] = "4"; }, {}, {"Invalid Margins"}, false, "Your margins leave NO printable area on the selected printer/page setup."},
        {"legal landscape leaves room for them", [](OptionsDraft& d, OptionsDraft&) { d.margins[0] = "4.5"; d.margins[1] = "4"; d.paperSize = "Legal"; d.orientation = "Landscape"; }, {}, {}, true, ""},
        {"duplex with a top binding", [](OptionsDraft& d, OptionsDraft&) { d.duplex = true; d.bindingEdge = 3; d.foldingGuide = 2; }, {}, {"Output Combination Error"}, false, "Two or more of your selected options are not compatible.\r\n    Page Size:  Letter\r\n    Orientation:  Portrait\r\n    Duplex Printing:  Yes\r\n    Binding Edge:  TopLeft\r\n    Folding Guide:  Top\r\n\r\nPlease review and change as necessary.  The most likely conflict would be selection of duplex printing with a binding edge at the top.  This functionality is currently not available."},
        {"duplex with a left binding", [](OptionsDraft& d, OptionsDraft&) { d.duplex = true; d.bindingEdge = 5; }, {}, {}, true, ""},
        {"binder of exactly one inch", [](OptionsDraft& d, OptionsDraft&) { d.margins[4] = "1.000"; }, {}, {}, true, ""},
        {"binder just over an inch, kept", [](OptionsDraft& d, OptionsDraft&) { d.margins[4] = "1.001"; }, {0}, {"Binder Margin May Be Too Large"}, true, ""},
        {"binder just over an inch, refused", [](OptionsDraft& d, OptionsDraft&) { d.margins[4] = "1.001"; }, {1}, {"Binder Margin May Be Too Large"}, false, ""},
        {"brackets switched on, refused", [](OptionsDraft& d, OptionsDraft&) { d.brackets = true; }, {1}, {"Loop Indentation Needed"}, false, ""},
        {"brackets already on", [](OptionsDraft& d, OptionsDraft& o) { d.brackets = o.brackets = true; }, {}, {}, true, ""},
        {"mimic switched on without a sample", [](OptionsDraft& d, OptionsDraft&) { d.mimic = true; }, {0}, {"Mimic IDE Requirements", "Invalid Sample Long Line"}, false, "You have elected to have the printed documentation mimic the IDE code editor view but have not provided a copy of the longest line you expect to be printed without wrapping."},
        {"mimic with a short sample", [](OptionsDraft& d, OptionsDraft& o) { d.mimic = o.mimic = true; d.longLine = QString(59, 'x'); }, {1}, {"Sample Line Too Short"}, false, ""},
        {"a sample wider than the page, fitted", [&](OptionsDraft& d, OptionsDraft& o) { d.mimic = o.mimic = true; d.longLine = sample90; }, {0, 0}, {"Margins Too Wide", "Margins Adjustment Needed"}, true, ""},
        {"a sample wider than the page, left as it was", [&](OptionsDraft& d, OptionsDraft& o) { d.mimic = o.mimic = true; d.longLine = sample90; }, {0, 2}, {"Margins Too Wide", "Margins Adjustment Needed"}, false, ""},
        {"a sample wider than any margins allow", [](OptionsDraft& d, OptionsDraft& o) { d.mimic = o.mimic = true; d.longLine = QString(100, 'x'); }, {0, 0}, {"Margins Too Wide", "Cannot Shrink Margins"}, true, ""},
        {"an unchanged page is not fitted again", [&](OptionsDraft& d, OptionsDraft& o) { d.mimic = o.mimic = true; d.longLine = o.longLine = sample90; }, {}, {}, true, ""},
        {"spool size empty", [](OptionsDraft& d, OptionsDraft&) { d.gdiSpoolSize = ""; }, {}, {"Value Needed"}, false, "A value is needed for the GDI Spool Size"},
        {"spool size no number", [](OptionsDraft& d, OptionsDraft&) { d.gdiSpoolSize = "abc"; }, {}, {"Invalid GDI Spool Size"}, false, "The GDI Spool Size value \"abc\" is not a valid number.  Enter a whole number of at least 500."},
        {"spool size beyond a 16-bit number", [](OptionsDraft& d, OptionsDraft&) { d.gdiSpoolSize = "40000"; }, {}, {"Invalid GDI Spool Size"}, false, ""},
        {"spool size too small", [](OptionsDraft& d, OptionsDraft&) { d.gdiSpoolSize = "499"; }, {}, {"Value Too Small"}, true, "A value at least 500 is needed for the GDI Spool Size.  Your selected value of 499 has been reset to 500."},
        {"spool size not whole", [](OptionsDraft& d, OptionsDraft&) { d.gdiSpoolSize = "612.5"; }, {}, {"Value Too Small"}, true, "The GDI Spool Size must be an integer value.  Your selected value of 612.5 has been reset to 612."},
        {"spool size neither whole nor large enough", [](OptionsDraft& d, OptionsDraft&) { d.gdiSpoolSize = "12.7"; }, {}, {"Value Too Small", "Value Too Small"}, true, ""},
        {"scope for this program on the system default", [](OptionsDraft& d, OptionsDraft& o) { o.printerScope = true; d.deviceName = "office"; }, {1}, {"Session Scope Without Device Change"}, false, ""},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bench b;
        c.edit(b.draft, b.original);
        for (int answer : c.answers)
            b.box.answers.push_back(click(answer));
        const ValidationResult result = b.validate();
        EXPECT_EQ(b.titles(), c.titles);
        EXPECT_EQ(result.passed, c.passes);
        if (!QString(c.lastText).isEmpty() && !b.box.shown.empty()) {
            const auto& last = b.box.shown.back();
            EXPECT_EQ(last.isRequest ? last.request.text.left(QString(c.lastText).size()) : last.text, c.lastText);
        }
    }
}

TEST(OptionsValidationTest, WhatTheChecksChangeAndWhereTheFailureLies)
{
    Bench b;
    b.draft.gdiSpoolSize = "12.7";
    b.draft.margins[0] = "0.75";
    EXPECT_TRUE(b.validate().passed);
    EXPECT_EQ(b.draft.gdiSpoolSize, "500");
    EXPECT_EQ(b.draft.margins[0], "0.75") << "a value no check replaces stays as typed";

    Bench fitted;
    fitted.draft.mimic = fitted.original.mimic = true;
    fitted.draft.longLine = QString(90, 'x'); // 10800 twips against 10080 between half-inch margins
    fitted.box.answers = {click(0), click(0)};
    ASSERT_TRUE(fitted.validate().passed);
    EXPECT_TRUE(fitted.box.shown[1].request.text.contains("Left margin will be 0.250 inches\r\nRight margin will be 0.250 inches"));
    EXPECT_EQ(fitted.draft.margins[0] + " " + fitted.draft.margins[1], "0.250 0.250");

    Bench session;
    session.draft.mimic = session.original.mimic = true;
    session.draft.longLine = QString(90, 'x');
    session.box.answers = {click(0), click(1)};
    ASSERT_TRUE(session.validate().passed);
    EXPECT_EQ(
        std::tuple(session.draft.margins[0], session.draft.sessionLeft.value_or(0), session.draft.sessionRight.value_or(0)), std::tuple("0.500", 0.25, 0.25));

    Bench scope;
    scope.original.printerScope = true;
    scope.draft.deviceName = "Office";
    scope.box.answers = {click(0)};
    EXPECT_TRUE(scope.validate().passed);
    EXPECT_TRUE(scope.draft.printerScope) << "Yes switches the scope back to the system default";

    Bench margin;
    margin.draft.margins[3] = "x";
    const ValidationResult failed = margin.validate();
    EXPECT_EQ(std::tuple(failed.failedCheck, failed.failedMargin), std::tuple(CheckMargins, 3));
    EXPECT_EQ(margin.surface.paperCode(), 1);

    ProportionalSurface proportional;
    Bench variable(&proportional);
    variable.draft.mimic = variable.original.mimic = true;
    variable.draft.longLine = QString(70, 'x');
    variable.box.answers = {click(1)};
    EXPECT_FALSE(variable.validate().passed);
    EXPECT_EQ(variable.titles(), QStringList {"Mimic Requirement Issue"});

    // Checking stored options replaces nothing and says what Save and Exit would do.
    Bench stored;
    stored.draft.gdiSpoolSize = "12.7";
    const ValidationResult reported = validateOptions(stored.draft, stored.original, stored.surface, stored.messages, kAllChecks, Corrections::Report);
    EXPECT_TRUE(reported.passed && reported.changes.isEmpty());
    EXPECT_EQ(stored.draft.gdiSpoolSize, "12.7");
    ASSERT_EQ(stored.box.shown.size(), 2u);
    EXPECT_EQ(stored.box.shown[0].text, "The GDI Spool Size must be an integer value.  The stored value of 12.7 would be reset to 13 by Save and Exit.");
    EXPECT_EQ(stored.box.shown[1].text, "A value at least 500 is needed for the GDI Spool Size.  The stored value of 12.7 would be reset to 500 by Save and Exit.");

    // Only the checks asked for run: the command line sets one option at a time.
    Bench one;
    one.draft.margins[0] = "";
    one.draft.gdiSpoolSize = "499";
    EXPECT_TRUE(one.validate(CheckSpoolSize).passed);
    EXPECT_EQ(one.titles(), QStringList {"Value Too Small"});
}

TEST(OptionsValidationTest, StoringWritesTheFileAndTellsOfAChangedAggregation)
{
    Fixture fx;
    IniStore ini(fx.path("opts.ini"), nullptr);
    BuiltInPdfPrinterDefaults printer;
    Options options(ini, printer);
    options.load();
    ScriptedMessageBox box;
    SuppressibleMessages messages(ini, box);
    const OptionsDraft original = OptionsDraft::fromOptions(options);
    OptionsDraft draft = original;
    draft.gdiSpoolSize = "500";
    draft.margins[4] = "1.25";
    draft.foldingGuide = 2;
    draft.colors[1] = 255;
    draft.sessionLeft = 0.3;
    StoreResult stored = storeOptions(draft, original, options, messages);
    EXPECT_TRUE(stored.saved);
    EXPECT_FALSE(stored.aggregationChanged);
    EXPECT_TRUE(box.shown.empty());
    const QString file = QString::fromUtf8(quillon::test::readBytes(fx.path("opts.ini")));
    for (const char* line : {"\nGDISpoolSize=500\n", "\nBinder=1.250\n", "\nFolding Guide=2\n", "\nComment Text=255\n"})
        EXPECT_TRUE(file.contains(line)) << line;
    EXPECT_FALSE(file.contains("0.300")) << "a margin for this session only is never saved";
    EXPECT_EQ(options.sessionLeftMargin.value_or(0), 0.3f);

    draft.aggregate = "Small";
    stored = storeOptions(draft, original, options, messages);
    EXPECT_TRUE(stored.aggregationChanged);
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].request.messageKey, "Aggregation Option Changed");
}

} // namespace
