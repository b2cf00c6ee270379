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

// Each test its own identifier, so that no two tests (nor two runs) meet.
QString FreshIdentifier()
{
    return "Tandrel.QuillonTest." + QUuid::createUuid().toString();
}

// A copy of the probe program that takes the guard and is killed, as a crash would end it:
// without a chance to remove its socket.
void CrashedCopy(const QString& identifier)
{
    QProcess process;
    process.start(INSTANCE_PROBE, {identifier});
    ASSERT_TRUE(process.waitForReadyRead(10000));
    ASSERT_EQ(process.readLine().trimmed(), "listening");
    process.kill();
    ASSERT_TRUE(process.waitForFinished(10000));
}

// The socket a crashed copy left does not block a start; a later copy is refused and asks the
// first to come forward; once the first lets go another may start. (Two copies of the program
// itself: CliTest.TheDesktopProgramRunsOnceAndNeedsAScreen.)
TEST(SingleInstance, ACrashedCopyBlocksNothingALaterCopyActivatesTheFirstAndReleaseLetsAnotherStart)
{
    const QString id = FreshIdentifier();
    CrashedCopy(id);
    ASSERT_TRUE(QFileInfo::exists(QDir::tempPath() + '/' + SingleInstance::ServerName(id))) << "the killed copy left its socket";
    SingleInstance first(id);
    EXPECT_TRUE(first.Ensure());
    EXPECT_TRUE(first.IsOwner());
    QSignalSpy activated(&first, &SingleInstance::activationRequested);
    SingleInstance second(id);
    EXPECT_FALSE(second.Ensure());
    EXPECT_TRUE(activated.wait());
    first.Release();
    EXPECT_FALSE(first.IsOwner());
    SingleInstance next(id);
    EXPECT_TRUE(next.Ensure());
    EXPECT_TRUE(next.IsOwner());
}

TEST(SingleInstance, NoIdentifierGuardsNothing)
{
    SingleInstance a{QString()};
    SingleInstance b{QString()};
    EXPECT_TRUE(a.Ensure());
    EXPECT_TRUE(b.Ensure());
    EXPECT_FALSE(a.IsOwner());
}

TEST(SingleInstance, TheSocketNameCarriesTheUserAndIsOneFileName)
{
    const QString name = SingleInstance::ServerName("Tandrel.Quillon.{a/b c}");
    EXPECT_TRUE(name.startsWith("Tandrel.Quillon.{a_b_c}."));
    EXPECT_GT(name.size(), QString("Tandrel.Quillon.{a_b_c}.").size());
    EXPECT_FALSE(name.contains('/'));
}

} // namespace
