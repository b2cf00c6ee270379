#include "core/print/PrintFixture.h"

#include "config/Options.h"
#include "platform/PrinterDefaults.h"
#include "platform/ProcessLauncher.h"
#include "platform/StatusSink.h"
#include "print/OutputCombine.h"
#include "print/OutputFiles.h"
#include "print/OutputParts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

using namespace quillon::print;
using quillon::config::IniStore;
using quillon::config::modZRK_MsgBox;
using quillon::model::DiagLog;
using quillon::platform::MsgButtons;
using quillon::platform::MsgIcon;
using quillon::platform::MsgResult;
using quillon::platform::PrinterInfo;
using quillon::platform::ScriptedMessageBox;
using quillon::test::Fixture;
using quillon::test::PrintBench;
using quillon::test::ReadBytes;

namespace {

constexpr qint64 kMiB = 1048576;
const QString kCrLf = QStringLiteral("\r\n");

// ---------------------------------------------------------------------------------------------
// Helpers

// A small valid PDF with the given number of empty Letter pages and an exact xref table.
// badStartXref points the trailer's startxref at the wrong offset: a damage qpdf repairs
// with warnings.
QByteArray MinimalPdf(int pages, bool badStartXref = false)
{
    QList<QByteArray> objects;
    QByteArray kids;
    for (int i = 0; i < pages; ++i)
        kids += QByteArray::number(3 + i) + " 0 R ";
    objects << "<< /Type /Catalog /Pages 2 0 R >>";
    objects << "<< /Type /Pages /Kids [" + kids + "] /Count " + QByteArray::number(pages) + " >>";
    for (int i = 0; i < pages; ++i)
        objects << "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] >>";
    QByteArray out = "%PDF-1.4\n";
    QList<qsizetype> offsets;
    for (int i = 0; i < objects.size(); ++i) {
        offsets << out.size();
        out += QByteArray::number(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const qsizetype xref = out.size();
    out += "xref\n0 " + QByteArray::number(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (qsizetype offset : offsets)
        out += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    out += "trailer\n<< /Size " + QByteArray::number(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n"
        + (badStartXref ? "9" : "") + QByteArray::number(xref) + "\n%%EOF\n";
    return out;
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(bytes);
}

QString RealQpdf()
{
    return QStandardPaths::findExecutable(QStringLiteral("qpdf"));
}

int PageCount(const QString& pdf)
{
    QProcess qpdf;
    qpdf.start(RealQpdf(), {QStringLiteral("--show-npages"), pdf});
    if (!qpdf.waitForFinished(30000) || qpdf.exitCode() != 0)
        return -1;
    bool ok = false;
    const int pages = QString::fromLatin1(qpdf.readAllStandardOutput()).trimmed().toInt(&ok);
    return ok ? pages : -1;
}

// A clock that moves only when the code under test pauses.
struct FakeClock {
    qint64 now = 0;
    int pauses = 0;
    std::vector<int> pauseLengths;
    std::function<void()> onPause;
    OutputWaits Waits()
    {
        return {[this](int ms) {
                    now += ms;
                    ++pauses;
                    pauseLengths.push_back(ms);
                    if (onPause)
                        onPause();
                },
                [this] { return now; }};
    }
};

struct RecordingStatus : quillon::platform::IStatusSink {
    QStringList texts;
    void ShowStatus(const QString& text) override { texts << text; }
};

// A launcher that runs nothing, for the paths where the tool must not or cannot run.
struct FakeLauncher : quillon::platform::IProcessLauncher {
    qint64 startId = 0;
    QString startError = QStringLiteral("no shell");
    bool running = false;
    int starts = 0;
    qint64 Start(const QString&, const QStringList&, QString* error) override
    {
        ++starts;
        if (startId == 0 && error)
            *error = startError;
        return startId;
    }
    bool IsRunning(qint64) override { return running; }
    void Stop(qint64) override { running = false; }
    void Release(qint64) override {}
};

QStringList FilesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// ---------------------------------------------------------------------------------------------
// Target classes

TEST(OutputTargetTest, PdfPrintersFilePortsPhysicalPortsAndTheRest)
{
    struct Case {
        const char* device;
        const char* port;
        bool pdf, file, physical;
        TargetClass cls;
    };
    const Case cases[] = {
        {"Quillon PDF", "FILE:", true, true, false, TargetClass::PdfPrinter},
        {"Microsoft Print to pdf", "PORTPROMPT:", true, true, false, TargetClass::PdfPrinter},
        {"Writer PdF", "", true, true, false, TargetClass::PdfPrinter},
        {"PDF on a wire", "USB001", true, true, true, TargetClass::PdfPrinter},
        {"Office Laser", "file:", false, true, false, TargetClass::FilePort},
        {"Office Laser", "PortPrompt:", false, true, false, TargetClass::FilePort},
        {"Office Laser", "  usb001 ", false, false, true, TargetClass::PhysicalPort},
        {"Office Laser", "LPT1:", false, false, true, TargetClass::PhysicalPort},
        {"Office Laser", "COM3:", false, false, true, TargetClass::PhysicalPort},
        {"Office Laser", "WSD-1c2b", false, false, true, TargetClass::PhysicalPort},
        {"Office Laser", "IP_192.0.2.7", false, false, true, TargetClass::PhysicalPort},
        {"Office Laser", "\\\\server\\laser", false, false, true, TargetClass::PhysicalPort},
        {"Office Laser", "\\laser", false, false, false, TargetClass::Other},
        {"Office Laser", "WSD", false, false, false, TargetClass::Other},
        {"Office Laser", "IPP://host/queue", false, false, false, TargetClass::Other},
        {"Office Laser", "   ", false, false, false, TargetClass::Other},
        {"Office Laser", "NUL:", false, false, false, TargetClass::Other},
    };
    for (const Case& c : cases) {
        const OutputTarget target = ClassifyOutputTarget(QString::fromLatin1(c.device), QString::fromLatin1(c.port));
        SCOPED_TRACE(std::string(c.device) + " / " + c.port);
        EXPECT_EQ(target.pdfPrinter, c.pdf);
        EXPECT_EQ(target.fileTarget, c.file);
        EXPECT_EQ(target.physicalPort, c.physical);
        EXPECT_EQ(target.Class(), c.cls);
    }
    const PrinterInfo device{QStringLiteral("Office Laser"), QStringLiteral("PCL 6"), QStringLiteral("FILE:")};
    EXPECT_EQ(ClassifyOutputTarget(device).Class(), TargetClass::FilePort);
}

// ---------------------------------------------------------------------------------------------
// The spool size estimate

SpoolReadings Readings(std::optional<qint64> memory, std::optional<qint64> disk, qint64 objects)
{
    SpoolReadings r;
    r.availableMemoryBytes = memory;
    r.freeDiskBytes = disk;
    r.objectsInUse = objects;
    return r;
}

TEST(SpoolEstimateTest, FourGigabytesAndFourHundredObjectsGive2280)
{
    // The handle term Int(9600 / 4) = 2400 is the smallest; Int(2400 × 0.95) = 2280.
    EXPECT_EQ(EstimateGdiSpoolSize(Readings(4096 * kMiB, 1024 * 1024 * kMiB, 400)), 2280);
}

TEST(SpoolEstimateTest, EachTermCanBeTheSmallestAndIsTruncated)
{
    // Memory: 10 MiB → 1024; 10.5 MiB → Int(1075.2) = 1075, then Int(1021.25) = 1021.
    EXPECT_EQ(EstimateGdiSpoolSize(Readings(10 * kMiB, 1024 * kMiB, 0)), 972);
    EXPECT_EQ(EstimateGdiSpoolSize(Readings(10 * kMiB + kMiB / 2, 1024 * kMiB, 0)), 1021);
    // Disk in whole MiB: 3.9 MiB counts as 3 → 768 → Int(729.6) = 729.
    EXPECT_EQ(EstimateGdiSpoolSize(Readings(4096 * kMiB, 3 * kMiB + 900 * 1024, 0)), 729);
    // Handles: 10000 − 5000 = 5000 → 1250 → 1187.
    EXPECT_EQ(EstimateGdiSpoolSize(Readings(4096 * kMiB, 1024 * kMiB, 5000)), 1187);
}

TEST(SpoolEstimateTest, NeverBelowTheFloorWhateverTheMachineSays)
{
    // 9000 objects → 250, raised to 500 → 475.
    EXPECT_EQ(EstimateGdiSpoolSize(Readings(4096 * kMiB, 1024 * kMiB, 9000)), 475);
    // More objects than the budget: the handle count stops at 0.
    EXPECT_EQ(EstimateGdiSpoolSize(Readings(4096 * kMiB, 1024 * kMiB, 250000)), 475);
    EXPECT_EQ(EstimateGdiSpoolSize(Readings(0, 1024 * kMiB, 0)), 475);
    EXPECT_EQ(EstimateGdiSpoolSize(Readings(4096 * kMiB, 0, 0)), 475);
}

TEST(SpoolEstimateTest, UnknownOrNonsenseReadingsFallBack)
{
    // Unknown memory and disk fall back to 512 MiB and 500 MiB; the handle term 2500 stays smallest.
    EXPECT_EQ(EstimateGdiSpoolSize(Readings(std::nullopt, std::nullopt, 0)), 2375);
    EXPECT_EQ(EstimateGdiSpoolSize(Readings(-1, -5, -40)), 2375);
}

TEST(SpoolEstimateTest, MemAvailableIsReadFromMeminfo)
{
    EXPECT_EQ(ParseMemAvailable("MemTotal:       16315000 kB\nMemFree:  1 kB\nMemAvailable:    4194304 kB\nBuffers: 2 kB\n"),
              std::optional<qint64>(4096 * kMiB));
    EXPECT_EQ(ParseMemAvailable("MemTotal: 1 kB\nMemFree: 2 kB\n"), std::nullopt);
    EXPECT_EQ(ParseMemAvailable("MemAvailable: lots kB\n"), std::nullopt);
    EXPECT_EQ(ParseMemAvailable("MemAvailable: 77\n"), std::optional<qint64>(77));
    EXPECT_EQ(ParseMemAvailable("MemAvailable: 99999999999999999 kB\n"), std::nullopt) << "no overflow";
}

TEST(SpoolEstimateTest, ReadingsOfThisMachineCountOpenFiles)
{
    Fixture fx;
    const SpoolReadings before = ReadSpoolReadings(fx.path());
    ASSERT_TRUE(before.availableMemoryBytes.has_value());
    EXPECT_GT(*before.availableMemoryBytes, 0);
    ASSERT_TRUE(before.freeDiskBytes.has_value());
    EXPECT_GE(*before.freeDiskBytes, 0);
    QFile a(fx.write("a.txt", "a"));
    QFile b(fx.write("b.txt", "b"));
    ASSERT_TRUE(a.open(QIODevice::ReadOnly));
    ASSERT_TRUE(b.open(QIODevice::ReadOnly));
    EXPECT_EQ(ReadSpoolReadings(fx.path()).objectsInUse, before.objectsInUse + 2);
    EXPECT_FALSE(ReadSpoolReadings(fx.path("no/such/folder")).freeDiskBytes.has_value());
}

TEST(SpoolEstimateTest, RecalibrationNoteOnlyWhenAValueInUseMoved)
{
    EXPECT_EQ(SpoolRecalibratedNote(0, 2280), QString());
    EXPECT_EQ(SpoolRecalibratedNote(2280, 2280), QString());
    EXPECT_EQ(SpoolRecalibratedNote(3000, 2280),
              QStringLiteral("GDI Spool Size recalibrated from 3000 to 2280. Use File|User Options to restore a previous "
                             "value as desired if you have been making manual adjustments."));
}

struct FakePrinter : quillon::platform::IPrinterDefaults {
    quillon::platform::PrinterDefaults Current() const override { return quillon::platform::BuiltInPdfWriterDefaults(); }
};

TEST(SpoolEstimateTest, TheEstimateIsStoredInTheOptionsFile)
{
    Fixture fx;
    DiagLog log{QString()};
    IniStore ini(fx.path("QLN.spi"), &log);
    FakePrinter printer;
    quillon::config::Options options(ini, printer);
    options.Load();
    ASSERT_TRUE(StoreGdiSpoolSize(options, 2280));
    EXPECT_EQ(ini.INIRead(QStringLiteral("Quillon:Output"), QStringLiteral("GDISpoolSize"), QStringLiteral("?")),
              QStringLiteral("2280"));
}

TEST(SpoolEstimateTest, ReestimateIsOfferedOnlyWhenTheFontChanged)
{
    ScriptedMessageBox box;
    const SpoolFont courier{QStringLiteral("Courier New"), 10};
    EXPECT_FALSE(AskToReestimate(box, courier, {QStringLiteral(" courier new"), 10}));
    EXPECT_TRUE(box.shown.empty()) << "the same font, written differently, asks nothing";

    box.results = {MsgResult::Yes, MsgResult::No};
    EXPECT_TRUE(AskToReestimate(box, courier, {QStringLiteral("Courier New"), 9.5}));
    EXPECT_FALSE(AskToReestimate(box, courier, {QStringLiteral("Consolas"), 10}));
    ASSERT_EQ(box.shown.size(), 2u);
    EXPECT_EQ(box.shown[0].title, QStringLiteral("GDI Spool Size"));
    EXPECT_EQ(box.shown[0].icon, MsgIcon::Question);
    EXPECT_EQ(box.shown[0].buttons, MsgButtons::YesNo);
}

TEST(SpoolEstimateTest, ASessionRecalibratesAtStartAndReestimatesOnlyForANewFont)
{
    Fixture fx;
    DiagLog log{QString()};
    IniStore ini(fx.path("QLN.spi"), &log);
    FakePrinter printer;
    quillon::config::Options options(ini, printer);
    options.Load();
    SpoolReadings machine;
    machine.availableMemoryBytes = 4096LL * 1048576;
    machine.freeDiskBytes = 100000LL * 1048576;
    machine.objectsInUse = 400;
    GdiSpoolEstimator estimator(options, [&machine] { return machine; });
    const SpoolFont courier{QStringLiteral("Courier New"), 10};

    EXPECT_EQ(estimator.RecalibrateAtStart(courier), QString()) << "a value of 0 was not in use: no note";
    EXPECT_EQ(estimator.Value(), 2280);

    machine.objectsInUse = 2000; // Int(8000 / 4) × 0.95
    EXPECT_EQ(estimator.RecalibrateAtStart(courier),
              QStringLiteral("GDI Spool Size recalibrated from 2280 to 1900. Use File|User Options to restore a previous "
                             "value as desired if you have been making manual adjustments."));
    EXPECT_EQ(ini.INIRead(QStringLiteral("Quillon:Output"), QStringLiteral("GDISpoolSize"), QString()), QStringLiteral("1900"));
    EXPECT_EQ(estimator.RecalibrateAtStart(courier), QString()) << "an unchanged value adds nothing";

    ScriptedMessageBox box;
    EXPECT_FALSE(estimator.OfferReestimate(box, courier));
    EXPECT_TRUE(box.shown.empty());
    machine.objectsInUse = 400;
    box.results = {MsgResult::Yes};
    EXPECT_TRUE(estimator.OfferReestimate(box, {QStringLiteral("Consolas"), 10}));
    EXPECT_EQ(estimator.Value(), 2280);
    EXPECT_EQ(estimator.EstimatedFor()->name, QStringLiteral("Consolas"));
    EXPECT_FALSE(estimator.OfferReestimate(box, {QStringLiteral("Consolas"), 10})) << "asked once per change";
    EXPECT_EQ(box.shown.size(), 1u);

    GdiSpoolEstimator fresh(options, [&machine] { return machine; });
    EXPECT_FALSE(fresh.OfferReestimate(box, courier)) << "nothing estimated in this session: nothing to compare";
}

// ---------------------------------------------------------------------------------------------
// Lines and parts

TEST(PartEstimateTest, ImageLinesAreWholeLinesPerPageTimesPages)
{
    EXPECT_EQ(ImageSpoolLines(15120, 240, 3), 63 * 3);
    EXPECT_EQ(ImageSpoolLines(15000, 240, 2), 62 * 2) << "62.5 lines per page count as 62";
    EXPECT_EQ(ImageSpoolLines(15120, 240, 0), 63) << "a page count below 1 counts as 1";
    EXPECT_EQ(ImageSpoolLines(100, 240, 4), 4) << "at least one line per page";
    EXPECT_EQ(ImageSpoolLines(15120, 0, 2), 2);
    // An absurd geometry gives a finite count instead of an undefined conversion.
    EXPECT_EQ(ImageSpoolLines(1e300, 1e-300, 1), 1);
    EXPECT_EQ(ImageSpoolLines(1e15, 1, 2), qint64(2e9));
}

SpoolRow Lines(qint64 start, qint64 end, bool selected = true)
{
    SpoolRow row;
    row.startLine = start;
    row.endLine = end;
    row.selected = selected;
    return row;
}
SpoolRow Image(qint64 lines)
{
    SpoolRow row;
    row.image = true;
    row.imageLines = lines;
    return row;
}

TEST(PartEstimateTest, RoutinesFillPartsInQueueOrder)
{
    auto parts = [](const std::vector<SpoolRow>& rows) {
        const PartEstimate e = EstimateParts(rows, 1000);
        return std::make_pair(e.parts, e.lastPartLines);
    };
    using P = std::pair<qint64, qint64>;
    EXPECT_EQ(parts({}), P(1, 0));
    EXPECT_EQ(parts({Lines(1, 400), Lines(1, 400)}), P(1, 800));
    EXPECT_EQ(parts({Lines(1, 500), Lines(1, 500)}), P(1, 1000)) << "exactly the limit fits";
    EXPECT_EQ(parts({Lines(1, 400), Lines(1, 700)}), P(2, 700));
    EXPECT_EQ(parts({Lines(1, 400), Lines(1, 700, false), Lines(1, 500)}), P(1, 900)) << "unselected rows count nothing";
    // One routine larger than a file: 2500 lines are 1000 + 1000 + 500.
    EXPECT_EQ(parts({Lines(1, 2500)}), P(3, 500));
    EXPECT_EQ(parts({Lines(1, 1000)}), P(1, 1000));
    EXPECT_EQ(parts({Lines(1, 1001)}), P(2, 1));
    EXPECT_EQ(parts({Lines(1, 2000)}), P(2, 1000));
    // A part in progress closes before an oversize routine starts its own.
    EXPECT_EQ(parts({Lines(1, 300), Lines(1, 2500)}), P(4, 500));
    EXPECT_EQ(parts({Lines(1, 2500), Lines(1, 600)}), P(4, 600));
}

TEST(PartEstimateTest, ImagesInvalidRangesAndHugeCounts)
{
    const PartEstimate image = EstimateParts({Lines(1, 500), Image(600)}, 1000);
    EXPECT_EQ(image.parts, 2);
    EXPECT_EQ(image.lastPartLines, 600);
    const PartEstimate tooLarge = EstimateParts({Lines(1, 500), Image(1500)}, 1000);
    EXPECT_EQ(tooLarge.parts, 1) << "an image larger than a file never goes into one";
    EXPECT_EQ(tooLarge.lastPartLines, 500);
    const PartEstimate backwards = EstimateParts({Lines(1, 500), Lines(900, 10)}, 1000);
    EXPECT_EQ(backwards.parts, 1);
    EXPECT_EQ(backwards.lastPartLines, 500);
    const PartEstimate huge = EstimateParts({Lines(1, 2147483647), Lines(1, 2147483647)}, 500);
    EXPECT_EQ(huge.parts, 2 * ((2147483647LL - 1) / 500 + 1));
    EXPECT_EQ(huge.lastPartLines, 2147483647LL - 500 * ((2147483647LL - 1) / 500));
}

TEST(PartEstimateTest, NoSpoolSizeOrNoProjectMeansOnePartOfNothing)
{
    for (int gdi : {0, -5}) {
        const PartEstimate e = EstimateParts({Lines(1, 5000)}, gdi);
        EXPECT_EQ(e.parts, 1);
        EXPECT_EQ(e.lastPartLines, 0);
    }
    const PartEstimate noProject = EstimateParts({Lines(1, 5000)}, 1000, false);
    EXPECT_EQ(noProject.parts, 1);
    EXPECT_EQ(noProject.lastPartLines, 0);
}

TEST(PartEstimateTest, MultipleTemporaryFilesPastEightyFivePercentOrTwoParts)
{
    EXPECT_FALSE(ExpectsMultipleTemporaryFiles({1, 850}, 1000)) << "Int(0.85 × 1000) = 850 is not exceeded";
    EXPECT_TRUE(ExpectsMultipleTemporaryFiles({1, 851}, 1000));
    EXPECT_FALSE(ExpectsMultipleTemporaryFiles({1, 425}, 501)) << "Int(425.85) = 425";
    EXPECT_TRUE(ExpectsMultipleTemporaryFiles({1, 426}, 501));
    EXPECT_TRUE(ExpectsMultipleTemporaryFiles({2, 1}, 1000));
    EXPECT_FALSE(ExpectsMultipleTemporaryFiles({1, 0}, 0));

    // The notice is suppressible and can be hidden like every other.
    Fixture fx;
    DiagLog log{QString()};
    IniStore ini(fx.path("QLN.spi"), &log);
    ScriptedMessageBox box;
    modZRK_MsgBox messages(ini, box);
    messages.LoadAtStartup();
    box.answers.push_back({0, 2, QString()});
    messages.Ask(MultipleTemporaryFilesNotice());
    messages.Ask(MultipleTemporaryFilesNotice());
    ASSERT_EQ(box.shown.size(), 1u) << "hidden after the first time";
    EXPECT_EQ(box.shown[0].title, QStringLiteral("MULTIPLE TEMPORARY FILES EXPECTED"));
    EXPECT_EQ(box.shown[0].request.MessageKey, QStringLiteral("Multiple Temporary Files"));
}

// ---------------------------------------------------------------------------------------------
// The spool-limit decision

SpoolCounters Counters(qint64 linesInPart, bool splitMode, int gdi = 1000, bool control = true)
{
    SpoolCounters c;
    c.spoolControl = control;
    c.splitMode = splitMode;
    c.gdiSpoolSize = gdi;
    c.linesInPart = linesInPart;
    return c;
}
SpoolRoutine Routine(qint64 start, qint64 end, qint64 lastPrinted = 0)
{
    SpoolRoutine r;
    r.startLine = start;
    r.endLine = end;
    r.lastPrintedLine = lastPrinted;
    return r;
}
SpoolRoutine ImageRoutine(qint64 lines)
{
    SpoolRoutine r;
    r.image = true;
    r.imageLines = lines;
    return r;
}

TEST(SpoolDecisionTest, FitsEndsTheBatchOrStartsTheNextPart)
{
    SpoolDecision d = DecideSpoolLimit(Routine(11, 510), Counters(0, false));
    EXPECT_EQ(d.action, SpoolAction::Print);
    EXPECT_EQ(d.routineLines, 500);
    EXPECT_EQ(DecideSpoolLimit(Routine(1, 500), Counters(500, false)).action, SpoolAction::Print) << "exactly full";
    EXPECT_EQ(DecideSpoolLimit(Routine(1, 501), Counters(500, false)).action, SpoolAction::EndBatch);
    EXPECT_EQ(DecideSpoolLimit(Routine(1, 501), Counters(500, true)).action, SpoolAction::NextTemporaryPart);
    d = DecideSpoolLimit(ImageRoutine(600), Counters(500, true));
    EXPECT_EQ(d.action, SpoolAction::NextTemporaryPart);
    EXPECT_EQ(d.routineLines, 600);
}

TEST(SpoolDecisionTest, RoutinesAndImagesLargerThanAWholeFile)
{
    for (bool split : {false, true}) {
        SCOPED_TRACE(split);
        const SpoolDecision d = DecideSpoolLimit(Routine(1, 1500), Counters(0, split));
        EXPECT_EQ(d.action, SpoolAction::StartOversize);
        EXPECT_EQ(d.routineLines, 1500);
        EXPECT_EQ(DecideSpoolLimit(Routine(1, 1500), Counters(200, split)).action,
                  split ? SpoolAction::NextTemporaryPart : SpoolAction::EndBatch)
            << "a part in progress is closed first";
        EXPECT_EQ(DecideSpoolLimit(ImageRoutine(1200), Counters(0, split)).action, SpoolAction::FormImageException);
        EXPECT_EQ(DecideSpoolLimit(ImageRoutine(1200), Counters(300, split)).action, SpoolAction::FormImageException)
            << "no new file could take it either";
    }
}

TEST(SpoolDecisionTest, AContinuedOversizeRoutineCountsFromItsLastPrintedLine)
{
    SpoolDecision d = DecideSpoolLimit(Routine(1, 3000, 1800), Counters(0, true));
    EXPECT_EQ(d.action, SpoolAction::ContinueOversize);
    EXPECT_EQ(d.routineLines, 1200);
    d = DecideSpoolLimit(Routine(1, 3000, 2600), Counters(0, false));
    EXPECT_EQ(d.action, SpoolAction::Print);
    EXPECT_EQ(d.routineLines, 400);
}

TEST(SpoolDecisionTest, NoSpoolControlOrNoSpoolSizeNeverSplits)
{
    EXPECT_EQ(DecideSpoolLimit(Routine(1, 50000), Counters(900, true, 0)).action, SpoolAction::Print);
    EXPECT_EQ(DecideSpoolLimit(ImageRoutine(50000), Counters(900, true, 0)).action, SpoolAction::Print);
    EXPECT_EQ(DecideSpoolLimit(Routine(1, 50000), Counters(900, true, 1000, false)).action, SpoolAction::Print);
    const SpoolDecision d = DecideSpoolLimit(Routine(1, 50000), Counters(900, true, 0));
    EXPECT_EQ(d.routineLines, 50000) << "the lines still count for the part";
    EXPECT_EQ(DecideSpoolLimit(Routine(10, 1), Counters(999, false)).routineLines, 0) << "a backwards range adds nothing";
}

TEST(SpoolDecisionTest, AnOversizeRoutineStopsOnAnEvenPageWhenTwoMorePagesWouldNotFit)
{
    EXPECT_FALSE(OversizeRoutineStopsHere(true, 2, 900, 50, 1000)) << "900 + 100 is not past 1000";
    EXPECT_TRUE(OversizeRoutineStopsHere(true, 2, 901, 50, 1000));
    EXPECT_TRUE(OversizeRoutineStopsHere(true, 4, 880, 60.5, 1000));
    EXPECT_FALSE(OversizeRoutineStopsHere(true, 3, 990, 50, 1000)) << "odd pages never";
    EXPECT_FALSE(OversizeRoutineStopsHere(false, 2, 990, 50, 1000)) << "only when a page has just begun";
    EXPECT_FALSE(OversizeRoutineStopsHere(true, 2, 990, 50, 0));
}

TEST(SpoolDecisionTest, QuestionsAndWhatABatchRunAnswers)
{
    ScriptedMessageBox box;
    box.results = {MsgResult::No};
    EXPECT_FALSE(AskContinueOversize(box, 2));
    EXPECT_TRUE(AskContinueOversize(box, 3)) << "nobody there: continue";
    ASSERT_EQ(box.shown.size(), 2u);
    EXPECT_EQ(box.shown[0].title, QStringLiteral("Procedure Too Large - Continuing In New File"));
    const QStringList lines = box.shown[0].text.split(kCrLf);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], QStringLiteral("Part 2 of the current procedure has been sent to file."));
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("Press <Yes> to continue printing Part 3.  The suggested file name")));

    box.shown.clear();
    box.results = {MsgResult::No};
    EXPECT_FALSE(AskNextBatch(box, 1, 7, 12));
    EXPECT_TRUE(AskNextBatch(box, 8, 12, 12)) << "nobody there: the next batch";
    ASSERT_EQ(box.shown.size(), 2u);
    EXPECT_EQ(box.shown[0].title, QStringLiteral("GDI Spool Size Reached"));
    const QStringList batch = box.shown[0].text.split(kCrLf);
    ASSERT_EQ(batch.size(), 4);
    EXPECT_EQ(batch[1], QStringLiteral("Selected procedures 1 through 7 out of the total 12 selected procedures have been "
                                       "sent to file."));
    EXPECT_EQ(batch[3], QStringLiteral("Press <No> to abandon further procedure printing."));
}

// ---------------------------------------------------------------------------------------------
// Names

TEST(OutputNamesTest, PdfEndingInAnyCaseIsReplacedByThePartSuffixes)
{
    for (const char* user : {"/out/Report.PDF", "/out/Report.pdf", "/out/Report.Pdf", "/out/Report"}) {
        SCOPED_TRACE(user);
        EXPECT_EQ(TemporaryPartName(QString::fromLatin1(user), 1), QStringLiteral("/out/Report_QLNTemp1.pdf"));
        EXPECT_EQ(TemporaryPartName(QString::fromLatin1(user), 12), QStringLiteral("/out/Report_QLNTemp12.pdf"));
        EXPECT_EQ(MergedOutputName(QString::fromLatin1(user)), QStringLiteral("/out/Report_QLNMerged.pdf"));
    }
    EXPECT_EQ(TemporaryPartName(QStringLiteral("Report.pdf.PDF"), 2), QStringLiteral("Report.pdf_QLNTemp2.pdf"));
    EXPECT_EQ(TemporaryPartName(QStringLiteral("Report.ps"), 2), QStringLiteral("Report.ps_QLNTemp2.pdf"));
    EXPECT_EQ(WithoutPdfExtension(QStringLiteral("a.pdfx")), QStringLiteral("a.pdfx"));
}

TEST(OutputNamesTest, OversizePartsKeepTheBaseOfTheFirstPart)
{
    const QString suggested =
        SuggestedOutputName(QStringLiteral("Payroll"), QDateTime(QDate(2026, 3, 7), QTime(14, 5, 9)));
    ASSERT_EQ(suggested, QStringLiteral("!2026-03-07 2.05.09 pm Payroll Program Documentation.pdf"));
    SuggestedNames names(suggested);
    EXPECT_EQ(names.ForOversizePart(0), suggested);
    EXPECT_EQ(names.ForOversizePart(1), QStringLiteral("!2026-03-07 2.05.09 pm Payroll Program Documentation_Part1.pdf"));
    EXPECT_EQ(names.ForOversizePart(2), QStringLiteral("!2026-03-07 2.05.09 pm Payroll Program Documentation_Part2.pdf"));
    EXPECT_EQ(names.Current(), QStringLiteral("!2026-03-07 2.05.09 pm Payroll Program Documentation_Part2.pdf"));
    EXPECT_EQ(names.ForOversizePart(0), suggested) << "the next routine is not split";
    SuggestedNames upper(QStringLiteral("/out/Listing.PDF"));
    EXPECT_EQ(upper.ForOversizePart(1), QStringLiteral("/out/Listing_Part1.pdf"));
    EXPECT_EQ(upper.ForOversizePart(3), QStringLiteral("/out/Listing_Part3.pdf"));
}

TEST(OutputNamesTest, SuggestedFileNameNotice)
{
    const auto notice = SuggestedFileNameNotice(QStringLiteral("/out/a.pdf"), false, true);
    EXPECT_EQ(notice.key, QStringLiteral("Suggested File Name"));
    EXPECT_EQ(notice.icon, QStringLiteral("I"));
    EXPECT_TRUE(notice.allowSuppress);
    QStringList lines = notice.text.split(kCrLf);
    EXPECT_EQ(lines.last(), QStringLiteral("     /out/a.pdf"));
    EXPECT_EQ(lines[lines.size() - 2], QStringLiteral("A suggested file name, copied to the clipboard, is:"));
    EXPECT_FALSE(notice.text.contains(QStringLiteral("temporary part files")));

    const auto pdf = SuggestedFileNameNotice(QStringLiteral("/out/a.pdf"), true, false);
    EXPECT_TRUE(pdf.text.contains(QStringLiteral("temporary part files")));
    EXPECT_TRUE(pdf.text.contains(QStringLiteral("A suggested file name is:\r\n     /out/a.pdf\r\n")));
    EXPECT_FALSE(pdf.text.contains(QStringLiteral("clipboard")));
}

TEST(OutputNamesTest, ReservingANameNeverTakesAnotherRunsFile)
{
    Fixture fx;
    const QString wanted = fx.path("Report_QLNTemp1.pdf");
    EXPECT_EQ(ReserveUniqueFile(wanted), wanted);
    EXPECT_TRUE(QFileInfo::exists(wanted));
    EXPECT_EQ(QFileInfo(wanted).size(), 0);

    WriteFile(wanted, "another run's part");
    const QString second = ReserveUniqueFile(wanted);
    EXPECT_EQ(second, fx.path("Report_QLNTemp1 (2).pdf"));
    EXPECT_EQ(ReserveUniqueFile(wanted), fx.path("Report_QLNTemp1 (3).pdf"));
    EXPECT_EQ(ReadBytes(wanted), QByteArray("another run's part"));

    QString error;
    EXPECT_EQ(ReserveUniqueFile(fx.path("missing/folder/x.pdf"), &error), QString());
    EXPECT_FALSE(error.isEmpty());
}

TEST(OutputNamesTest, TemporaryPartsAreNamedReservedAndListed)
{
    Fixture fx;
    const QString user = fx.path("Report.PDF");
    TemporaryPartList list;
    QString error;
    EXPECT_EQ(list.StartNext(&error), QString()) << "no run has begun";
    EXPECT_FALSE(error.isEmpty());

    list.Begin(user);
    EXPECT_FALSE(list.HasTemporaryParts());
    EXPECT_EQ(list.StartNext(), fx.path("Report_QLNTemp1.pdf"));
    WriteFile(fx.path("Report_QLNTemp2.pdf"), "keep");
    const QString second = list.StartNext();
    EXPECT_TRUE(second.startsWith(fx.path("Report_QLNTemp2")));
    EXPECT_TRUE(second.endsWith(QStringLiteral(".pdf")));
    EXPECT_NE(second, fx.path("Report_QLNTemp2.pdf"));
    EXPECT_EQ(ReadBytes(fx.path("Report_QLNTemp2.pdf")), QByteArray("keep"));
    EXPECT_EQ(list.Files(), (QStringList{user, fx.path("Report_QLNTemp1.pdf"), second}));
    EXPECT_EQ(list.PartNumber(), 2);
    EXPECT_TRUE(QFileInfo::exists(second));

    TemporaryPartList nowhere;
    nowhere.Begin(fx.path("gone/Report.pdf"));
    error.clear();
    EXPECT_EQ(nowhere.StartNext(&error), QString());
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(nowhere.Files(), QStringList{fx.path("gone/Report.pdf")});
    EXPECT_EQ(nowhere.PartNumber(), 0);

    const QStringList status = TemporaryPartStatus(second).split(kCrLf);
    EXPECT_TRUE(status[0].startsWith(QStringLiteral("GDI Spool Size reached - output is continuing in a temporary file")));
    EXPECT_EQ(status.last(), second);
}

// ---------------------------------------------------------------------------------------------
// Output verification

class VerifyOutputTest : public ::testing::Test {
protected:
    Fixture fx;
    DiagLog log{QString()};
    IniStore ini{fx.path("QLN.spi"), &log};
    ScriptedMessageBox box;
    modZRK_MsgBox messages{ini, box};
    FakeClock clock;
    const OutputTarget filePort = ClassifyOutputTarget(QStringLiteral("Office Laser"), QStringLiteral("FILE:"));
};

TEST_F(VerifyOutputTest, OnlyFileTargetsThatAreNotPdfPrintersWithASpoolSize)
{
    const QString missing = fx.path("missing.prn");
    const OutputTarget pdf = ClassifyOutputTarget(QStringLiteral("Quillon PDF"), QStringLiteral("FILE:"));
    const OutputTarget laser = ClassifyOutputTarget(QStringLiteral("Office Laser"), QStringLiteral("USB001"));
    EXPECT_EQ(VerifyOutput(missing, filePort, 0, &messages, clock.Waits()), VerifyResult::NotChecked);
    EXPECT_EQ(VerifyOutput(missing, pdf, 1000, &messages, clock.Waits()), VerifyResult::NotChecked);
    EXPECT_EQ(VerifyOutput(missing, laser, 1000, &messages, clock.Waits()), VerifyResult::NotChecked);
    EXPECT_TRUE(box.shown.empty());
    EXPECT_EQ(clock.pauses, 0);
}

TEST_F(VerifyOutputTest, AMissingFileIsToldWithoutWaiting)
{
    QString suffix;
    EXPECT_EQ(VerifyOutput(fx.path("missing.prn"), filePort, 1000, &messages, clock.Waits(), &suffix), VerifyResult::Missing);
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].request.MessageKey, QStringLiteral("Verify Output File"));
    EXPECT_EQ(box.shown[0].request.Icon, QStringLiteral("I"));
    EXPECT_TRUE(box.shown[0].text.startsWith(QStringLiteral("The GDI Spool size appears to have been exceeded.")));
    EXPECT_EQ(suffix, QString());
    EXPECT_EQ(clock.pauses, 0);
}

