#include "ui/MainWindow.h"

#include "config/Session.h"
#include "platform/HomeThread.h"
#include "platform/PrinterDefaults.h"
#include "platform/qt/QtPrintSurface.h"
#include "support/ScriptedMessageBox.h"
#include "support/TestSupport.h"
#include "ui/UiTestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>

using namespace quillon;

namespace {

// The window as the program builds it: its messages and those of the session's warnings go
// through the box that shows them on the window's thread.
struct Bench {
    test::Fixture fx;
    test::ScriptedMessageBox scripted;
    platform::HomeThreadMessageBox box {scripted, QCoreApplication::instance()};
    platform::BuiltInPdfPrinterDefaults defaults;
    config::Session session {box, defaults, nullptr, fx.path("appdata/QLN.spi")};
    std::unique_ptr<ui::MainWindow> window;

    explicit Bench(ui::MainWindow::SurfaceFactory surfaces = {})
    {
        session.start();
        session.options.set(config::opt::OutputFolder, fx.path("out"));
        window = std::make_unique<ui::MainWindow>(session, box, std::move(surfaces));
        window->show();
    }
    template <class T> T* child(const char* name) const { return window->findChild<T*>(name); }
};

// Modules of 500 small functions each, every one calling the one before it, as a generated
// data-access layer looks.
QString writeLargeProject(test::Fixture& fx, int modules, int functionsPerModule)
{
    QStringList vbp {"Type=Exe", "Startup=\"Sub Main\""};
    for (int m = 0; m < modules; ++m) {
        const QString name = QStringLiteral("modRecords%1").arg(m, 2, 10, QLatin1Char('0'));
        QStringList lines {"Attribute VB_Name = \"" + name + "\"", "Option Explicit",
            "Private Const kLimit As Long = 100 ' the most rows one report takes"};
        for (int f = 0; f < functionsPerModule; ++f) {
            const QString fn = QStringLiteral("Step%1_%2").arg(m).arg(f);
            lines << "Public Function " + fn + "(ByVal value As Long) As Long"
                  << "    ' Adds the next step, capped at the limit of the report"
                  << "    If value < kLimit Then " + fn + " = value + 1 Else " + fn + " = kLimit";
            if (f > 0)
                lines << QStringLiteral("    %1 = Step%2_%3(%1)").arg(fn).arg(m).arg(f - 1);
            lines << "End Function";
        }
        fx.writeLines("big/" + name + ".bas", lines);
        vbp << "Module=" + name + "; " + name + ".bas";
    }
    return fx.writeLines("big/Records.vbp", vbp);
}

// The window answers while it loads 20,000 routines: a timer of the test ticks every 10 ms
// throughout and never waits 100 ms, the menus and lists stay locked behind a progress bar,
// and the status is the load's own at the end. A question the load asks is shown on the
// window's thread.
TEST(WorkerThreadTest, TheWindowAnswersWhileItLoadsALargeProject)
{
    Bench b;
    const QString vbp = writeLargeProject(b.fx, 40, 500);
    QElapsedTimer clock;
    qint64 last = 0, longest = 0;
    int ticks = 0, lockedTicks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (!b.window->busy())
            return;
        longest = std::max(longest, clock.elapsed() - last);
        last = clock.elapsed();
        ++ticks;
        lockedTicks += !b.window->menuBar()->isEnabled() && !b.child<QListWidget>("lstFiles")->isEnabled()
            && b.child<QProgressBar>("prgWork")->isVisible() && !b.child<QPushButton>("cmdCancel")->isVisible();
    });
    timer.start(10);
    clock.start();
    ASSERT_TRUE(b.window->openProject(vbp));
    timer.stop();
    EXPECT_GT(ticks, 3) << "the load took " << clock.elapsed() << " ms";
    EXPECT_EQ(lockedTicks, ticks);
    EXPECT_LT(longest, 100) << ticks << " ticks";
    EXPECT_EQ(b.window->statusText(),
        "Phase 1 of 2: Loading file 40 of 40\r\nPhase 2 of 2: Scanning procedure 20040 of 20040\r\nBuilding Dependency Index.\r\n"
        "Phase 3 of 3: Indexing procedure 20040 of 20040\r\nDependency Index Complete\r\n\r\nProject loaded.  Select one or more files to add included procedures to the procedures list");
    EXPECT_EQ(b.child<QListWidget>("lstFiles")->count(), 40);
    EXPECT_TRUE(b.window->menuBar()->isEnabled() && b.child<QListWidget>("lstFiles")->isEnabled());
    EXPECT_FALSE(b.child<QProgressBar>("prgWork")->isVisible());

    EXPECT_FALSE(b.window->openProject(b.fx.path("big/Gone.vbp")));
    ASSERT_FALSE(b.scripted.shown.empty());
    EXPECT_EQ(std::tuple(b.scripted.shown.back().title, b.scripted.shown.back().thread), std::tuple("No valid file", b.window->thread()));
}

