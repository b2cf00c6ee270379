// Source decoding and routine splitting: the bytes of a file decoded as the reader decodes
// them, split into lines, then into routines as a module, a class and a form.
#include "FuzzSupport.h"

#include "model/RoutineParser.h"

using namespace quillon;
using namespace quillon::model;

namespace {

void CheckDecoding(const QByteArray& bytes, QString& text, QStringList& lines)
{
    TextEncoding used;
    text = DecodeSourceBytes(bytes, CodePage::Default(), &used);
    // Decoding is reversible: writing the text back gives the same bytes.
    bool ok = false;
    FUZZ_CHECK(EncodeSourceText(text, used, &ok) == bytes);
    FUZZ_CHECK(ok);

    bool terminated = false;
    lines = SplitLines(text, &terminated);
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

void CheckSplit(const QString& path, const QStringList& lines)
{
    const RoutineList routines = SplitLinesIntoRoutines(path, lines);
    const qint32 lineCount = qint32(lines.size());
    const Routine* declarations = nullptr;
    const Routine* previous = nullptr;
    for (const RoutinePtr& routine : routines) {
        FUZZ_CHECK(routine);
        FUZZ_CHECK(routine->FilePath == path);
        FUZZ_CHECK(routine->startLine >= 1 && routine->startLine <= routine->endLine
                   && routine->endLine <= lineCount);
        const qint32 span = routine->endLine - routine->startLine + 1;
        FUZZ_CHECK(routine->CommentLines >= 0 && routine->BlankLines >= 0 && routine->CodeLines >= 0);
        FUZZ_CHECK(routine->CommentLines + routine->BlankLines + routine->CodeLines <= span);
        if (routine->IsDeclarations) {
            FUZZ_CHECK(!declarations && !previous);
            declarations = routine.get();
            continue;
        }
        if (IsPseudoRoutine(*routine)) {
            FUZZ_CHECK(routine->startLine == 1 && !previous && !declarations);
            continue;
        }
        // Procedures follow one another without a gap or an overlap, each holding its
        // signature line.
        FUZZ_CHECK(routine->signatureLine >= routine->startLine && routine->signatureLine <= routine->endLine);
        FUZZ_CHECK(routine->SigLineText == lines[routine->signatureLine - 1]);
        FUZZ_CHECK(IsProcedureStart(routine->SigLineText));
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
    for (int mode : {1, 2}) {
        const RoutinePtr aggregate = MakeAggregateRecord(path, ModuleNameOf(path, lines), mode, 0);
        const std::vector<AggregateListingLine> listing = BuildAggregateListing(*aggregate, lines, &loaded);
        FUZZ_CHECK(!listing.empty() && !listing.front().countsStatements);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = fuzz::Bytes(data, size);
    QString text;
    QStringList lines;
    CheckDecoding(bytes, text, lines);
    for (const char* path : {"/fuzz/Module1.bas", "/fuzz/Class1.cls", "/fuzz/Form1.frm"})
        CheckSplit(QString::fromLatin1(path), lines);
    return 0;
}
