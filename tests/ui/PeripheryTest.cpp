#include "ui/Periphery.h"
#include "ui/WindowPlacement.h"

#include "support/TestSupport.h"
#include "ui/UiTestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace quillon::ui;
using namespace std::chrono_literals;
using quillon::test::Fixture;

namespace {

// Centring and keeping on the screen are checked through the message box's positions, a whole
// number of pixels through its buttons' size.
TEST(Placement, TwipsAtTheScreensResolution)
{
    EXPECT_EQ(twipsToPixels(1590, 120), 133); // 132.5
    EXPECT_EQ(twipsToPixels(QRect(1440, 720, 2880, 15), 96, 192), QRect(96, 96, 192, 2));
    EXPECT_EQ(pixelsToTwips(7, 100), 101); // 100.8
    EXPECT_EQ(pixelsToTwips(10, 0), 0);
}

TEST(Placement, AWindowIsCentredOverItsOwnerAndAMinimisedOneBroughtBack)
{
    QWidget owner;
    owner.setGeometry(100, 120, 600, 400);
    owner.show();
    QWidget window(nullptr, Qt::Window);
    window.resize(200, 100);
    centreWindow(&window, &owner);
    EXPECT_LE((owner.frameGeometry().center() - QRect(window.pos(), window.frameGeometry().size()).center()).manhattanLength(), 2);

    window.showMinimized();
    ASSERT_TRUE(window.windowState().testFlag(Qt::WindowMinimized));
    bringToFront(&window);
    EXPECT_FALSE(window.windowState().testFlag(Qt::WindowMinimized));
    bringToFront(nullptr); // no window yet: nothing happens
}

TEST(Splash, ShowsTheProgramsIdentityForItsTime)
{
    SplashWindow splash;
    EXPECT_EQ(splash.findChild<QLabel*>("lblVersion")->text(), "Version " QUILLON_VERSION);
    splash.showFor(0);
    EXPECT_FALSE(splash.isVisible());

    // Closing at the end of start-up waits out the rest of its time with events running.
    splash.showFor(50ms);
    EXPECT_TRUE(splash.isVisible());
    bool shownWhileWaiting = false;
    QTimer::singleShot(0, &splash, [&] { shownWhileWaiting = splash.isVisible(); });
    splash.finish();
    EXPECT_TRUE(shownWhileWaiting);
    EXPECT_FALSE(splash.isVisible());

    // Left alone, it closes itself.
    splash.showFor(50ms);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !splash.isVisible(); }));
}

TEST(About, TheSystemInfoButtonStartsTheFirstToolInstalledOrIsHidden)
{
    Fixture fx;
    EXPECT_EQ(findSystemInfoTool({fx.path()}), QString());
    const QString kinfocenter = fx.write("kinfocenter", "#!/bin/sh\n");
    QFile::setPermissions(kinfocenter, QFile::ReadOwner | QFile::ExeOwner);
    const QString marker = fx.path("started");
    const QString hardinfo = fx.write("hardinfo", "#!/bin/sh\ntouch '" + marker.toUtf8() + "'\n");
    QFile::setPermissions(hardinfo, QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_EQ(findSystemInfoTool({fx.path()}), hardinfo) << "the first of the list that is installed";

    AboutDialog without(nullptr, QString());
    EXPECT_FALSE(without.systemInfoButton()->isVisibleTo(&without));
    AboutDialog with(nullptr, hardinfo);
    EXPECT_TRUE(with.systemInfoButton()->isVisibleTo(&with));
    with.show();
    QTest::mouseClick(with.systemInfoButton(), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(marker); }));
}

} // namespace
