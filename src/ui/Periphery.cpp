#include "ui/Periphery.h"

#include "config/Options.h"
#include "model/TextPrimitives.h"
#include "platform/MessageBox.h"
#include "ui/WindowPlacement.h"

#include <QDesktopServices>
#include <QEventLoop>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QUrl>
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
        QString path = QStandardPaths::findExecutable(tool, folders);
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

void openUserManual(platform::IMessageBox& box, const QString& manual)
{
    const QFileInfo file(manual);
    if (!file.isFile() || !file.isReadable()) {
        const QString why = !file.exists() ? QStringLiteral(" does not exist.")
            : !file.isFile()               ? QStringLiteral(" is not a file.")
                                           : QStringLiteral(" cannot be read.");
        // A manual that cannot be had is no reason to look for another PDF reader: it is told as
        // the shell's "file not found" (2).
        box.showMessage(platform::MessageIcon::Exclamation, QStringLiteral("Error"),
            QStringLiteral("Unable to open the User Manual.") + model::kCrLf + model::kCrLf + model::quote(manual) + why
                + model::kCrLf + model::kCrLf + QStringLiteral("Error code: 2"));
        return;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(manual))) {
        box.showMessage(platform::MessageIcon::Exclamation, QStringLiteral("PDF Reader Not Found"),
            QStringLiteral("No PDF reader is installed on this computer.") + model::kCrLf + model::kCrLf
                + QStringLiteral("A free PDF reader is available at:") + model::kCrLf
                + QStringLiteral("https://www.freedesktop.org/wiki/Software/poppler/"));
    }
}

} // namespace quillon::ui
