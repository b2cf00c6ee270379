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

// One copy of the probe program, stopped when the test ends.
class Probe {
public:
    explicit Probe(const QString& identifier) { process_.start(INSTANCE_PROBE, {identifier}); }
    ~Probe()
    {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished();
        }
    }
    // The next line the probe prints; empty when it ends, or stays silent for ten seconds, first.
    QByteArray NextLine()
    {
        while (!process_.canReadLine())
            if (!process_.waitForReadyRead(10000) && !process_.canReadLine())
                return QByteArray();
        return process_.readLine().trimmed();
    }
    QProcess& process() { return process_; }

private:
    QProcess process_;
};

TEST(SingleInstance, ASecondCopyActivatesTheFirstAndEnds)
{
    const QString id = FreshIdentifier();
    Probe first(id);
    ASSERT_EQ(first.NextLine(), "listening");
    Probe second(id);
    ASSERT_TRUE(second.process().waitForFinished(10000));
    EXPECT_EQ(second.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.process().exitCode(), 3);
    EXPECT_EQ(second.NextLine(), "another copy is running");
    EXPECT_EQ(first.NextLine(), "activated");
    ASSERT_TRUE(first.process().waitForFinished(10000));
    EXPECT_EQ(first.process().exitCode(), 0);
}

TEST(SingleInstance, ASocketLeftByACrashedCopyDoesNotBlockAStart)
{
    const QString id = FreshIdentifier();
    {
        Probe crashed(id);
        ASSERT_EQ(crashed.NextLine(), "listening");
        crashed.process().kill(); // no chance to remove its socket
        ASSERT_TRUE(crashed.process().waitForFinished(10000));
    }
    ASSERT_TRUE(QFileInfo::exists(QDir::tempPath() + '/' + SingleInstance::ServerName(id))) << "the killed copy left its socket";
    Probe next(id);
    EXPECT_EQ(next.NextLine(), "listening");
    Probe third(id); // and the new copy guards the start again
    ASSERT_TRUE(third.process().waitForFinished(10000));
    EXPECT_EQ(third.process().exitCode(), 3);
}

TEST(SingleInstance, ActivationReachesTheFirstCopyReleaseLetsAnotherStartAndNoIdentifierGuardsNothing)
{
    const QString id = FreshIdentifier();
    SingleInstance first(id);
    ASSERT_TRUE(first.Ensure());
    EXPECT_TRUE(first.IsOwner());
    QSignalSpy activated(&first, &SingleInstance::activationRequested);
    SingleInstance second(id);
    EXPECT_FALSE(second.Ensure());
    EXPECT_FALSE(second.IsOwner());
    EXPECT_TRUE(activated.wait());
    EXPECT_EQ(activated.count(), 1);
    first.Release();
    EXPECT_FALSE(first.IsOwner());
    SingleInstance third(id);
    EXPECT_TRUE(third.Ensure());
    EXPECT_TRUE(third.IsOwner());

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
    EXPECT_NE(SingleInstance::ServerName("one"), SingleInstance::ServerName("two"));
}

} // namespace