TEST_F(VerifyOutputTest, AnEmptyFileIsTriedOneHundredTwentyTimesThenFails)
{
    const QString empty = fx.write("out.prn", "");
    QString suffix;
    EXPECT_EQ(VerifyOutput(empty, filePort, 1000, &messages, clock.Waits(), &suffix), VerifyResult::Empty);
    EXPECT_EQ(clock.pauses, 119);
    EXPECT_EQ(clock.now, 119 * 500);
    EXPECT_EQ(suffix, QStringLiteral(" (Fail at 120)"));
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].request.MessageKey, QStringLiteral("Bad Output File Notice"));
    EXPECT_EQ(box.shown[0].request.Icon, QStringLiteral("?"));
}

TEST_F(VerifyOutputTest, AFileThatFillsWhileWaitingIsVerified)
{
    const QString late = fx.write("late.prn", "");
    clock.onPause = [&] {
        if (clock.pauses == 3)
            WriteFile(late, "%!PS");
    };
    QString suffix;
    EXPECT_EQ(VerifyOutput(late, filePort, 1000, &messages, clock.Waits(), &suffix), VerifyResult::Verified);
    EXPECT_EQ(clock.pauses, 3);
    EXPECT_TRUE(box.shown.empty());
    EXPECT_EQ(suffix, QString());
}

