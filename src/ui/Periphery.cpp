#include "ui/Periphery.h"

#include "config/Options.h"
#include "ui/WindowPlacement.h"

#include <QEventLoop>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace quillon::ui {

namespace {

QLabel* addLabel(QVBoxLayout* layout, const QString& name, const QString& text, int pointSizeDelta, bool bold)
{
    QLabel* label = new QLabel(text);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignCenter);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() + pointSizeDelta);
    font.setBold(bold);
    label->setFont(font);
    layout->addWidget(label);
    return label;
}

// The title, version and notice that both windows show.
void addIdentity(QVBoxLayout* layout)
{
    addLabel(layout, QStringLiteral("lblTitle"), config::kProductName, 8, true);
    addLabel(layout, QStringLiteral("lblVersion"), config::versionText(), 0, false);
    addLabel(layout, QStringLiteral("lblNotice"), config::noticeText(), 0, false);
}

} // namespace

QString programDescription()
{
    return QStringLiteral("Read a project *.vbp file, show all included ")
        + QStringLiteral(".bas, .frm and .cls files and print any or all procedures from ")
        + QStringLiteral("any or all of these files with user selected colors highlighting ")
        + QStringLiteral("specific code features, provide other documentation help, as well ")
        + QStringLiteral("as provide specific Developer Aid tools to modify project code.");
}

SplashWindow::SplashWindow(QWidget* parent) : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(config::kProductName);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(48, 32, 48, 32);
    addIdentity(layout);
    adjustSize();
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &QWidget::close);
}

void SplashWindow::showFor(int seconds)
{
    showFor(std::chrono::seconds(seconds));
}

void SplashWindow::showFor(std::chrono::milliseconds time)
{
    if (time <= std::chrono::milliseconds::zero())
        return;
    centreWindow(this);
    show();
    raise();
    deadline_ = QDeadlineTimer(time);
    timer_.start(time);
}

void SplashWindow::finish()
{
    if (!isVisible())
        return;
    if (timer_.isActive() && !deadline_.hasExpired()) {
        QEventLoop wait;
        connect(&timer_, &QTimer::timeout, &wait, &QEventLoop::quit);
        wait.exec();
    }
    timer_.stop();
    close();
}

const QStringList& systemInfoTools()
{
    static const QStringList tools {
        QStringLiteral("gnome-system-monitor"), QStringLiteral("hardinfo"), QStringLiteral("kinfocenter")};
    return tools;
}

QString findSystemInfoTool(const QStringList& folders)
{
    for (const QString& tool : systemInfoTools()) {
        const QString path = QStandardPaths::findExecutable(tool, folders);
        if (!path.isEmpty())
            return path;
    }
    return QString();
}

AboutDialog::AboutDialog(QWidget* parent, const QString& systemInfoTool) : QDialog(parent), tool_(systemInfoTool)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About ") + config::kProductName);
    auto* layout = new QVBoxLayout(this);
    addIdentity(layout);
    QLabel* description = addLabel(layout, QStringLiteral("lblDescription"), programDescription(), 0, false);
    description->setWordWrap(true);
    description->setMinimumWidth(360);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    QPushButton* ok = new QPushButton(QStringLiteral("OK"));
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    buttons->addWidget(ok);
    systemInfo_ = new QPushButton(QStringLiteral("&System Info..."));
    systemInfo_->setObjectName(QStringLiteral("cmdSysInfo"));
    systemInfo_->setAutoDefault(false);
    systemInfo_->setVisible(!tool_.isEmpty());
    connect(systemInfo_, &QPushButton::clicked, this, &AboutDialog::startSystemInfo);
    buttons->addWidget(systemInfo_);
    layout->addLayout(buttons);
    adjustSize();
    centreWindow(this, parent);
}

bool AboutDialog::startSystemInfo()
{
    if (!tool_.isEmpty() && QProcess::startDetached(tool_, {}))
        return true;
    QMessageBox::warning(this, QStringLiteral("System Information"),
        QStringLiteral("The system information program could not be started:\n") + tool_);
    return false;
}

} // namespace quillon::ui
