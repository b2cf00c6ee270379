// The symbol scan: a file's constants, variables, procedures and ByRef parameters.
#include "FuzzSupport.h"

#include "analysis/SymbolTable.h"
#include "model/TextPrimitives.h"

using namespace quillon;
using namespace quillon::analysis;

namespace {

// Every name kept is a valid, upper-cased name that the file spells somewhere.
void checkNames(const NameSet* set, const QString& upperText)
{
    FUZZ_CHECK(set);
    for (const auto& [name, present] : set->entries()) {
        FUZZ_CHECK(present);
        FUZZ_CHECK(isValidName(name));
        FUZZ_CHECK(model::upperCase(name) == name);
        FUZZ_CHECK(upperText.contains(name));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QStringList lines = fuzz::sourceLines(fuzz::bytes(data, size));
    const QString path = QStringLiteral("/fuzz/Module1.bas");
    SymbolTable symbols;
    symbols.scanFileSymbolLines(path, lines);

    const QString upperText = model::upperCase(lines.join(QLatin1Char('\n')));
    checkNames(symbols.fileConsts().find(path), upperText);
    checkNames(symbols.fileGlobals().find(path), upperText);
    checkNames(symbols.fileModVars().find(path), upperText);
    checkNames(symbols.fileProcedures().find(path), upperText);
    const QString keyStart = model::upperCase(path) + QLatin1Char('|');
    for (const auto& [key, set] : symbols.procByRef().entries()) {
        FUZZ_CHECK(key.startsWith(keyStart) && key.size() > keyStart.size());
        checkNames(&set, upperText);
    }

    // A second scan of the same path replaces the first instead of adding to it.
    const qsizetype byRefKeys = symbols.procByRef().size();
    symbols.scanFileSymbolLines(path, lines);
    FUZZ_CHECK(symbols.fileConsts().size() == 1 && symbols.procByRef().size() == byRefKeys);
    return 0;
}
