#pragma once
#include "app/CliSupport.h"

namespace quillon::app {

// quillon layout FORM.frm: the form layout as read for the form image, one line for the form,
// one per control and one per menu.
int runLayout(const Arguments& args, const model::SourceReader& reader, std::ostream& out, std::ostream& err);

// A text field of a dump line: TAB, CR, LF and backslash written as \t, \r, \n and \\ so that
// every record stays on one line and its fields stay apart.
QString escapeField(const QString& text);

} // namespace quillon::app
