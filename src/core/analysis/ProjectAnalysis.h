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
    explicit ProjectAnalysis(const model::SourceReader& reader = model::SourceReader::standard());

    SymbolTable symbols;
    DependencyIndex dependencies;

    void prepareSymbolTables(const model::FileList& files) override;
    void beginPhase1() override;
    void registerApiDeclarations(const QString& filePath, const QStringList& lines) override;
    void registerEventHandler(const model::RoutinePtr& routine, const model::ProjectFile& file) override;
    void buildDependencyIndex(const model::RoutineList& allRoutines, model::Project& project) override;
    void findProgramStartup(const QString& projectPath) override;

private:
    const model::SourceReader* reader_;
};

} // namespace quillon::analysis
