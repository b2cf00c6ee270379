#include "analysis/LogicalLine.h"

#include "model/TextPrimitives.h"

#include <algorithm>

namespace quillon::analysis {

using model::trimLeadingBlanks;
using model::trimTrailingBlanks;

LogicalLine joinLogicalLine(const QStringList& lines, int first, int last)
{
    LogicalLine joined;
    bool glue = false;
    for (int current = first;; ++current) {
        const QString t = trimTrailingBlanks(lines[current]).toString();
        QString part = current == first ? t : trimLeadingBlanks(t).toString();
        if (current != first && glue && part.startsWith(u'"'))
            part.remove(0, 1);
        const bool hasNext = current < last;
        const bool nextQuote = hasNext && trimLeadingBlanks(lines[current + 1]).startsWith(u'"');
        if (t.endsWith(kLiteralJoint) && hasNext && nextQuote) {
            joined.text += part.chopped(std::min(kLiteralJoint.size(), part.size()));
            glue = true;
        } else if (t.endsWith(QLatin1String(" _")) && hasNext) {
            // Only the underscore goes: the blank before it keeps "a And _" / "b" as "a And b".
            joined.text += part.chopped(1);
            glue = false;
        } else {
            joined.text += part;
            joined.consumed = current - first + 1;
            return joined;
        }
    }
}

} // namespace quillon::analysis
