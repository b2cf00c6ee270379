#pragma once
#include "app/Cli.h"

#include <QString>
#include <QStringList>

#include <sstream>

namespace quillon::test {

// What one command line gave: its exit code, standard output and standard error.
struct CliRun {
    int code;
    QString out;
    QString err;
};

inline CliRun Cli(const QStringList& args)
{
    std::ostringstream out;
    std::ostringstream err;
    const int code = app::RunCli(args, out, err);
    return {code, QString::fromStdString(out.str()), QString::fromStdString(err.str())};
}

} // namespace quillon::test