// ---------------------------------------------------------------------------------------------
// Form images larger than a file

TEST(FormImageTest, TheDefaultPrinterOrASkip)
{
    ScriptedMessageBox box;
    FormImageRoute route = ChooseFormImageRoute(box, QStringLiteral("frmMain"), QStringLiteral("Office Laser,winspool,Ne01:"),
                                                QStringLiteral("Quillon PDF"));
    EXPECT_FALSE(route.toDefaultPrinter) << "nobody there: never print on paper unasked";
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].title, QStringLiteral("Form Image Exceeds GDI Spool Size"));
    EXPECT_TRUE(box.shown[0].text.startsWith(QStringLiteral("The form image frmMain is estimated to exceed the GDI Spool Size")));
    EXPECT_TRUE(box.shown[0].text.endsWith(QStringLiteral("\r\nSend this form image to the default printer instead?")));

    box.shown.clear();
    box.results = {MsgResult::Yes};
    route = ChooseFormImageRoute(box, QStringLiteral("frmMain"), QStringLiteral("Office Laser,winspool,Ne01:"),
                                 QStringLiteral("Quillon PDF"));
    EXPECT_TRUE(route.toDefaultPrinter);
    EXPECT_EQ(route.device, QStringLiteral("Office Laser"));
    EXPECT_EQ(box.shown.size(), 1u);

    for (const char* defaultDevice : {"quillon pdf", "", ",winspool"}) {
        SCOPED_TRACE(defaultDevice);
        box.shown.clear();
        box.results = {MsgResult::Yes};
        route = ChooseFormImageRoute(box, QStringLiteral("frmMain"), QString::fromLatin1(defaultDevice),
                                     QStringLiteral("Quillon PDF"));
        EXPECT_FALSE(route.toDefaultPrinter);
        ASSERT_EQ(box.shown.size(), 2u);
        EXPECT_EQ(box.shown[1].title, QStringLiteral("Form Image Skipped"));
    }

    box.shown.clear();
    ReportDefaultPrinterNotSelected(box, QStringLiteral("Office Laser"));
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text,
              QStringLiteral("The default printer Office Laser could not be selected.  The form image will be skipped."));
}

