#include "ui/OptionsDialog.h"

#include "config/Session.h"
#include "model/TextPrimitives.h"
#include "platform/MessageBox.h"
#include "ui/NamedControls.h"
#include "ui/WindowPlacement.h"

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace quillon::ui {

using platform::MessageButtons;
using platform::MessageIcon;
using platform::MessageId;
using platform::MessageResult;

namespace {

const QString kOptionsFormSection = QStringLiteral(":OptionsForm");

// The chapter of the user manual that explains a group of the window, by the object name of
// the group or of the control itself (a control's own entry wins over its group's).
const std::pair<const char*, const char*> kHelpSections[] = {
    {"fraColors", "4.1 - Color Settings"},
    {"fraDefault", "4.2.1 - Printer Scope"},
    {"cmdOutput0", "4.2.2 - Printer Selection"},
    {"fraPSize", "4.2.3 - Page Size"},
    {"fraOrientation", "4.2.4 - Page Orientation"},
    {"cmdOutput1", "4.2.5 - Font Name and Size"},
    {"fraGDI", "4.2.6 - GDI Spool Limit"},
    {"fraDuplex", "4.2.7 - Duplex Printing"},
    {"fraAgg", "4.2.8 - Aggregate Options"},
    {"fraBrackets", "4.2.9 - Bracket Options"},
    {"fraMargins", "4.3 - Margin Settings"},
    {"fraBind", "4.4 - Bind Edge"},
    {"fraFold", "4.5 - Fold Options"},
    {"fraIDE", "4.6.1 - IDE Settings"},
    {"txtIDE", "4.6.2 - Typical Longest Code Line"},
    {"fraFolders", "4.7 - Folders"},
};

// The folding guide radios run None, Top, Bottom, Left, Right; the stored codes do not.
constexpr int kFoldCodes[5] = {0, 2, 1, 3, 4};
// The aggregate radios All, Only Small, None, as the option names them.
const QString kAggregates[3] = {QStringLiteral("All"), QStringLiteral("Small"), QStringLiteral("None")};
const char* const kFolderCaptions[3] = {"Project Folder", "Project File Folder", "Output Folder"};

QColor toColor(qint32 value)
{
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

QPushButton* button(const QString& caption, const QString& name, QWidget* parent)
{
    QPushButton* button = namedButton(caption, name, parent);
    // Enter in a field must not press whichever button happens to be first.
    button->setAutoDefault(false);
    return button;
}

QLabel* label(const QString& text, const QString& name, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

int checkedIndex(const std::vector<QRadioButton*>& choices)
{
    for (size_t i = 0; i < choices.size(); ++i)
        if (choices[i]->isChecked())
            return int(i);
    return -1;
}

void check(const std::vector<QRadioButton*>& choices, int index)
{
    if (index >= 0 && size_t(index) < choices.size())
        choices[size_t(index)]->setChecked(true);
}

QWidget* checkedChoice(const std::vector<QRadioButton*>& choices)
{
    const int index = checkedIndex(choices);
    return index < 0 ? choices.front() : choices[size_t(index)];
}

} // namespace

OptionsDialog::OptionsDialog(
    config::Session& session, platform::IMessageBox& box, SurfaceFactory surfaces, QWidget* parent)
    : QDialog(parent), session_(session), box_(box), surfaces_(std::move(surfaces))
{
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("User Options"));
    setModal(true);
    chooseColorDialog = [this](const QColor& initial) { return QColorDialog::getColor(initial, this); };
    chooseFontDialog = [this](const QFont& initial) -> std::optional<QFont> {
        bool ok = false;
        const QFont font = QFontDialog::getFont(&ok, initial, this, QStringLiteral("Font"), QFontDialog::ScalableFonts);
        return ok ? std::optional<QFont>(font) : std::nullopt;
    };
    chooseFolderDialog = [this](const QString& folder) {
        return QFileDialog::getExistingDirectory(this, QStringLiteral("Choose Folder"), folder);
    };
    choosePrinterDialog = [this](const std::vector<platform::PrinterInfo>& printers, const QString& current) {
        return choosePrinterWithDialog(this, printers, current, QStringLiteral("Select Output Target"));
    };

    original_ = config::OptionsDraft::fromOptions(session_.options);
    draft_ = original_;
    buildControls();
    connectControls();
    showDraft(original_);
    noteValuesNotAChoice();
    restorePosition();
}

// ---------------------------------------------------------------------------------------------
// Controls

void OptionsDialog::buildControls()
{
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(10, 8, 10, 8);
    outer->setSpacing(6);
    outer->addWidget(buildColors());

    auto* columns = new QHBoxLayout;
    auto* first = new QVBoxLayout;
    first->addWidget(buildOutputTarget());
    first->addWidget(buildChoices(QStringLiteral("Printer Scope"), QStringLiteral("optDefault"),
        {QStringLiteral("System Default"), QStringLiteral("Only This Program")}, scope_));
    first->addWidget(buildFolders());
    first->addStretch(1);
    auto* second = new QVBoxLayout;
    second->addWidget(buildChoices(QStringLiteral("Paper Size:"), QStringLiteral("optPSize"),
        {QStringLiteral("Letter"), QStringLiteral("Legal")}, paper_));
    second->addWidget(buildChoices(QStringLiteral("Page Orientation:"), QStringLiteral("optOrientation"),
        {QStringLiteral("Portrait"), QStringLiteral("Landscape")}, orientation_));
    second->addWidget(buildLineEdit(QStringLiteral("GDI File Size:"), QStringLiteral("GDI"), gdi_));
    second->addWidget(buildChoices(QStringLiteral("Duplex Print"), QStringLiteral("optDuplex"),
        {QStringLiteral("Yes"), QStringLiteral("No")}, duplex_));
    second->addWidget(buildChoices(QStringLiteral("Show Brackets for Code Loops"), QStringLiteral("optBrackets"),
        {QStringLiteral("Yes"), QStringLiteral("No")}, brackets_));
    second->addWidget(buildChoices(QStringLiteral("Aggregate Get/Set/Let Property Routines"), QStringLiteral("optAgg"),
        {QStringLiteral("All"), QStringLiteral("Only Small"), QStringLiteral("None")}, aggregate_));
    second->addStretch(1);
    auto* third = new QVBoxLayout;
    third->addWidget(buildMargins());
    // Radio i stands for binding edge code i.
    third->addWidget(buildChoices(QStringLiteral("Binding Edge"), QStringLiteral("optBind"),
        {QStringLiteral("None"), QStringLiteral("Left"), QStringLiteral("Top"), QStringLiteral("Top Left"),
            QStringLiteral("Top Right"), QStringLiteral("Left Top"), QStringLiteral("Left Bottom")},
        binding_));
    third->addWidget(buildChoices(QStringLiteral("Printed Folding Guide"), QStringLiteral("optFold"),
        {QStringLiteral("None"), QStringLiteral("Top"), QStringLiteral("Bottom"), QStringLiteral("Left"),
            QStringLiteral("Right")},
        folding_));
    third->addStretch(1);
    columns->addLayout(first, 4);
    columns->addLayout(second, 3);
    columns->addLayout(third, 3);
    outer->addLayout(columns, 1);
    outer->addWidget(buildIde());

    auto* bottom = new QHBoxLayout;
    statusLabel_ = label(QString(), QStringLiteral("lblStatus"), this);
    statusLabel_->setFrameShape(QFrame::StyledPanel);
    statusLabel_->setFrameShadow(QFrame::Sunken);
    statusLabel_->setWordWrap(true);
    statusLabel_->setMargin(4);
    statusLabel_->setMinimumHeight(statusLabel_->fontMetrics().lineSpacing() * 2 + 10);
    bottom->addWidget(statusLabel_, 1);
    auto* save = button(QStringLiteral("Save and Exit"), QStringLiteral("cmdSave"), this);
    auto* exit = button(QStringLiteral("Exit"), QStringLiteral("cmdExit"), this);
    for (QPushButton* b : {save, exit}) {
        b->setMinimumWidth(110);
        bottom->addWidget(b, 0, Qt::AlignBottom);
    }
    outer->addLayout(bottom);
}

QGroupBox* OptionsDialog::buildColors()
{
    auto* frame = new QGroupBox(QStringLiteral("Highlight Colors"), this);
    frame->setObjectName(QStringLiteral("fraColors"));
    auto* grid = new QGridLayout(frame);
    grid->setSpacing(6);
    for (int i = 0; i < config::kColorCount; ++i) {
        const QString index = QString::number(i);
        auto* colour = new QGroupBox(QString::fromLatin1(config::kColorKeys[i]), frame);
        colour->setObjectName(QStringLiteral("fraColor") + index);
        auto* row = new QHBoxLayout(colour);
        row->setContentsMargins(6, 2, 6, 4);
        auto* swatch = label(QStringLiteral("Sample"), QStringLiteral("lblColor") + index, colour);
        swatch->setAlignment(Qt::AlignCenter);
        swatch->setMinimumWidth(90);
        swatches_[size_t(i)] = swatch;
        auto* change = button(QStringLiteral("Change"), QStringLiteral("cmdColor") + index, colour);
        connect(change, &QPushButton::clicked, this, [this, i] { changeColor(i); });
        row->addWidget(swatch, 1);
        row->addWidget(change);
        grid->addWidget(colour, i / 5, i % 5);
    }
    return frame;
}

QGroupBox* OptionsDialog::buildOutputTarget()
{
    auto* frame = new QGroupBox(QStringLiteral("Output Target"), this);
    frame->setObjectName(QStringLiteral("fraOutput"));
    auto* grid = new QGridLayout(frame);
    deviceLabel_ = label(QString(), QStringLiteral("lblPrinterDevice"), frame);
    deviceLabel_->setWordWrap(true);
    sessionDeviceLabel_ = label(QString(), QStringLiteral("lblSessionDevice"), frame);
    sessionDeviceLabel_->setWordWrap(true);
    fontNameLabel_ = label(QString(), QStringLiteral("lblFontName"), frame);
    fontSizeLabel_ = label(QString(), QStringLiteral("lblFontSize"), frame);
    auto* target = button(QStringLiteral("Change Target"), QStringLiteral("cmdOutput0"), frame);
    auto* font = button(QStringLiteral("Change Font"), QStringLiteral("cmdOutput1"), frame);
    connect(target, &QPushButton::clicked, this, [this] { changeTarget(); });
    connect(font, &QPushButton::clicked, this, [this] { changeFont(); });
    grid->addWidget(new QLabel(QStringLiteral("Device:"), frame), 0, 0);
    grid->addWidget(deviceLabel_, 0, 1);
    grid->addWidget(target, 0, 2);
    grid->addWidget(sessionDeviceLabel_, 1, 0, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Font Name:"), frame), 2, 0);
    grid->addWidget(fontNameLabel_, 2, 1);
    grid->addWidget(font, 2, 2);
    grid->addWidget(new QLabel(QStringLiteral("Font Size:"), frame), 3, 0);
    grid->addWidget(fontSizeLabel_, 3, 1);
    grid->setColumnStretch(1, 1);
    return frame;
}

QGroupBox* OptionsDialog::buildMargins()
{
    auto* frame = new QGroupBox(QStringLiteral("Print Margins (inches)"), this);
    frame->setObjectName(QStringLiteral("fraMargins"));
    auto* grid = new QGridLayout(frame);
    for (int i = 0; i < 5; ++i) {
        auto* edit = new QLineEdit(frame);
        edit->setObjectName(QStringLiteral("txtMargin") + QString::number(i));
        edit->setMaximumWidth(90);
        auto* caption = new QLabel(QString::fromLatin1(config::kMarginNames[i]), frame);
        caption->setBuddy(edit);
        grid->addWidget(caption, i, 0);
        grid->addWidget(edit, i, 1);
        margins_[size_t(i)] = edit;
    }
    sessionMarginsLabel_ = label(QString(), QStringLiteral("lblMarginSession"), frame);
    sessionMarginsLabel_->setWordWrap(true);
    grid->addWidget(sessionMarginsLabel_, 5, 0, 1, 3);
    grid->setColumnStretch(2, 1);
    return frame;
}

QGroupBox* OptionsDialog::buildIde()
{
    QGroupBox* frame = buildChoices(QStringLiteral("Mimic IDE View"), QStringLiteral("optIDE"),
        {QStringLiteral("Yes"), QStringLiteral("No")}, mimic_);
    auto* grid = static_cast<QGridLayout*>(frame->layout());
    longLine_ = new QLineEdit(frame);
    longLine_->setObjectName(QStringLiteral("txtIDE"));
    // The sample is measured in a fixed-pitch font when printed; shown in one, it reads as code.
    longLine_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto* caption = new QLabel(QStringLiteral("Typical Longest Code Line:"), frame);
    caption->setBuddy(longLine_);
    grid->addWidget(caption, 0, 2);
    grid->addWidget(longLine_, 0, 3);
    grid->setColumnStretch(3, 1);
    return frame;
}

QGroupBox* OptionsDialog::buildFolders()
{
    auto* frame = new QGroupBox(QStringLiteral("Folders"), this);
    frame->setObjectName(QStringLiteral("fraFolders"));
    auto* grid = new QGridLayout(frame);
    for (int i = 0; i < 3; ++i) {
        auto* edit = new QLineEdit(frame);
        edit->setObjectName(QStringLiteral("txtFolder") + QString::number(i));
        edit->setReadOnly(true);
        auto* change = button(QStringLiteral("Change"), QStringLiteral("cmdFolder") + QString::number(i), frame);
        connect(change, &QPushButton::clicked, this, [this, i] { changeFolder(i); });
        grid->addWidget(new QLabel(QString::fromLatin1(kFolderCaptions[i]), frame), i, 0);
        grid->addWidget(edit, i, 1);
        grid->addWidget(change, i, 2);
        folders_[size_t(i)] = edit;
    }
    grid->setColumnStretch(1, 1);
    return frame;
}

// A frame of radio buttons named name0, name1 ... in rows of up to three; the frame is named
// after them ("optPSize" → "fraPSize").
QGroupBox* OptionsDialog::buildChoices(
    const QString& caption, const QString& name, const QStringList& captions, Choices& choices)
{
    auto* frame = new QGroupBox(caption, this);
    frame->setObjectName(QStringLiteral("fra") + name.mid(3));
    auto* grid = new QGridLayout(frame);
    grid->setContentsMargins(8, 4, 8, 4);
    for (int i = 0; i < captions.size(); ++i) {
        auto* radio = new QRadioButton(captions[i], frame);
        radio->setObjectName(name + QString::number(i));
        grid->addWidget(radio, i / 3, i % 3);
        choices.push_back(radio);
    }
    return frame;
}

QGroupBox* OptionsDialog::buildLineEdit(const QString& caption, const QString& name, QLineEdit*& edit)
{
    auto* frame = new QGroupBox(caption, this);
    frame->setObjectName(QStringLiteral("fra") + name);
    auto* row = new QHBoxLayout(frame);
    row->setContentsMargins(8, 4, 8, 4);
    edit = new QLineEdit(frame);
    edit->setObjectName(QStringLiteral("txt") + name);
    edit->setMaximumWidth(120);
    row->addWidget(edit);
    row->addStretch(1);
    return frame;
}

void OptionsDialog::connectControls()
{
    connect(findChild<QPushButton*>(QStringLiteral("cmdSave")), &QPushButton::clicked, this, [this] { saveAndExit(); });
    connect(findChild<QPushButton*>(QStringLiteral("cmdExit")), &QPushButton::clicked, this,
        [this] { exitWithoutSaving(); });
    // The session-only note depends on the scope as well as on the device.
    for (QRadioButton* radio : scope_)
        connect(radio, &QRadioButton::toggled, this, [this] { showTarget(); });
    focusFollower_ =
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { focusChanged(now); });
}

OptionsDialog::~OptionsDialog()
{
    disconnect(focusFollower_);
}

// ---------------------------------------------------------------------------------------------
// The draft in the controls

void OptionsDialog::showDraft(const config::OptionsDraft& draft)
{
    draft_ = draft;
    for (int i = 0; i < config::kColorCount; ++i)
        showColor(i, draft.colors[size_t(i)]);
    showFont();
    check(paper_, draft.paperSize.compare(QStringLiteral("Legal"), Qt::CaseInsensitive) == 0 ? 1 : 0);
    check(orientation_, draft.orientation.compare(QStringLiteral("Landscape"), Qt::CaseInsensitive) == 0 ? 1 : 0);
    gdi_->setText(draft.gdiSpoolSize);
    check(duplex_, draft.duplex ? 0 : 1);
    for (size_t i = 0; i < margins_.size(); ++i)
        margins_[i]->setText(draft.margins[i]);
    check(binding_, draft.bindingEdge);
    for (int i = 0; i < 5; ++i)
        if (kFoldCodes[i] == draft.foldingGuide)
            check(folding_, i);
    check(brackets_, draft.brackets ? 0 : 1);
    for (int i = 0; i < 3; ++i)
        if (draft.aggregate.compare(kAggregates[i], Qt::CaseInsensitive) == 0)
            check(aggregate_, i);
    check(scope_, draft.printerScope ? 0 : 1);
    check(mimic_, draft.mimic ? 0 : 1);
    longLine_->setText(draft.longLine);
    longLine_->setCursorPosition(0);
    const std::array<const QString*, 3> folders = {&draft.projectFolder, &draft.vbpFolder, &draft.outputFolder};
    for (size_t i = 0; i < folders_.size(); ++i) {
        folders_[i]->setText(*folders[i]);
        folders_[i]->setCursorPosition(0);
    }
    showTarget();
    showSessionMargins();
}

config::OptionsDraft OptionsDialog::currentDraft() const
{
    config::OptionsDraft draft = draft_;
    draft.paperSize = checkedIndex(paper_) == 1 ? QStringLiteral("Legal") : QStringLiteral("Letter");
    draft.orientation = checkedIndex(orientation_) == 1 ? QStringLiteral("Landscape") : QStringLiteral("Portrait");
    draft.gdiSpoolSize = gdi_->text();
    draft.duplex = checkedIndex(duplex_) == 0;
    for (size_t i = 0; i < margins_.size(); ++i)
        draft.margins[i] = margins_[i]->text();
    draft.bindingEdge = std::max(0, checkedIndex(binding_));
    draft.foldingGuide = kFoldCodes[std::max(0, checkedIndex(folding_))];
    draft.brackets = checkedIndex(brackets_) == 0;
    draft.aggregate = kAggregates[std::max(0, checkedIndex(aggregate_))];
    draft.printerScope = checkedIndex(scope_) == 0;
    draft.mimic = checkedIndex(mimic_) == 0;
    draft.longLine = longLine_->text();
    return draft;
}

void OptionsDialog::showColor(int index, qint32 value)
{
    const QString colour = toColor(value).name();
    // The two background colours are seen behind text; the others are text colours.
    const bool background = index >= 8;
    swatches_[size_t(index)]->setStyleSheet(
        QStringLiteral("QLabel { border: 1px solid gray; color: %1; background: %2; }")
            .arg(background ? QStringLiteral("black") : colour, background ? colour : QStringLiteral("white")));
    swatches_[size_t(index)]->setProperty("colorValue", value);
}

void OptionsDialog::showTarget()
{
    deviceLabel_->setText(draft_.deviceName);
    // The device the next start will use: the one in the file, else the system's default.
    QString stored =
        session_.ini.read(config::sectionName(QStringLiteral(":Output")), QStringLiteral("Device Name"), QString());
    if (stored.isEmpty())
        stored = session_.options.defaultText(
            *config::Options::find(QStringLiteral(":Output"), QStringLiteral("Device Name")));
    const bool sessionOnly = checkedIndex(scope_) == 1 && !model::equalsNoCase(draft_.deviceName, stored);
    sessionDeviceLabel_->setText(
        sessionOnly ? QStringLiteral("Session only - this output device will not be saved") : QString());
}

void OptionsDialog::showFont()
{
    fontNameLabel_->setText(draft_.fontName);
    fontSizeLabel_->setText(QLocale::c().toString(draft_.fontSize));
}

void OptionsDialog::showSessionMargins()
{
    QStringList notes;
    const std::pair<const std::optional<double>*, const char*> margins[] = {
        {&draft_.sessionLeft, "Left"}, {&draft_.sessionRight, "Right"}};
    for (const auto& [margin, name] : margins)
        if (margin->has_value())
            notes << QStringLiteral("Session only - this %1 margin will not be saved").arg(QString::fromLatin1(name));
    sessionMarginsLabel_->setText(notes.join(QLatin1Char('\n')));
}

// A value edited into the options file by hand that none of a group's buttons stands for was
// read as the default, which the group shows; the status line says so while the window is open.
void OptionsDialog::noteValuesNotAChoice()
{
    QStringList notes;
    for (const config::Options::NotAChoice& stored : session_.options.storedNotAChoice())
        notes << QStringLiteral("The options file's ") + stored.spec->key + QStringLiteral(" value ")
                + model::quote(stored.stored) + QStringLiteral(" is not one of its choices (")
                + config::choicesText(*stored.spec) + QStringLiteral("): its default is shown.");
    fileNote_ = notes.join(QLatin1Char('\n'));
    showStatus(QString());
}

void OptionsDialog::showStatus(const QString& text)
{
    QStringList lines;
    for (const QString& line : {text, fileNote_})
        if (!line.isEmpty())
            lines << line;
    statusLabel_->setText(lines.join(QLatin1Char('\n')));
}

// ---------------------------------------------------------------------------------------------
// Save and Exit, Exit

bool OptionsDialog::saveAndExit()
{
    std::unique_ptr<platform::IPrintSurface> surface = targetSurface();
    if (!surface)
        return false;
    config::OptionsDraft draft = currentDraft();
    const config::ValidationResult result = config::validateOptions(draft, original_, *surface, session_.messages);
    // What the checks replaced (a raised spool size, fitted margins, the scope set back) is
    // shown; everything else stays as typed.
    showDraft(draft);
    if (!result.passed) {
        if (QWidget* control = faultyControl(result)) {
            control->setFocus(Qt::OtherFocusReason);
            if (auto* edit = qobject_cast<QLineEdit*>(control))
                edit->selectAll();
        }
        return false;
    }
    stored_ = config::storeOptions(draft, original_, session_.options, session_.messages);
    if (!stored_.saved)
        box_.showMessage(MessageIcon::Exclamation, QStringLiteral("Options Not Saved"),
            QStringLiteral("The options could not be written to ") + model::quote(session_.ini.defaultPath())
                + QStringLiteral(".  They apply until Quillon ends."));
    done(QDialog::Accepted);
    return true;
}

QWidget* OptionsDialog::faultyControl(const config::ValidationResult& result) const
{
    const int margin = result.failedMargin >= 0 && result.failedMargin < 5 ? result.failedMargin : 0;
    switch (result.failedCheck) {
    case config::CheckFontSize:
    case config::CheckMonospace:
        return findChild<QPushButton*>(QStringLiteral("cmdOutput1"));
    case config::CheckMargins:
    case config::CheckPageArea:
    case config::CheckMarginFitting:
        return margins_[size_t(margin)];
    case config::CheckBinderSize:
        return margins_[4];
    case config::CheckCombination:
        return checkedChoice(binding_);
    case config::CheckPrinterScope:
        return checkedChoice(scope_);
    case config::CheckMimicRequirements:
        return checkedChoice(mimic_);
    case config::CheckSampleLine:
        return longLine_;
    case config::CheckBrackets:
        return checkedChoice(brackets_);
    case config::CheckSpoolSize:
        return gdi_;
    default:
        return nullptr;
    }
}

void OptionsDialog::exitWithoutSaving()
{
    if (currentDraft() != original_
        && box_.showMessage(MessageId::OptionsChangesPending, MessageIcon::Question, QStringLiteral("Changes Pending"),
               QStringLiteral("Changes are pending.  Do you want to exit without accepting the changes?"),
               MessageButtons::YesNo)
            != MessageResult::Yes)
        return;
    done(QDialog::Rejected);
}

void OptionsDialog::reject()
{
    box_.showMessage(MessageIcon::Exclamation, QStringLiteral("Options"),
        QStringLiteral("To close this window, please click \"Save and Exit\" or \"Exit\"."));
}

void OptionsDialog::done(int result)
{
    saveWindowPosition(this, session_.ini, kOptionsFormSection);
    QDialog::done(result);
}

void OptionsDialog::restorePosition()
{
    adjustSize();
    if (!restoreWindowPosition(this, session_.ini, kOptionsFormSection))
        centreWindow(this, parentWidget());
}

// ---------------------------------------------------------------------------------------------
// The Change buttons

std::unique_ptr<platform::IPrintSurface> OptionsDialog::targetSurface() const
{
    std::unique_ptr<platform::IPrintSurface> surface = surfaces_ ? surfaces_() : nullptr;
    if (surface && !draft_.deviceName.isEmpty())
        surface->selectDevice(draft_.deviceName);
    return surface;
}

void OptionsDialog::changeColor(int index)
{
    if (offerDefaultColor(index))
        return;
    const qint32 current = draft_.colors[size_t(index)];
    const QColor chosen = chooseColorDialog ? chooseColorDialog(toColor(current)) : QColor();
    if (!chosen.isValid())
        return;
    if (index == config::kColorCount - 1
        && box_.showMessage(MessageId::ThemeColorChange, MessageIcon::Question,
               QStringLiteral("Color Change Verification"),
               QStringLiteral("Do you accept this color as the new theme color?"), MessageButtons::YesNo)
            != MessageResult::Yes)
        return;
    draft_.colors[size_t(index)] = qint32(platform::rgb(chosen.red(), chosen.green(), chosen.blue()));
    showColor(index, draft_.colors[size_t(index)]);
}

bool OptionsDialog::offerDefaultColor(int index)
{
    const qint32 current = draft_.colors[size_t(index)];
    const qint32 standard = config::defaultColor(index);
    if (current == standard
        || box_.showMessage(MessageId::ShowDefaultColor, MessageIcon::Question, QStringLiteral("Color Options"),
               QStringLiteral("The element you selected has a new default highlight color, which differs from the ")
                   + QStringLiteral("color you have now.  Do you want to see it?  Click <No> to go straight to ")
                   + QStringLiteral("the color picker."),
               MessageButtons::YesNo)
            != MessageResult::Yes)
        return false;
    showColor(index, standard);
    if (box_.showMessage(MessageId::AcceptDefaultColor, MessageIcon::Question, QStringLiteral("Accept Color Change"),
            QStringLiteral("Do you want to keep this change. If you would like to accept the new default click ")
                + QStringLiteral("<Yes>.  If you want to reject the change and now go to the color picker click <No>"),
            MessageButtons::YesNo)
        == MessageResult::Yes) {
        draft_.colors[size_t(index)] = standard;
        return true;
    }
    showColor(index, current);
    return false;
}

void OptionsDialog::changeTarget()
{
    std::unique_ptr<platform::IPrintSurface> surface = targetSurface();
    if (!surface || !choosePrinterDialog)
        return;
    const QString chosen = choosePrinterDialog(surface->printers(), draft_.deviceName);
    if (chosen.isEmpty() || !surface->selectDevice(chosen))
        return;
    const platform::PrinterInfo device = surface->currentDevice();
    draft_.deviceName = device.deviceName;
    draft_.driverName = device.driverName;
    draft_.printerPort = device.port;
    showTarget();
}

void OptionsDialog::changeFont()
{
    QFont initial(draft_.fontName);
    initial.setPointSizeF(draft_.fontSize > 0 ? draft_.fontSize : 10.0);
    const std::optional<QFont> chosen = chooseFontDialog ? chooseFontDialog(initial) : std::nullopt;
    if (!chosen)
        return;
    const QString family = chosen->family();
    if (std::unique_ptr<platform::IPrintSurface> surface = targetSurface(); surface && !surface->hasFont(family)) {
        box_.showMessage(MessageIcon::Exclamation, QStringLiteral("Font Not Available"),
            QStringLiteral("The font ") + model::quote(family) + QStringLiteral(" cannot be printed on ")
                + model::quote(draft_.deviceName) + QStringLiteral(".  Please choose another font."));
        return;
    }
    const double size = chosen->pointSizeF();
    if (!(size > 0)) {
        box_.showMessage(MessageIcon::Critical, QStringLiteral("Font"),
            QStringLiteral("Invalid font size: ") + QLocale::c().toString(size));
        return;
    }
    draft_.fontName = family;
    draft_.fontSize = size;
    showFont();
}

void OptionsDialog::changeFolder(int index)
{
    const std::array<QString*, 3> folders = {&draft_.projectFolder, &draft_.vbpFolder, &draft_.outputFolder};
    QString& folder = *folders[size_t(index)];
    const QString chosen = chooseFolderDialog ? chooseFolderDialog(folder) : QString();
    if (chosen.isEmpty())
        return;
    folder = QDir::cleanPath(chosen);
    folders_[size_t(index)]->setText(folder);
    folders_[size_t(index)]->setCursorPosition(0);
}

// ---------------------------------------------------------------------------------------------
// Help

QString OptionsDialog::helpSection(QWidget* widget) const
{
    for (QWidget* at = widget; at && at != this; at = at->parentWidget())
        for (const auto& [name, section] : kHelpSections)
            if (at->objectName() == QLatin1String(name))
                return QStringLiteral("Section ") + QString::fromLatin1(section);
    return QString();
}

void OptionsDialog::focusChanged(QWidget* now)
{
    if (!now || !isAncestorOf(now))
        return;
    if (const QString section = helpSection(now); !section.isEmpty())
        showStatus(section);
}

void OptionsDialog::helpRequested()
{
    const QString section = helpSection(focusWidget());
    showStatus(QStringLiteral("F1 Help: See User Manual ")
        + (section.isEmpty() ? QStringLiteral("Table of Contents") : section));
    if (displayUserManual)
        displayUserManual();
}

QString OptionsDialog::statusText() const
{
    return statusLabel_->text();
}

void OptionsDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1) {
        helpRequested();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace quillon::ui
