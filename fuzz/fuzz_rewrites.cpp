// The developer aids' rewrites and the procedure backup document: what a backup holds reads
// back exactly, shrinking keeps every line that is not a repeated blank, moving Dims keeps every
// statement, and a second run of either finds nothing left to change.
#include "FuzzSupport.h"

#include "aids/EditBackups.h"
#include "aids/SourceTransforms.h"
#include "model/RoutineParser.h"
#include "model/TextPrimitives.h"

#include <algorithm>

using namespace quillon;

namespace {

model::RoutineList editable(const QStringList& lines)
{
    model::RoutineList routines;
    for (const model::RoutinePtr& routine : model::splitLinesIntoRoutines(QStringLiteral("/f/M.bas"), lines)) {
        if (aids::isEditableRoutine(*routine))
            routines.push_back(routine);
    }
    return routines;
}

QStringList trimmedNonBlank(const QStringList& lines)
{
    QStringList kept;
    for (const QString& line : lines) {
        if (!model::trimBlanks(line).isEmpty())
            kept << model::trimBlanks(line).toString();
    }
    std::sort(kept.begin(), kept.end());
    return kept;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QStringList lines = fuzz::sourceLines(fuzz::bytes(data, size));
    FUZZ_CHECK(aids::rtfBackupLines(model::splitLines(aids::procedureRtf(lines, {}))) == lines);

    const aids::Rewrite shrunk = aids::shrinkBlankLines(lines, editable(lines));
    FUZZ_CHECK(trimmedNonBlank(shrunk.lines) == trimmedNonBlank(lines));
    FUZZ_CHECK(shrunk.changed == (shrunk.lines != lines));
    FUZZ_CHECK(!aids::shrinkBlankLines(shrunk.lines, editable(shrunk.lines)).changed);

    const QString unit = QStringLiteral("    ");
    const aids::Rewrite moved = aids::moveDimStatements(lines, editable(lines), unit);
    FUZZ_CHECK(trimmedNonBlank(moved.lines) == trimmedNonBlank(lines));
    if (moved.changed)
        FUZZ_CHECK(!aids::moveDimStatements(moved.lines, editable(moved.lines), unit).changed);
    return 0;
}