TEST(FormImageTest, TheOmittedOutputPage)
{
    PrintBench b;
    const PageGeometry& g = b.Compute();
    b.frame.NormalTextColour = 4242;
    PrintOmittedOutputPage(b.frame, QStringLiteral("frmMain.frm"), false);
    using Op = quillon::platform::RecordingPrintSurface::Op;
    std::vector<Op> texts;
    for (const Op& op : b.surface.ops) {
        if (op.kind == Op::Kind::Text && !op.text.isEmpty())
            texts.push_back(op);
    }
    ASSERT_GE(texts.size(), 4u);
    EXPECT_EQ(texts[0].text, QStringLiteral("Omitted Output Notice"));
    const double top = g.HeaderBandHeight + g.MarginTwips[kTop];
    EXPECT_EQ(texts[1].text, QStringLiteral("A single page was omitted here - not sent to the printer"));
    EXPECT_EQ(texts[1].color, quillon::platform::Rgb(255, 0, 0));
    EXPECT_TRUE(texts[1].bold);
    EXPECT_EQ(texts[1].x, g.MarginTwips[kLeft]);
    EXPECT_EQ(texts[1].y, top + g.CharHeight);
    EXPECT_EQ(texts[2].text, QStringLiteral("(frmMain.frm)"));
    EXPECT_EQ(texts[2].x, g.MarginTwips[kLeft]);
    EXPECT_EQ(texts[2].y, top + 2 * g.CharHeight);
    EXPECT_TRUE(texts[2].bold);
    const QStringList printed = b.surface.Texts();
    EXPECT_TRUE(printed.contains(QStringLiteral("Page 1 of 1"))) << "no (est) on the notice";
    EXPECT_FALSE(b.surface.Bold());
    EXPECT_EQ(b.surface.PagesStarted(), 1);

    PrintBench duplex;
    duplex.setup.Duplex = true;
    duplex.Compute();
    PrintOmittedOutputPage(duplex.frame, QStringLiteral("frmAbout"), true);
    EXPECT_TRUE(duplex.surface.Texts().contains(QStringLiteral("A single page was omitted here - sent to the printer")));
    EXPECT_TRUE(duplex.surface.Texts().contains(QStringLiteral("(This Page Intentionally Left Blank)")));
    EXPECT_EQ(duplex.surface.PagesStarted(), 2);
}

