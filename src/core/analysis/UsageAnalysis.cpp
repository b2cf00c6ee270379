#include "analysis/UsageAnalysis.h"

#include "analysis/FormLayoutReader.h"
#include "model/RoutineParser.h"
#include "model/SourceKind.h"
#include "model/SourceText.h"
#include "model/TextPrimitives.h"
#include "model/VbLineScanner.h"

#include <QHash>
#include <QRegularExpression>

namespace quillon::analysis {

using namespace quillon::model;

namespace {

// Upper-cased names of what raises events in one file with a module of its own: a form, a
// class, a user control, a property page, a user document or a designer.
QSet<QString> eventSources(const ProjectFile& file, const SourceReader& reader)
{
    QSet<QString> sources {
        QStringLiteral("FORM"), QStringLiteral("MDIFORM"), QStringLiteral("CLASS"), QStringLiteral("USERCONTROL")};
    const SourceKind kind = sourceKindOfType(file.fileType());
    if (isObjectFile(kind)) {
        for (QLatin1StringView word : objectWords())
            sources.insert(upperCase(QString(word)));
    }
    const Outcome<SourceFile> source = reader.read(file.filePath);
    if (!source)
        return sources;
    for (const QString& name : withEventsNames(source->lines))
        sources.insert(upperCase(name));
    // The members of an implemented interface are called through it, never by their own names.
    for (const QString& name : implementedInterfaces(source->lines))
        sources.insert(upperCase(name));
    if (isObjectFile(kind)) {
        // Their layout blocks are not all drawable (a designer's holds data objects), so the
        // names are taken from the block's Begin lines alone.
        sources += layoutObjectNames(source->lines, headerEndLine(kind, source->lines));
    }
    if (file.fileType() == QLatin1String("FRM")) {
        FormLayoutReader layoutReader(reader, nullptr);
        if (layoutReader.readFormLayoutLines(file.filePath, source->lines)) {
            for (const ControlRecord& control : layoutReader.layout().controls)
                sources.insert(upperCase(control.name));
            // Menu items are controls of the form as far as their Click events go.
            for (const MenuRecord& menu : layoutReader.layout().menus)
                sources.insert(upperCase(menu.name));
        }
    }
    return sources;
}

bool isRoot(const DependencyIndex& dep, const QString& key, const Routine& routine,
    const QHash<QString, const ProjectFile*>& fileByPath, const QHash<QString, QSet<QString>>& sourcesByPath)
{
    if (key == dep.startupKey() || dep.eventLabelMap().contains(key))
        return true;
    const QString path = upperCase(routine.filePath);
    const ProjectFile* file = fileByPath.value(path);
    if (!file)
        return false;
    // Public and Friend members of anything with instances of its own can be called from
    // outside the project's code: through late binding, by a host, by a component's client.
    if (isClassLike(sourceKindOfType(file->fileType())) && !routine.sigLineText.isEmpty()
        && !scopeAndKindText(routine.sigLineText).startsWith(QLatin1String("Private")))
        return true;
    const auto sources = sourcesByPath.constFind(path);
    return sources != sourcesByPath.constEnd() && handlesEventOf(routine.routineName, *sources);
}

} // namespace

QStringList withEventsNames(const QStringList& lines)
{
    static const QRegularExpression kWithEvents(QStringLiteral("(?:^|[\\s,])WithEvents\\s+([A-Za-z_][A-Za-z0-9_]*)"),
        QRegularExpression::CaseInsensitiveOption);
    QStringList names;
    for (const QString& line : lines) {
        if (indexOfUpper(line, QLatin1StringView("WITHEVENTS")) < 0)
            continue;
        // A WithEvents word inside a string or a comment declares nothing.
        const QString masked = maskForCallScan(line);
        auto matches = kWithEvents.globalMatch(masked);
        while (matches.hasNext())
            names << matches.next().captured(1);
    }
    return names;
}

QStringList implementedInterfaces(const QStringList& lines)
{
    static const QRegularExpression kImplements(
        QStringLiteral("^\\s*Implements\\s+(?:[A-Za-z_][A-Za-z0-9_]*\\.)?([A-Za-z_][A-Za-z0-9_]*)"),
        QRegularExpression::CaseInsensitiveOption);
    QStringList names;
    for (const QString& line : lines) {
        if (indexOfUpper(line, QLatin1StringView("IMPLEMENTS")) < 0)
            continue;
        const QRegularExpressionMatch match = kImplements.match(maskForCallScan(line));
        if (match.hasMatch())
            names << match.captured(1);
    }
    return names;
}

bool handlesEventOf(QStringView name, const QSet<QString>& sources)
{
    QStringView bare = trimBlanks(name);
    if (upperCase(bare).startsWith(upperCase(kEventHandlerPrefix)))
        bare = trimBlanks(bare.sliced(kEventHandlerPrefix.size()));
    const QString upper = upperCase(bare);
    // Names such as Form_Query_Unload: any underscore may end the source's name.
    for (qsizetype at = upper.indexOf(QLatin1Char('_')); at > 0 && at + 1 < upper.size();
         at = upper.indexOf(QLatin1Char('_'), at + 1)) {
        if (sources.contains(upper.left(at)))
            return true;
    }
    return false;
}

UnusedReport findUnused(const DependencyIndex& dep, const FileList& files, const SourceReader& reader)
{
    QHash<QString, const ProjectFile*> fileByPath;
    QHash<QString, QSet<QString>> sourcesByPath;
    for (const FilePtr& file : files) {
        const QString path = upperCase(file->filePath);
        fileByPath.insert(path, file.get());
        if (const SourceKind kind = sourceKindOfType(file->fileType()); kind == SourceKind::Form || isClassLike(kind))
            sourcesByPath.insert(path, eventSources(*file, reader));
    }
    QSet<QString> reached;
    QStringList pending;
    for (const auto& [key, routine] : dep.routineMap().entries()) {
        if (routine->kind != RoutineKind::Declarations && isRoot(dep, key, *routine, fileByPath, sourcesByPath))
            pending << key;
    }
    if (!dep.startupKey().isEmpty())
        pending << dep.startupKey();
    // A procedure called only from a property's Let or Set, or a Declare called only without its
    // type character, is used: deleting it would break the build.
    const DependencyIndex::HiddenCalls hidden = dep.hiddenCalls();
    while (!pending.isEmpty()) {
        const QString key = pending.takeLast();
        if (reached.contains(key))
            continue;
        reached.insert(key);
        if (const OrderedKeyList* callees = dep.callees(key))
            pending << callees->items();
        if (const auto more = hidden.callees.constFind(upperCase(key)); more != hidden.callees.cend())
            pending << more->values();
    }
    UnusedReport report;
    for (const auto& [key, routine] : dep.routineMap().entries()) {
        if (routine->kind == RoutineKind::Declarations)
            continue;
        ++report.procedures;
        report.procedureCodeLines += routine->codeLines;
        if (reached.contains(key))
            continue;
        report.routines.push_back(routine);
        report.unusedCodeLines += routine->codeLines;
    }
    // BitBlt and BitBlt& declare one function: a call of either uses both declarations.
    auto withoutType = [](const QString& name) { return upperCase(withoutTypeSuffix(name)); };
    QSet<QString> called;
    for (const QString& name : hidden.apiNames)
        called.insert(withoutType(name));
    for (const auto& [caller, names] : dep.apiCallMap().entries()) {
        for (const QString& name : names.items())
            called.insert(withoutType(name));
    }
    for (const auto& [name, declaration] : dep.apiDeclarationMap().entries()) {
        // The declaration reads "name|library|alias" with the name as declared.
        if (!called.contains(withoutType(name)))
            report.declarations.push_back({declaration.section(QLatin1Char('|'), 0, 0),
                declaration.section(QLatin1Char('|'), 1, 1), declaration.section(QLatin1Char('|'), 2, 2)});
    }
    return report;
}

QSet<QString> unusedKeys(const UnusedReport& report)
{
    QSet<QString> keys;
    for (const RoutinePtr& routine : report.routines)
        keys.insert(DependencyIndex::routineKey(*routine));
    return keys;
}

bool isUnusedEntry(const Routine& entry, const QSet<QString>& unusedKeys)
{
    if (entry.isDepPseudo) {
        // A report is named for its routine with "|Dep" after the name.
        QString name = trimBlanks(entry.routineName).toString();
        name.chop(name.endsWith(QLatin1String("|Dep"), Qt::CaseInsensitive) ? 4 : 0);
        return unusedKeys.contains(
            upperCase(trimBlanks(entry.moduleName)) + QLatin1Char('|') + upperCase(trimBlanks(name)));
    }
    return !isPseudoRoutine(entry) && unusedKeys.contains(DependencyIndex::routineKey(entry));
}

} // namespace quillon::analysis
