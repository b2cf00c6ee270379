#include "analysis/ProjectAnalysis.h"

namespace quillon::analysis {

ProjectAnalysis::ProjectAnalysis(const model::SourceReader& reader) : reader_(&reader)
{
    dependencies.setReader(reader);
}

void ProjectAnalysis::prepareSymbolTables(const model::FileList& files)
{
    symbols.buildSymbolTables(files, *reader_);
}

void ProjectAnalysis::beginPhase1()
{
    dependencies.beginPhase1();
}

void ProjectAnalysis::registerApiDeclarations(const QString& filePath, const QStringList& lines)
{
    dependencies.registerApiDeclarations(filePath, &lines);
}

void ProjectAnalysis::registerEventHandler(const model::RoutinePtr& routine, const model::ProjectFile& file)
{
    dependencies.registerEventHandler(routine, file);
}

void ProjectAnalysis::buildDependencyIndex(const model::RoutineList& allRoutines, model::Project& project)
{
    dependencies.buildDependencyIndex(allRoutines, &project);
}

void ProjectAnalysis::findProgramStartup(const QString& projectPath)
{
    dependencies.findProgramStartup(projectPath);
}

} // namespace quillon::analysis