// ---------------------------------------------------------------------------------------------
// Combining

TEST(CombineToolTest, ProgramFolderFirstThenTheSearchPath)
{
    Fixture fx;
    const QString program = fx.path("program");
    const QString bin = fx.path("bin");
    QDir().mkpath(program + QStringLiteral("/qpdf"));
    QDir().mkpath(program + QStringLiteral("/qpdf Files/bin"));
    QDir().mkpath(bin);
    auto tool = [](const QString& path, bool executable) {
        WriteFile(path, "#!/bin/sh\n");
        QFile::setPermissions(path, executable ? QFileDevice::ReadOwner | QFileDevice::ExeOwner : QFileDevice::ReadOwner);
    };
    tool(bin + QStringLiteral("/qpdf"), true);
    const QString path = QStringLiteral("relative:") + fx.path("empty") + QLatin1Char(':') + bin;
    EXPECT_EQ(FindCombineTool(program, path), bin + QStringLiteral("/qpdf")) << "a folder named qpdf is not the tool";
    tool(program + QStringLiteral("/qpdf/qpdf"), true);
    EXPECT_EQ(FindCombineTool(program, path), program + QStringLiteral("/qpdf/qpdf"));
    tool(program + QStringLiteral("/qpdf Files/bin/qpdf"), false);
    EXPECT_EQ(FindCombineTool(program, path), program + QStringLiteral("/qpdf/qpdf")) << "not executable";
    tool(program + QStringLiteral("/qpdf Files/bin/qpdf"), true);
    EXPECT_EQ(FindCombineTool(program + QLatin1Char('/'), path), program + QStringLiteral("/qpdf Files/bin/qpdf"));
    EXPECT_EQ(FindCombineTool(QString(), QString()), QString()) << "no folder at all looks nowhere";
    EXPECT_EQ(FindCombineTool(fx.path("empty"), QString()), QString());
}

