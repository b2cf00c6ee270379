#include "analysis/DependencyReport.h"
#include "config/Options.h"
#include "config/ZrkMsgBox.h"
#include "core/analysis/AnalysisFixture.h"
#include "platform/MessageBox.h"
#include "platform/PrinterDefaults.h"
#include "platform/RecordingPrintSurface.h"
#include "print/PrintRun.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace quillon::print;
using quillon::test::LoadedProject;
using quillon::test::Module;
using Op = quillon::platform::RecordingPrintSurface::Op;

namespace {

struct RunBench {
    LoadedProject p;
    quillon::platform::RecordingPrintSurface surface;
    quillon::platform::BuiltInPdfPrinterDefaults printerDefaults;
    quillon::config::IniStore ini{p.fx.path("QLN.spi"), &p.log};
    quillon::config::Options options{ini, printerDefaults};
    quillon::platform::ScriptedMessageBox box;
    quillon::config::modZRK_MsgBox warnings{ini, box};
    PageSetup setup;
    std::unique_ptr<modQLProcedures> run;
    QStringList statuses;
    QHash<QString, quillon::model::RoutinePtr> byKey;

    RunBench()
    {
        p.Load({Module("modA", {{"One", {"x = 1"}}, {"Two", {"Three"}}, {"Three", {"y = 2"}}}),
                {"clsP.cls", {"Attribute VB_Name = \"clsP\"", "Public Property Get Size() As Long", "    Size = 1",
                              "End Property"}}});
        for (const auto& [path, routines] : p.project.RoutinesByFile.entries()) {
            for (const auto& routine : routines)
                byKey.insert(routine->UniqueKey, routine);
        }
    }
    RunResult Print(const std::vector<ListRow>& queue)
    {
        run = std::make_unique<modQLProcedures>(surface, setup, options, warnings, box, &p.log);
        run->Index = &p.dep();
        run->Reader = &p.reader;
        run->FindRoutine = [this](const QString& key) { return byKey.value(key); };
        run->Status = [this](const QString& text) { statuses << text; };
        return run->RunPrintQueue(queue);
    }
    ListRow Row(const QString& key, bool selected = true)
    {
        auto routine = p.Routine(key);
        return {routine, quillon::model::ListText(*routine), selected};
    }
    QStringList Titles() const
    {
        QStringList titles;
        for (const Op& op : surface.ops) {
            if (op.kind == Op::Kind::Text && op.bold && op.fontSize == 12)
                titles << QStringLiteral("%1:%2").arg(op.page).arg(op.text);
        }
        return titles;
    }
};

TEST(PrintRunTest, SelectedRowsEachStartOnTheirOwnPage)
{
    RunBench b;
    const RunResult result =
        b.Print({b.Row("MODA|ONE"), b.Row("MODA|TWO", false), b.Row("MODA|THREE"), b.Row("CLSP|SIZE")});
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.routinesPrinted, 3);
    EXPECT_EQ(b.Titles(), (QStringList{"1:modA.bas|One", "2:modA.bas|Three", "3:clsP.cls|PROPERTY GET Size"}));
    EXPECT_TRUE(b.statuses.contains("Printing modA.bas|One (Procedure 1 of 3) line 2 of 4"));
    EXPECT_TRUE(b.statuses.contains("Printing modA.bas|Three (Procedure 2 of 3) line 10 of 10"));
    EXPECT_TRUE(b.statuses.contains("Printing clsP.cls|PROPERTY GET Size (Procedure 3 of 3) line 4 of 4"));
    EXPECT_TRUE(b.surface.TextsOnPage(2).contains("Page 1 of 1 (est)")) << "page numbers start again per routine";
    EXPECT_EQ(result.report, QStringLiteral("3 procedures sent to a file-based printer (Recording PDF).\r\nFind the file "
                                            "name selected for the output and use a PDF/file reader to open and print "
                                            "the file as needed."));
}

TEST(PrintRunTest, DuplexStartsEveryRoutineOnAFrontSide)
{
    RunBench b;
    b.setup.Duplex = true;
    b.Print({b.Row("MODA|ONE"), b.Row("MODA|THREE")});
    // The blank back page carries the frame of the routine before it.
    EXPECT_EQ(b.Titles(), (QStringList{"1:modA.bas|One", "2:modA.bas|One (cont.)", "3:modA.bas|Three",
                                       "4:modA.bas|Three (cont.)"}));
    EXPECT_TRUE(b.surface.TextsOnPage(2).contains("(This Page Intentionally Left Blank)"));
    EXPECT_TRUE(b.surface.TextsOnPage(4).contains("(This Page Intentionally Left Blank)"));
    EXPECT_EQ(b.surface.PagesStarted(), 4);
}

