// Source decoding and routine splitting: the bytes of a file decoded as the reader decodes
// them, split into lines, then into routines as a module, a class and a form.
#include "FuzzSupport.h"

#include "model/RoutineParser.h"

using namespace quillon;
using namespace quillon::model;

namespace {

void checkDecoding(const QByteArray& bytes, QString& text, QStringList& lines)
{
    TextEncoding used;
    text = decodeSourceBytes(bytes, CodePage::standard(), &used);
    // Decoding is reversible: writing the text back gives the same bytes.
    bool ok = false;
    FUZZ_CHECK(encodeSourceText(text, used, &ok) == bytes);
    FUZZ_CHECK(ok);

    bool terminated = false;
    lines = splitLines(text, &terminated);
    qsizetype terminators = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool crBeforeLf = text[i] == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n');
        if ((text[i] == QLatin1Char('\r') || text[i] == QLatin1Char('\n')) && !crBeforeLf)
            ++terminators;
    }
    FUZZ_CHECK(lines.size() == terminators + (text.isEmpty() || terminated ? 0 : 1));
    qsizetype characters = 0;
    for (const QString& line : lines) {
        FUZZ_CHECK(!line.contains(QLatin1Char('\r')) && !line.contains(QLatin1Char('\n')));
        characters += line.size();
    }
    FUZZ_CHECK(characters <= text.size());
}

void checkSplit(const QString& path, const QStringList& lines)
{
    const RoutineList routines = splitLinesIntoRoutines(path, lines);
    const qint32 lineCount = qint32(lines.size());
    const Routine* declarations = nullptr;
    const Routine* previous = nullptr;
    for (const RoutinePtr& routine : routines) {
        FUZZ_CHECK(routine);
        FUZZ_CHECK(routine->filePath == path);
        FUZZ_CHECK(routine->startLine >= 1 && routine->startLine <= routine->endLine && routine->endLine <= lineCount);
        const qint32 span = routine->endLine - routine->startLine + 1;
        FUZZ_CHECK(routine->commentLines >= 0 && routine->blankLines >= 0 && routine->codeLines >= 0);
        FUZZ_CHECK(routine->commentLines + routine->blankLines + routine->codeLines <= span);
        if (routine->isDeclarations) {
            FUZZ_CHECK(!declarations && !previous);
            declarations = routine.get();
            continue;
        }
        if (isPseudoRoutine(*routine)) {
            FUZZ_CHECK(routine->startLine == 1 && !previous && !declarations);
            continue;
        }
        // Procedures follow one another without a gap or an overlap, each holding its
        // signature line.
        FUZZ_CHECK(routine->signatureLine >= routine->startLine && routine->signatureLine <= routine->endLine);
        FUZZ_CHECK(routine->sigLineText == lines[routine->signatureLine - 1]);
        FUZZ_CHECK(isProcedureStart(routine->sigLineText));
        if (previous)
            FUZZ_CHECK(routine->startLine == previous->endLine + 1);
        else if (declarations)
            FUZZ_CHECK(declarations->endLine < routine->startLine);
        previous = routine.get();
    }
    if (previous)
        FUZZ_CHECK(previous->endLine == lineCount);

    // The property group of the file, read from the routines just split.
    RoutinesByFileMap loaded;
    loaded.insert(path, routines);
    for (const AggregateMode mode : {AggregateMode::SmallProperties, AggregateMode::AllProperties}) {
        const RoutinePtr aggregate = makeAggregateRecord(path, moduleNameOf(path, lines), mode, 0);
        const std::vector<AggregateListingLine> listing = buildAggregateListing(*aggregate, lines, &loaded);
        FUZZ_CHECK(!listing.empty() && !listing.front().countsStatements);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = fuzz::bytes(data, size);
    QString text;
    QStringList lines;
    checkDecoding(bytes, text, lines);
    for (const char* path : {"/fuzz/Module1.bas", "/fuzz/Class1.cls", "/fuzz/Form1.frm", "/fuzz/Control1.ctl", "/fuzz/Designer1.dsr"})
        checkSplit(QString::fromLatin1(path), lines);
    return 0;
}
