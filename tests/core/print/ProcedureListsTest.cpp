#include "print/ProcedureLists.h"
#include "core/analysis/AnalysisFixture.h"
#include "platform/MessageBox.h"
#include "support/ScriptedMessageBox.h"

#include <gtest/gtest.h>

using namespace quillon::print;

namespace {

QStringList texts(const std::vector<ListRow>& rows, bool selectedOnly = false)
{
    QStringList out;
    for (const ListRow& row : rows) {
        if (!selectedOnly || row.selected)
            out << row.text;
    }
    return out;
}

struct Lists {
    quillon::test::LoadedProject p;
    quillon::test::ScriptedMessageBox box;
    std::unique_ptr<ProcedureLists> lists;
    Lists()
    {
        p.load({quillon::test::module("modA", {{"Main", {"Helper"}}, {"Helper", {}}}),
            {"clsP.cls",
                {"Attribute VB_Name = \"clsP\"", "Public Property Get Size() As Long", "End Property", "Public Property Let Size(v As Long)",
                    "End Property"}}});
        lists = std::make_unique<ProcedureLists>(p.project, &p.dep(), &box, p.reader);
    }
    QString lastMessage() const { return box.shown.empty() ? QString() : box.shown.back().text; }
};

TEST(ProcedureListsTest, TheProcedureListFromTheSelectedFilesTheQueueFromTheSecondSelectionAndDependencyReports)
{
    Lists l;
    EXPECT_EQ(l.lists->fillProcedures(), 0) << "no file selected";
    EXPECT_EQ(l.lastMessage(), QStringLiteral("No procedures found for the selected modules."));
    EXPECT_EQ(l.lists->buildQueue(), 0);
    EXPECT_EQ(l.lastMessage(), QStringLiteral("No procedures have been loaded. Select modules first."));
    l.lists->fileSelected = {true, true}; // modA.bas, clsP.cls
    l.lists->aggregateMode = quillon::model::AggregateMode::AllProperties;
    EXPECT_EQ(l.lists->fillProcedures(), 5);
    EXPECT_EQ(texts(l.lists->procedures),
        (QStringList {"modA.bas|Public Sub Declarations", "modA.bas|Public Sub Main", "modA.bas|Public Sub Helper", "clsP.cls|Public Property Get Size",
            "clsP.cls|Public Property Let Size", "clsP.cls|Public Sub Let_Set_Get Properties (All)"}));
    EXPECT_EQ(l.lists->statusLine, QStringLiteral("5 procedures added to the procedures list."));
    EXPECT_EQ(l.lists->procedures[1].routine.get(), l.p.routineFor("MODA|MAIN").get()) << "the load's own records, shared";

    l.lists->procedures[1].selected = true;
    EXPECT_EQ(l.lists->buildQueue(), 1);
    l.lists->procedures[1].selected = false;
    l.lists->procedures[2].selected = true;
    EXPECT_EQ(l.lists->buildQueue(), 1);
    EXPECT_EQ(std::tuple(texts(l.lists->queue, true), l.lists->sendEnabled, l.lists->statusLine),
        std::tuple(QStringList {"modA.bas|Public Sub Helper"}, true, "1 procedure added to the print queue."));
    l.lists->procedures[2].selected = false;
    EXPECT_EQ(l.lists->buildQueue(), 0);
    EXPECT_EQ(
        std::tuple(l.lists->queue.empty(), l.lists->sendEnabled, l.lastMessage()), std::tuple(true, false, "No procedures were added to the print queue."));

    // Dependency reports come and go.
    l.lists->includeAllFiles = true;
    l.lists->fillProcedures();
    for (ListRow& row : l.lists->procedures)
        row.selected = true;
    l.lists->buildQueue();
    l.lists->keepOnlyDependencyReports();
    EXPECT_TRUE(texts(l.lists->queue, true).isEmpty()) << "no reports: nothing stays selected";

    l.lists->setDependencyReports(true);
    l.lists->setDependencyReports(true);
    // The Property Let shares its key with the Get, which the index holds: it gets no report.
    EXPECT_EQ(texts(l.lists->procedures).filter("|Dep"),
        (QStringList {"modA.bas|Public Sub Main|Dep", "modA.bas|Public Sub Helper|Dep", "clsP.cls|Public Property Get Size|Dep"}));
    EXPECT_EQ(texts(l.lists->queue).filter("|Dep"),
        (QStringList {"clsP.cls|Public Property Get Size|Dep", "modA.bas|Public Sub Helper|Dep", "modA.bas|Public Sub Main|Dep"}))
        << "the queue adds them walking backwards";
    l.lists->keepOnlyDependencyReports();
    EXPECT_EQ(texts(l.lists->queue, true).size(), 3);
    l.lists->buildQueue(); // with the reports on, a new queue gets them too, selected
    EXPECT_EQ(texts(l.lists->queue, true).filter("|Dep").size(), 3);
    l.lists->setDependencyReports(false);
    EXPECT_TRUE(texts(l.lists->queue).filter("|Dep").isEmpty());
    EXPECT_TRUE(texts(l.lists->procedures).filter("|Dep").isEmpty());
}

} // namespace
