#include "ui/TemplateEditorDialog.h"

#include "config/Session.h"
#include "model/TextPrimitives.h"
#include "model/RoutineParser.h"
#include "platform/MessageBox.h"
#include "ui/AidRulesDialog.h"
#include "ui/MessageDialogLayout.h"
#include "ui/NamedControls.h"
#include "ui/WindowPlacement.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace quillon::ui {

using platform::MessageIcon;

namespace {

// What the preview fills the template with: a small module of the kind most headers go on.
const QStringList& sampleLines()
{
    static const QStringList lines = {
        QStringLiteral("Attribute VB_Name = \"modOrders\""),
        QStringLiteral("Option Explicit"),
        QString(),
        QStringLiteral("Public Function OrderTotal(ByVal OrderId As Long, Optional ByVal Discount As Double = 0, _"),
        QStringLiteral("        ParamArray Extras() As Variant) As Currency"),
        QStringLiteral("End Function"),
    };
    return lines;
}

QString positionSection(aids::HeaderKind kind)
{
    return kind == aids::HeaderKind::File ? QStringLiteral(":DAFileHeaderForm") : QStringLiteral(":DAProcHeaderForm");
}

} // namespace

QString optionsFolderOf(const config::Session& session)
{
    return QFileInfo(session.ini.defaultPath()).absolutePath();
}

TemplateEditorDialog::TemplateEditorDialog(
    aids::HeaderKind kind, config::Session& session, platform::IMessageBox& box, QWidget* parent)
    : QDialog(parent), kind_(kind), session_(session), box_(box), folder_(optionsFolderOf(session))
{
    const bool file = kind == aids::HeaderKind::File;
    setObjectName(file ? QStringLiteral("frmDAFileHeaderTemplate") : QStringLiteral("frmDAProcHeaderTemplate"));
    setWindowTitle(file ? QStringLiteral("File Header Template") : QStringLiteral("Procedure Header Template"));
    setModal(true);
    buildControls();
    const QColor theme = dialoglayout::themeColor(session_.options.windowBackColor());
    paintBackground(this, theme, backgroundRole());
    for (QLabel* label : findChildren<QLabel*>())
        paintBackground(label, theme, label->backgroundRole());
    // A template file the aid cannot use is still shown, to be mended here.
    QFile stored(QDir(folder_).filePath(aids::templateFileName(kind_)));
    const QString text = stored.open(QIODevice::ReadOnly) ? QString::fromUtf8(stored.readAll())
                                                          : aids::defaultTemplateText(kind_);
    editor_->setPlainText(text);
    author_->setText(session_.options.text(config::opt::HeaderAuthor));
    refreshPreview();
    changesPending_ = false;
    save_->setEnabled(false);
    adjustSize();
    if (!restoreWindowPosition(this, session_.ini, positionSection(kind_)))
        centreWindow(this, parent);
}

