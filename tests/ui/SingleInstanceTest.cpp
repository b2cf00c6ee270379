#include "platform/qt/SingleInstance.h"
#include "support/TestSupport.h"
#include "ui/UiTestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QUuid>

#include <gtest/gtest.h>

using quillon::platform::SingleInstance;

namespace {

// A later copy hands its project file to the first, which takes only an absolute path to a
// readable regular file named *.vbp and drops a request that never ends. The socket a crashed
// copy left blocks no start; a later copy is refused and asks the first to come forward; once
// the first lets go another may start. (Two copies of the program itself:
// CliTest.TheDesktopProgramRunsOnceAndNeedsAScreen.)
TEST(SingleInstance, ALaterCopyHandsOverItsProjectACrashedCopyBlocksNothingAndReleaseLetsAnotherStart)
{
    // An identifier of its own, so that no two runs meet; the probe program is the first copy.
    const QString id = "Tandrel.QuillonTest." + QUuid::createUuid().toString();
    const quillon::test::Fixture fx;
    const QString vbp = fx.write("Two words \u00e9 %41.VbP", "Type=Exe\r\n"), notes = fx.write("notes.txt", "Type=Exe");
    ASSERT_TRUE(QDir(fx.path()).mkdir("folder.vbp"));
    ASSERT_TRUE(QFile::link("/dev/zero", fx.path("device.vbp")));
    QProcess probe;
    probe.start(quillon::test::builtFile("tests/instance_probe"), {id});
    const auto heard = [&probe] {
        while (!probe.canReadLine() && probe.waitForReadyRead(10000)) { }
        return probe.readLine().trimmed();
    };
    ASSERT_EQ(heard(), "listening");
    const std::pair<QString, QByteArray> rows[] = {{vbp, "open " + vbp.toUtf8()}, {fx.path("missing.vbp"), "ignored"}, {notes, "ignored"},
        {fx.path("folder.vbp"), "ignored"}, {fx.path("device.vbp"), "ignored"}, {"Relative.vbp", "ignored"}};
    for (const auto& [handed, expected] : rows) {
        SCOPED_TRACE(handed.toStdString());
        SingleInstance later(id);
        EXPECT_FALSE(later.ensure(handed));
        EXPECT_EQ(heard(), expected);
    }
    QLocalSocket endless;
    endless.connectToServer(SingleInstance::serverName(id));
    ASSERT_TRUE(endless.waitForConnected(10000));
    endless.write(QByteArray(SingleInstance::kMaxRequestBytes + 1, 'x'));
    endless.waitForBytesWritten(10000);
    EXPECT_EQ(heard(), "ignored");
    // Killed as a crash would end it: without a chance to remove its socket.
    probe.kill();
    ASSERT_TRUE(probe.waitForFinished(10000));
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