TEST(CombineToolTest, WarningsAreCreditedToTheRightPart)
{
    const QStringList parts{QStringLiteral("/o/Report"), QStringLiteral("/o/Report_QLNTemp1.pdf"),
                            QStringLiteral("/o/Report_QLNTemp10.pdf")};
    const ToolWarnings w = FindToolWarnings(QStringLiteral("WARNING: /o/Report_QLNTemp10.pdf: file is damaged\n"
                                                           "qpdf: operation succeeded\n"
                                                           "WARNING: /o/Report_QLNTemp1.pdf (offset 9): xref not found\n"
                                                           "WARNING: something else\n"),
                                            parts);
    EXPECT_EQ(w.parts, (QStringList{QStringLiteral("/o/Report_QLNTemp1.pdf"), QStringLiteral("/o/Report_QLNTemp10.pdf")}));
    EXPECT_EQ(w.lines.size(), 3);
    EXPECT_TRUE(FindToolWarnings(QStringLiteral("qpdf: done\n"), parts).lines.isEmpty());
    EXPECT_EQ(ElapsedText(0), QStringLiteral("00:00"));
    EXPECT_EQ(ElapsedText(187999), QStringLiteral("03:07"));
    EXPECT_EQ(ShellQuoted(QStringLiteral("it's $x")), QStringLiteral("'it'\\''s $x'"));
}

// A split-mode run's files in a private folder: the user's file and its temporary parts,
// each a real PDF of the given page count.
class CombineTest : public ::testing::Test {
protected:
    Fixture fx;
    DiagLog log{fx.path("diag.txt")};
    ScriptedMessageBox box;
    RecordingStatus status;
    quillon::platform::ProcessLauncher launcher;
    QString out;
    QString emptyFolder;
    QString user;
    TemporaryPartList list;

