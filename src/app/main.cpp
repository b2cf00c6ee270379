#include "app/Cli.h"

#include <QCoreApplication>

#include <iostream>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Quillon"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLON_VERSION));
    std::ios::sync_with_stdio(false);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    const int code = quillon::app::RunCli(args, std::cout, std::cerr);
    std::cout.flush();
    return code;
}
