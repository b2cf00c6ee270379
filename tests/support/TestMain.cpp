#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

// Every test program runs headless and keeps its temporary files, the diagnostic log
// included, in a private folder that is removed at the end.
int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QTemporaryDir scratch;
    if (!scratch.isValid())
        return 1;
    const QByteArray root = QFile::encodeName(scratch.path());
    setenv("TEMP", root.constData(), 1);
    setenv("TMPDIR", root.constData(), 1);
    const QByteArray runtime = root + "/runtime";
    QDir().mkpath(QString::fromLocal8Bit(runtime));
    QFile::setPermissions(QString::fromLocal8Bit(runtime), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    setenv("XDG_RUNTIME_DIR", runtime.constData(), 1);
    const QByteArray appData = root + "/appdata";
    setenv("APPDATA", appData.constData(), 1);
    // The default project folder (where edit backups are kept) lies under the user's data
    // folder: a user's own backups must neither show in a test nor be touched by one.
    const QByteArray dataHome = root + "/data";
    setenv("XDG_DATA_HOME", dataHome.constData(), 1);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