    void SetUp() override
    {
        if (RealQpdf().isEmpty())
            GTEST_SKIP() << "qpdf is not installed";
        out = fx.path("out");
        emptyFolder = fx.path("program");
        QDir().mkpath(out);
        QDir().mkpath(emptyFolder);
    }

    // pages[i] pages in file i; damaged: the index of a part written with a bad xref pointer.
    void MakeRun(const QString& userName, const std::vector<int>& pages, int damaged = -1)
    {
        user = out + QLatin1Char('/') + userName;
        list.Begin(user);
        WriteFile(user, MinimalPdf(pages[0], damaged == 0));
        for (size_t i = 1; i < pages.size(); ++i) {
            const QString part = list.StartNext();
            ASSERT_FALSE(part.isEmpty());
            WriteFile(part, MinimalPdf(pages[i], damaged == int(i)));
        }
    }

    PartCombiner Combiner(const QString& programFolder, const QString& path)
    {
        PartCombiner combiner(launcher, &box, &status, &log);
        combiner.programFolder = programFolder;
        combiner.searchPath = path;
        return combiner;
    }
    QString RealQpdfFolder() const { return QFileInfo(RealQpdf()).absolutePath(); }

    // A stand-in for qpdf in the program folder, running the given shell lines.
    QString FakeTool(const QString& body)
    {
        const QString tool = emptyFolder + QStringLiteral("/qpdf");
        WriteFile(tool, ("#!/bin/sh\n" + body + "\n").toUtf8());
        QFile::setPermissions(tool, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        return tool;
    }

    std::map<QString, QByteArray> Snapshot() const
    {
        std::map<QString, QByteArray> files;
        for (const QString& file : list.Files())
            files[file] = ReadBytes(file);
        return files;
    }
};

TEST_F(CombineTest, ThreePartsBecomeTheUsersFileAndThePartsAreGone)
{
    // Blanks, quotes, "%", "(", "$" and "!" must reach qpdf unchanged through the script.
    MakeRun(QStringLiteral("Report (final) 100% 'a' $HOME!.PDF"), {1, 2, 3});
    const QStringList files = list.Files();
    PartCombiner combiner = Combiner(emptyFolder, RealQpdfFolder());
    const CombineResult result = combiner.Combine(files, user);

    ASSERT_EQ(result.outcome, CombineOutcome::Combined) << result.text.toStdString();
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(PageCount(user), 6);
    EXPECT_EQ(FilesIn(out), QStringList{QFileInfo(user).fileName()}) << "no part, merged or work file is left";
    EXPECT_TRUE(box.shown.empty());
    EXPECT_EQ(status.texts.last(), QStringLiteral("3 output part files were combined into:\r\n") + user);
    EXPECT_TRUE(status.texts.contains(QStringLiteral("Checked output file 3 of 3")));
    EXPECT_EQ(result.text, status.texts.last());
}

TEST_F(CombineTest, TheArgumentsFileListsEveryPartThenTheMergedName)
{
    MakeRun(QStringLiteral("Listing.PDF"), {1, 1, 1});
    const QString seen = fx.path("seen-args.txt");
    const QString tool = FakeTool(QStringLiteral("cp \"${1#@}\" ") + ShellQuoted(seen) + QStringLiteral("\nexec ")
                                  + ShellQuoted(RealQpdf()) + QStringLiteral(" \"$@\""));
    PartCombiner combiner = Combiner(emptyFolder, RealQpdfFolder());
    const CombineResult result = combiner.Combine(list.Files(), user);
    ASSERT_EQ(result.outcome, CombineOutcome::Combined) << result.text.toStdString();
    EXPECT_EQ(result.tool, tool) << "the program folder comes before the search path";
    const QStringList expected{QStringLiteral("--empty"), QStringLiteral("--pages"), user,
                               out + QStringLiteral("/Listing_QLNTemp1.pdf"), out + QStringLiteral("/Listing_QLNTemp2.pdf"),
                               QStringLiteral("--"), out + QStringLiteral("/Listing_QLNMerged.pdf"), QString()};
    EXPECT_EQ(QString::fromUtf8(ReadBytes(seen)).split(QLatin1Char('\n')), expected);
    EXPECT_EQ(PageCount(user), 3);
    EXPECT_EQ(FilesIn(out), QStringList{QStringLiteral("Listing.PDF")});
}

TEST_F(CombineTest, AMergedFileLeftByAnotherRunIsNeverOverwritten)
{
    MakeRun(QStringLiteral("Report.pdf"), {1, 2});
    const QString old = out + QStringLiteral("/Report_QLNMerged.pdf");
    WriteFile(old, "another run");
    PartCombiner combiner = Combiner(emptyFolder, RealQpdfFolder());
    const CombineResult result = combiner.Combine(list.Files(), user);
    ASSERT_EQ(result.outcome, CombineOutcome::Combined) << result.text.toStdString();
    EXPECT_EQ(PageCount(user), 3);
    EXPECT_EQ(ReadBytes(old), QByteArray("another run"));
    EXPECT_EQ(FilesIn(out), (QStringList{QStringLiteral("Report.pdf"), QStringLiteral("Report_QLNMerged.pdf")}));
}

TEST_F(CombineTest, ExitCodeThreeWithoutWarningsIsSuccess)
{
    MakeRun(QStringLiteral("Report.pdf"), {2, 1});
    FakeTool(ShellQuoted(RealQpdf()) + QStringLiteral(" \"$@\" || exit 9\nexit 3"));
    PartCombiner combiner = Combiner(emptyFolder, QString());
    const CombineResult result = combiner.Combine(list.Files(), user);
    ASSERT_EQ(result.outcome, CombineOutcome::Combined) << result.text.toStdString();
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_EQ(PageCount(user), 3);
    EXPECT_EQ(FilesIn(out), QStringList{QStringLiteral("Report.pdf")});
}

TEST_F(CombineTest, ADamagedPartThatQpdfWarnsAboutFailsTheCombineAndKeepsEveryPart)
{
    MakeRun(QStringLiteral("Report.PDF"), {1, 3, 2}, 1);
    const auto before = Snapshot();
    PartCombiner combiner = Combiner(emptyFolder, RealQpdfFolder());
    const CombineResult result = combiner.Combine(list.Files(), user);

    EXPECT_EQ(result.outcome, CombineOutcome::Failed);
    EXPECT_TRUE(result.exitCode == 0 || result.exitCode == 3) << "qpdf repaired it and called it a success";
    EXPECT_EQ(result.warnings.parts, QStringList{list.Files()[1]});
    EXPECT_EQ(Snapshot(), before) << "every part, the user's file too, is untouched";
    EXPECT_EQ(FilesIn(out).size(), 3) << "no merged or work file is left";
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].title, QStringLiteral("PDF Combine Failed"));
    const QString& text = box.shown[0].text;
    EXPECT_TRUE(text.startsWith(QStringLiteral("The output part files could not be combined automatically.")));
    EXPECT_TRUE(text.contains(QStringLiteral("damage in:\r\n     ") + list.Files()[1] + kCrLf));
    for (const QString& part : list.Files())
        EXPECT_TRUE(text.contains(QStringLiteral("\r\n     ") + part)) << part.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("intact"))) << "a damaged part is not intact";
}

TEST_F(CombineTest, AWarningFailsTheCombineWhateverTheExitCode)
{
    MakeRun(QStringLiteral("Report.pdf"), {1, 1});
    const QString part = list.Files()[1];
    const QString warning = QStringLiteral("WARNING: ") + part + QStringLiteral(": object 4 lost");
    FakeTool(ShellQuoted(RealQpdf()) + QStringLiteral(" \"$@\"\necho ") + ShellQuoted(warning) + QStringLiteral(" >&2\nexit 3"));
    PartCombiner combiner = Combiner(emptyFolder, QString());
    const CombineResult result = combiner.Combine(list.Files(), user);
    EXPECT_EQ(result.outcome, CombineOutcome::Failed);
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_EQ(result.warnings.parts, QStringList{part});
    EXPECT_EQ(PageCount(user), 1) << "the user's file is still the first part";
    EXPECT_TRUE(QFileInfo::exists(part));
    EXPECT_FALSE(QFileInfo::exists(out + QStringLiteral("/Report_QLNMerged.pdf")));
}

