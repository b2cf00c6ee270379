#include "core/print/PrintFixture.h"

#include "config/Options.h"
#include "platform/PrinterDefaults.h"
#include "platform/ProcessLauncher.h"
#include "platform/StatusSink.h"
#include "print/OutputCombine.h"
#include "print/OutputFiles.h"
#include "print/OutputNames.h"
#include "print/OutputVerify.h"
#include "print/SpoolLimit.h"
#include "print/SpoolSize.h"
#include "support/CliRun.h"
#include "support/ScriptedMessageBox.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <gtest/gtest.h>

using namespace quillon::print;
using quillon::platform::MessageResult;
using quillon::test::fileStatus;
using quillon::test::Fixture;
using quillon::test::pdfPages;
using quillon::test::PrintBench;
using quillon::test::readBytes;
using quillon::test::ScriptedMessageBox;

namespace {

constexpr qint64 kMiB = 1048576;
const QString kQpdf = QStandardPaths::findExecutable(QStringLiteral("qpdf"));

// A small valid PDF of empty Letter pages with an exact xref table.
QByteArray minimalPdf(int pages)
{
    QList<QByteArray> objects {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [] /Count 0 >>"};
    for (int i = 0; i < pages; ++i) {
        objects << "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] >>";
        objects[1].replace("] ", QByteArray::number(3 + i) + " 0 R ] ");
    }
    objects[1].replace("/Count 0", "/Count " + QByteArray::number(pages));
    QByteArray out = "%PDF-1.4\n", xref = "xref\n0 " + QByteArray::number(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (int i = 0; i < objects.size(); ++i) {
        xref += QByteArray::number(out.size()).rightJustified(10, '0') + " 00000 n \n";
        out += QByteArray::number(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    return out + xref + "trailer\n<< /Size " + QByteArray::number(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" + QByteArray::number(out.size())
        + "\n%%EOF\n";
}

// A clock that moves only when the code under test pauses.
struct FakeClock {
    qint64 now = 0;
    int pauses = 0;
    std::function<void()> onPause = [] {};
    OutputWaits waits()
    {
        return {[this](int ms) { now += ms, ++pauses, onPause(); }, [this] { return now; }};
    }
};

// ---------------------------------------------------------------------------------------------
// The spool size estimate

TEST(SpoolEstimateTest, TheSmallestTermNeverBelowTheFloorRecalibratedAtStartAndReestimatedForANewFont)
{
    // Memory in KiB / 10, disk in whole MiB × 256, handles (10000 − objects) / 4: the smallest,
    // truncated, times 0.95 and truncated again; never below 500 × 0.95. Unknown memory and disk
    // count as 512 MiB and 500 MiB, negative objects as none.
    const std::pair<SpoolReadings, int> cases[] = {{{4096 * kMiB, 1024 * 1024 * kMiB, 400}, 2280}, // Int(9600 / 4) = 2400
        {{10 * kMiB + kMiB / 2, 1024 * kMiB, 0}, 1021}, // Int(1075.2) = 1075, Int(1021.25)
        {{4096 * kMiB, 3 * kMiB + 900 * 1024, 0}, 729}, // 3.9 MiB counts as 3: 768
        {{4096 * kMiB, 1024 * kMiB, 9000}, 475}, // 250, raised to 500
        {{0, 1024 * kMiB, 0}, 475}, {{4096 * kMiB, 0, 0}, 475}, {{std::nullopt, std::nullopt, -40}, 2375}}; // the handle term 2500
    for (const auto& [readings, estimate] : cases)
        EXPECT_EQ(estimateGdiSpoolSize(readings), estimate)
            << readings.availableMemoryBytes.value_or(-99) << " " << readings.freeDiskBytes.value_or(-99) << " " << readings.objectsInUse;

    const std::pair<const char*, std::optional<qint64>> meminfo[] = {
        {"MemTotal:       16315000 kB\nMemFree:  1 kB\nMemAvailable:    4194304 kB\nBuffers: 2 kB\n", 4096 * kMiB},
        {"MemTotal: 1 kB\nMemFree: 2 kB\n", std::nullopt}, {"MemAvailable: lots kB\n", std::nullopt}, {"MemAvailable: 77\n", 77},
        {"MemAvailable: 99999999999999999 kB\n", std::nullopt}}; // no overflow
    for (const auto& [text, bytes] : meminfo)
        EXPECT_EQ(parseMemAvailable(text), bytes) << text;

    // This machine's readings count every open file.
    Fixture fx;
    const SpoolReadings before = readSpoolReadings(fx.path());
    std::vector<std::unique_ptr<QFile>> open;
    for (int i = 0; i < 5; ++i) {
        open.push_back(std::make_unique<QFile>(fx.write(QString::number(i), "x")));
        ASSERT_TRUE(open.back()->open(QIODevice::ReadOnly));
    }
    EXPECT_GE(readSpoolReadings(fx.path()).objectsInUse, before.objectsInUse + 5);
    EXPECT_FALSE(readSpoolReadings(fx.path("no/such/folder")).freeDiskBytes.has_value());

    // A session recalibrates at its start and re-estimates only for a new font.
    PrintBench b;
    quillon::platform::BuiltInPdfPrinterDefaults printer;
    quillon::config::Options options(b.ini, printer);
    options.load();
    SpoolReadings machine {4096 * kMiB, 100000 * kMiB, 400};
    GdiSpoolEstimator estimator(options, [&machine] { return machine; });
    const SpoolFont courier {QStringLiteral("Courier New"), 10};
    EXPECT_EQ(estimator.recalibrateAtStart(courier), QString()) << "a value of 0 was not in use: no note";
    machine.objectsInUse = 2000; // Int(8000 / 4) × 0.95
    EXPECT_EQ(estimator.recalibrateAtStart(courier),
        "GDI Spool Size recalibrated from 2280 to 1900. Use File|User Options to "
        "restore a previous value as desired if you have been making manual adjustments.");
    EXPECT_EQ(b.ini.read(QStringLiteral("Quillon:Output"), QStringLiteral("GDISpoolSize"), QString()), QStringLiteral("1900"));
    EXPECT_EQ(estimator.recalibrateAtStart(courier), QString()) << "an unchanged value adds nothing";

    EXPECT_FALSE(estimator.offerReestimate(b.box, {QStringLiteral(" courier new"), 10})) << "the same font, written differently";
    machine.objectsInUse = 400;
    b.box.results = {MessageResult::Yes, MessageResult::No};
    EXPECT_TRUE(estimator.offerReestimate(b.box, {QStringLiteral("Consolas"), 10}));
    EXPECT_EQ(estimator.value(), 2280);
    EXPECT_FALSE(estimator.offerReestimate(b.box, {QStringLiteral("Consolas"), 10})) << "asked once per change";
    machine.objectsInUse = 2000;
    EXPECT_FALSE(estimator.offerReestimate(b.box, {QStringLiteral("Consolas"), 9.5})) << "a new size asks; No keeps the value";
    EXPECT_EQ(estimator.value(), 2280);
    ASSERT_EQ(b.box.shown.size(), 2u);
    EXPECT_EQ(b.box.shown[0].title, QStringLiteral("GDI Spool Size"));
    GdiSpoolEstimator fresh(options, [&machine] { return machine; });
    EXPECT_FALSE(fresh.offerReestimate(b.box, courier)) << "nothing estimated in this session: nothing to compare";
}

// ---------------------------------------------------------------------------------------------
// Lines, parts and the spool-limit decision

TEST(PartEstimateTest, RoutinesFillPartsInQueueOrderAndEachSpoolActionAddsItsLines)
{
    const std::tuple<double, double, int, qint64> images[] = {// printable height, character height, pages: whole lines per page times pages
        {15000, 240, 2, 62 * 2}, {15120, 240, 0, 63}, // a page count below 1 counts as 1
        {100, 240, 4, 4}, {15120, 0, 2, 2}, // at least one line per page
        {1e300, 1e-300, 1, 1}, {1e15, 1, 2, qint64(2e9)}}; // an absurd geometry: a finite count
    for (const auto& [height, character, pages, lines] : images)
        EXPECT_EQ(imageSpoolLines(height, character, pages), lines) << height << " / " << character << " × " << pages;

    const auto l = [](qint64 start, qint64 end, bool selected = true) { return SpoolRow {selected, false, 0, start, end}; };
    const auto image = [](qint64 lines) { return SpoolRow {true, true, lines}; };
    constexpr qint64 kMax = 2147483647;
    const std::tuple<std::vector<SpoolRow>, int, qint64, qint64> cases[] = {// rows, GDI Spool Size: parts, lines in the last part
        {{}, 1000, 1, 0}, {{l(1, 500), l(1, 500)}, 1000, 1, 1000}, // exactly fits
        {{l(1, 400), l(1, 700)}, 1000, 2, 700}, {{l(1, 400), l(1, 700, false), l(1, 500)}, 1000, 1, 900}, // unselected: nothing
        // One routine larger than a file fills whole parts; the rest starts the last.
        {{l(1, 1000)}, 1000, 1, 1000}, {{l(1, 1001)}, 1000, 2, 1}, {{l(1, 2000)}, 1000, 2, 1000},
        // A part in progress closes before an oversize routine starts its own.
        {{l(1, 300), l(1, 2500)}, 1000, 4, 500}, {{l(1, 500), image(600)}, 1000, 2, 600}, {{l(1, 500), image(1500)}, 1000, 1, 500}, // too large for any file
        {{l(1, 500), l(900, 10)}, 1000, 1, 500}, {{l(1, kMax), l(1, kMax)}, 500, 8589936, 147}, // 4,294,968 parts each, no overflow
        {{l(1, 5000)}, 0, 1, 0}}; // no spool size: one part of nothing
    for (const auto& [rows, gdi, parts, last] : cases) {
        const PartEstimate e = estimateParts(rows, gdi);
        EXPECT_EQ(std::tuple(e.parts, e.lastPartLines), std::tuple(parts, last)) << rows.size() << " rows in " << gdi;
    }
    const PartEstimate noProject = estimateParts({l(1, 5000)}, 1000, false);
    EXPECT_EQ(std::tuple(noProject.parts, noProject.lastPartLines), std::tuple(qint64(1), qint64(0)));

    const std::tuple<qint64, qint64, int, bool> multiple[] = {{1, 850, 1000, false}, {1, 851, 1000, true}, // Int(0.85 × 1000) = 850 must be exceeded
        {1, 425, 501, false}, {1, 426, 501, true}, {2, 1, 1000, true}, {1, 0, 0, false}}; // Int(425.85) = 425
    for (const auto& [parts, last, gdi, expected] : multiple)
        EXPECT_EQ(expectsMultipleTemporaryFiles({parts, last}, gdi), expected) << parts << " " << last << " " << gdi;

    using enum SpoolAction;
    // routine {image, image lines, start, end, last printed}, part {to a file, split mode,
    // GDI Spool Size, lines in it}: the action and the lines the routine adds
    const std::tuple<SpoolRoutine, SpoolCounters, SpoolAction, qint64> decisions[] = {{{false, 0, 1, 500}, {true, false, 1000, 500}, Print, 500},
        {{false, 0, 1, 501}, {true, false, 1000, 500}, EndBatch, 501}, {{false, 0, 1, 501}, {true, true, 1000, 500}, NextTemporaryPart, 501},
        {{true, 600}, {true, true, 1000, 500}, NextTemporaryPart, 600},
        // Larger than a whole file: oversize from an empty part; an image no new file could take either.
        {{false, 0, 1, 1500}, {true, false, 1000, 0}, StartOversize, 1500}, {{true, 1200}, {true, true, 1000, 300}, FormImageException, 1200},
        // A continued oversize routine counts from its last printed line.
        {{false, 0, 1, 3000, 1800}, {true, true, 1000, 0}, ContinueOversize, 1200}, {{false, 0, 1, 3000, 2600}, {true, false, 1000, 0}, Print, 400},
        // No spool control or no spool size never splits; the lines still count for the part.
        {{false, 0, 1, 50000}, {true, true, 0, 900}, Print, 50000}, {{false, 0, 1, 50000}, {false, true, 1000, 900}, Print, 50000},
        {{false, 0, 10, 1}, {true, false, 1000, 999}, Print, 0}}; // a backwards range adds nothing
    for (const auto& [routine, part, action, lines] : decisions) {
        const SpoolDecision d = decideSpoolLimit(routine, part);
        EXPECT_EQ(std::tuple(d.action, d.routineLines), std::tuple(action, lines))
            << routine.startLine << "-" << routine.endLine << " image " << routine.imageLines << " after " << part.linesInPart;
    }
    // An oversize routine stops on an even page, just begun, when two more pages would not fit.
    const std::tuple<bool, int, qint64, double, int, bool> stops[] = {{true, 2, 900, 50, 1000, false}, {true, 2, 901, 50, 1000, true},
        {true, 4, 880, 60.5, 1000, true}, {true, 3, 990, 50, 1000, false}, {false, 2, 990, 50, 1000, false}, {true, 2, 990, 50, 0, false}};
    for (const auto& [begun, page, inPart, perPage, gdi, stop] : stops)
        EXPECT_EQ(oversizeRoutineStopsHere(begun, page, inPart, perPage, gdi), stop) << begun << page << " " << inPart << " " << perPage;
    // The questions between parts and batches, and their answers, are checked by the print run.
}

// ---------------------------------------------------------------------------------------------
// Names

TEST(OutputNamesTest, PartSuffixesSuggestedNamesTheNoticeAndReservedNamesThatNeverTakeAnotherRunsFile)
{
    // Only a ".pdf" in any case is taken off before the suffix.
    const std::pair<const char*, const char*> parts[] = {{"/out/Report.Pdf", "/out/Report_QLNTemp12.pdf"}, {"/out/Report", "/out/Report_QLNTemp12.pdf"},
        {"Report.pdf.PDF", "Report.pdf_QLNTemp12.pdf"}, {"Report.ps", "Report.ps_QLNTemp12.pdf"}, {"a.pdfx", "a.pdfx_QLNTemp12.pdf"}};
    for (const auto& [user, part] : parts)
        EXPECT_EQ(temporaryPartName(QString::fromLatin1(user), 12), QString::fromLatin1(part)) << user;

    // Oversize parts are numbered on the first part's base; the next routine has the base again.
    SuggestedNames names(QStringLiteral("/out/Listing.PDF"));
    for (const auto& [part, name] : {std::pair {3, "/out/Listing_Part3.pdf"}, {0, "/out/Listing.PDF"}})
        EXPECT_EQ(std::tuple(names.forOversizePart(part), names.current()), std::tuple(name, name)) << part;

    const auto notice = suggestedFileNameNotice(QStringLiteral("/out/a.pdf"), false, true);
    EXPECT_TRUE(notice.text.endsWith("\r\nA suggested file name, copied to the clipboard, is:\r\n     /out/a.pdf"));
    const auto pdf = suggestedFileNameNotice(QStringLiteral("/out/a.pdf"), true, false);
    EXPECT_TRUE(pdf.text.contains("A suggested file name is:\r\n     /out/a.pdf\r\n"));
    EXPECT_EQ(std::tuple(notice.text.contains("temporary part files"), pdf.text.contains("temporary part files"), pdf.text.contains("clipboard")),
        std::tuple(false, true, false))
        << "the parts for a PDF printer; the clipboard when the name is on it";

    // The temporary parts of a run: named after the user's file, reserved empty, listed in order.
    Fixture fx;
    TemporaryPartList list;
    QString error;
    EXPECT_EQ(list.startNext(&error), QString()) << "no run has begun";
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(list.begin(fx.path("Listing.PDF")), fx.path("Listing_QLNTemp0.pdf")) << "even the first part is not the user's file";
    EXPECT_FALSE(list.hasTemporaryParts());
    for (const char* taken : {"Listing_QLNTemp1.pdf", "Listing_QLNTemp2.pdf", "Listing_QLNTemp2 (2).pdf"})
        fx.write(taken, "another run's part");
    const QString first = list.startNext(), second = list.startNext();
    EXPECT_EQ(std::tuple(first, second), std::tuple(fx.path("Listing_QLNTemp1 (2).pdf"), fx.path("Listing_QLNTemp2 (3).pdf")));
    EXPECT_EQ(std::tuple(QFileInfo::exists(second), QFileInfo(second).size(), readBytes(fx.path("Listing_QLNTemp1.pdf"))),
        std::tuple(true, 0, QByteArray("another run's part")));
    EXPECT_EQ(std::tuple(list.files(), list.partNumber(), list.hasTemporaryParts()),
        std::tuple(QStringList {fx.path("Listing_QLNTemp0.pdf"), first, second}, 2, true));
    error.clear();
    EXPECT_EQ(list.begin(fx.path("gone/Report.pdf"), &error), QString());
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(QDir(fx.path()).entryList({"Listing*"}), (QStringList {"Listing_QLNTemp1.pdf", "Listing_QLNTemp2 (2).pdf", "Listing_QLNTemp2.pdf"}))
        << "an unfinished run's parts go, no other";
    EXPECT_EQ(std::tuple(list.files(), list.partNumber()), std::tuple(QStringList(), 0));
}

// ---------------------------------------------------------------------------------------------
// Target classes, output verification and form images larger than a file

TEST(VerifyOutputTest, TargetClassesOnlyFileTargetsThatAreNotPdfPrintersWithASpoolSizeAreVerifiedAndFormImagesLargerThanAFile)
{
    using enum TargetClass;
    const std::tuple<const char*, const char*, bool, bool, bool, TargetClass> targets[] = {// device, port: PDF printer, file target, physical port, class
        {"Writer PdF", "", true, true, false, PdfPrinter}, {"PDF on a wire", "USB001", true, true, true, PdfPrinter},
        {"Office Laser", "file:", false, true, false, FilePort}, {"Office Laser", "PortPrompt:", false, true, false, FilePort},
        {"Office Laser", "  usb001 ", false, false, true, PhysicalPort}, {"Office Laser", "WSD-1c2b", false, false, true, PhysicalPort},
        {"Office Laser", "IP_192.0.2.7", false, false, true, PhysicalPort}, {"Office Laser", "\\\\server\\laser", false, false, true, PhysicalPort},
        {"Office Laser", "\\laser", false, false, false, Other}, {"Office Laser", "WSD", false, false, false, Other},
        {"Office Laser", "IPP://host/queue", false, false, false, Other}};
    for (const auto& [device, port, pdf, file, physical, cls] : targets) {
        const OutputTarget target = classifyOutputTarget(QString::fromLatin1(device), QString::fromLatin1(port));
        EXPECT_EQ(std::tuple(target.pdfPrinter, target.fileTarget, target.physicalPort, target.targetClass()), std::tuple(pdf, file, physical, cls))
            << device << " / " << port;
    }

    const OutputTarget filePort = classifyOutputTarget(QStringLiteral("Office Laser"), QStringLiteral("FILE:"));
    const OutputTarget pdf = classifyOutputTarget(QStringLiteral("Quillon PDF"), QStringLiteral("FILE:"));
    const OutputTarget laser = classifyOutputTarget(QStringLiteral("Office Laser"), QStringLiteral("USB001"));
    using enum VerifyResult;
    const std::tuple<const char*, OutputTarget, int, VerifyResult, int, const char*> cases[] = {
        // the file (late: filled at the third pause), target, spool size: result, pauses, the message
        {"missing", filePort, 0, NotChecked, 0, ""}, {"missing", pdf, 1000, NotChecked, 0, ""}, {"missing", laser, 1000, NotChecked, 0, ""},
        {"missing", filePort, 1000, Missing, 0, "Verify Output File|information|The GDI Spool size appears to have been exceeded."},
        {"empty", filePort, 1000, Empty, 119, "Bad Output File Notice|question|"}, // 120 tries, 500 ms apart
        {"late", filePort, 1000, Verified, 3, ""}};
    for (const auto& [name, target, gdi, result, pauses, message] : cases) {
        SCOPED_TRACE(testing::Message() << name << " " << gdi << " " << int(target.targetClass()));
        PrintBench b;
        FakeClock clock;
        const QString file = QString::fromLatin1(name) == "missing" ? b.fx.path("missing.prn") : b.fx.write("out.prn", "");
        clock.onPause = [&, late = QString::fromLatin1(name) == "late"] {
            if (late && clock.pauses == 3)
                b.fx.write(file, "%!PS");
        };
        QString suffix;
        EXPECT_EQ(verifyOutput(file, target, gdi, &b.messages, clock.waits(), &suffix), result);
        EXPECT_EQ(std::tuple(clock.pauses, clock.now, suffix), std::tuple(pauses, qint64(pauses) * 500, result == Empty ? " (Fail at 120)" : ""));
        ASSERT_EQ(b.box.shown.size(), *message ? 1u : 0u);
        for (const auto& shown : b.box.shown)
            EXPECT_TRUE((shown.request.messageKey + "|" + quillon::platform::iconName(shown.request.icon) + "|" + shown.text).startsWith(message));
    }

    // A form image larger than a file goes to the default printer unless it is unknown or the
    // file target; the omitted output page stands in for it. The default printer setting, answer: printed there, messages shown
    const std::tuple<const char*, std::optional<MessageResult>, bool, int> routes[] = {
        {"Office Laser,winspool,Ne01:", std::nullopt, false, 1}, // nobody there: never print on paper unasked
        {"Office Laser,winspool,Ne01:", MessageResult::Yes, true, 1}, {"quillon pdf", MessageResult::Yes, false, 2}, {"", MessageResult::Yes, false, 2},
        {",winspool", MessageResult::Yes, false, 2}};
    for (const auto& [defaultDevice, answer, printed, messages] : routes) {
        ScriptedMessageBox box;
        if (answer)
            box.results = {*answer};
        const FormImageRoute route = chooseFormImageRoute(box, QStringLiteral("frmMain"), QString::fromLatin1(defaultDevice), QStringLiteral("Quillon PDF"));
        EXPECT_EQ(std::tuple(route.toDefaultPrinter, route.device), std::tuple(printed, printed ? "Office Laser" : QString()));
        // Their titles, and the text of the skip, are checked by the print run.
        ASSERT_EQ(box.shown.size(), size_t(messages)) << defaultDevice;
        EXPECT_TRUE(box.shown[0].text.startsWith("The form image frmMain is estimated to exceed")
            && box.shown[0].text.endsWith("\r\nSend this form image to the default printer instead?"));
    }

    // The omitted output page: the notice in red bold at the top of the print box (2016), the
    // image's name under it; two-sided, the back page follows.
    PrintBench b;
    b.setup.duplex = true;
    b.compute();
    printOmittedOutputPage(b.frame, QStringLiteral("frmMain.frm"), false);
    const auto notice = b.of(PrintBench::Op::Kind::Text, "A single page was omitted here - not sent to the printer").at(0);
    const auto name = b.of(PrintBench::Op::Kind::Text, "(frmMain.frm)").at(0);
    const quint32 red = quillon::platform::rgb(255, 0, 0);
    EXPECT_EQ(std::tuple(notice.color, notice.bold, name.color, name.bold, name.y > notice.y), std::tuple(red, true, red, true, true));
    EXPECT_TRUE(b.surface.texts().contains("Omitted Output Notice") && b.surface.texts().contains("Page 1 of 1")) << "no (est) on the notice";
    EXPECT_EQ(std::tuple(b.surface.bold(), b.surface.texts(2).contains("(This Page Intentionally Left Blank)")), std::tuple(false, true));
}

// ---------------------------------------------------------------------------------------------
// Combining

TEST(CombineToolTest, TheToolIsFoundAndItsWarningsCreditedToTheRightPart)
{
    Fixture fx;
    const QString program = fx.path("program"), bin = fx.path("bin");
    for (const QString& folder : {program + "/qpdf", program + "/qpdf Files/bin", bin})
        QDir().mkpath(folder);
    auto tool = [&fx](const QString& path, bool executable) {
        fx.write(path, "#!/bin/sh\n");
        QFile::setPermissions(path, executable ? QFileDevice::ReadOwner | QFileDevice::ExeOwner : QFileDevice::ReadOwner);
    };
    tool(bin + "/qpdf", true);
    const QString path = "relative:" + fx.path("empty") + ":" + bin;
    EXPECT_EQ(findCombineTool(program, path), bin + "/qpdf") << "a folder named qpdf is not the tool";
    tool(program + "/qpdf/qpdf", true);
    EXPECT_EQ(findCombineTool(program, path), program + "/qpdf/qpdf") << "the program folder first";
    tool(program + "/qpdf Files/bin/qpdf", false);
    EXPECT_EQ(findCombineTool(program, path), program + "/qpdf/qpdf") << "not executable";
    tool(program + "/qpdf Files/bin/qpdf", true);
    EXPECT_EQ(findCombineTool(program + "/", path), program + "/qpdf Files/bin/qpdf");
    EXPECT_EQ(std::tuple(findCombineTool(QString(), QString()), findCombineTool(fx.path("empty"), QString())), std::tuple("", ""))
        << "no folder at all looks nowhere";

    const QStringList parts {"/o/Report", "/o/Report_QLNTemp1.pdf", "/o/Report_QLNTemp10.pdf"};
    const ToolWarnings w = findToolWarnings("WARNING: /o/Report_QLNTemp10.pdf: file is damaged\nqpdf: operation succeeded\n"
                                            "WARNING: /o/Report_QLNTemp1.pdf (offset 9): xref not found\nWARNING: something else\n",
        parts);
    EXPECT_EQ(std::tuple(w.parts, w.lines.size(), findToolWarnings("qpdf: done\n", parts).lines.size()),
        std::tuple(QStringList {"/o/Report_QLNTemp1.pdf", "/o/Report_QLNTemp10.pdf"}, 3, 0));
}

// A launcher that runs nothing: the tool cannot start (id 0) or is gone at once.
struct FakeLauncher : quillon::platform::IProcessLauncher {
    qint64 startId = 0;
    int starts = 0;
    qint64 start(const QString&, const QStringList&, QString* error) override
    {
        ++starts;
        if (!startId && error)
            *error = QStringLiteral("no shell");
        return startId;
    }
    bool isRunning(qint64) override { return false; }
    void stop(qint64) override { }
    void release(qint64) override { }
};

// A split-mode run's files in a private folder: the user's file from an earlier run and the
// temporary parts, each a real PDF of the given page count.
const QByteArray kEarlier = "the user's earlier file";
class CombineTest : public ::testing::Test, public quillon::platform::IStatusSink {
protected:
    Fixture fx_;
    quillon::model::DiagLog log_ {fx_.path("diag.txt")};
    ScriptedMessageBox box_;
    QStringList statuses_;
    quillon::platform::ProcessLauncher launcher_;
    FakeLauncher fake_;
    FakeClock clock_;
    QString out_, tools_ = fx_.path("program"), user_;
    TemporaryPartList list_;

    void SetUp() override
    {
        if (kQpdf.isEmpty())
            GTEST_SKIP() << "qpdf is not installed";
    }
    void showStatus(const QString& text) override { statuses_ << text; }

    // pages[i] pages in file i.
    void makeRun(const QString& userName, const std::vector<int>& pages, const QString& folder = "out")
    {
        out_ = fx_.path(folder);
        QFile::remove(tools_ + "/qpdf");
        box_.shown.clear();
        user_ = fx_.write(folder + "/" + userName, kEarlier); // replaced by a complete combine only
        fx_.write(list_.begin(user_), minimalPdf(pages[0]));
        for (size_t i = 1; i < pages.size(); ++i)
            fx_.write(list_.startNext(), minimalPdf(pages[i]));
    }
    // A stand-in for qpdf in the program folder, running the given shell lines ("%Q": the real
    // qpdf with the arguments given, "%1": the second file of the run).
    QString fakeTool(QString body)
    {
        fx_.write("program/qpdf", "#!/bin/sh\n" + body.replace("%Q", shellQuoted(kQpdf) + " \"$@\"").replace("%1", list_.files()[1]).toUtf8());
        QFile::setPermissions(tools_ + "/qpdf", QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        return tools_ + "/qpdf";
    }
    // The real launcher unless the fake is asked for; qpdf on the search path unless pathless.
    CombineResult combine(bool pathless = false, bool useFake = false, bool fakeClock = false)
    {
        PartCombiner combiner(useFake ? static_cast<quillon::platform::IProcessLauncher&>(fake_) : launcher_, &box_, this, &log_);
        combiner.programFolder = tools_;
        combiner.searchPath = pathless ? QString() : QFileInfo(kQpdf).absolutePath();
        if (fakeClock)
            combiner.waits = clock_.waits();
        return combiner.combine(list_.files(), user_);
    }
    std::map<QString, QByteArray> snapshot() const
    {
        std::map<QString, QByteArray> files {{user_, readBytes(user_)}};
        for (const QString& file : list_.files())
            files[file] = readBytes(file);
        return files;
    }
    // The user's file and the parts and nothing else, whatever their content.
    bool nothingElseLeft() const { return QDir(out_).entryList(QDir::Files | QDir::Hidden).size() == list_.files().size() + 1; }
};

TEST_F(CombineTest, PartsBecomeTheUsersFileAndNothingElseIsLeftOrTouchedAndAFailedRenameOrRemovalIsTold)
{
    const quillon::test::ObeyFilePermissions asUser; // for the folder that takes no new name below
    // Blanks, quotes, "%", "(", "$" and "!" must reach qpdf unchanged through the script. The
    // arguments file lists every part, then the merged name; the program folder comes first.
    makeRun("Report (final) 100% 'a' $HOME!.PDF", {1, 2, 3});
    const QString seen = fx_.path("seen-args.txt"), stem = out_ + "/Report (final) 100% 'a' $HOME!";
    const QString tool = fakeTool("cp \"${1#@}\" " + shellQuoted(seen) + "\nexec %Q");
    QFile::setPermissions(user_, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
    CombineResult result = combine();
    ASSERT_EQ(result.outcome, CombineOutcome::Combined) << result.text.toStdString();
    EXPECT_EQ(std::tuple(result.exitCode, result.tool, pdfPages(user_)), std::tuple(0, tool, 6));
    EXPECT_EQ(QString::fromUtf8(readBytes(seen)).split('\n'),
        (QStringList {"--empty", "--pages", stem + "_QLNTemp0.pdf", stem + "_QLNTemp1.pdf", stem + "_QLNTemp2.pdf", "--", stem + "_QLNMerged.pdf", ""}));
    EXPECT_EQ(QDir(out_).entryList(QDir::Files | QDir::Hidden), QStringList {QFileInfo(user_).fileName()}) << "no part, merged or work file is left";
    EXPECT_EQ(std::tuple(box_.shown.empty(), result.text), std::tuple(true, "3 output part files were combined into:\r\n" + user_));
    EXPECT_EQ(fileStatus(user_).st_mode & 07777, 0640u) << "the combined file keeps who may read the user's file";
    EXPECT_EQ(std::tuple(statuses_.last(), statuses_.contains("Checked output file 3 of 3")), std::tuple(result.text, true));

    // A merged file left by another run is never overwritten; exit code 3 without warnings is success.
    makeRun("Report.pdf", {1, 2}, "kept");
    fx_.write(out_ + "/Report_QLNMerged.pdf", "another run");
    fakeTool("%Q || exit 9\nexit 3");
    result = combine(true);
    ASSERT_EQ(result.outcome, CombineOutcome::Combined) << result.text.toStdString();
    EXPECT_EQ(std::tuple(result.exitCode, pdfPages(user_)), std::tuple(3, 3));
    EXPECT_EQ(readBytes(out_ + "/Report_QLNMerged.pdf"), QByteArray("another run"));
    EXPECT_EQ(QDir(out_).entryList(QDir::Files), (QStringList {"Report.pdf", "Report_QLNMerged.pdf"}));

    makeRun("Report.pdf", {2}, "one"); // one part has nothing to combine: it becomes the user's file
    result = combine();
    EXPECT_EQ(
        std::tuple(result.outcome, result.succeeded(), box_.shown.size(), readBytes(user_)), std::tuple(CombineOutcome::NothingToCombine, false, 0u, kEarlier));
    QFile::setPermissions(user_, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_TRUE(list_.publishSinglePart());
    EXPECT_EQ(std::tuple(pdfPages(user_), fileStatus(user_).st_mode & 07777), std::tuple(2, 0600u));
    EXPECT_EQ(QDir(out_).entryList(QDir::Files), QStringList {"Report.pdf"});

    // The merged file cannot take the user's name, or the parts cannot be removed afterwards.
    makeRun("Report.pdf", {1, 2}, "denied");
    fakeTool("%Q\nstatus=$?\nchmod a-w " + shellQuoted(out_) + "\nexit $status"); // the folder takes no new name
    const auto before = snapshot();
    result = combine(true);
    QFile::setPermissions(out_, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(std::tuple(result.outcome, snapshot()), std::tuple(CombineOutcome::Failed, before));
    ASSERT_EQ(box_.shown.size(), 1u);
    EXPECT_TRUE(box_.shown[0].text.contains("The combined file could not be given the name " + user_ + ": Permission denied"));

    // Parts in a folder that keeps its files: the combine stands, the leftovers are named.
    makeRun("Report.pdf", {1, 2}, "stuck");
    QFile::setPermissions(out_, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    user_ = fx_.write("moved/Report.pdf", kEarlier);
    result = combine();
    QFile::setPermissions(out_, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(std::tuple(result.outcome, pdfPages(user_), result.undeletedParts), std::tuple(CombineOutcome::Combined, 3, list_.files()));
    EXPECT_TRUE(result.text.endsWith("These part files could not be removed:\r\n     " + list_.files().join("\r\n     ")));
}

TEST_F(CombineTest, AFailureKeepsEveryFileAsItWasAndNamesThem)
{
    const QString intact = "Your output is complete and intact in 2 separate files:";
    struct Failure {
        std::vector<int> pages;
        const char* tool; // a stand-in's shell lines; "": no qpdf at all
        CombineOutcome outcome;
        int exitCode;
        QStringList warned, says; // warned: "%1", the second file; says: in "title|text"; "%N": every file named
    };
    const Failure failures[] = {// qpdf repairs a damaged part, calls it a success and names the part in a warning
        {{1, 1, 1}, "%Q\necho 'WARNING: %1: object 4 lost' >&2\nexit 3", CombineOutcome::Failed, 3, {"%1"},
            {"PDF Combine Failed|The output part files could not be combined automatically.", "damage in:\r\n     %1\r\n", "remains in 3 separate files:%N"}},
        {{1, 1}, "%Q\necho 'WARNING: page tree repaired' >&2", CombineOutcome::Failed, 0, {},
            {"The combining tool warned:\r\n     WARNING: page tree repaired\r\n", "Your output remains in 2 separate files:%N"}},
        {{1, 1}, "echo 'qpdf: out of luck' >&2\nexit 2", CombineOutcome::Failed, 2, {},
            {"The combining tool ended with exit code 2.", intact + "%N", "The files are continuous and can be combined manually."}},
        {{1, 1}, "echo not a PDF >\"$(tail -n 1 \"${1#@}\")\"", CombineOutcome::Failed, 0, {}, {"The combined file is empty or not a PDF file.", intact}},
        {{1, 2, 1}, "", CombineOutcome::ToolNotFound, -1, {},
            {"PDF Combine Tool Not Found|", "Your output is complete but remains in 3 separate files:%N\r\n"}}};
    int n = 0;
    for (const Failure& f : failures) {
        SCOPED_TRACE(f.tool);
        makeRun("Report.PDF", f.pages, QString::number(++n));
        if (*f.tool)
            fakeTool(f.tool);
        const auto before = snapshot();
        const CombineResult result = combine(true);
        EXPECT_EQ(std::tuple(result.outcome, result.exitCode, result.warnings.parts),
            std::tuple(f.outcome, f.exitCode, QStringList(f.warned).replaceInStrings("%1", list_.files()[1])));
        EXPECT_EQ(snapshot(), before) << "every part, the user's file too, is untouched";
        EXPECT_TRUE(nothingElseLeft()) << "no merged or work file is left";
        ASSERT_EQ(box_.shown.size(), 1u);
        const QString shown = box_.shown[0].title + "|" + box_.shown[0].text;
        for (const QString& text : f.says)
            EXPECT_TRUE(shown.contains(QString(text).replace("%1", list_.files()[1]).replace("%N", "\r\n     " + list_.files().join("\r\n     "))))
                << text.toStdString() << "\n"
                << shown.toStdString();
        EXPECT_EQ(shown.contains("intact"), f.says.join("").contains(intact)) << "a damaged part is not intact";
    }
    EXPECT_TRUE(QString::fromUtf8(readBytes(log_.path())).contains("out of luck"));
}

TEST_F(CombineTest, AMissingPartIsWaitedForAndAToolThatCannotStartEndsWithoutAStatusOrStallsIsAFailure)
{
    makeRun("Report.pdf", {1, 1, 1});
    QFile::remove(list_.files()[1]);
    const CombineResult missing = combine(false, true, true);
    EXPECT_EQ(std::tuple(missing.outcome, missing.missingParts, fake_.starts), std::tuple(CombineOutcome::Failed, QStringList {list_.files()[1]}, 0));
    EXPECT_EQ(std::tuple(clock_.pauses, clock_.now), std::tuple(119, qint64(119 * 250)));
    EXPECT_TRUE(statuses_.contains("Waiting for output file 2 of 3 to be released by the printer driver - elapsed 00:29"));
    ASSERT_EQ(box_.shown.size(), 1u);
    EXPECT_TRUE(box_.shown[0].text.contains("These files are missing or empty:\r\n     " + list_.files()[1]));
    EXPECT_FALSE(box_.shown[0].text.contains("intact"));
    EXPECT_EQ(QDir(out_).entryList(QDir::Files), (QStringList {"Report.pdf", "Report_QLNTemp0.pdf", "Report_QLNTemp2.pdf"}));

    // A tool that cannot start, ends without a status or stalls.
    makeRun("Report.pdf", {1, 1}, "start");
    for (const auto& [id, reason] :
        {std::pair {0, "The combining tool could not be started: no shell"}, {7, "The combining tool ended without reporting an exit status."}}) {
        fake_.startId = id;
        box_.shown.clear();
        const CombineResult result = combine(false, true);
        EXPECT_EQ(std::tuple(result.outcome, result.exitCode), std::tuple(CombineOutcome::Failed, -1));
        ASSERT_EQ(box_.shown.size(), 1u);
        EXPECT_TRUE(box_.shown[0].text.contains(QString::fromLatin1(reason))) << box_.shown[0].text.toStdString();
        EXPECT_TRUE(nothingElseLeft()) << "work files and the merged file are removed";
    }

    // The merged file grows for the first 20 simulated seconds, which holds the stall timer off.
    makeRun("Report.pdf", {1, 1}, "stalled");
    fakeTool("exec sleep 300");
    clock_ = FakeClock();
    clock_.onPause = [&] {
        QFile file(out_ + "/Report_QLNMerged.pdf");
        if (clock_.pauses % 50 == 0 && clock_.now <= 20000 && file.open(QIODevice::Append))
            file.write("x");
    };
    const CombineResult result = combine(true, false, true);
    EXPECT_EQ(result.outcome, CombineOutcome::Abandoned);
    EXPECT_GE(clock_.now, 20000 + 60000);
    EXPECT_LT(clock_.now, 20000 + 60000 + 5000);
    ASSERT_EQ(box_.shown.size(), 1u);
    EXPECT_TRUE(box_.shown[0].text.contains("The combining tool stopped making progress for 1 minute and was abandoned."));
    EXPECT_TRUE(statuses_.contains("Combining Temporary Output Files - elapsed 01:00"));
    EXPECT_EQ(std::tuple(nothingElseLeft(), readBytes(user_)), std::tuple(true, kEarlier));
}

} // namespace
