// The call scan: each line masked (string contents and the comment blanked), its candidate
// names, and the Declare statements.
#include "FuzzSupport.h"

#include "analysis/DependencyIndex.h"
#include "model/TextPrimitives.h"

using namespace quillon;
using namespace quillon::analysis;

namespace {

bool isNameCharacter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9') || u == u'_' || u == u'%' || u == u'$' || u == u'&'
        || u == u'!' || u == u'#' || u == u'@';
}

void checkLine(const QString& line)
{
    const QString masked = maskForCallScan(line);
    // Masking keeps every column: a character stays or becomes a blank, and no quote or
    // comment mark survives.
    FUZZ_CHECK(masked.size() == line.size());
    for (qsizetype i = 0; i < masked.size(); ++i)
        FUZZ_CHECK(masked[i] == line[i] || masked[i] == QLatin1Char(' '));
    FUZZ_CHECK(!masked.contains(QLatin1Char('"')) && !masked.contains(QLatin1Char('\'')));
    FUZZ_CHECK(maskForCallScan(masked) == masked);

    const QString upperMasked = model::upperCase(masked);
    const QStringList candidates = callCandidates(masked);
    for (qsizetype i = 0; i < candidates.size(); ++i) {
        const QString& name = candidates[i];
        FUZZ_CHECK(!name.isEmpty());
        for (QChar c : name)
            FUZZ_CHECK(isNameCharacter(c));
        FUZZ_CHECK(upperMasked.contains(name));
        for (qsizetype j = 0; j < i; ++j)
            FUZZ_CHECK(candidates[j] != name);
    }

    if (const std::optional<ApiDeclaration> declaration = parseDeclareLine(line)) {
        FUZZ_CHECK(!declaration->name.isEmpty() && !declaration->library.isEmpty() && !declaration->alias.isEmpty());
        FUZZ_CHECK(line.contains(declaration->name) && line.contains(declaration->library)
            && line.contains(declaration->alias));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QStringList lines = fuzz::sourceLines(fuzz::bytes(data, size));
    for (const QString& line : lines)
        checkLine(line);

    // The module's Declare statements registered as a load registers them.
    model::ProjectFile file;
    file.filePath = QStringLiteral("/fuzz/Module1.bas");
    file.setFileType(QStringLiteral("BAS"));
    DependencyIndex index;
    index.beginPhase1();
    index.addFile(file.filePath, lines, DependencyIndex::scanFile(file, lines, {}));
    for (const auto& [name, text] : index.apiDeclarationMap().entries()) {
        FUZZ_CHECK(name == model::upperCase(name));
        FUZZ_CHECK(index.declarationText(name) == text && text.count(QLatin1Char('|')) >= 2);
    }
    return 0;
}