void TemplateEditorDialog::buildControls()
{
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(10, 8, 10, 8);
    auto* help = new QLabel(kind_ == aids::HeaderKind::File
            ? QStringLiteral("Insert File Header puts these comment lines after the Attribute lines of each "
                             "chosen file. Fields in braces are filled in from the file; a file that already "
                             "has a header made from this template is left as it is.")
            : QStringLiteral("Insert Procedure Header puts these comment lines above each chosen procedure, "
                             "below the comments it already has. Fields in braces are filled in from the "
                             "procedure; the lines between {ForEachParameter} and {End} are repeated for each "
                             "parameter, and a line with a list field is repeated for each item."),
        this);
    help->setObjectName(QStringLiteral("lblTemplate"));
    help->setWordWrap(true);
    help->setMinimumWidth(help->fontMetrics().averageCharWidth() * 90);
    outer->addWidget(help);

    auto* grid = new QGridLayout;
    editor_ = new QPlainTextEdit(this);
    editor_->setObjectName(QStringLiteral("txtTemplate"));
    editor_->setFont(fixed);
    editor_->setLineWrapMode(QPlainTextEdit::NoWrap);
    editor_->setMinimumSize(QFontMetrics(fixed).horizontalAdvance(QString(84, QLatin1Char('x'))),
        QFontMetrics(fixed).lineSpacing() * 14);
    grid->addWidget(new QLabel(QStringLiteral("Template:"), this), 0, 0);
    grid->addWidget(editor_, 1, 0);
    auto* side = new QVBoxLayout;
    fields_ = new QListWidget(this);
    fields_->setObjectName(QStringLiteral("lstFields"));
    fields_->addItems(aids::templateFields(kind_));
    fields_->setMaximumWidth(QFontMetrics(fields_->font()).horizontalAdvance(QStringLiteral("{ForEachParameter}")) + 40);
    side->addWidget(fields_);
    QPushButton* insert = namedButton(QStringLiteral("Insert Field"), QStringLiteral("cmdInsertField"), this);
    side->addWidget(insert);
    grid->addWidget(new QLabel(QStringLiteral("Fields:"), this), 0, 1);
    grid->addLayout(side, 1, 1);
    outer->addLayout(grid, 1);

    auto* authorLine = new QHBoxLayout;
    auto* authorCaption = new QLabel(QStringLiteral("Author ({Author}):"), this);
    author_ = new QLineEdit(this);
    author_->setObjectName(QStringLiteral("txtAuthor"));
    authorCaption->setBuddy(author_);
    authorLine->addWidget(authorCaption);
    authorLine->addWidget(author_, 1);
    outer->addLayout(authorLine);

    outer->addWidget(new QLabel(QStringLiteral("Preview:"), this));
    preview_ = new QPlainTextEdit(this);
    preview_->setObjectName(QStringLiteral("txtPreview"));
    preview_->setReadOnly(true);
    preview_->setFont(fixed);
    preview_->setLineWrapMode(QPlainTextEdit::NoWrap);
    preview_->setMinimumHeight(QFontMetrics(fixed).lineSpacing() * 10);
    outer->addWidget(preview_, 1);
    problem_ = new QLabel(this);
    problem_->setObjectName(QStringLiteral("lblProblem"));
    problem_->setStyleSheet(QStringLiteral("color: #b00000"));
    problem_->setWordWrap(true);
    outer->addWidget(problem_);

    auto* buttons = new QHBoxLayout;
    QPushButton* defaults = namedButton(QStringLiteral("Restore Default"), QStringLiteral("cmdDefault"), this);
    buttons->addWidget(defaults);
    buttons->addStretch(1);
    save_ = namedButton(QStringLiteral("Save And Exit"), QStringLiteral("cmdSave"), this);
    QPushButton* cancel = namedButton(QStringLiteral("Cancel"), QStringLiteral("cmdCancel"), this);
    for (QPushButton* button : {defaults, insert, save_, cancel}) {
        button->setAutoDefault(false);
        button->setMinimumWidth(110);
    }
    buttons->addWidget(save_);
    buttons->addWidget(cancel);
    outer->addLayout(buttons);

    connect(editor_, &QPlainTextEdit::textChanged, this, [this] {
        markChanged();
        refreshPreview();
    });
    connect(author_, &QLineEdit::textChanged, this, [this] {
        markChanged();
        refreshPreview();
    });
    connect(fields_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) { insertField(item->text()); });
    connect(insert, &QPushButton::clicked, this, [this] {
        if (QListWidgetItem* item = fields_->currentItem())
            insertField(item->text());
    });
    connect(defaults, &QPushButton::clicked, this, [this] { restoreDefault(); });
    connect(save_, &QPushButton::clicked, this, [this] { saveAndExit(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QString TemplateEditorDialog::templateText() const
{
    return editor_->toPlainText();
}

void TemplateEditorDialog::insertField(const QString& field)
{
    editor_->insertPlainText(field);
    editor_->setFocus(Qt::OtherFocusReason);
}

void TemplateEditorDialog::restoreDefault()
{
    editor_->setPlainText(aids::defaultTemplateText(kind_));
}

void TemplateEditorDialog::markChanged()
{
    changesPending_ = true;
    save_->setEnabled(true);
}

void TemplateEditorDialog::refreshPreview()
{
    const model::Outcome<aids::HeaderTemplate> tmpl = aids::parseHeaderTemplate(kind_, templateText());
    if (!tmpl) {
        problem_->setText(tmpl.error());
        preview_->clear();
        return;
    }
    problem_->clear();
    aids::HeaderFacts facts;
    facts.projectName = QStringLiteral("Orders");
    facts.author = author_->text().trimmed();
    facts.date = QDate::currentDate();
    facts.callers = [](const model::Routine&) { return QStringList {QStringLiteral("frmOrder.cmdTotal_Click")}; };
    facts.callees = [](const model::Routine&) {
        return QStringList {QStringLiteral("modOrders.LineTotal"), QStringLiteral("modTax.TaxRate")};
    };
    const QString path = QStringLiteral("modOrders.bas");
    QStringList header;
    if (kind_ == aids::HeaderKind::File) {
        header = aids::fileHeaderLines(*tmpl, path, sampleLines(), facts);
    } else {
        for (const model::RoutinePtr& routine : model::splitLinesIntoRoutines(path, sampleLines())) {
            if (routine->kind == model::RoutineKind::Function)
                header = aids::procedureHeaderLines(*tmpl, path, sampleLines(), *routine, facts);
        }
    }
    preview_->setPlainText(header.join(QLatin1Char('\n')));
}

bool TemplateEditorDialog::saveAndExit()
{
    if (const model::Outcome<void> saved = aids::saveHeaderTemplate(kind_, folder_, templateText()); !saved) {
        box_.showMessage(MessageIcon::Critical, QStringLiteral("Template Not Saved"), saved.error());
        editor_->setFocus(Qt::OtherFocusReason);
        return false;
    }
    if (author_->text().trimmed() != session_.options.text(config::opt::HeaderAuthor)) {
        session_.options.set(config::opt::HeaderAuthor, author_->text().trimmed());
        saveRulesOrSaySo(session_, box_);
    }
    changesPending_ = false;
    done(QDialog::Accepted);
    return true;
}

void TemplateEditorDialog::reject()
{
    if (changesPending_ && !leaveWithoutSaving(box_))
        return;
    QDialog::reject();
}

void TemplateEditorDialog::done(int result)
{
    saveWindowPosition(this, session_.ini, positionSection(kind_));
    QDialog::done(result);
}

} // namespace quillon::ui
