#include "analysis/UsageAnalysis.h"
#include "core/analysis/AnalysisFixture.h"

#include <gtest/gtest.h>

#include <random>

using namespace quillon::analysis;
using quillon::test::LoadedProject;

namespace {

TEST(UsageAnalysis, EventSourcesAreMatchedAtAnyUnderscoreAndWithEventsOutsideStrings)
{
    const QSet<QString> sources {"FORM", "TXT_NAME", "MITEM"};
    const struct {
        const char* name;
        bool handler;
    } names[] = {{"Form_Query_Unload", true}, {"Event Handler:form_Load", true}, {"txt_Name_Change", true}, {"mItem_Changed", true}, {"Txt_Change", false},
        {"FormX_Load", false}, {"Form_", false}, {"_Form_Load", false}, {"Helper", false}};
    for (const auto& n : names)
        EXPECT_EQ(handlesEventOf(QString::fromLatin1(n.name), sources), n.handler) << n.name;
    EXPECT_EQ(withEventsNames({"Private WithEvents mItem As clsItem", "Dim WithEvents a As X, WithEvents b As Y", "s = \"WithEvents fake\" ' WithEvents gone",
                  "Dim noWithEvents As Long"}),
        QStringList({"mItem", "a", "b"}));
    EXPECT_EQ(implementedInterfaces({"Implements IPlugin", "  implements Lib.IFontPage ' why", "'Implements Gone", "s = \"Implements X\"",
                  "Private Sub IPlugin_Start()", "Dim ImplementsCount As Long"}),
        QStringList({"IPlugin", "IFontPage"}));
}

// Random call graphs: the unused procedures are exactly those that no root reaches through the
// calls the sources were written with, and none of them has a caller outside their own set.
TEST(UsageAnalysis, UnusedIsWhatNoRootReachesInRandomCallGraphs)
{
    constexpr int kModules = 3, kPerModule = 12, kClassPublic = 2, kClassPrivate = 2;
    for (const unsigned seed : {1u, 2u, 3u, 4u, 5u, 6u}) {
        SCOPED_TRACE(seed);
        std::mt19937 random(seed);
        // Module procedures Pm<m>n<i>, the start-up Main, and a class whose public procedures
        // are roots and whose private ones are reached by nothing.
        QStringList procs;
        for (int m = 0; m < kModules; ++m) {
            for (int i = 0; i < kPerModule; ++i)
                procs << QString("Pm%1n%2").arg(m).arg(i);
        }
        auto someCalls = [&](int most) {
            QStringList calls;
            for (int k = int(random() % unsigned(most + 1)); k > 0; --k)
                calls << procs[int(random() % unsigned(procs.size()))];
            return calls;
        };
        QHash<QString, QStringList> callsOf; // upper-cased key -> callee keys
        std::vector<std::pair<QString, QStringList>> files;
        for (int m = 0; m < kModules; ++m) {
            std::vector<std::pair<QString, QStringList>> bodies;
            if (m == 0)
                bodies.push_back({"Main", someCalls(2)});
            for (int i = 0; i < kPerModule; ++i)
                bodies.push_back({procs[m * kPerModule + i], someCalls(3)});
            const QString module = QString("mod%1").arg(m);
            for (const auto& [name, body] : bodies) {
                for (const QString& callee : body)
                    callsOf[(module + '|' + name).toUpper()] << QString("MOD%1|%2").arg(procs.indexOf(callee) / kPerModule).arg(callee.toUpper());
            }
            files.push_back(quillon::test::module(module, bodies));
        }
        QStringList cls {"VERSION 1.0 CLASS", "BEGIN", "  MultiUse = -1", "END", "Attribute VB_Name = \"clsK\""};
        QStringList roots {"MOD0|MAIN"};
        for (int c = 0; c < kClassPublic + kClassPrivate; ++c) {
            const bool isPublic = c < kClassPublic;
            const QString name = QString(isPublic ? "Cpub%1" : "Cpriv%1").arg(c);
            cls << (isPublic ? "Public Sub " : "Private Sub ") + name + "()";
            for (const QString& callee : someCalls(3)) {
                cls << "    " + callee;
                callsOf["CLSK|" + name.toUpper()] << QString("MOD%1|%2").arg(procs.indexOf(callee) / kPerModule).arg(callee.toUpper());
            }
            cls << "End Sub";
            if (isPublic)
                roots << "CLSK|" + name.toUpper();
        }
        files.push_back({"clsK.cls", cls});
        LoadedProject p;
        p.load(files, {"Startup=\"Sub Main\""});
        QSet<QString> reached;
        for (QStringList pending = roots; !pending.isEmpty();) {
            const QString key = pending.takeLast();
            if (!reached.contains(key)) {
                reached.insert(key);
                pending << callsOf.value(key);
            }
        }
        QSet<QString> expected;
        for (const auto& [key, routine] : p.dep().routineMap().entries()) {
            if (routine->kind != quillon::model::RoutineKind::Declarations && !reached.contains(key))
                expected.insert(key);
        }
        const QSet<QString> unused = unusedKeys(findUnused(p.dep(), p.project.projectFileList, p.reader));
        EXPECT_EQ(unused, expected);
        EXPECT_GT(unused.size(), kClassPrivate); // the graphs leave something besides the class's private part
        for (const QString& key : unused) {
            const auto* callers = p.dep().callers(key);
            for (const QString& caller : callers ? callers->items() : QStringList())
                EXPECT_TRUE(unused.contains(caller)) << qPrintable(caller + " calls " + key);
        }
    }
}

} // namespace
