// Reading and analysing at scale: megabyte lines, hundreds of thousands of continued lines or
// names, deep nesting, tens of thousands of routines and wide call fan-outs, through the
// routine splitter, the loop brackets, the symbol scan, the dependency index and the report.
//
//   quillon_bench_analysis_scale
//
// Prints what each step produced and how long it took; a result that is not what the step
// must produce is reported and makes the exit status 1.
#include "analysis/DependencyReport.h"
#include "analysis/LoopBrackets.h"
#include "analysis/ProjectAnalysis.h"
#include "analysis/SymbolTable.h"
#include "model/DiagLog.h"
#include "model/ProjectLoader.h"
#include "model/RoutineParser.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

using namespace quillon;

namespace {

QTemporaryDir* gFolder = nullptr;
bool gAllRight = true;

// Runs one step, prints its figures and remembers a wrong result.
template <class Step>
void measure(const char* what, Step step)
{
    QElapsedTimer timer;
    timer.start();
    const QString result = step();
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    const bool ok = !result.startsWith(QLatin1String("WRONG"));
    gAllRight = gAllRight && ok;
    std::printf("%-58s %8.3f s  %s\n", what, seconds, qPrintable(result));
}

QString write(const QString& name, const QByteArray& bytes)
{
    QFile file(gFolder->filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return QString();
    return file.fileName();
}

QString check(bool ok, const QString& figures)
{
    return (ok ? QString() : QStringLiteral("WRONG: ")) + figures;
}

// A project of one module loaded with the analysis attached.
struct Loaded {
    model::DiagLog log {QString()};
    model::SourceReader reader {model::CodePage::standard(), &log};
    model::Project project {reader};
    analysis::ProjectAnalysis analysis {reader};
    explicit Loaded(const QStringList& lines)
    {
        QByteArray bytes;
        for (const QString& line : lines)
            bytes += line.toLatin1() + "\r\n";
        write(QStringLiteral("modBig.bas"), bytes);
        project.analysis = &analysis;
        project.openProject(write(QStringLiteral("p.vbp"), "Type=Exe\r\nModule=modBig; modBig.bas\r\n"));
    }
    // The texts of the report's lines.
    QStringList report(const QString& key) const
    {
        QStringList texts;
        for (const model::ListingLine& line : analysis::DependencyReporter(analysis.dependencies, 4)
                                                  .buildDependencyReport(*analysis.dependencies.routineFor(key))
                                                  .lines)
            texts << line.text;
        return texts;
    }
};

QString blanks(int n)
{
    return QString(n, QLatin1Char(' '));
}

// A bracket line of this text with one connector of this kind, in its first two columns.
bool bracketed(const model::ListingLine& line, const QString& text, model::ListingMark kind)
{
    return line.text == text && line.connectors == std::vector<model::Connector> {{0, kind}};
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    gFolder = &folder;

    measure("split: a 6 MB line and 40,000 more", [] {
        QByteArray huge = "Sub A()\r\nPublic" + QByteArray(6 * 1024 * 1024, ' ') + "Sub B()\r\n";
        for (int i = 0; i < 40000; ++i)
            huge += "x = 1\r\n";
        const model::RoutineList routines = model::splitFileIntoRoutines(write(QStringLiteral("huge.bas"), huge));
        const bool ok = routines.size() == 2 && routines[1]->routineName == QLatin1String("B")
            && routines[1]->endLine == 40002 && routines[1]->codeLines == 40001;
        return check(ok, QStringLiteral("%1 routines").arg(routines.size()));
    });

    measure("brackets: 300 nested If blocks", [] {
        QStringList lines;
        for (int k = 0; k < 300; ++k)
            lines << blanks(2 * k) + QStringLiteral("If a Then");
        for (int k = 299; k >= 0; --k)
            lines << blanks(2 * k) + QStringLiteral("End If");
        const std::vector<model::ListingLine> listing = analysis::buildBracketListing(lines, 1, int(lines.size()));
        // 20 blocks tracked: the 20 innermost End Ifs pair with them, the other 280 are reported.
        const bool ok = listing.size() == 600 + 280
            && bracketed(listing[319], QStringLiteral("  End If"), model::ListingMark::Last);
        return check(ok, QStringLiteral("%1 listing lines").arg(listing.size()));
    });

    measure("brackets: a 2 MB line and 100,000 continued lines", [] {
        const QString huge =
            QStringLiteral("    x = \"") + QString(2 * 1024 * 1024, QLatin1Char('a')) + QStringLiteral("\"");
        QStringList lines = {"  Do", huge};
        for (int k = 0; k < 100000; ++k)
            lines << QStringLiteral("      a = a + 1 + _");
        lines << QStringLiteral("      0") << QStringLiteral("  Loop");
        const std::vector<model::ListingLine> listing = analysis::buildBracketListing(lines, 1, int(lines.size()));
        const bool ok = listing.size() == size_t(lines.size())
            && bracketed(listing[1], huge, model::ListingMark::Vertical)
            && bracketed(listing.back(), QStringLiteral("  Loop"), model::ListingMark::Last);
        return check(ok, QStringLiteral("%1 listing lines").arg(listing.size()));
    });

    measure("brackets: an opener 2 MB to the right, 5,000 Cases", [] {
        const int indent = 2 * 1024 * 1024;
        QStringList lines = {blanks(indent) + QStringLiteral("Select Case x")};
        for (int k = 0; k < 5000; ++k)
            lines << QStringLiteral("Case 1");
        lines << QStringLiteral("End Select");
        const std::vector<model::ListingLine> listing = analysis::buildBracketListing(lines, 1, int(lines.size()));
        qsizetype total = 0;
        for (const model::ListingLine& line : listing)
            total += line.text.size();
        const bool ok =
            listing.size() == size_t(lines.size()) && total < 3 * indent + 5000 * (analysis::kMaxBracketColumn + 20);
        return check(ok, QStringLiteral("%1 characters out").arg(total));
    });

    measure("symbols: 2 MB lines of names, blanks, keywords, commas", [] {
        QString items = QStringLiteral("Dim v0");
        for (int i = 1; i < 200000; ++i)
            items += QStringLiteral(", v") + QString::number(i);
        const QString twoMegabytes(2 * 1024 * 1024, QLatin1Char(' '));
        analysis::SymbolTable symbols;
        symbols.scanFileSymbolLines(QStringLiteral("m.bas"),
            {items, "Dim" + twoMegabytes + "spaced", QStringLiteral("Public ").repeated(300000) + "Const Deep = 1",
                "Private Const C = \"" + QString(2 * 1024 * 1024, QLatin1Char(',')) + "\"", "' _",
                QString(2 * 1024 * 1024, QLatin1Char('x')),
                "Sub Wide(" + QStringLiteral("ByRef w, ").repeated(200000) + ")"});
        const auto* moduleVariables = symbols.fileModVars().find(QStringLiteral("m.bas"));
        const auto* consts = symbols.fileConsts().find(QStringLiteral("m.bas"));
        const auto* wide = symbols.procByRef().find(QStringLiteral("M.BAS|WIDE"));
        const bool ok = moduleVariables && moduleVariables->size() == 200001 && consts && consts->size() == 2 && wide
            && wide->size() == 1
            && !analysis::isProcedureReference(twoMegabytes + "Foo" + twoMegabytes + "=", int(twoMegabytes.size()) + 1,
                int(twoMegabytes.size()) + 3, QString());
        return check(ok, QStringLiteral("%1 module variables").arg(moduleVariables ? moduleVariables->size() : 0));
    });

    measure("symbols: 200,000 continued lines and headers", [] {
        const int n = 200000;
        QStringList lines {"Dim " + QStringLiteral("v,  ").repeated(n) + "last", "Public Const H0 = 0, _"};
        for (int i = 1; i < n; ++i)
            lines << QStringLiteral("H%1 = %1, _").arg(i);
        lines << "Z = 1";
        for (int i = 0; i < n; ++i)
            lines << QStringLiteral("Sub P%1(ByRef a, _").arg(i) << QStringLiteral("  ByRef  b)");
        lines << "Sub Wide(" + QStringLiteral("ByRef  w,  ").repeated(n) + ")";
        analysis::SymbolTable symbols;
        symbols.scanFileSymbolLines(QStringLiteral("m.bas"), lines);
        const auto* consts = symbols.fileConsts().find(QStringLiteral("m.bas"));
        const auto* procs = symbols.fileProcedures().find(QStringLiteral("m.bas"));
        const auto* last = symbols.procByRef().find(QStringLiteral("M.BAS|P199999"));
        const bool ok =
            consts && consts->size() == n + 1 && procs && procs->size() == n + 1 && last && last->size() == 2;
        return check(ok,
            QStringLiteral("%1 constants, %2 procedures")
                .arg(consts ? consts->size() : 0)
                .arg(procs ? procs->size() : 0));
    });

    measure("dependencies: 20,000 routines in a chain and a 2 MB line", [] {
        QStringList lines {"Attribute VB_Name = \"modBig\""};
        for (int i = 0; i < 20000; ++i)
            lines << QStringLiteral("Sub P%1()").arg(i) << QStringLiteral("    P%1").arg(i + 1)
                  << QStringLiteral("End Sub");
        lines << "Sub Wide()" << QStringLiteral("    x = ") + QString(2 * 1024 * 1024, QLatin1Char('(')) << "End Sub";
        const Loaded p(lines);
        const auto& dep = p.analysis.dependencies;
        const bool ok = dep.routineMap().size() == 20002 && dep.callees(QStringLiteral("MODBIG|P19998"))
            && dep.callees(QStringLiteral("MODBIG|P19998"))->items() == QStringList {"MODBIG|P19999"}
            && !dep.callees(QStringLiteral("MODBIG|P19999"));
        return check(ok, QStringLiteral("%1 routines indexed").arg(dep.routineMap().size()));
    });

    measure("report: a hub calling 10,000 and a ring of 500", [] {
        QStringList calls, lines {"Attribute VB_Name = \"modBig\""};
        for (int i = 0; i < 10000; ++i)
            calls << QStringLiteral("    Q%1").arg(i);
        lines << "Sub Hub()" << calls << "End Sub";
        for (int i = 0; i < 10000; ++i)
            lines << QStringLiteral("Sub Q%1()").arg(i) << "End Sub";
        for (int i = 0; i < 500; ++i)
            lines << QStringLiteral("Sub Z%1()").arg(i) << QStringLiteral("    Z%1").arg((i + 1) % 500) << "    Hub"
                  << "End Sub";
        const Loaded p(lines);
        const QStringList hub = p.report(QStringLiteral("MODBIG|HUB"));
        const QStringList ring = p.report(QStringLiteral("MODBIG|Z0"));
        // Upwards the ring runs 40 levels deep and is cut; downwards too, while the hub, a
        // sibling of Z1, is expanded once at level 1 with its 10,000 callees.
        const bool ok = hub.filter(QStringLiteral("Public Sub Q")).size() == 10000
            && ring.filter(QStringLiteral("[Chain truncated at 40 levels]")).size() == 2
            && ring.filter(QStringLiteral("Public Sub Q")).size() == 10000 && ring.size() < 10000 + 100;
        return check(ok, QStringLiteral("%1 and %2 report lines").arg(hub.size()).arg(ring.size()));
    });

    return gAllRight ? 0 : 1;
}
