#include "formimage/ProjectPrintConfig.h"

#include "analysis/ProjectAnalysis.h"
#include "config/Options.h"
#include "config/PageSetup.h"
#include "formimage/FormImagePrinter.h"
#include "model/DiagLog.h"
#include "model/ProjectLoader.h"
#include "model/TextPrimitives.h"
#include "print/Navigation.h"
#include "print/PrintRun.h"
#include "print/TableOfContents.h"

#include <QHash>

namespace quillon::formimage {

using namespace quillon::model;

print::PrintRunConfig projectPrintConfig(ProjectPrintParts parts)
{
    const Project& project = parts.project;
    const SourceReader& reader = project.reader();
    print::PrintRunConfig run(
        parts.surface, parts.setup, parts.options, parts.warnings, parts.messages, &DiagLog::standard());
    run.environment = std::move(parts.environment);
    run.index = &parts.analysis.dependencies;
    run.symbols = &parts.analysis.symbols;
    run.reader = &reader;
    run.loaded = &project.routinesByFile;
    auto byKey = std::make_shared<QHash<QString, RoutinePtr>>();
    for (const auto& [path, routines] : project.routinesByFile.entries()) {
        for (const RoutinePtr& routine : routines)
            byKey->insert(routine->uniqueKey, routine);
    }
    run.findRoutine = [byKey](const QString& key) { return byKey->value(key); };
    run.projectName = fileBaseName(project.projectPath);
    run.documentInfo = print::documentInfoFor(run.projectName, fileNameOf(project.projectPath), QDateTime());
    run.brackets = parts.options.boolean(config::opt::Brackets);
    run.tabWidth = parts.setup.tabWidthSetting;
    run.gdiSpoolSize = parts.options.integer(config::opt::GDISpoolSize);
    run.formImages = std::make_shared<FormImagePrinter>(
        parts.setup, parts.options, reader, &parts.messages, std::move(parts.otherPrinter));
    if (parts.history && parts.history->isOpen())
        run.history = std::make_shared<print::TocListHistory>(*parts.history);
    return run;
}

} // namespace quillon::formimage
