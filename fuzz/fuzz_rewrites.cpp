// The developer aids' rewrites and the procedure backup document: what a backup holds reads
// back exactly, shrinking keeps every line that is not a repeated blank, moving Dims keeps every
// statement, a second run of either finds nothing left to change, and wrapped lines fit and
// join back.
#include "FuzzSupport.h"

#include "aids/CodeWrap.h"
#include "aids/EditBackups.h"
#include "aids/SourceTransforms.h"
#include "model/RoutineParser.h"
#include "model/TextPrimitives.h"

#include <QRegularExpression>

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

QString trimTrailing(const QString& line)
{
    return model::trimTrailingBlanks(line).toString();
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

    // Wrapped code fits and joins back to the same statement, give or take the blank each break
    // keeps; a line that cannot be wrapped stays as it was.
    const aids::LineWrapper wrapper([](QStringView text) { return 10.0 * double(text.size()); }, QString(40, u'x'), 4);
    const auto normal = [](QString text) {
        return text.replace(QRegularExpression(QStringLiteral(" +")), QStringLiteral(" "))
            .replace(QStringLiteral(" \\"), QStringLiteral("\\"));
    };
    for (const QString& line : lines) {
        const aids::WrappedLine wrapped = wrapper.wrapLine(trimTrailing(line));
        if (!wrapped.ok || wrapper.isTooLong(trimTrailing(line)) == false)
            continue;
        for (const QString& piece : wrapped.lines)
            FUZZ_CHECK(!wrapper.isTooLong(piece));
        if (aids::commentStart(line) == 0)
            FUZZ_CHECK(normal(aids::joinLogicalLine(wrapped.lines, 0, int(wrapped.lines.size()) - 1).text)
                == normal(trimTrailing(line)));
    }
    return 0;
}
