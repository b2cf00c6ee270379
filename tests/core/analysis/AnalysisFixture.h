#pragma once
#include "analysis/ProjectAnalysis.h"
#include "model/DiagLog.h"
#include "model/ProjectLoader.h"
#include "support/TestSupport.h"

#include <memory>

namespace quillon::test {

// A project written into a private folder and loaded with the analysis attached.
class LoadedProject {
public:
    LoadedProject() : reader(model::CodePage::standard(), &log), project(reader), analysis(reader) { project.analysis = &analysis; }
    // files: relative path -> lines (CR LF); the project file names them in this order.
    void load(const std::vector<std::pair<QString, QStringList>>& files, const QStringList& extraVbpLines = {})
    {
        QStringList vbp {"Type=Exe"};
        for (const auto& [path, lines] : files) {
            fx.writeLines(path, lines);
            const QString ext = model::upperCase(model::fileExtension(path));
            const QString entry = ext == QLatin1String("FRM") ? QString() : model::fileBaseName(path) + QStringLiteral("; ");
            vbp << (ext == QLatin1String("FRM") ? "Form=" : ext == QLatin1String("CLS") ? "Class=" : "Module=") + entry + path;
        }
        vbpPath = fx.writeLines(QStringLiteral("p.vbp"), vbp + extraVbpLines);
        project.openProject(vbpPath);
    }
    const analysis::DependencyIndex& dep() const { return analysis.dependencies; }
    model::RoutinePtr routineFor(const QString& key) const { return analysis.dependencies.routineFor(key); }

    Fixture fx;
    model::DiagLog log {QString()};
    model::SourceReader reader;
    model::Project project;
    analysis::ProjectAnalysis analysis;
    QString vbpPath;
};

// A module "name.bas" whose procedures are given as name -> body lines.
inline std::pair<QString, QStringList> module(
    const QString& name, const std::vector<std::pair<QString, QStringList>>& procedures, const QStringList& declarations = {})
{
    QStringList lines = QStringList {QStringLiteral("Attribute VB_Name = \"") + name + QLatin1Char('"')} + declarations;
    for (const auto& [proc, body] : procedures) {
        lines << QStringLiteral("Public Sub ") + proc + QStringLiteral("()");
        for (const QString& line : body)
            lines << QStringLiteral("    ") + line;
        lines << QStringLiteral("End Sub");
    }
    return {name + QStringLiteral(".bas"), lines};
}

} // namespace quillon::test
