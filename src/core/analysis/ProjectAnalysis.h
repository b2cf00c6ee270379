#pragma once
#include "analysis/DependencyIndex.h"
#include "analysis/SymbolTable.h"
#include "model/ProjectLoader.h"

namespace quillon::analysis {

// The analysis of the open project, joined to File | Open: the symbol tables built before
// phase 1 and the dependency index built through the loader's phases. One per loaded
// project, owned beside the Project.
class ProjectAnalysis : public model::ILoadAnalysis {
public:
    explicit ProjectAnalysis(const model::SourceReader& reader = model::SourceReader::Default());

    SymbolTable symbols;
    DependencyIndex dependencies;

    void PrepareSymbolTables(const model::FileList& files) override;
    void BeginPhase1() override;
    void RegisterApiDeclarations(const QString& filePath, const QStringList& lines) override;
    void RegisterEventHandler(const model::RoutinePtr& routine, const model::ProjectFile& file) override;
    void BuildDependencyIndex(const model::RoutineList& allRoutines, model::Project& project) override;
    void FindProgramStartup(const QString& projectPath) override;

private:
    const model::SourceReader* reader_;
};

} // namespace quillon::analysis
