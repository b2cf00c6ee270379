#include "analysis/ProjectAnalysis.h"

namespace quillon::analysis {

namespace {
struct Findings : model::FileFindings {
    FileSymbols symbols;
    DependencyIndex::FileEntries entries;
};
} // namespace

ProjectAnalysis::ProjectAnalysis(const model::SourceReader& reader)
{
    dependencies.setReader(reader);
}

void ProjectAnalysis::beginLoad()
{
    symbols.clear();
}

void ProjectAnalysis::beginPhase1()
{
    dependencies.beginPhase1();
}

std::unique_ptr<model::FileFindings> ProjectAnalysis::scanFile(
    const model::ProjectFile& file, const QStringList& lines, const model::RoutineList& routines) const
{
    auto findings = std::make_unique<Findings>();
    findings->symbols = SymbolTable::scanLines(file.filePath, lines);
    findings->entries = DependencyIndex::scanFile(file, lines, routines);
    return findings;
}

void ProjectAnalysis::addFile(
    const model::ProjectFile& file, const QStringList& lines, std::unique_ptr<model::FileFindings> findings)
{
    auto* found = dynamic_cast<Findings*>(findings.get());
    if (!found)
        return; // not what this analysis's scanFile gave
    symbols.addFile(file.filePath, std::move(found->symbols));
    dependencies.addFile(file.filePath, lines, found->entries);
}

void ProjectAnalysis::endPhase1()
{
    symbols.merge();
}

void ProjectAnalysis::buildDependencyIndex(const model::RoutineList& allRoutines, model::Project& project)
{
    dependencies.buildDependencyIndex(allRoutines, &project, project.loadThreads());
}

void ProjectAnalysis::findProgramStartup(const QString& projectPath)
{
    dependencies.findProgramStartup(projectPath);
}

} // namespace quillon::analysis
