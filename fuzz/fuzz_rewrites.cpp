// The developer aids' rewrites and the procedure backup document: what a backup holds reads
// back exactly, shrinking keeps every line that is not a repeated blank, moving Dims keeps every
// statement, a second run of either finds nothing left to change, wrapping ends and keeps every
// statement's text (or leaves its line as it was), and every rewritten file reads back as
// exactly the lines the rewrite made, whatever mix of CR, LF and CR LF it had.
#include "FuzzSupport.h"

#include "aids/CodeWrap.h"
#include "aids/EditBackups.h"
#include "aids/SourceDocument.h"
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

// A break outside a literal may leave a blank more, also before a backslash, and joining drops
// the blanks at the end; a literal's text must come back exactly.
QString codeShape(const QString& untrimmed)
{
    const QString text = model::trimTrailingBlanks(untrimmed).toString();
    const std::vector<bool> literal = aids::stringLiteralMap(text);
    QString shape;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool code = !literal[size_t(i)];
        if (code && text[i] == u' ' && shape.endsWith(u' '))
            continue;
        if (code && text[i] == u'\\' && shape.endsWith(u' '))
            shape.chop(1);
        shape += text[i];
    }
    return shape;
}

QString collapsedBlanks(QString text)
{
    while (text.contains(QLatin1String("  ")))
        text.replace(QLatin1String("  "), QLatin1String(" "));
    return text;
}

// A wrapped comment's text: the first line, then each further line after its new "'".
QString commentText(const QStringList& pieces)
{
    QString text = pieces.front();
    for (qsizetype i = 1; i < pieces.size(); ++i)
        text += pieces[i].mid(pieces[i].indexOf(u'\'') + 1);
    return text;
}

void checkWrappedLine(const aids::LineWrapper& wrapper, const QString& text)
{
    if (model::trimBlanks(text).isEmpty() || !wrapper.isTooLong(text))
        return;
    const model::Outcome<QStringList> wrapped = wrapper.wrapLine(text);
    if (!wrapped)
        return;
    FUZZ_CHECK(!wrapped->isEmpty());
    for (const QString& piece : *wrapped)
        FUZZ_CHECK(!wrapper.isTooLong(piece));
    const bool comment = model::trimLeadingBlanks(text).startsWith(u'\'') || aids::commentStart(text) > 0;
    if (comment)
        FUZZ_CHECK(collapsedBlanks(commentText(*wrapped)) == collapsedBlanks(text));
    else
        FUZZ_CHECK(codeShape(analysis::joinLogicalLine(*wrapped, 0, int(wrapped->size()) - 1).text) == codeShape(text));
}

// What the writer would put on disk reads back as the very lines the rewrite made.
void checkReadsBack(const aids::Rewrite& rewrite, const aids::SourceDocument& document)
{
    FUZZ_CHECK(aids::documentOfText(aids::rewrittenText(rewrite.lines, document)).lines == rewrite.lines);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const aids::SourceDocument document =
        aids::documentOfText(model::decodeSourceBytes(fuzz::bytes(data, size), model::CodePage::standard()));
    const QStringList& lines = document.lines;
    FUZZ_CHECK(lines == fuzz::sourceLines(fuzz::bytes(data, size)));
    FUZZ_CHECK(aids::rtfBackupLines(model::splitLines(aids::procedureRtf(lines, {}))) == lines);

    const aids::Rewrite shrunk = aids::shrinkBlankLines(lines, editable(lines));
    FUZZ_CHECK(trimmedNonBlank(shrunk.lines) == trimmedNonBlank(lines));
    FUZZ_CHECK(shrunk.changed == (shrunk.lines != lines));
    FUZZ_CHECK(!aids::shrinkBlankLines(shrunk.lines, editable(shrunk.lines)).changed);
    checkReadsBack(shrunk, document);

    const QString unit = QStringLiteral("    ");
    const aids::Rewrite moved = aids::moveDimStatements(lines, editable(lines), unit);
    FUZZ_CHECK(trimmedNonBlank(moved.lines) == trimmedNonBlank(lines));
    if (moved.changed)
        FUZZ_CHECK(!aids::moveDimStatements(moved.lines, editable(moved.lines), unit).changed);
    checkReadsBack(moved, document);

    const aids::LineWrapper wrapper([](QStringView text) { return 10.0 * double(text.size()); }, QString(40, u'x'), 4);
    for (int i = 0; i < int(lines.size());) {
        const analysis::LogicalLine logical = analysis::joinLogicalLine(lines, i, int(lines.size()) - 1);
        checkWrappedLine(wrapper, logical.text);
        i += logical.consumed;
    }
    const aids::WrapRewrite wrapped = aids::wrapRoutines(lines, editable(lines), wrapper);
    checkReadsBack(wrapped.rewrite, document);
    return 0;
}
