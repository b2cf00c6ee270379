#include "platform/qt/SingleInstance.h"
#include "support/TestSupport.h"
#include "ui/UiTestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QUuid>

#include <gtest/gtest.h>

using quillon::platform::SingleInstance;

namespace {

// The socket a crashed copy left does not block a start; a later copy is refused and asks the
// first to come forward; once the first lets go another may start. (Two copies of the program
// itself: CliTest.TheDesktopProgramRunsOnceAndNeedsAScreen.)
TEST(SingleInstance, ACrashedCopyBlocksNothingALaterCopyActivatesTheFirstAndReleaseLetsAnotherStart)
{
    // An identifier of its own, so that no two runs meet; a copy of the probe program takes the
    // guard and is killed, as a crash would end it: without a chance to remove its socket.
    const QString id = "Tandrel.QuillonTest." + QUuid::createUuid().toString();
    QProcess crashed;
    crashed.start(quillon::test::builtFile("tests/instance_probe"), {id});
    ASSERT_TRUE(crashed.waitForReadyRead(10000));
    ASSERT_EQ(crashed.readLine().trimmed(), "listening");
    crashed.kill();
    ASSERT_TRUE(crashed.waitForFinished(10000));
    ASSERT_TRUE(QFileInfo::exists(QDir::tempPath() + '/' + SingleInstance::serverName(id))) << "the killed copy left its socket";
    SingleInstance first(id);
    EXPECT_TRUE(first.ensure());
    EXPECT_TRUE(first.isOwner());
    QSignalSpy activated(&first, &SingleInstance::activationRequested);
    SingleInstance second(id);
    EXPECT_FALSE(second.ensure());
    EXPECT_TRUE(activated.wait());
    first.release();
    EXPECT_FALSE(first.isOwner());
    SingleInstance next(id);
    EXPECT_TRUE(next.ensure());
    EXPECT_TRUE(next.isOwner());
}

TEST(SingleInstance, NoIdentifierGuardsNothing)
{
    SingleInstance a {QString()};
    SingleInstance b {QString()};
    EXPECT_TRUE(a.ensure());
    EXPECT_TRUE(b.ensure());
    EXPECT_FALSE(a.isOwner());
}

TEST(SingleInstance, TheSocketNameCarriesTheUserAndIsOneFileName)
{
    const QString name = SingleInstance::serverName("Tandrel.Quillon.{a/b c}");
    EXPECT_TRUE(name.startsWith("Tandrel.Quillon.{a_b_c}."));
    EXPECT_GT(name.size(), QString("Tandrel.Quillon.{a_b_c}.").size());
}

} // namespace
