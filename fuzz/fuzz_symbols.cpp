// The symbol scan: a file's constants, variables, procedures and ByRef parameters.
#include "FuzzSupport.h"

#include "analysis/SymbolTable.h"
#include "model/TextPrimitives.h"

using namespace quillon;
using namespace quillon::analysis;

namespace {

// Every name kept is a valid, upper-cased name that the file spells somewhere.
void CheckNames(const NameSet* set, const QString& upperText)
{
    FUZZ_CHECK(set);
    for (const auto& [name, present] : set->entries()) {
        FUZZ_CHECK(present);
        FUZZ_CHECK(IsValidName(name));
        FUZZ_CHECK(model::upperCase(name) == name);
        FUZZ_CHECK(upperText.contains(name));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QStringList lines = fuzz::SourceLines(fuzz::Bytes(data, size));
    const QString path = QStringLiteral("/fuzz/Module1.bas");
    SymbolTable symbols;
    symbols.ScanFileSymbolLines(path, lines);

    const QString upperText = model::upperCase(lines.join(QLatin1Char('\n')));
    CheckNames(symbols.FileConsts().find(path), upperText);
    CheckNames(symbols.FileGlobals().find(path), upperText);
    CheckNames(symbols.FileModVars().find(path), upperText);
    CheckNames(symbols.FileProcedures().find(path), upperText);
    const QString keyStart = model::upperCase(path) + QLatin1Char('|');
    for (const auto& [key, set] : symbols.ProcByRef().entries()) {
        FUZZ_CHECK(key.startsWith(keyStart) && key.size() > keyStart.size());
        CheckNames(&set, upperText);
    }

    // A second scan of the same path replaces the first instead of adding to it.
    const qsizetype byRefKeys = symbols.ProcByRef().size();
    symbols.ScanFileSymbolLines(path, lines);
    FUZZ_CHECK(symbols.FileConsts().size() == 1 && symbols.ProcByRef().size() == byRefKeys);
    return 0;
}
