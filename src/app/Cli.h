#pragma once
#include <QStringList>

#include <ostream>

namespace quillon::app {

// Runs one command line (the arguments after the program name). Dumps go to `out` as UTF-8;
// usage errors, notes and messages go to `err`. Returns the process exit code:
// 0 success, 1 an input that cannot be read, 2 a usage error.
int RunCli(const QStringList& args, std::ostream& out, std::ostream& err);

QString UsageText();

} // namespace quillon::app
