#include "analysis/ProjectAnalysis.h"

namespace quillon::analysis {

ProjectAnalysis::ProjectAnalysis(const model::SourceReader& reader) : reader_(&reader)
{
    dependencies.setReader(reader);
}

void ProjectAnalysis::PrepareSymbolTables(const model::FileList& files)
{
    symbols.BuildSymbolTables(files, *reader_);
}

void ProjectAnalysis::BeginPhase1()
{
    dependencies.BeginPhase1();
}

void ProjectAnalysis::RegisterApiDeclarations(const QString& filePath, const QStringList& lines)
{
    dependencies.RegisterApiDeclarations(filePath, &lines);
}

void ProjectAnalysis::RegisterEventHandler(const model::RoutinePtr& routine, const model::ProjectFile& file)
{
    dependencies.RegisterEventHandler(routine, file);
}

void ProjectAnalysis::BuildDependencyIndex(const model::RoutineList& allRoutines, model::Project& project)
{
    dependencies.BuildDependencyIndex(allRoutines, &project);
}

void ProjectAnalysis::FindProgramStartup(const QString& projectPath)
{
    dependencies.FindProgramStartup(projectPath);
}

} // namespace quillon::analysis
