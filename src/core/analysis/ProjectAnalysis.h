#pragma once
#include "analysis/DependencyIndex.h"
#include "analysis/SymbolTable.h"
#include "model/ProjectLoader.h"

namespace quillon::analysis {

// The analysis of the open project, joined to File | Open: the symbol tables and the
// dependency index built through the loader's phases. One per loaded project, owned beside
// the Project.
class ProjectAnalysis : public model::ILoadAnalysis {
public:
    explicit ProjectAnalysis(const model::SourceReader& reader = model::SourceReader::standard());

    SymbolTable symbols;
    DependencyIndex dependencies;

    void beginLoad() override;
    void beginPhase1() override;
    std::unique_ptr<model::FileFindings> scanFile(
        const model::ProjectFile& file, const QStringList& lines, const model::RoutineList& routines) const override;
    void addFile(const model::ProjectFile& file, const QStringList& lines,
        std::unique_ptr<model::FileFindings> findings) override;
    void endPhase1() override;
    void buildDependencyIndex(const model::RoutineList& allRoutines, model::Project& project) override;
    void findProgramStartup(const QString& projectPath) override;
};

} // namespace quillon::analysis
