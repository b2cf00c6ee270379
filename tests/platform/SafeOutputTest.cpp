#include "platform/InterruptCleanup.h"
#include "platform/ReplacementFile.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace quillon::platform;
using namespace quillon::test;

namespace {

struct SignalCase {
    int signal;
    int exitCode;
};

class InterruptTest : public ::testing::TestWithParam<SignalCase> { };

// In a child process: unfinished files and a helper's process group are tracked, one file is
// finished (forgotten), then the signal arrives.
TEST_P(InterruptTest, RemovesUnfinishedFilesEndsHelpersAndExitsWith128PlusTheSignal)
{
    Fixture fx;
    const QString unfinished = fx.write("doc.pdf.part-abc", "half");
    const QString finished = fx.write("doc.pdf", "whole");
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        InterruptCleanup::installHandlers();
        const pid_t helper = ::fork();
        if (helper == 0) {
            ::setpgid(0, 0);
            for (;;)
                ::pause();
        }
        ::setpgid(helper, helper);
        InterruptCleanup::trackProcessGroup(helper);
        InterruptCleanup::track(unfinished);
        InterruptCleanup::track(finished);
        InterruptCleanup::forget(finished);
        const bool ok = InterruptCleanup::isTracked(unfinished) && !InterruptCleanup::isTracked(finished);
        if (::write(ready[1], &helper, sizeof helper) != sizeof helper || !ok)
            ::_exit(99);
        ::raise(GetParam().signal);
        ::_exit(98);
    }
    ::close(ready[1]);
    pid_t helper = 0;
    ASSERT_EQ(::read(ready[0], &helper, sizeof helper), ssize_t(sizeof helper));
    ::close(ready[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), GetParam().exitCode);
    EXPECT_FALSE(QFileInfo::exists(unfinished));
    EXPECT_EQ(readBytes(finished), "whole");
    EXPECT_TRUE(waitForProcessEnd(helper, 10000)) << "the helper's process group was ended";
    ::kill(helper, SIGKILL);
}

INSTANTIATE_TEST_SUITE_P(Signals, InterruptTest, ::testing::Values(SignalCase {SIGINT, 130}, SignalCase {SIGTERM, 143}));

// Replacing through the print surface (old file kept while writing, thrown away unended, the
// permissions kept) is checked in the surface's tests; here what only this class shows.
TEST(ReplacementFileTest, TheWorkFileIsTrackedUntilCommittedAndAFolderThatCannotTakeItIsTold)
{
    Fixture fx;
    const QString target = fx.write("out.pdf", "old");
    ReplacementFile file;
    ASSERT_TRUE(file.begin(target));
    const QString work = file.workPath();
    EXPECT_TRUE(InterruptCleanup::isTracked(work));
    fx.write(QFileInfo(work).fileName(), "new");
    ASSERT_TRUE(file.commit());
    EXPECT_FALSE(InterruptCleanup::isTracked(work) || QFileInfo::exists(work));
    EXPECT_EQ(readBytes(target), "new");
    // A FIFO is written in place: nothing is renamed over it or removed.
    const QString pipe = fx.path("pipe.pdf");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    ASSERT_TRUE(file.begin(pipe));
    EXPECT_TRUE(file.isDirect() && file.workPath() == pipe);
    file.discard();
    EXPECT_TRUE(QFileInfo(pipe).exists() && !QFileInfo(pipe).isFile());

    QString error;
    EXPECT_FALSE(file.begin(fx.path("missing/out.pdf"), &error));
    EXPECT_EQ(error, "the folder \"" + fx.path("missing") + "\" does not exist");
    fx.write("locked/keep.txt", "x");
    QFile::setPermissions(fx.path("locked"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    {
        ObeyFilePermissions asUser;
        EXPECT_FALSE(file.begin(fx.path("locked/out.pdf"), &error));
    }
    EXPECT_EQ(error, "Permission denied");
    EXPECT_FALSE(file.isActive());
    EXPECT_EQ(QDir(fx.path("locked")).entryList(QDir::Files | QDir::Hidden), QStringList {"keep.txt"});
}

} // namespace
