#pragma once
#include "model/KeyedMap.h"
#include "model/Routine.h"
#include "model/SourceText.h"

#include <QHash>
#include <QSet>
#include <QStringList>

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
    QSet<QString> seen_; // upper-cased
};

// The dependency index: which routine calls which, which declared API functions each calls,
// which routines are event handlers and the program's start-up routine. Keys are routine
// keys (module and name, upper-cased, joined by "|").
class DependencyIndex {
public:
    // Phase 1, per file: Declare statements, and event handlers of forms and classes.
    void BeginPhase1();
    void RegisterApiDeclarations(const QString& filePath, const QStringList* knownLines = nullptr);
    void RegisterEventHandler(const model::RoutinePtr& routine, const model::ProjectFile& file);

    // Phase 2: enters the indexed routines in project order and scans each for calls.
    // Progress goes to the project's status text when a project is given.
    void BuildDependencyIndex(const model::RoutineList& routines, model::Project* project = nullptr);

    void FindProgramStartup(const QString& projectFilePath);

    // Queries.
    static QString RoutineKey(const model::Routine& routine) { return model::DependencyKey(&routine); }
    model::RoutinePtr RoutineFor(const QString& key) const;
    const OrderedKeyList* Callees(const QString& key) const;
    const OrderedKeyList* Callers(const QString& key) const;
    const OrderedKeyList* ApiCalls(const QString& key) const;
    QString DeclarationText(const QString& apiName) const;
    bool IsStartupRoutine(const model::Routine& routine) const;
    bool IsEventHandler(const model::Routine& routine) const;
    QString EventLabelOf(const QString& key) const;
    const QString& StartupKey() const { return startupKey_; }
    const QString& ProgramStartMarker() const { return programStartMarker_; }

    // Containers in insertion order, for the command line's dump.
    const model::KeyedMap<model::RoutinePtr>& RoutineMap() const { return routineMap_; }
    const model::KeyedMap<OrderedKeyList>& CallsMap() const { return calls_; }
    const model::KeyedMap<OrderedKeyList>& CalledByMap() const { return calledBy_; }
    const model::KeyedMap<OrderedKeyList>& ApiCallMap() const { return apiCalls_; }
    const model::KeyedMap<QString>& ApiDeclarationMap() const { return apiDeclarations_; }
    const model::KeyedMap<QString>& EventLabelMap() const { return eventLabels_; }

    // Routines that get an entry in the routine map.
    static bool IsIndexedKind(const model::Routine& routine);

    void setReader(const model::SourceReader& reader) { reader_ = &reader; }

private:
    const QStringList& FileLines(const QString& path);
    void ScanRoutine(const model::RoutinePtr& routine);
    QString Resolve(const QString& moduleUpper, const QString& nameUpper) const;
    void AddEdge(const QString& caller, const QString& callee);

    const model::SourceReader* reader_ = &model::SourceReader::Default();
    model::KeyedMap<model::RoutinePtr> routineMap_;
    QHash<QString, QString> firstKeyByName_; // upper-cased routine name -> first key in map order
    model::KeyedMap<OrderedKeyList> calls_;
    model::KeyedMap<OrderedKeyList> calledBy_;
    model::KeyedMap<QString> apiDeclarations_;
    model::KeyedMap<OrderedKeyList> apiCalls_;
    model::KeyedMap<QString> eventLabels_;
    QHash<QString, QStringList> fileLineCache_;
    QString startupKey_;
    QString programStartMarker_;
};

// Masks a code line for the call scan: string contents and the trailing comment become
// blanks, every other character stays in place.
QString MaskForCallScan(QStringView line);
// The candidate names of a masked line, upper-cased, distinct, in the order of the five passes.
QStringList CallCandidates(QStringView masked);
// Parses a Declare statement: name, library and alias, or nothing.
struct ApiDeclaration {
    QString name;
    QString library;
    QString alias;
};
std::optional<ApiDeclaration> ParseDeclareLine(QStringView line);

} // namespace quillon::analysis
