// A stand-in for the first copy of the program, for the single-instance test:
//   instance_probe IDENTIFIER
// It takes the guard, prints "listening", then "open PATH" or "ignored" for each file a later
// copy hands over, and waits to be killed (it ends by itself, with 2,
// after 30 seconds; with 3 at once when another copy holds the guard).
#include "platform/qt/SingleInstance.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2)
        return 64;
    quillon::platform::SingleInstance guard(args[1]);
    if (!guard.ensure())
        return 3;
    std::printf("listening\n");
    std::fflush(stdout);
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    using quillon::platform::SingleInstance;
    QObject::connect(&guard, &SingleInstance::openRequested, [](const QString& path) { std::printf("open %s\n", qUtf8Printable(path)); });
    QObject::connect(&guard, &SingleInstance::requestIgnored, [] { std::printf("ignored\n"); });
    // A timer of its own rather than a single shot, so that nothing is pending at the end.
    QTimer lifetime;
    lifetime.setSingleShot(true);
    QObject::connect(&lifetime, &QTimer::timeout, &app, [] { QCoreApplication::exit(2); });
    lifetime.start(30000);
    return app.exec();
}
