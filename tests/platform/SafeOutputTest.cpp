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

// A run killed between writing a work file and renaming it leaves TARGET.part-XXXXXX behind. The
// next run removes those of the files it is given, named exactly as begin() names them, regular
// files left unchanged more than ten minutes, and nothing else.
TEST(ReplacementFileTest, OnlyTheGivenFilesWorkFilesLeftLongerThanTenMinutesAreRemoved)
{
    Fixture fx;
    const QDateTime now = QDateTime::fromSecsSinceEpoch(1'900'000'000);
    auto setAge = [&](const QString& path, int seconds) { return setModified(path, now.addSecs(-seconds)); };
    const QString module = fx.write("p/Mod.bas", "x");
    ASSERT_TRUE(QFile::link(fx.write("real/Form1.frm", "x"), fx.path("p/Form1.frm"))); // written where it points
    // clang-format off
    const struct { const char* name; int age; bool removed; } rows[] = {
        {"p/Mod.bas.part-aZ09xY", 601, true}, {"p/Mod.bas.part-aZ09xQ", 600, false}, {"real/Form1.frm.part-Q1w2E3", 9000, true},
        {"p/Form1.frm.part-Q1w2E3", 9000, false}, {"p/Mod.bas.part-aZ09x", 9000, false}, {"p/Mod.bas.part-aZ09xYz", 9000, false},
        {"p/Mod.bas.part-aZ_9xY", 9000, false}, {"p/Mod.bas.part-aZ09x\u00e9", 9000, false}, {"p/mod.bas.part-aZ09xY", 9000, false},
        {"p/Other.bas.part-aZ09xY", 9000, false}, {"p/Mod.bas.PART-aZ09xY", 9000, false}, {"p/Mod.bas.part-aZ09xY.bak", 9000, false},
    };
    // clang-format on
    QStringList expected;
    for (const auto& row : rows) {
        ASSERT_TRUE(setAge(fx.write(QString::fromUtf8(row.name), "partial"), row.age));
        if (row.removed)
            expected << fx.path(QString::fromUtf8(row.name));
    }
    // A FIFO, a link to an old file, and a file this program is writing have the name, never the kind.
    ASSERT_TRUE(::mkfifo(QFile::encodeName(fx.path("p/Mod.bas.part-fifo01")).constData(), 0600) == 0 && setAge(fx.path("p/Mod.bas.part-fifo01"), 9000));
    ASSERT_TRUE(QFile::link(fx.path("p/Other.bas.part-aZ09xY"), fx.path("p/Mod.bas.part-linkto")) && setAge(fx.path("p/Mod.bas.part-linkto"), 9000));
    ReplacementFile writing;
    ASSERT_TRUE(writing.begin(module) && setAge(writing.workPath(), 9000));
    EXPECT_EQ(removeStaleWorkFiles({module, fx.path("p/Form1.frm"), fx.path("p/gone.bas")}, now), expected);
    for (const auto& row : rows)
        EXPECT_EQ(QFileInfo::exists(fx.path(QString::fromUtf8(row.name))), !row.removed) << row.name;
}

} // namespace
