#include "config/OptionsValidation.h"

#include "config/PageSetup.h"
#include "config/SuppressibleMessages.h"
#include "model/TextPrimitives.h"
#include "platform/PrintSurface.h"

#include <QLocale>

#include <cmath>

namespace quillon::config {

using model::kCrLf;
using model::quote;
using platform::MessageIcon;
using platform::MessageId;

const char* const kMarginNames[5] = {"Left", "Right", "Top", "Bottom", "Binder"};

QString bindingEdgeDisplayName(int edge)
{
    static const char* const names[] = {"None", "Left", "Top", "TopLeft", "TopRight", "LeftTop", "LeftBottom"};
    return edge >= 0 && edge < 7 ? QString::fromLatin1(names[edge]) : QString::number(edge);
}

QString foldingGuideDisplayName(int guide)
{
    static const char* const names[] = {"None", "Bottom", "Top", "Left", "Right"};
    return guide >= 0 && guide < 5 ? QString::fromLatin1(names[guide]) : QString::number(guide);
}

qint32 defaultColor(int index)
{
    if (index < 0 || index >= kColorCount)
        return 0;
    return Options::find(QStringLiteral(":Colors"), QString::fromLatin1(kColorKeys[index]))->defaultText.toInt();
}

OptionsDraft OptionsDraft::fromOptions(const Options& options)
{
    OptionsDraft draft;
    for (int i = 0; i < kColorCount; ++i)
        draft.colors[size_t(i)] = options.color(i);
    draft.deviceName = options.text(opt::DeviceName);
    draft.driverName = options.text(opt::DriverName);
    draft.printerPort = options.text(opt::PrinterPort);
    draft.fontName = options.text(opt::FontName);
    draft.fontSize = double(options.single(opt::FontSize));
    draft.paperSize = options.text(opt::PaperSize);
    draft.orientation = options.text(opt::PageOrientation);
    draft.gdiSpoolSize = options.text(opt::GDISpoolSize);
    draft.duplex = options.boolean(opt::Duplex);
    for (size_t i = 0; i < 5; ++i)
        draft.margins[i] = options.text(opt::kMargins[i]);
    draft.bindingEdge = options.integer(opt::BindingEdge);
    draft.foldingGuide = options.integer(opt::FoldingGuide);
    draft.brackets = options.boolean(opt::Brackets);
    draft.aggregate = options.text(opt::Aggregate);
    draft.printerScope = options.boolean(opt::PrinterScope);
    draft.mimic = options.boolean(opt::Mimic);
    draft.longLine = options.text(opt::LongLine);
    draft.projectFolder = options.text(opt::ProjectFolder);
    draft.vbpFolder = options.text(opt::VBPFolder);
    draft.outputFolder = options.text(opt::OutputFolder);
    if (options.sessionLeftMargin)
        draft.sessionLeft = double(*options.sessionLeftMargin);
    if (options.sessionRightMargin)
        draft.sessionRight = double(*options.sessionRightMargin);
    return draft;
}

bool pageOptionsChanged(const OptionsDraft& draft, const OptionsDraft& original)
{
    return draft.paperSize != original.paperSize || draft.orientation != original.orientation
        || draft.fontName != original.fontName || draft.fontSize != original.fontSize
        || draft.margins != original.margins || draft.bindingEdge != original.bindingEdge
        || draft.longLine != original.longLine;
}

unsigned checksForOption(const OptionSpec& spec)
{
    const QString key = spec.key;
    const unsigned page = CheckPageArea | CheckCombination | CheckMarginFitting;
    if (spec.suffix == QLatin1String(":Margins"))
        return CheckMargins | page | (key == QLatin1String("Binder") ? unsigned(CheckBinderSize) : 0u);
    if (spec.suffix == QLatin1String(":IDE")) {
        if (key == QLatin1String("Mimic"))
            return CheckMimicRequirements | CheckMonospace | CheckSampleLine | CheckMarginFitting;
        if (key == QLatin1String("Long Line"))
            return CheckSampleLine | CheckMarginFitting;
        return 0;
    }
    if (spec.suffix != QLatin1String(":Output"))
        return 0;
    for (const char* pageKey : {"Paper Size", "Page Orientation", "Duplex", "Binding Edge", "Folding Guide"}) {
        if (key == QLatin1String(pageKey))
            return page;
    }
    if (key == QLatin1String("Font Name") || key == QLatin1String("Font Size"))
        return CheckFontSize | CheckPageArea | CheckMonospace | CheckSampleLine | CheckMarginFitting;
    if (key == QLatin1String("Device Name"))
        return page | CheckPrinterScope;
    if (key == QLatin1String("Printer Scope"))
        return CheckPrinterScope;
    if (key == QLatin1String("Brackets"))
        return CheckBrackets;
    if (key == QLatin1String("GDISpoolSize"))
        return CheckSpoolSize;
    return 0;
}

namespace {

std::optional<double> parseNumber(const QString& text)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

QString inches(double value)
{
    return QLocale::c().toString(value, 'f', 3);
}

// The surface's device, paper, orientation and font, put back when the checks are done.
class SurfaceState {
public:
    explicit SurfaceState(platform::IPrintSurface& surface)
        : surface_(surface),
          device_(surface.currentDevice().deviceName),
          paper_(surface.paperCode()),
          orientation_(surface.orientationCode()),
          fontName_(surface.fontName()),
          fontSize_(surface.fontSize()),
          bold_(surface.bold())
    { }
    ~SurfaceState()
    {
        if (!device_.isEmpty())
            surface_.selectDevice(device_);
        surface_.setPaperCode(paper_);
        surface_.setOrientationCode(orientation_);
        surface_.setFontName(fontName_);
        surface_.setFontSize(fontSize_);
        surface_.setBold(bold_);
    }
    SurfaceState(const SurfaceState&) = delete;
    SurfaceState& operator=(const SurfaceState&) = delete;

private:
    platform::IPrintSurface& surface_;
    QString device_;
    int paper_;
    int orientation_;
    QString fontName_;
    double fontSize_;
    bool bold_;
};

// One run of the checks over a draft: what the steps share (the margins in twips, the
// printable width the page check found).
class Validation {
public:
    Validation(OptionsDraft& draft, const OptionsDraft& original, platform::IPrintSurface& surface,
        SuppressibleMessages& messages, unsigned checks, Corrections corrections)
        : draft_(draft),
          original_(original),
          surface_(surface),
          messages_(messages),
          checks_(checks),
          corrections_(corrections)
    { }

