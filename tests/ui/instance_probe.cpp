// A stand-in for a copy of the program, for the single-instance test:
//   instance_probe IDENTIFIER [LIFETIME_MS]
// The first copy prints "listening", then "activated" when a later copy asks it to come to
// the front, and exits 0 (2 when its lifetime runs out first). A later copy prints "another
// copy is running" and exits 3.
#include "platform/qt/SingleInstance.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>

namespace {
void Say(const char* line)
{
    std::printf("%s\n", line);
    std::fflush(stdout);
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2)
        return 64;
    quillon::platform::SingleInstance guard(args[1]);
    if (!guard.Ensure()) {
        Say("another copy is running");
        return 3;
    }
    Say("listening");
    // Timers of its own rather than single shots, so that nothing is pending at the end.
    QTimer lifetime;
    lifetime.setSingleShot(true);
    QObject::connect(&lifetime, &QTimer::timeout, &app, [] {
        Say("lifetime over");
        QCoreApplication::exit(2);
    });
    lifetime.start(args.size() > 2 ? args[2].toInt() : 30000);
    QTimer linger; // lets the answer reach the later copy before this one ends
    linger.setSingleShot(true);
    QObject::connect(&linger, &QTimer::timeout, &app, [] { QCoreApplication::exit(0); });
    QObject::connect(&guard, &quillon::platform::SingleInstance::activationRequested, &app, [&linger] {
        Say("activated");
        linger.start(100);
    });
    return app.exec();
}
