#pragma once
#include "model/KeyedMap.h"
#include "model/Routine.h"
#include "model/SourceText.h"

#include <QString>
#include <QStringList>
#include <QStringView>

// The project's symbol table: which names are constants, project-wide variables, module-private
// variables, procedures, and which parameters of each procedure carry an explicit ByRef. Names
// only; no types, values or positions. The highlighted line printer is its one reader.
namespace quillon::analysis {

using NameSet = model::KeyedMap<bool>; // normalized names, insertion order

// Trims; drops one trailing type suffix (% & ! # $ @); drops the brackets of "[name]"; trims
// again; upper-cases.
QString normalizeName(QStringView name);
// Whether a normalized name may enter a name set: not empty, no "." or ":", starts with A-Z or
// "_", and no reserved word or type name.
bool isValidName(const QString& normalized);
// Call-context test for a procedure name found in a code line; start and end are 1-based
// positions of the identifier in line; previousWord is the previous identifier, upper-cased.
bool isProcedureReference(QStringView line, int start, int end, const QString& previousWord);

enum class SymbolCategory { Normal, ByRefParameter, ModuleVariable, GlobalVariable, Constant, ProcedureName };

// The names one file contributes, found apart from any table so that files can be scanned
// side by side.
struct FileSymbols {
    NameSet consts;
    NameSet globals;
    NameSet moduleVariables;
    NameSet procedures;
    model::KeyedMap<NameSet> byRef; // by "PATH|PROCEDURE", in order of the headers
};

class SymbolTable {
public:
    // Replaces every container; scans each file whose filePath is not blank, in list order; then
    // merges the per-file sets into the project-wide ones.
    void buildSymbolTables(
        const model::FileList& files, const model::SourceReader& reader = model::SourceReader::standard());
    // Registers one file's four sets (replacing an earlier entry of the same path) and its
    // procedures' ByRef sets. Does not merge.
    void scanFileSymbols(const QString& filePath, const model::SourceReader& reader = model::SourceReader::standard());
    // The same scan over lines already in memory (line n is lines[n - 1]).
    void scanFileSymbolLines(const QString& filePath, const QStringList& lines);
    // The scan alone: touches no table, so it may run for several files at once.
    static FileSymbols scanLines(const QString& filePath, const QStringList& lines);
    // Registers what scanLines found, as scanFileSymbolLines does.
    void addFile(const QString& filePath, FileSymbols symbols);
    // Fills the project-wide sets from the per-file ones.
    void merge();
    void clear();

    // Queries (each normalizes the name first; absent container or key answers false).
    bool isConstant(QStringView name) const;
    bool isGlobalVariable(QStringView name) const;
    bool isModuleVariable(const QString& filePath, QStringView name) const;
    bool isByRefParameter(const QString& filePath, const QString& routineName, QStringView name) const;
    bool isProcedureName(QStringView name) const;

    // The lookup precedence used by the line printer: ByRef set of the routine, module variables
    // of the file, globals, constants, procedure names (with isProcedureReference), else Normal.
    // skipByRef / skipModuleVars: the caller's flags for report listings and declarations.
    SymbolCategory classify(QStringView line, int start, int end, const QString& previousWord, const QString& filePath,
        const QString& routineName, bool skipByRef, bool skipModuleVars) const;

    // Containers, for the command line's dump.
    const model::KeyedMap<NameSet>& fileConsts() const { return fileConsts_; }
    const model::KeyedMap<NameSet>& fileGlobals() const { return fileGlobals_; }
    const model::KeyedMap<NameSet>& fileModVars() const { return fileModVars_; }
    const model::KeyedMap<NameSet>& fileProcedures() const { return fileProcedures_; }
    const NameSet& allConsts() const { return allConsts_; }
    const NameSet& allGlobals() const { return allGlobals_; }
    const NameSet& allProcedures() const { return allProcedures_; }
    const model::KeyedMap<NameSet>& procByRef() const { return procByRef_; }

    // The lines of the command line's `quillon symbols` dump, TAB-separated, without line ends:
    // "CONST|GLOBAL|MODVAR|PROC <file name> NAME" per file of files, then
    // "ALLCONST|ALLGLOBAL|ALLPROC <empty> NAME", then "BYREF <key> NAME" (an empty set gives one
    // line with an empty name).
    QStringList dumpLines(const model::FileList& files) const;

private:
    model::KeyedMap<NameSet> fileConsts_;
    model::KeyedMap<NameSet> fileGlobals_;
    model::KeyedMap<NameSet> fileModVars_;
    model::KeyedMap<NameSet> fileProcedures_;
    NameSet allConsts_;
    NameSet allGlobals_;
    NameSet allProcedures_;
    model::KeyedMap<NameSet> procByRef_;
};

} // namespace quillon::analysis