    ValidationResult run();

private:
    bool wanted(Check check) const { return (checks_ & check) != 0; }
    bool fail(Check check, int margin = -1)
    {
        result_.passed = false;
        result_.failedCheck = check;
        result_.failedMargin = margin;
        return false;
    }
    platform::IMessageBox& box() const { return messages_.box(); }
    // A warning of the box with free buttons, answered "Yes" (0) or "No" (1).
    int askYesNo(MessageId id, const QString& key, const QString& title, MessageIcon icon, const QString& text,
        bool allowSuppress = true);
    PageSetup pageSetup() const;
    // The listing's font, in which widths are measured.
    void useBodyFont()
    {
        surface_.setFontName(draft_.fontName);
        surface_.setFontSize(draft_.fontSize);
        surface_.setBold(false);
    }

    bool checkFontSize();
    bool checkMargins();
    bool checkPageArea();
    bool checkCombination();
    bool checkPrinterScope();
    bool checkMimicRequirements();
    bool checkMonospace();
    bool checkSampleLine();
    bool checkBinderSize();
    bool fitMargins();
    bool offerFittedMargins(const MarginFit& fit);
    QString marginsTooWideText() const;
    QString wideningAdvice() const;
    bool checkBrackets();
    bool checkSpoolSize();

    OptionsDraft& draft_;
    const OptionsDraft& original_;
    platform::IPrintSurface& surface_;
    SuppressibleMessages& messages_;
    unsigned checks_;
    Corrections corrections_;
    ValidationResult result_;
    std::array<double, 5> marginTwips_ {};
    double printableWidth_ = 0;
    bool pageChecked_ = false;
};

int Validation::askYesNo(
    MessageId id, const QString& key, const QString& title, MessageIcon icon, const QString& text, bool allowSuppress)
{
    Warning warning;
    warning.id = id;
    warning.key = key;
    warning.title = title;
    warning.icon = icon;
    warning.text = text;
    warning.buttons = {QStringLiteral("Yes"), QStringLiteral("No")};
    warning.allowSuppress = allowSuppress;
    return messages_.ask(warning);
}

PageSetup Validation::pageSetup() const
{
    PageSetup setup;
    setup.deviceName = draft_.deviceName;
    setup.driverName = draft_.driverName;
    setup.printerPort = draft_.printerPort;
    setup.paperSize = draft_.paperSize;
    setup.orientation = draft_.orientation;
    setup.fontName = draft_.fontName;
    setup.fontSize = draft_.fontSize;
    setup.duplex = draft_.duplex;
    setup.printerScope = draft_.printerScope;
    setup.bindingEdge = draft_.bindingEdge;
    setup.foldingGuide = draft_.foldingGuide;
    for (size_t i = 0; i < 5; ++i)
        setup.margins[i] = marginTwips_[i] / kTwipsPerInch;
    setup.workingLeft = setup.margins[kLeft];
    setup.workingRight = setup.margins[kRight];
    return setup;
}

ValidationResult Validation::run()
{
    const SurfaceState kept(surface_);
    // Every later check measures with the margins, so they are read even when not checked.
    for (size_t i = 0; i < 5; ++i)
        marginTwips_[i] = parseNumber(draft_.margins[i]).value_or(0) * kTwipsPerInch;
    using Step = bool (Validation::*)();
    static const std::pair<Check, Step> steps[] = {
        {CheckFontSize, &Validation::checkFontSize},
        {CheckMargins, &Validation::checkMargins},
        {CheckPageArea, &Validation::checkPageArea},
        {CheckCombination, &Validation::checkCombination},
        {CheckPrinterScope, &Validation::checkPrinterScope},
        {CheckMimicRequirements, &Validation::checkMimicRequirements},
        {CheckMonospace, &Validation::checkMonospace},
        {CheckSampleLine, &Validation::checkSampleLine},
        {CheckBinderSize, &Validation::checkBinderSize},
        {CheckMarginFitting, &Validation::fitMargins},
        {CheckBrackets, &Validation::checkBrackets},
        {CheckSpoolSize, &Validation::checkSpoolSize},
    };
    for (const auto& [check, step] : steps) {
        if (wanted(check) && !(this->*step)())
            break;
    }
    return result_;
}

bool Validation::checkFontSize()
{
    if (draft_.fontSize > 0 && std::isfinite(draft_.fontSize))
        return true;
    box().showMessage(MessageIcon::Critical, QStringLiteral("Font"),
        QStringLiteral("Invalid font size: ") + QLocale::c().toString(draft_.fontSize));
    return fail(CheckFontSize);
}

bool Validation::checkMargins()
{
    for (size_t i = 0; i < 5; ++i) {
        const QString name = QString::fromLatin1(kMarginNames[i]);
        const QString text = draft_.margins[i].trimmed();
        if (text.isEmpty()) {
            box().showMessage(MessageIcon::Critical, QStringLiteral("Value Needed"),
                QStringLiteral("A value is needed for the ") + name + QStringLiteral(" margin."));
            return fail(CheckMargins, int(i));
        }
        const std::optional<double> value = parseNumber(text);
        if (!value) {
            box().showMessage(MessageIcon::Critical, QStringLiteral("Invalid Margin"),
                QStringLiteral("The ") + name + QStringLiteral(" margin value ") + quote(draft_.margins[i])
                    + QStringLiteral(" is not a valid number.  Enter the ")
                    + QStringLiteral("margin in inches, for example ") + quote(QStringLiteral("0.500"))
                    + QStringLiteral("."));
            return fail(CheckMargins, int(i));
        }
        // A negative margin would put the listing off the paper's edge.
        if (*value < 0) {
            box().showMessage(MessageIcon::Critical, QStringLiteral("Invalid Margin"),
                QStringLiteral("The ") + name + QStringLiteral(" margin value ") + quote(draft_.margins[i])
                    + QStringLiteral(" is negative: margins are 0 or more inches."));
            return fail(CheckMargins, int(i));
        }
        marginTwips_[i] = *value * kTwipsPerInch;
    }
    return true;
}

bool Validation::checkPageArea()
{
    PageSetup setup = pageSetup();
    PrintDevice device(surface_, setup);
    pageChecked_ = device.checkMargins(marginTwips_[kLeft], marginTwips_[kRight], marginTwips_[kTop],
        marginTwips_[kBottom], marginTwips_[kBinder], draft_.bindingEdge, printableWidth_, &box());
    return pageChecked_ || fail(CheckPageArea);
}

bool Validation::checkCombination()
{
    // Duplex printing turns every other sheet over its long edge: a binding at the top would
    // land at the bottom of the back pages.
    const bool topBinding = draft_.bindingEdge >= 2 && draft_.bindingEdge <= 4;
    if (!(draft_.duplex && topBinding))
        return true;
    const QString text = QStringLiteral("Two or more of your selected options are not compatible.") + kCrLf
        + QStringLiteral("    Page Size:  ") + draft_.paperSize + kCrLf + QStringLiteral("    Orientation:  ")
        + draft_.orientation + kCrLf + QStringLiteral("    Duplex Printing:  ")
        + (draft_.duplex ? QStringLiteral("Yes") : QStringLiteral("No")) + kCrLf + QStringLiteral("    Binding Edge:  ")
        + bindingEdgeDisplayName(draft_.bindingEdge) + kCrLf + QStringLiteral("    Folding Guide:  ")
        + foldingGuideDisplayName(draft_.foldingGuide) + kCrLf + kCrLf
        + QStringLiteral("Please review and change as necessary.  The most likely conflict ")
        + QStringLiteral("would be selection of duplex printing with a binding edge at ")
        + QStringLiteral("the top.  This functionality is currently not available.");
    box().showMessage(MessageIcon::Critical, QStringLiteral("Output Combination Error"), text);
    return fail(CheckCombination);
}

bool Validation::checkPrinterScope()
{
    // Asked when the user picks the scope, not at every save while it stands.
    if (draft_.printerScope || !original_.printerScope)
        return true;
    if (!model::equalsNoCase(draft_.deviceName, surface_.defaultDeviceName()))
        return true;
    const QString key = QStringLiteral("Session Scope Without Device Change");
    const QString text = QStringLiteral("You have chosen ") + quote(QStringLiteral("Only This Program"))
        + QStringLiteral(" as the printer scope, but the output target is still the system default printer, ")
        + quote(draft_.deviceName) + QStringLiteral(".  A target for this program only is chosen with ")
        + quote(QStringLiteral("Change Target")) + QStringLiteral(" and is not saved when Quillon ends.") + kCrLf
        + kCrLf + QStringLiteral("Click <Yes> to switch the printer scope back to ")
        + quote(QStringLiteral("System Default")) + QStringLiteral(", or <No> to return to the options and ")
        + QStringLiteral("choose another output target.");
    if (askYesNo(MessageId::PrinterScope, key, key, MessageIcon::Question, text) != 0)
        return fail(CheckPrinterScope);
    draft_.printerScope = true;
    result_.changes << QStringLiteral("Printer Scope: switched back to System Default");
    return true;
}

bool Validation::checkMimicRequirements()
{
    if (!draft_.mimic || original_.mimic)
        return true;
    const QString key = QStringLiteral("Mimic IDE Requirements");
    const QString text = QStringLiteral("You have elected to have the printed documentation mimic the IDE code ")
        + QStringLiteral("editor view.  This works only when:") + kCrLf
        + QStringLiteral("    1 - the IDE code editor uses a monospaced font,") + kCrLf
        + QStringLiteral("    2 - the same font name and size are selected here under Output Target, and") + kCrLf
        + QStringLiteral("    3 - a copy of the longest code line you expect to print without wrapping is ")
        + QStringLiteral("entered under ") + quote(QStringLiteral("Typical Longest Code Line:")) + QStringLiteral(".")
        + kCrLf + kCrLf + QStringLiteral("Do you want to continue?");
    return askYesNo(MessageId::MimicRequirements, key, key, MessageIcon::Exclamation, text) == 0
        || fail(CheckMimicRequirements);
}

bool Validation::checkMonospace()
{
    if (!draft_.mimic)
        return true;
    useBodyFont();
    const double narrow = surface_.textWidth(QString(30, QLatin1Char('i')));
    const double wide = surface_.textWidth(QString(30, QLatin1Char('X')));
    if (std::fabs(narrow - wide) < 0.5)
        return true;
    const QString text = QStringLiteral("You have elected to have documentation mimic the IDE ")
        + QStringLiteral("but the selected font does not appear to be monospaced. ")
        + QStringLiteral("The results will be unpredictable when any code line is longer than ")
        + QStringLiteral("the code test line because it contains a greater portion of ") + QStringLiteral("Wider")
        + QStringLiteral(" characters,  Do you want to continue?");
    return askYesNo(MessageId::VariableFont, QStringLiteral("Variable Font Warning"),
               QStringLiteral("Mimic Requirement Issue"), MessageIcon::Exclamation, text)
        == 0
        || fail(CheckMonospace);
}

bool Validation::checkSampleLine()
{
    if (!draft_.mimic)
        return true;
    if (draft_.longLine.trimmed().isEmpty()) {
        box().showMessage(MessageIcon::Critical, QStringLiteral("Invalid Sample Long Line"),
            QStringLiteral("You have elected to have the printed documentation ")
                + QStringLiteral("mimic the IDE code editor view but ") + QStringLiteral("have not provided a ")
                + QStringLiteral("copy of the longest line you expect to be printed ")
                + QStringLiteral("without wrapping."));
        return fail(CheckSampleLine);
    }
    useBodyFont();
    if (surface_.textWidth(draft_.longLine) >= 5 * kTwipsPerInch)
        return true;
    const QString key = QStringLiteral("Sample Line Too Short");
    const QString text = QStringLiteral("The line you selected as the longest code line you expect to print ")
        + QStringLiteral("without wrapping is less than 5 inches long in the selected font, which seems ")
        + QStringLiteral("unusually short for the IDE code editor.") + kCrLf + kCrLf
        + QStringLiteral("Do you want to continue without adjusting it?");
    return askYesNo(MessageId::SampleLineTooShort, key, key, MessageIcon::Question, text) == 0 || fail(CheckSampleLine);
}

bool Validation::checkBinderSize()
{
    const double binder = marginTwips_[kBinder] / kTwipsPerInch;
    if (!(binder > 1.0))
        return true;
    const QString text = QStringLiteral("The current binder margin (") + inches(binder)
        + QStringLiteral(" inches) exceeds 1 inch ") + QStringLiteral("and may be too large.  ") + kCrLf
        + QStringLiteral("Large binder ")
        + QStringLiteral("margins reduce the width of the available print area, which may ")
        + QStringLiteral("result in other margin warnings.  Do you want to continue with ")
        + QStringLiteral("the binder margin value currently shown in User Options?");
    return askYesNo(MessageId::BinderMarginTooLarge, QStringLiteral("Binder Margin Too Large"),
               QStringLiteral("Binder Margin May Be Too Large"), MessageIcon::Question, text)
        == 0
        || fail(CheckBinderSize);
}

QString Validation::marginsTooWideText() const
{
    return QStringLiteral("The typical longest code line is wider than the print box of the page set-up:") + kCrLf
        + QStringLiteral("    Page Size:  ") + draft_.paperSize + kCrLf + QStringLiteral("    Page Orientation:  ")
        + draft_.orientation + kCrLf + QStringLiteral("    Binder Edge Selection:  ")
        + bindingEdgeDisplayName(draft_.bindingEdge) + kCrLf + QStringLiteral("    Left Margin:  ")
        + inches(marginTwips_[kLeft] / kTwipsPerInch) + kCrLf + QStringLiteral("    Right Margin:  ")
        + inches(marginTwips_[kRight] / kTwipsPerInch) + kCrLf + QStringLiteral("    Binder Margin:  ")
        + inches(marginTwips_[kBinder] / kTwipsPerInch) + kCrLf + kCrLf
        + QStringLiteral("Quillon will now try to narrow the left and right margins so that the line fits.");
}

QString Validation::wideningAdvice() const
{
    const bool legal = model::upperCase(model::trimBlanks(draft_.paperSize)) == QLatin1String("LEGAL");
    const bool landscape = model::upperCase(model::trimBlanks(draft_.orientation)) == QLatin1String("LANDSCAPE");
    QString advice;
    if (legal && landscape) {
        advice = QStringLiteral("Your output is already set to Legal in Landscape, ")
            + QStringLiteral("which is the widest print box Quillon can produce, so at ")
            + QStringLiteral("the current font size this line cannot be made to fit.");
    } else if (landscape) {
        advice = QStringLiteral("Consider changing the paper size to Legal, ")
            + QStringLiteral("which prints 14 inches across instead of 11.");
    } else {
        advice = QStringLiteral("Consider printing in Landscape: Letter in Landscape prints 11 inches across and ")
            + QStringLiteral("Legal in Landscape 14, while in Portrait both papers are 8.5 inches across.");
    }
    return advice + kCrLf + kCrLf + QStringLiteral("Unless the print box can be widened, the printout will ")
        + QStringLiteral("not mimic the IDE code editor view for lines this long.  ")
        + QStringLiteral("Each such line will be printed as you choose when it is met:") + kCrLf
        + QStringLiteral("    1 - Wrap the line,") + kCrLf + QStringLiteral("    2 - Truncate the line, or") + kCrLf
        + QStringLiteral("    3 - Abandon printing of the current procedure.");
}

bool Validation::fitMargins()
{
    if (!draft_.mimic || !pageOptionsChanged(draft_, original_) || draft_.longLine.trimmed().isEmpty())
        return true;
    if (!pageChecked_ && !checkPageArea())
        return false;
    useBodyFont();
    const double sample = surface_.textWidth(draft_.longLine);
    const double left = marginTwips_[kLeft];
    const double right = marginTwips_[kRight];
    if (!(left + right > 0 && sample > printableWidth_))
        return true;
    messages_.ask(Warning::notice(QStringLiteral("Margins Too Wide"), QStringLiteral("Margins Too Wide"),
        MessageIcon::Exclamation, marginsTooWideText()));
    const double binderWidth = binderReducesWidth(draft_.bindingEdge) ? marginTwips_[kBinder] : 0;
    const double available = surface_.printableWidth() - sample - binderWidth;
    const MarginFit fit = fitMarginsToSample(left, right, available);
    if (!fit.fits) {
        messages_.ask(Warning::notice(QStringLiteral("Cannot Shrink Margins Warning"),
            QStringLiteral("Cannot Shrink Margins"), MessageIcon::Exclamation,
            QStringLiteral("The margins cannot be reduced sufficiently for the maximum print line, so no ")
                + QStringLiteral("margin adjustment will be made.") + kCrLf + kCrLf + wideningAdvice()));
        return true;
    }
    return offerFittedMargins(fit);
}

bool Validation::offerFittedMargins(const MarginFit& fit)
{
    const double left = fit.left / kTwipsPerInch;
    const double right = fit.right / kTwipsPerInch;
    Warning question;
    question.id = MessageId::MarginsAdjustment;
    question.key = QStringLiteral("Margins Adjustment Needed");
    question.title = question.key;
    question.icon = MessageIcon::Question;
    // The answer depends on the margins of the moment: it is never given by itself.
    question.allowSuppress = false;
    question.text = QStringLiteral("For the typical longest code line to print without wrapping, the left and ")
        + QStringLiteral("right margins must be narrowed:") + kCrLf + QStringLiteral("Left margin will be ")
        + inches(left) + QStringLiteral(" inches") + kCrLf + QStringLiteral("Right margin will be ") + inches(right)
        + QStringLiteral(" inches") + kCrLf + kCrLf
        + QStringLiteral("Do you want to use these margins?  Click <No> to return to User Options.");
    question.buttons = {QStringLiteral("Yes"), QStringLiteral("Yes, But Only For This Session"), QStringLiteral("No")};
    const int answer = messages_.ask(question);
    if (answer == 0) {
        draft_.margins[kLeft] = inches(left);
        draft_.margins[kRight] = inches(right);
        draft_.sessionLeft.reset();
        draft_.sessionRight.reset();
        marginTwips_[kLeft] = fit.left;
        marginTwips_[kRight] = fit.right;
        result_.changes << QStringLiteral("Left margin: fitted to ") + inches(left)
                        << QStringLiteral("Right margin: fitted to ") + inches(right);
        return true;
    }
    if (answer == 1) {
        draft_.sessionLeft = left;
        draft_.sessionRight = right;
        result_.changes << QStringLiteral("Left margin: ") + inches(left) + QStringLiteral(" for this session only")
                        << QStringLiteral("Right margin: ") + inches(right) + QStringLiteral(" for this session only");
        return true;
    }
    return fail(CheckMarginFitting);
}

bool Validation::checkBrackets()
{
    if (!draft_.brackets || original_.brackets)
        return true;
    const QString text = QStringLiteral("You have elected to have the printed documentation show ")
        + QStringLiteral("code loops bracketed.  Your actual code should therefore indent ")
        + QStringLiteral("code lines between the loop start and loop end.  If not, the ")
        + QStringLiteral("connecting lines between loop starts and loop ends will overlap ")
        + QStringLiteral("for nested loops and not provide the clarity you seek.") + kCrLf + kCrLf
        + QStringLiteral("Do you want to continue?");
    return askYesNo(MessageId::LoopIndentation, QStringLiteral("Bracket Message Warning"),
               QStringLiteral("Loop Indentation Needed"), MessageIcon::Question, text)
        == 0
        || fail(CheckBrackets);
}

bool Validation::checkSpoolSize()
{
    const QString text = draft_.gdiSpoolSize.trimmed();
    if (text.isEmpty()) {
        box().showMessage(MessageIcon::Critical, QStringLiteral("Value Needed"),
            QStringLiteral("A value is needed for the GDI Spool Size"));
        return fail(CheckSpoolSize);
    }
    const std::optional<double> value = parseNumber(text);
    // What a 16-bit whole number cannot hold is no number for this option either.
    if (!value || std::fabs(*value) > 32767.4) {
        box().showMessage(MessageIcon::Critical, QStringLiteral("Invalid GDI Spool Size"),
            QStringLiteral("The GDI Spool Size value ") + quote(draft_.gdiSpoolSize)
                + QStringLiteral(" is not a valid number.  Enter a whole number of at least 500."));
        return fail(CheckSpoolSize);
    }
    // Checking the stored options changes nothing: the message says what a save would do.
    const bool apply = corrections_ == Corrections::Apply;
    auto resetText = [&](qint64 to) {
        return apply ? QStringLiteral("Your selected value of ") + text + QStringLiteral(" has been ")
                + QStringLiteral("reset to ") + QString::number(to) + QStringLiteral(".")
                     : QStringLiteral("The stored value of ") + text + QStringLiteral(" would be reset to ")
                + QString::number(to) + QStringLiteral(" by Save and Exit.");
    };
    double whole = *value;
    if (whole != std::floor(whole)) {
        whole = std::nearbyint(whole);
        box().showMessage(MessageIcon::Critical, QStringLiteral("Value Too Small"),
            QStringLiteral("The GDI Spool Size must be an integer value.  ") + resetText(qint64(whole)));
        if (apply)
            result_.changes << QStringLiteral("GDISpoolSize: ") + text + QStringLiteral(" reset to ")
                    + QString::number(qint64(whole));
    }
    if (whole < 500) {
        box().showMessage(MessageIcon::Exclamation, QStringLiteral("Value Too Small"),
            QStringLiteral("A value at least 500 is needed for the GDI Spool Size.  ") + resetText(500));
        if (apply)
            result_.changes << QStringLiteral("GDISpoolSize: ") + text + QStringLiteral(" reset to 500");
        whole = 500;
    }
    if (apply)
        draft_.gdiSpoolSize = QString::number(qint64(whole));
    return true;
}

} // namespace

ValidationResult validateOptions(OptionsDraft& draft, const OptionsDraft& original, platform::IPrintSurface& surface,
    SuppressibleMessages& messages, unsigned checks, Corrections corrections)
{
    return Validation(draft, original, surface, messages, checks, corrections).run();
}

StoreResult storeOptions(
    const OptionsDraft& draft, const OptionsDraft& original, Options& options, SuppressibleMessages& messages)
{
    for (int i = 0; i < kColorCount; ++i)
        options.set(OptionKey {":Colors", kColorKeys[i]}, QString::number(draft.colors[size_t(i)]));
    options.set(opt::DeviceName, draft.deviceName);
    options.set(opt::DriverName, draft.driverName);
    options.set(opt::PrinterPort, draft.printerPort);
    options.set(opt::FontName, draft.fontName);
    options.setSingle(opt::FontSize, float(draft.fontSize));
    options.set(opt::PaperSize, draft.paperSize);
    options.set(opt::PageOrientation, draft.orientation);
    options.set(opt::GDISpoolSize, draft.gdiSpoolSize);
    options.setBool(opt::Duplex, draft.duplex);
    for (size_t i = 0; i < 5; ++i)
        options.set(opt::kMargins[i], draft.margins[i]);
    options.setInt(opt::BindingEdge, draft.bindingEdge);
    options.setInt(opt::FoldingGuide, draft.foldingGuide);
    options.setBool(opt::Brackets, draft.brackets);
    options.set(opt::Aggregate, draft.aggregate);
    options.setBool(opt::PrinterScope, draft.printerScope);
    options.setBool(opt::Mimic, draft.mimic);
    options.set(opt::LongLine, draft.longLine);
    options.set(opt::ProjectFolder, draft.projectFolder);
    options.set(opt::VBPFolder, draft.vbpFolder);
    options.set(opt::OutputFolder, draft.outputFolder);
    options.sessionLeftMargin = draft.sessionLeft ? std::optional<float>(float(*draft.sessionLeft)) : std::nullopt;
    options.sessionRightMargin = draft.sessionRight ? std::optional<float>(float(*draft.sessionRight)) : std::nullopt;
    StoreResult result;
    result.saved = options.save();
    if (draft.aggregate != original.aggregate) {
        messages.ask(Warning::notice(QStringLiteral("Aggregation Option Changed"),
            QStringLiteral("Aggregation Option Changed"), MessageIcon::Information,
            QStringLiteral("The aggregation of Get/Set/Let property routines has changed.  A project that is ")
                + QStringLiteral("already loaded still lists its routines the old way: use File | Open to load ")
                + QStringLiteral("it again.")));
        result.aggregationChanged = true;
    }
    return result;
}

} // namespace quillon::config