TEST_F(CombineTest, AnErrorExitKeepsThePartsIntact)
{
    MakeRun(QStringLiteral("Report.pdf"), {1, 1});
    FakeTool(QStringLiteral("echo 'qpdf: out of luck' >&2\nexit 2"));
    PartCombiner combiner = Combiner(emptyFolder, QString());
    const CombineResult result = combiner.Combine(list.Files(), user);
    EXPECT_EQ(result.outcome, CombineOutcome::Failed);
    EXPECT_EQ(result.exitCode, 2);
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_TRUE(box.shown[0].text.contains(QStringLiteral("The combining tool ended with exit code 2.")));
    EXPECT_TRUE(box.shown[0].text.contains(QStringLiteral("Your output is complete and intact in 2 separate files:")));
    EXPECT_TRUE(box.shown[0].text.endsWith(QStringLiteral("The files are continuous and can be combined manually.")));
    EXPECT_EQ(FilesIn(out).size(), 2);
    EXPECT_TRUE(QString::fromUtf8(ReadBytes(log.path())).contains(QStringLiteral("out of luck")));
}

TEST_F(CombineTest, AWarningThatNamesNoPartIsQuotedInTheMessage)
{
    MakeRun(QStringLiteral("Report.pdf"), {1, 1});
    FakeTool(ShellQuoted(RealQpdf()) + QStringLiteral(" \"$@\"\necho 'WARNING: page tree repaired' >&2"));
    PartCombiner combiner = Combiner(emptyFolder, QString());
    const CombineResult result = combiner.Combine(list.Files(), user);
    EXPECT_EQ(result.outcome, CombineOutcome::Failed);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(result.warnings.parts.isEmpty());
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_TRUE(box.shown[0].text.contains(QStringLiteral("The combining tool warned:\r\n     WARNING: page tree repaired\r\n")));
    EXPECT_TRUE(box.shown[0].text.contains(QStringLiteral("Your output remains in 2 separate files:")));
    EXPECT_EQ(FilesIn(out).size(), 2);
}

TEST_F(CombineTest, QpdfNotFoundNamesEveryPartAndKeepsThem)
{
    MakeRun(QStringLiteral("Report.pdf"), {1, 2, 1});
    const auto before = Snapshot();
    PartCombiner combiner = Combiner(emptyFolder, QString());
    const CombineResult result = combiner.Combine(list.Files(), user);
    EXPECT_EQ(result.outcome, CombineOutcome::ToolNotFound);
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(FilesIn(out).size(), 3);
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].title, QStringLiteral("PDF Combine Tool Not Found"));
    QString names;
    for (const QString& part : list.Files())
        names += QStringLiteral("\r\n     ") + part;
    EXPECT_TRUE(box.shown[0].text.contains(QStringLiteral("Your output is complete but remains in 3 separate files:") + names
                                           + kCrLf));
}

TEST_F(CombineTest, AMissingPartIsWaitedForThenNamedAndNothingRuns)
{
    MakeRun(QStringLiteral("Report.pdf"), {1, 1, 1});
    QFile::remove(list.Files()[1]);
    FakeLauncher fake;
    FakeClock clock;
    PartCombiner combiner(fake, &box, &status, &log);
    combiner.programFolder = emptyFolder;
    combiner.searchPath = RealQpdfFolder();
    combiner.waits = clock.Waits();
    const CombineResult result = combiner.Combine(list.Files(), user);
    EXPECT_EQ(result.outcome, CombineOutcome::Failed);
    EXPECT_EQ(result.missingParts, QStringList{list.Files()[1]});
    EXPECT_EQ(fake.starts, 0);
    EXPECT_EQ(clock.pauses, 119);
    EXPECT_EQ(clock.now, 119 * 250);
    EXPECT_TRUE(status.texts.contains(
        QStringLiteral("Waiting for output file 2 of 3 to be released by the printer driver - elapsed 00:29")));
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_TRUE(box.shown[0].text.contains(QStringLiteral("These files are missing or empty:\r\n     ") + list.Files()[1]));
    EXPECT_FALSE(box.shown[0].text.contains(QStringLiteral("intact")));
    EXPECT_EQ(FilesIn(out).size(), 2);
}

TEST_F(CombineTest, AToolThatCannotStartOrEndsWithoutAStatusIsAFailure)
{
    MakeRun(QStringLiteral("Report.pdf"), {1, 1});
    FakeLauncher fake;
    PartCombiner combiner(fake, &box, &status, &log);
    combiner.programFolder = emptyFolder;
    combiner.searchPath = RealQpdfFolder();
    CombineResult result = combiner.Combine(list.Files(), user);
    EXPECT_EQ(result.outcome, CombineOutcome::Failed);
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_TRUE(box.shown[0].text.contains(QStringLiteral("The combining tool could not be started: no shell")));
    EXPECT_EQ(FilesIn(out).size(), 2) << "work files and the merged file are removed";

    fake.startId = 7; // started, and gone at once without writing its exit code
    box.shown.clear();
    result = combiner.Combine(list.Files(), user);
    EXPECT_EQ(result.outcome, CombineOutcome::Failed);
    EXPECT_EQ(result.exitCode, -1);
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_TRUE(box.shown[0].text.contains(QStringLiteral("ended without reporting an exit status")));
    EXPECT_EQ(FilesIn(out).size(), 2);
}

TEST_F(CombineTest, AStalledToolIsAbandonedAfterAMinuteWithoutGrowth)
{
    MakeRun(QStringLiteral("Report.pdf"), {1, 1});
    FakeTool(QStringLiteral("exec sleep 300"));
    FakeClock clock;
    const QString merged = out + QStringLiteral("/Report_QLNMerged.pdf");
    // The merged file grows for the first 20 simulated seconds, which holds the stall timer off.
    clock.onPause = [&] {
        if (clock.pauses % 50 == 0 && clock.now <= 20000) {
            QFile file(merged);
            if (file.open(QIODevice::Append))
                file.write("x");
        }
    };
    PartCombiner combiner = Combiner(emptyFolder, QString());
    combiner.waits = clock.Waits();
    const CombineResult result = combiner.Combine(list.Files(), user);
    EXPECT_EQ(result.outcome, CombineOutcome::Abandoned);
    EXPECT_GE(clock.now, 20000 + 60000);
    EXPECT_LT(clock.now, 20000 + 60000 + 5000);
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_TRUE(box.shown[0].text.contains(
        QStringLiteral("The combining tool stopped making progress for 1 minute and was abandoned.")));
    EXPECT_TRUE(box.shown[0].text.contains(QStringLiteral("Your output is complete and intact in 2 separate files:")));
    EXPECT_TRUE(status.texts.contains(QStringLiteral("Combining Temporary Output Files - elapsed 01:00")));
    EXPECT_EQ(FilesIn(out), (QStringList{QStringLiteral("Report.pdf"), QStringLiteral("Report_QLNTemp1.pdf")}));
    EXPECT_EQ(PageCount(user), 1);
}

TEST_F(CombineTest, OneFileHasNothingToCombine)
{
    MakeRun(QStringLiteral("Report.pdf"), {2});
    PartCombiner combiner = Combiner(emptyFolder, RealQpdfFolder());
    const CombineResult result = combiner.Combine(list.Files(), user);
    EXPECT_EQ(result.outcome, CombineOutcome::NothingToCombine);
    EXPECT_FALSE(result.Succeeded());
    EXPECT_TRUE(box.shown.empty());
    EXPECT_EQ(PageCount(user), 2);
}

} // namespace
