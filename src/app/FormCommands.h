#pragma once
#include "app/CliSupport.h"

namespace quillon::app {

// quillon layout FORM.frm: the form layout as read for the form image, one line for the form,
// one per control and one per menu. User controls, property pages and user documents too.
int runLayout(const Arguments& args, const model::SourceReader& reader, std::ostream& out, std::ostream& err);

// The exit status 1, the reason written, when the file (by its extension) is of no kind that
// has an image: only forms, user controls, property pages and user documents are drawn.
// command names the subcommand in the reason.
std::optional<int> refuseWithoutImage(std::ostream& err, const QString& path, const QString& command);

// A text field of a dump line: TAB, CR, LF and backslash written as \t, \r, \n and \\ so that
// every record stays on one line and its fields stay apart.
QString escapeField(const QString& text);

} // namespace quillon::app
