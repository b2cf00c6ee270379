#include "platform/InterruptCleanup.h"
#include "platform/ReplacementFile.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace quillon::platform;
using namespace quillon::test;

namespace {

// What an interrupt removes and ends, and the exit status, are checked on the program itself
// (FailurePathsTest.AnInterruptedSplitRunLeavesTheEarlierOutputAsItWas), a missing folder there
// too; replacing through the print surface (old file kept while writing, thrown away unended,
// the permissions kept) in the surface's tests. Here what only this class shows.
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
