#pragma once
#include "model/KeyedMap.h"
#include "model/Routine.h"
#include "model/SourceText.h"
#include "model/TextPrimitives.h"

#include <QHash>
#include <QSet>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

namespace quillon::model {
class Project;
}

namespace quillon::analysis {

// A list of distinct texts in order of first addition; "distinct" ignores case.
class OrderedKeyList {
public:
    bool append(const QString& text);
    const QStringList& items() const { return items_; }
    bool isEmpty() const { return items_.isEmpty(); }
    qsizetype size() const { return items_.size(); }

private:
    QStringList items_;
    // The items upper-cased: a list searched while it is short (most lists hold a few keys),
    // then a set.
    QStringList folded_;
    QSet<QString> seen_;
};

// The dependency index: which routine calls which, which declared API functions each calls,
// which routines are event handlers and the program's start-up routine. Keys are routine
// keys (module and name, upper-cased, joined by "|").
class DependencyIndex {
public:
    // Phase 1, per file: Declare statements, and event handlers of forms and classes.
    struct FileEntries {
        std::vector<std::pair<QString, QString>> declarations; // upper-cased name, "name|library|alias"
        std::vector<std::pair<QString, QString>> eventLabels; // routine key, label
    };
    // What one file gives the index; touches no index, so files can be scanned side by side.
    static FileEntries scanFile(
        const model::ProjectFile& file, const QStringList& lines, const model::RoutineList& routines);
    void beginPhase1();
    // In project order: the file's entries (the first of a name or key counts), and its lines for phase 2.
    void addFile(const QString& filePath, const QStringList& lines, const FileEntries& entries);

    // Phase 2: enters the indexed routines in project order and scans each for calls, on
    // `threads` threads (files phase 1 did not add are read first). Progress goes to the
    // project's status text when a project is given.
    void buildDependencyIndex(const model::RoutineList& routines, model::Project* project = nullptr, int threads = 1);

    void findProgramStartup(const QString& projectFilePath);

    // Queries.
    static QString routineKey(const model::Routine& routine) { return model::dependencyKey(&routine); }
    model::RoutinePtr routineFor(const QString& key) const;
    const OrderedKeyList* callees(const QString& key) const;
    const OrderedKeyList* callers(const QString& key) const;
    const OrderedKeyList* apiCalls(const QString& key) const;
    QString declarationText(const QString& apiName) const;
    bool isStartupRoutine(const model::Routine& routine) const;
    bool isEventHandler(const model::Routine& routine) const;
    QString eventLabelOf(const QString& key) const;
    const QString& startupKey() const { return startupKey_; }
    const QString& programStartMarker() const { return programStartMarker_; }

    // Containers in insertion order, for the command line's dump.
    const model::KeyedMap<model::RoutinePtr>& routineMap() const { return routineMap_; }
    const model::KeyedMap<OrderedKeyList>& callsMap() const { return calls_; }
    const model::KeyedMap<OrderedKeyList>& calledByMap() const { return calledBy_; }
    const model::KeyedMap<OrderedKeyList>& apiCallMap() const { return apiCalls_; }
    const model::KeyedMap<QString>& apiDeclarationMap() const { return apiDeclarations_; }
    const model::KeyedMap<QString>& eventLabelMap() const { return eventLabels_; }

    // The key of the routine a call candidate of a line in `moduleName` reaches, as the call scan
    // resolves it (the module's own routine first, else the first of that name); empty for none.
    QString calleeOf(const QString& moduleName, const QString& candidateUpper) const
    {
        return resolve(model::upperCase(model::trimBlanks(moduleName)), candidateUpper);
    }

    // The lines of a file the index read (by path as its routines give it); null for one it did not.
    const QStringList* fileLines(const QString& filePath) const
    {
        const auto found = fileLines_.constFind(filePath);
        return found == fileLines_.cend() ? nullptr : &*found;
    }

    // Routines that get an entry in the routine map.
    static bool isIndexedKind(const model::Routine& routine);

    void setReader(const model::SourceReader& reader) { reader_ = &reader; }

    // What the index's call scan does not see but a question of "is it used at all" must: a
    // function named inside an expression without parentheses ("If Not IsReady Then"), the
    // bodies of a property after the first (its Get, Let and Set share a key, and only the
    // first is scanned), a Declare whose name ends in a type character ("Declare Function
    // BitBlt& Lib", called as BitBlt). Every name in the code that names a routine counts here:
    // a variable that happens to share a routine's name can only keep that routine off the
    // unused list. Scanned on demand; the index's own lists stay as its scan made them.
    struct HiddenCalls {
        QHash<QString, QSet<QString>> callees; // upper-cased key -> keys it names
        QSet<QString> apiNames; // upper-cased declared names named anywhere
    };
    HiddenCalls hiddenCalls() const;

private:
    // The calls of one routine, in the order the scan meets them.
    struct RoutineCalls {
        OrderedKeyList callees; // keys
        QStringList apiNames;
    };
    void readMissingFiles(const model::RoutineList& routines);
    RoutineCalls scanRoutine(const model::Routine& routine) const;
    void addCalls(const QString& caller, RoutineCalls calls);
    void addHiddenCalls(const model::Routine& routine, HiddenCalls& hidden) const;
    QString resolve(const QString& moduleUpper, const QString& nameUpper) const;

    const model::SourceReader* reader_ = &model::SourceReader::standard();
    model::KeyedMap<model::RoutinePtr> routineMap_;
    QHash<QString, QString> firstKeyByName_; // upper-cased routine name -> first key in map order
    model::KeyedMap<OrderedKeyList> calls_;
    model::KeyedMap<OrderedKeyList> calledBy_;
    model::KeyedMap<QString> apiDeclarations_;
    // Declared names that end in a type character, upper-cased without it, to their keys.
    QHash<QString, QString> apiKeyWithoutType_;
    std::vector<model::RoutinePtr> otherBodies_; // property bodies after the first of their key
    model::KeyedMap<OrderedKeyList> apiCalls_;
    model::KeyedMap<QString> eventLabels_;
    QHash<QString, QStringList> fileLines_; // by path as the routines give it
    QString startupKey_;
    QString programStartMarker_;
};

// Masks a code line for the call scan: string contents and the trailing comment become
// blanks, every other character stays in place.
QString maskForCallScan(QStringView line);
// The candidate names of a masked line, upper-cased, distinct, in the order of the six passes.
QStringList callCandidates(QStringView masked);
// Parses a Declare statement: name, library and alias, or nothing.
struct ApiDeclaration {
    QString name;
    QString library;
    QString alias;
};
std::optional<ApiDeclaration> parseDeclareLine(QStringView line);

} // namespace quillon::analysis
