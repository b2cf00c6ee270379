#include "platform/qt/SingleInstance.h"
#include "support/TestSupport.h"
#include "ui/UiTestSupport.h"

#include <QDir>
#include <QElapsedTimer>
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
    return QStringLiteral("Tandrel.QuillonTest.") + QUuid::createUuid().toString();
}

// One copy of the probe program, stopped when the test ends.
class Probe {
public:
    explicit Probe(const QString& identifier, int lifetimeMs = 20000)
    {
        process_.setProgram(QStringLiteral(INSTANCE_PROBE));
        process_.setArguments({identifier, QString::number(lifetimeMs)});
        process_.start();
    }
    ~Probe()
    {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }
    // Waits until the output holds `line`; false when the probe ends or the time runs out.
    bool WaitForLine(const QByteArray& line, int timeoutMs = 5000)
    {
        QElapsedTimer clock;
        clock.start();
        while (!output_.contains(line + '\n')) {
            if (clock.elapsed() > timeoutMs)
                return false;
            if (!process_.waitForReadyRead(100) && process_.state() == QProcess::NotRunning) {
                output_ += process_.readAllStandardOutput();
                return output_.contains(line + '\n');
            }
            output_ += process_.readAllStandardOutput();
        }
        return true;
    }
    QByteArray Output()
    {
        output_ += process_.readAllStandardOutput();
        return output_;
    }
    QProcess& process() { return process_; }

private:
    QProcess process_;
    QByteArray output_;
};

TEST(SingleInstance, ASecondCopyActivatesTheFirstAndEndsPromptly)
{
    const QString id = FreshIdentifier();
    Probe first(id);
    ASSERT_TRUE(first.WaitForLine("listening")) << first.Output().toStdString();

    QElapsedTimer clock;
    clock.start();
    Probe second(id);
    ASSERT_TRUE(second.process().waitForFinished(5000));
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_EQ(second.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.process().exitCode(), 3);
    EXPECT_EQ(second.Output(), QByteArray("another copy is running\n"));

    EXPECT_TRUE(first.WaitForLine("activated")) << first.Output().toStdString();
    ASSERT_TRUE(first.process().waitForFinished(5000));
    EXPECT_EQ(first.process().exitCode(), 0);
}

TEST(SingleInstance, ASocketLeftByACrashedCopyDoesNotBlockAStart)
{
    const QString id = FreshIdentifier();
    {
        Probe crashed(id);
        ASSERT_TRUE(crashed.WaitForLine("listening"));
        crashed.process().kill(); // no chance to remove its socket
        ASSERT_TRUE(crashed.process().waitForFinished(5000));
    }
    const QString socketFile = QDir::tempPath() + QLatin1Char('/') + SingleInstance::ServerName(id);
    ASSERT_TRUE(QFileInfo::exists(socketFile)) << "the killed copy should have left its socket behind";

    QElapsedTimer clock;
    clock.start();
    Probe next(id);
    EXPECT_TRUE(next.WaitForLine("listening")) << next.Output().toStdString();
    EXPECT_LT(clock.elapsed(), 5000);

    // And the new copy guards the start again.
    Probe third(id);
    ASSERT_TRUE(third.process().waitForFinished(5000));
    EXPECT_EQ(third.process().exitCode(), 3);
}

TEST(SingleInstance, ActivationReachesTheFirstCopyAndReleaseLetsAnotherStart)
{
    const QString id = FreshIdentifier();
    SingleInstance first(id);
    ASSERT_TRUE(first.Ensure());
    EXPECT_TRUE(first.IsOwner());
    QSignalSpy activated(&first, &SingleInstance::activationRequested);

    SingleInstance second(id);
    EXPECT_FALSE(second.Ensure());
    EXPECT_FALSE(second.IsOwner());
    EXPECT_TRUE(activated.wait(3000));
    EXPECT_EQ(activated.count(), 1);

    first.Release();
    EXPECT_FALSE(first.IsOwner());
    SingleInstance third(id);
    EXPECT_TRUE(third.Ensure());
    EXPECT_TRUE(third.IsOwner());
}

TEST(SingleInstance, AnEmptyIdentifierAllowsEveryStart)
{
    SingleInstance a{QString()};
    SingleInstance b{QString()};
    EXPECT_TRUE(a.Ensure());
    EXPECT_TRUE(b.Ensure());
    EXPECT_FALSE(a.IsOwner());
}

TEST(SingleInstance, TheSocketNameCarriesTheUserAndIsOneFileName)
{
    const QString name = SingleInstance::ServerName(QStringLiteral("Tandrel.Quillon.{a/b c}"));
    EXPECT_TRUE(name.startsWith(QStringLiteral("Tandrel.Quillon.{a_b_c}.")));
    EXPECT_FALSE(name.contains(QLatin1Char('/')));
    EXPECT_GT(name.size(), QStringLiteral("Tandrel.Quillon.{a_b_c}.").size());
    EXPECT_NE(SingleInstance::ServerName(QStringLiteral("one")), SingleInstance::ServerName(QStringLiteral("two")));
}

} // namespace