// The PDF writer, held at the start of the routine named Second until the test has clicked
// Cancel (or ten seconds have passed).
class HeldSurface : public platform::QtPrintSurface {
public:
    explicit HeldSurface(std::atomic<int>& state) : QtPrintSurface({}, QString()), state_(state) { }
    void printText(QStringView text, bool lineEnd) override
    {
        int expected = 0;
        if (text.contains(u"Second") && state_.compare_exchange_strong(expected, 1)) {
            QElapsedTimer waited;
            waited.start();
            while (state_ == 1 && waited.elapsed() < 10000)
                QThread::msleep(5);
        }
        QtPrintSurface::printText(text, lineEnd);
    }

private:
    std::atomic<int>& state_; // 0 not there yet, 1 held, 2 let go
};

// Cancel stops a print run after the routine being printed: the file the user chose keeps its
// old contents, no work file is left beside it, and the status says what happened. The save
// dialog the run asks for is shown on the window's thread.
TEST(WorkerThreadTest, CancelStopsThePrintRunAfterTheRoutineBeingPrinted)
{
    std::atomic<int> held {0};
    Bench b([&held] { return std::make_unique<HeldSurface>(held); });
    b.session.options.set(config::opt::DeviceName, "Quillon PDF");
    b.fx.writeLines("proj/modA.bas", {"Attribute VB_Name = \"modA\"", "Public Sub First()", "    x = 1", "End Sub", "Public Sub Second()",
                                         "    x = 2", "End Sub", "Public Sub Third()", "    x = 3", "End Sub", "Public Sub Fourth()", "End Sub"});
    ASSERT_TRUE(b.window->openProject(b.fx.writeLines("proj/Demo.vbp", {"Type=Exe", "Module=modA; modA.bas"})));
    const QString output = b.fx.writeLines("out/Demo.pdf", {"the documentation printed last week"});
    bool dialogOnWindowThread = false;
    b.window->chooseSaveFileDialog = [&](const QString&, const QString&) {
        dialogOnWindowThread = QThread::currentThread() == b.window->thread();
        return output;
    };
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* cancel = b.child<QPushButton>("cmdCancel");
        if (held == 1 && cancel->isVisible() && cancel->isEnabled()) {
            cancel->click();
            held = 2;
        }
    });
    poll.start(5);
    const char* const lists[] = {"lstFiles", "lstProcedures", "lstSelected"};
    for (int step = 0; step < 3; ++step) { // the last step sends the queue
        b.child<QListWidget>(lists[step])->selectAll();
        b.window->processSelection(ui::MainWindow::ProcessStep(step));
    }
    EXPECT_EQ(held, 2) << "the run was held and let go by the click";
    EXPECT_TRUE(dialogOnWindowThread);
    EXPECT_EQ(b.window->statusText(), "Print run cancelled after 3 of 5 procedures; the unfinished output was discarded.");
    EXPECT_EQ(test::readBytes(output), "the documentation printed last week\r\n");
    EXPECT_EQ(QDir(b.fx.path("out")).entryList(QDir::Files), QStringList {"Demo.pdf"});
    EXPECT_FALSE(b.child<QPushButton>("cmdCancel")->isVisible());
    EXPECT_TRUE(b.child<QListWidget>("lstSelected")->isEnabled());
}

} // namespace
