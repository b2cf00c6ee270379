#include "ui/Periphery.h"
#include "ui/WindowPlacement.h"

#include "config/Options.h"
#include "support/TestSupport.h"
#include "ui/UiTestSupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace quillon::ui;
using quillon::test::Fixture;

namespace {

QString WriteTool(const Fixture& fx, const QString& name, const QByteArray& script, bool executable = true)
{
    const QString path = fx.write(name, script);
    QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner;
    if (executable)
        permissions |= QFile::ExeOwner;
    QFile::setPermissions(path, permissions);
    return path;
}

TEST(Placement, TwipsAtTheScreensResolutionAndWindowsKeptOnTheScreen)
{
    EXPECT_EQ(TwipsToPixels(1590, 96), 106);
    EXPECT_EQ(TwipsToPixels(1590, 144), 159);
    EXPECT_EQ(PixelsToTwips(7, 96), 105);
    EXPECT_EQ(PixelsToTwips(10, 0), 0);

    const QRect screen(0, 0, 1280, 1024);
    EXPECT_EQ(CentredIn(QSize(200, 100), QRect(100, 100, 400, 300)), QPoint(200, 200));
    EXPECT_EQ(KeptOnScreen(QPoint(1200, 1000), QSize(200, 100), screen), QPoint(1080, 924));
    EXPECT_EQ(KeptOnScreen(QPoint(-50, -10), QSize(200, 100), screen), QPoint(0, 0));
    EXPECT_EQ(KeptOnScreen(QPoint(300, 300), QSize(2000, 2000), screen), QPoint(0, 0));
    EXPECT_EQ(KeptOnScreen(QPoint(300, 300), QSize(200, 100), QRect(1280, 0, 800, 600)), QPoint(1280, 300));
}

TEST(Centring, AWindowIsCentredOverItsOwner)
{
    QWidget owner;
    owner.setGeometry(100, 120, 600, 400);
    owner.show();
    QWidget window(nullptr, Qt::Window);
    window.resize(200, 100);
    CentreWindow(&window, &owner);
    const QPoint ownerCentre = owner.frameGeometry().center();
    const QPoint windowCentre = QRect(window.pos(), window.frameGeometry().size()).center();
    EXPECT_LE((ownerCentre - windowCentre).manhattanLength(), 2);
}

TEST(BringToFrontTest, AMinimisedWindowIsRestoredAndShown)
{
    QWidget window;
    window.showMinimized();
    ASSERT_TRUE(window.windowState().testFlag(Qt::WindowMinimized));
    BringToFront(&window);
    EXPECT_FALSE(window.windowState().testFlag(Qt::WindowMinimized));
    EXPECT_TRUE(window.isVisible());
    BringToFront(nullptr); // no window yet: nothing happens
}

TEST(Splash, ShowsTheProgramsIdentityForItsTime)
{
    frmSplash splash;
    EXPECT_EQ(splash.findChild<QLabel*>("lblTitle")->text(), QStringLiteral("Quillon"));
    EXPECT_EQ(splash.findChild<QLabel*>("lblVersion")->text(), quillon::config::VersionText());
    EXPECT_EQ(splash.findChild<QLabel*>("lblNotice")->text(), quillon::config::NoticeText());

    splash.ShowFor(0);
    EXPECT_FALSE(splash.isVisible());
    splash.Finish(); // not shown: returns at once

    // Closing at the end of start-up waits out the rest of its time.
    QElapsedTimer clock;
    clock.start();
    splash.ShowFor(1);
    EXPECT_TRUE(splash.isVisible());
    splash.Finish();
    EXPECT_FALSE(splash.isVisible());
    EXPECT_GE(clock.elapsed(), 900);
    EXPECT_LT(clock.elapsed(), 4000);

    // Left alone, it closes itself.
    splash.ShowFor(1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !splash.isVisible(); }, 5000));
}

TEST(SystemInfo, TheFirstInstalledToolIsFound)
{
    Fixture fx;
    EXPECT_EQ(FindSystemInfoTool({fx.path()}), QString());
    WriteTool(fx, "kinfocenter", "#!/bin/sh\n", false); // not executable: not a program
    EXPECT_EQ(FindSystemInfoTool({fx.path()}), QString());
    const QString kinfocenter = WriteTool(fx, "kinfocenter", "#!/bin/sh\n");
    EXPECT_EQ(FindSystemInfoTool({fx.path()}), kinfocenter);
    const QString hardinfo = WriteTool(fx, "hardinfo", "#!/bin/sh\n");
    EXPECT_EQ(FindSystemInfoTool({fx.path()}), hardinfo);
    EXPECT_EQ(SystemInfoTools().first(), QStringLiteral("gnome-system-monitor"));
}

TEST(About, TheSystemInfoButtonStartsTheToolOrIsHidden)
{
    frmAbout without(nullptr, QString());
    EXPECT_FALSE(without.SystemInfoButton()->isVisibleTo(&without));
    EXPECT_EQ(without.windowTitle(), QStringLiteral("About Quillon"));
    EXPECT_EQ(without.findChild<QLabel*>("lblVersion")->text(), quillon::config::VersionText());
    EXPECT_TRUE(without.findChild<QLabel*>("lblDescription")->text().startsWith("Read a project *.vbp file, show all included .bas"));

    Fixture fx;
    const QString marker = fx.path("started");
    const QString tool = WriteTool(fx, "hardinfo", "#!/bin/sh\ntouch '" + marker.toUtf8() + "'\n");
    frmAbout with(nullptr, tool);
    EXPECT_TRUE(with.SystemInfoButton()->isVisibleTo(&with));
    with.show();
    QTest::mouseClick(with.SystemInfoButton(), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(marker); }, 5000));
}

} // namespace
