// Highlight segments of each line, with and without a symbol table, in a routine, in its
// declarations and in a report, and of the line with its tabs expanded as the printer does.
#include "FuzzSupport.h"

#include "analysis/SymbolTable.h"
#include "print/Highlight.h"

#include <QFile>
#include <QTemporaryDir>

using namespace quillon;
using namespace quillon::print;

namespace {

// A module whose names cover every symbol colour: the seeds use them.
const char kModule[] = "Public Const MAXN = 10\r\n"
                       "Public gCount As Long\r\n"
                       "Private mName As String\r\n"
                       "Sub DoIt(ByRef x As Long, ByVal y As Long)\r\n"
                       "End Sub\r\n";

struct Table {
    QTemporaryDir dir;
    QString path;
    analysis::SymbolTable symbols;
    Table()
    {
        path = dir.filePath(QStringLiteral("Module1.bas"));
        QFile file(path);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly) && file.write(kModule) == qint64(sizeof kModule - 1));
        file.close();
        auto info = std::make_shared<model::ProjectFile>();
        info->filePath = path;
        symbols.buildSymbolTables({info}, model::SourceReader(model::CodePage::standard(), nullptr));
        FUZZ_CHECK(symbols.isConstant(u"MAXN") && symbols.isProcedureName(u"DoIt"));
    }
};

const Table& sharedSymbolTable()
{
    static const Table table;
    return table;
}

void checkSegments(QStringView line, const HighlightContext& context)
{
    const std::vector<Segment> segments = buildHighlightSegments(line, context);
    if (line.isEmpty()) {
        FUZZ_CHECK(segments.empty());
        return;
    }
    // The segments cover the line exactly, in order, without overlap; once the comment
    // begins (at an apostrophe) it runs to the end; a literal runs from quote to quote.
    FUZZ_CHECK(!segments.empty() && segments.front().start == 1 && segments.back().end == int(line.size()));
    bool inComment = false;
    int literalStart = 0;
    for (size_t k = 0; k < segments.size(); ++k) {
        const Segment& s = segments[k];
        FUZZ_CHECK(s.start <= s.end && s.colour >= 0 && s.colour <= 9);
        if (k > 0)
            FUZZ_CHECK(s.start == segments[k - 1].end + 1);
        if (inComment) {
            FUZZ_CHECK(s.colour == colour::Comment);
            continue;
        }
        if (s.colour == colour::Comment) {
            FUZZ_CHECK(line[s.start - 1] == QLatin1Char('\''));
            inComment = true;
        }
        const bool literal = s.colour == colour::Literal;
        const bool literalBefore = k > 0 && segments[k - 1].colour == colour::Literal;
        const bool literalAfter = k + 1 < segments.size() && segments[k + 1].colour == colour::Literal;
        if (literal && !literalBefore)
            literalStart = s.start;
        if (literal && !literalAfter) {
            FUZZ_CHECK(line[literalStart - 1] == QLatin1Char('"') && line[s.end - 1] == QLatin1Char('"'));
            FUZZ_CHECK(s.end > literalStart);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const Table& table = sharedSymbolTable();
    const QStringList lines = fuzz::sourceLines(fuzz::bytes(data, size));

    HighlightContext plain;
    HighlightContext routine;
    routine.symbols = &table.symbols;
    routine.file = table.path;
    routine.routineName = QStringLiteral("DoIt");
    HighlightContext declarations = routine;
    declarations.isDeclarations = true;
    HighlightContext report = routine;
    report.colours = model::ListingColours::Report;

    const int tabWidth = 1 + int(size % 32);
    for (const QString& line : lines) {
        for (const HighlightContext* context : {&plain, &routine, &declarations, &report})
            checkSegments(line, *context);
        const QString prepared = expandTabs(line, tabWidth);
        FUZZ_CHECK(!prepared.contains(QLatin1Char('\t')));
        checkSegments(prepared, routine);
    }
    return 0;
}