TEST(PrintRunTest, AnInvalidRangePrintsTheInternalErrorInRed)
{
    RunBench b;
    auto broken = std::make_shared<quillon::model::clsRoutineInfo>(*b.p.Routine("MODA|ONE"));
    broken->lEndLine = 0;
    b.Print({{broken, QStringLiteral("modA.bas|Public Sub One"), true}});
    bool found = false;
    for (const Op& op : b.surface.ops) {
        if (op.kind == Op::Kind::Text && op.text.startsWith(QStringLiteral("*** INTERNAL ERROR Quillon | Reason: Routine range invalid | File: "))) {
            found = true;
            EXPECT_EQ(op.color, quillon::platform::Rgb(255, 0, 0));
            EXPECT_TRUE(op.text.endsWith(" | Procedure: One | Kind: Sub | Start: 2  End: 0"));
        }
    }
    EXPECT_TRUE(found);
}

TEST(PrintRunTest, ADeviceWithoutDuplexAsksAndPrintsSimplexWithoutTheBinder)
{
    RunBench b;
    b.surface.supportsDuplex = false;
    ASSERT_TRUE(b.surface.SelectDevice("Office Laser"));
    b.setup.DeviceName = "Office Laser";
    b.setup.Duplex = true;
    b.setup.BindingEdge = 1;
    b.box.results.push_back(quillon::platform::MsgResult::Yes);
    const RunResult result = b.Print({b.Row("MODA|ONE")});
    ASSERT_TRUE(result.ok);
    ASSERT_FALSE(b.box.shown.empty());
    EXPECT_EQ(b.box.shown[0].title, QStringLiteral("Duplex Unavailable"));
    EXPECT_TRUE(b.box.shown[0].text.contains("bind the output at the Left edge."));
    EXPECT_FALSE(b.setup.Duplex);
    EXPECT_EQ(b.run->frame().Left, 720) << "no binder offset";
    EXPECT_EQ(result.report, QStringLiteral("Output of 1 procedure sent to Office Laser completed."));

    RunBench no;
    no.surface.supportsDuplex = false;
    no.surface.SelectDevice("Office Laser");
    no.setup.DeviceName = "Office Laser";
    no.setup.Duplex = true;
    no.box.results.push_back(quillon::platform::MsgResult::No);
    EXPECT_FALSE(no.Print({no.Row("MODA|ONE")}).ok);
}

TEST(PrintRunTest, EmptyQueuesAndNothingSelected)
{
    RunBench b;
    EXPECT_FALSE(b.Print({}).ok);
    EXPECT_EQ(b.box.shown.back().text, QStringLiteral("No routines are in the print queue."));
    EXPECT_FALSE(b.Print({b.Row("MODA|ONE", false)}).ok);
    EXPECT_EQ(b.box.shown.back().text, QStringLiteral("No procedures were selected to print."));
}

TEST(PrintRunTest, DependencyReportsPrintFromATemporaryFileThatIsRemoved)
{
    RunBench b;
    auto pseudo = quillon::analysis::MakeDependencyPseudoRoutine(*b.p.Routine("MODA|THREE"));
    const QString path = pseudo->FilePath;
    b.Print({{pseudo, QStringLiteral("modA.bas|Public Sub Three|Dep"), true}});
    EXPECT_EQ(b.Titles(), QStringList{"1:modA.bas|Three|Dep"});
    const QStringList lines = b.surface.Lines();
    EXPECT_TRUE(lines.contains(QStringLiteral("  File A|Public Sub Two"))) << "the connector tag becomes two blanks";
    EXPECT_FALSE(lines.join(QString()).contains(QStringLiteral("[ZRK")));
    EXPECT_EQ(pseudo->FilePath, path) << "the record gets its file back";
    EXPECT_TRUE(QDir(qEnvironmentVariable("TEMP")).entryList({"QLN_DEP_*"}).isEmpty()) << "the report file is gone";
}

} // namespace
