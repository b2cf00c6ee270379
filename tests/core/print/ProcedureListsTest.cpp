#include "core/analysis/AnalysisFixture.h"
#include "platform/MessageBox.h"
#include "print/ProcedureLists.h"

#include <gtest/gtest.h>

using namespace quillon::print;

namespace {

QStringList Texts(const std::vector<ListRow>& rows, bool selectedOnly = false)
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
    quillon::platform::ScriptedMessageBox box;
    std::unique_ptr<ProcedureLists> lists;
    Lists()
    {
        p.Load({quillon::test::Module("modA", {{"Main", {"Helper"}}, {"Helper", {}}}),
                {"clsP.cls", {"Attribute VB_Name = \"clsP\"", "Public Property Get Size() As Long", "End Property",
                              "Public Property Let Size(v As Long)", "End Property"}}});
        lists = std::make_unique<ProcedureLists>(p.project, &p.dep(), &box, p.reader);
    }
    QString LastMessage() const { return box.shown.empty() ? QString() : box.shown.back().text; }
};

TEST(ProcedureListsTest, TheProcedureListFromTheSelectedFilesTheQueueFromTheSecondSelectionAndDependencyReports)
{
    Lists l;
    EXPECT_EQ(l.lists->FillProcedures(), 0) << "no file selected";
    EXPECT_EQ(l.LastMessage(), QStringLiteral("No procedures found for the selected modules."));
    EXPECT_EQ(l.lists->BuildQueue(), 0);
    EXPECT_EQ(l.LastMessage(), QStringLiteral("No procedures have been loaded. Select modules first."));
    l.lists->FileSelected = {true, true}; // modA.bas, clsP.cls
    l.lists->AggregateMode = 2;
    EXPECT_EQ(l.lists->FillProcedures(), 5);
    EXPECT_EQ(Texts(l.lists->Procedures),
              (QStringList{"modA.bas|Public Sub Declarations", "modA.bas|Public Sub Main", "modA.bas|Public Sub Helper",
                           "clsP.cls|Public Property Get Size", "clsP.cls|Public Property Let Size",
                           "clsP.cls|Public Sub Let_Set_Get Properties (All)"}));
    EXPECT_EQ(l.lists->StatusLine, QStringLiteral("5 procedures added to the procedures list."));
    EXPECT_EQ(l.lists->Procedures[1].routine.get(), l.p.routineFor("MODA|MAIN").get()) << "the load's own records, shared";

    l.lists->Procedures[1].selected = true;
    EXPECT_EQ(l.lists->BuildQueue(), 1);
    l.lists->Procedures[1].selected = false;
    l.lists->Procedures[2].selected = true;
    EXPECT_EQ(l.lists->BuildQueue(), 1);
    EXPECT_EQ(std::tuple(Texts(l.lists->Queue, true), l.lists->SendEnabled, l.lists->StatusLine),
              std::tuple(QStringList{"modA.bas|Public Sub Helper"}, true, "1 procedure added to the print queue."));
    l.lists->Procedures[2].selected = false;
    EXPECT_EQ(l.lists->BuildQueue(), 0);
    EXPECT_EQ(std::tuple(l.lists->Queue.empty(), l.lists->SendEnabled, l.LastMessage()),
              std::tuple(true, false, "No procedures were added to the print queue."));

    // Dependency reports come and go.
    l.lists->IncludeAllFiles = true;
    l.lists->FillProcedures();
    for (ListRow& row : l.lists->Procedures)
        row.selected = true;
    l.lists->BuildQueue();
    l.lists->KeepOnlyDependencyReports();
    EXPECT_TRUE(Texts(l.lists->Queue, true).isEmpty()) << "no reports: nothing stays selected";

    l.lists->SetDependencyReports(true);
    l.lists->SetDependencyReports(true);
    // The Property Let shares its key with the Get, which the index holds: it gets no report.
    EXPECT_EQ(Texts(l.lists->Procedures).filter("|Dep"), (QStringList{"modA.bas|Public Sub Main|Dep", "modA.bas|Public Sub Helper|Dep",
                                                                      "clsP.cls|Public Property Get Size|Dep"}));
    EXPECT_EQ(Texts(l.lists->Queue).filter("|Dep"), (QStringList{"clsP.cls|Public Property Get Size|Dep", "modA.bas|Public Sub Helper|Dep",
                                                                 "modA.bas|Public Sub Main|Dep"}))
        << "the queue adds them walking backwards";
    l.lists->KeepOnlyDependencyReports();
    EXPECT_EQ(Texts(l.lists->Queue, true).size(), 3);
    l.lists->BuildQueue(); // with the reports on, a new queue gets them too, selected
    EXPECT_EQ(Texts(l.lists->Queue, true).filter("|Dep").size(), 3);
    l.lists->SetDependencyReports(false);
    EXPECT_TRUE(Texts(l.lists->Queue).filter("|Dep").isEmpty());
    EXPECT_TRUE(Texts(l.lists->Procedures).filter("|Dep").isEmpty());
}

} // namespace
