#include "config/Options.h"
#include "config/Session.h"
#include "config/SuppressibleMessages.h"
#include "model/DiagLog.h"
#include "platform/DeferredMessageBox.h"
#include "platform/PrinterDefaults.h"
#include "support/ScriptedMessageBox.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>

#include <span>

#include <gtest/gtest.h>

using namespace quillon::config;
using namespace quillon::platform;
using quillon::model::DiagLog;
using quillon::test::Fixture;
using quillon::test::readBytes;
using quillon::test::ScriptedMessageBox;

namespace {

Warning mimicWarning()
{
    Warning w = Warning::notice("Mimic IDE Requirements", "Mimic Requirement Issue", quillon::platform::MessageIcon::Exclamation, "Continue?");
    w.buttons = QStringList {"Yes", "No"};
    return w;
}

// One test's options file in a private folder, and what reads and writes it.
class ConfigTest : public ::testing::Test {
protected:
    struct FakePrinter : IPrinterDefaults {
        PrinterDefaults defaults = builtInPdfWriterDefaults();
        PrinterDefaults current() const override { return defaults; }
    };
    Fixture fx_;
    DiagLog log_ {fx_.path("diag.txt")};
    IniStore ini_ {fx_.path("opts.ini"), &log_};
    FakePrinter printer_;
    ScriptedMessageBox box_;

    QString fileText() { return QString::fromUtf8(readBytes(ini_.defaultPath())); }
    // The options as the program loads them, from `file` when it is given.
    Options loaded(const QByteArray& file)
    {
        if (!file.isNull())
            fx_.write("opts.ini", file);
        Options options(ini_, printer_);
        options.load();
        return options;
    }
    // A new run: a fresh message engine that reloads the hidden list, as the program does at start-up.
    SuppressibleMessages newRun()
    {
        SuppressibleMessages engine(ini_, box_);
        engine.loadAtStartup();
        return engine;
    }
    // Shows the warning with the user's answer queued: the button and the hiding choice.
    int answer(SuppressibleMessages& engine, int button, SuppressChoice suppress, const Warning& warning = mimicWarning())
    {
        box_.answers.push_back({button, suppress, QString()});
        return engine.ask(warning);
    }
    QString stored(int i) { return ini_.read("Quillon:SuppressedMsgs", QStringLiteral("sMsg%1").arg(i), " "); }
};

TEST_F(ConfigTest, IniReadingWritingDeletingAndFailedWrites)
{
    fx_.write("opts.ini", "[Quillon:Output]\r\nFont Size = 12 \r\nfont size=99\r\n[QUILLON:OUTPUT]\r\nExtra=1\r\n[S]\nBlank=   \n");
    const struct {
        const char *section, *key, *value;
    } cases[] = {
        {"quillon:output", "FONT SIZE", "12"}, {"Quillon:Output", "Extra", "default"}, {"Quillon:Other", "Font Size", "default"}, {"S", "Blank", "default"}};
    for (const auto& c : cases)
        EXPECT_EQ(ini_.read(c.section, c.key, "default"), QString::fromLatin1(c.value)) << c.section << " " << c.key;
    EXPECT_EQ(ini_.read("Quillon:Output", "Font Size", "10", fx_.path("missing.ini")), QStringLiteral("10"));
    const QString huge(600000, QLatin1Char('x'));
    ASSERT_TRUE(ini_.write("S", "Huge", huge));
    EXPECT_EQ(ini_.read("S", "Huge", QString()), huge);
    // Writing one value keeps everything else as it was.
    QByteArray expected = "; my notes\r\n[Other]\r\nkeep = this \r\n\r\n[Quillon:Output]\r\n  Font Size=12\r\n; inline note\r\nDuplex=True\r\n"
                          "\r\n[Tail]\r\nx=1\r\n";
    fx_.write("opts.ini", expected);
    // A new key goes at the end of its section, before the blank line that ends it; a new
    // section at the end of the file.
    const struct {
        const char *section, *key, *value, *before, *after;
    } steps[] = {{"quillon:output", "font size", "14.000", "  Font Size=12", "  Font Size=14.000"},
        {"Quillon:Output", "Brackets", "False", "Duplex=True\r\n\r\n", "Duplex=True\r\nBrackets=False\r\n\r\n"},
        {"New", "k", "v", "x=1\r\n", "x=1\r\n[New]\r\nk=v\r\n"}};
    for (const auto& s : steps) {
        ASSERT_TRUE(ini_.write(s.section, s.key, s.value));
        EXPECT_EQ(readBytes(ini_.defaultPath()), expected.replace(s.before, s.after)) << s.key;
    }
    // A new file, and an unterminated last line.
    ASSERT_TRUE(ini_.write("A", "k", "v", fx_.path("new.ini")));
    EXPECT_EQ(readBytes(fx_.path("new.ini")), QByteArray("[A]\nk=v\n"));
    const QString other = fx_.write("other.ini", "[A]\nk=1");
    ASSERT_TRUE(ini_.write("A", "j", "2", other));
    EXPECT_EQ(readBytes(other), QByteArray("[A]\nk=1\nj=2\n"));
    // The file keeps its encoding until a value needs UTF-8.
    fx_.write("opts.ini", "[S]\r\nname=caf\xE9\r\n");
    EXPECT_EQ(ini_.read("S", "name", QString()), QString::fromUtf8("café"));
    ASSERT_TRUE(ini_.write("S", "other", QString::fromUtf8("naïve")));
    EXPECT_EQ(readBytes(ini_.defaultPath()), QByteArray("[S]\r\nname=caf\xE9\r\nother=na\xEFve\r\n"));
    ASSERT_TRUE(ini_.write("S", "greek", QString::fromUtf8("αβ")));
    EXPECT_EQ(readBytes(ini_.defaultPath()), QByteArray("[S]\r\nname=caf\xC3\xA9\r\nother=na\xC3\xAFve\r\ngreek=\xCE\xB1\xCE\xB2\r\n"));
    EXPECT_EQ(ini_.read("S", "name", QString()), QString::fromUtf8("café")) << "read back as UTF-8";
    // Deleting a key or a section writes the file without it; nothing to delete writes nothing.
    ASSERT_TRUE(ini_.deleteKey("s", "OTHER"));
    EXPECT_EQ(readBytes(ini_.defaultPath()), QByteArray("[S]\r\nname=caf\xC3\xA9\r\ngreek=\xCE\xB1\xCE\xB2\r\n"));
    ASSERT_TRUE(ini_.deleteSection("S") && ini_.deleteKey("T", "c", fx_.path("missing.ini")) && ini_.deleteSection("T", fx_.path("missing.ini")));
    EXPECT_EQ(readBytes(ini_.defaultPath()), QByteArray());
    // A failed write leaves the file whole and nothing behind (a write cut short, as on a full
    // disk: FailurePathsTest.AnOptionThatCannotBeStoredIsAFailureAndTheFileStaysWhole).
    const QByteArray original = "[S]\nk=old\n";
    const QString path = fx_.write("opts.ini", original);
    {
        // A folder that takes no new file: the replacement cannot be made beside the file.
        QFile::setPermissions(fx_.path(), QFile::ReadOwner | QFile::ExeOwner);
        const quillon::test::ObeyFilePermissions obey;
        EXPECT_FALSE(ini_.write("S", "k", "new"));
        QFile::setPermissions(fx_.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    EXPECT_EQ(readBytes(path), original);
    {
        // A file that cannot be read is never replaced by a change made to what was not read.
        QFile::setPermissions(path, QFile::WriteOwner);
        const quillon::test::ObeyFilePermissions obey;
        EXPECT_FALSE(ini_.write("S", "other", "new"));
        EXPECT_FALSE(ini_.deleteKey("S", "k"));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    }
    EXPECT_EQ(readBytes(path), original);
    // A folder standing where the file should be is not replaced; a missing folder is not made.
    QDir().mkpath(fx_.path("dir.ini"));
    EXPECT_FALSE(ini_.write("S", "k", "new", fx_.path("dir.ini")));
    EXPECT_FALSE(ini_.write("S", "k", "new", fx_.path("no/such/folder/x.ini")));
    EXPECT_EQ(QDir(fx_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        (QStringList {"diag.txt", "dir.ini", "new.ini", "opts.ini", "other.ini"}))
        << "no temporary file left";
}

// The store keeps each file in memory, and still sees every way another program changes it.
TEST_F(ConfigTest, IniFilesAreReadOnceAndAgainOnlyWhenChangedOnDisk)
{
    ASSERT_TRUE(ini_.write("S", "k", "1"));
    const int reads = ini_.diskReads();
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(ini_.read("S", "k", "none"), "1");
    SuppressibleMessages engine = newRun();
    for (int i = 0; i < 100; ++i)
        engine.ask(mimicWarning());
    EXPECT_EQ(ini_.diskReads(), reads);
    // Another program's atomic write, an edit in place of the same size, a file removed, a
    // permission taken away: each is read afresh.
    IniStore other(ini_.defaultPath(), nullptr);
    ASSERT_TRUE(other.write("S", "k", "2"));
    EXPECT_EQ(ini_.read("S", "k", "none"), "2");
    QFile file(ini_.defaultPath());
    const QDateTime before = QFileInfo(file).lastModified();
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    const QByteArray bytes = file.readAll();
    ASSERT_TRUE(file.seek(0) && file.write(QByteArray(bytes).replace("k=2", "k=3")) == bytes.size());
    file.close();
    ASSERT_TRUE(file.open(QIODevice::ReadWrite) && file.setFileTime(before.addSecs(5), QFileDevice::FileModificationTime));
    file.close();
    EXPECT_EQ(ini_.read("S", "k", "none"), "3");
    ASSERT_TRUE(QFile::remove(ini_.defaultPath()));
    EXPECT_EQ(ini_.read("S", "k", "none"), "none");
    ASSERT_TRUE(ini_.write("S", "k", "4"));
    QFile::setPermissions(ini_.defaultPath(), QFile::WriteOwner);
    const quillon::test::ObeyFilePermissions obey;
    EXPECT_EQ(ini_.read("S", "k", "none"), "none");
    EXPECT_FALSE(ini_.write("S", "j", "5"));
    QFile::setPermissions(ini_.defaultPath(), QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_EQ(readBytes(ini_.defaultPath()), QByteArray("[S]\nk=4\n"));
}

TEST_F(ConfigTest, IniSectionsAndKeysAreReadSetAndRemovedInBulkAndBooleansReadLeniently)
{
    fx_.write("opts.ini",
        "[Quillon:TOC List]\n; note\nmodA Layout=3\nmodA Declarations=4\nmodA Layout Layout=5\n=skipped\nbare\n"
        "modA Sub X= 1|2 \n[Next]\nz=1\n");
    const auto [keys, values] = ini_.readSection("quillon:toc list");
    EXPECT_EQ(keys,
        (QStringList {"modA \x01Layout",
            "modA \x02"
            "Declarations",
            "modA \x01Layout Layout", "bare", "modA Sub X"}));
    EXPECT_EQ(values, (QStringList {"3", "4", "5", "", "1|2"}));
    EXPECT_TRUE(ini_.readSection("Missing").first.isEmpty());
    EXPECT_EQ(withoutLayoutAndDeclarationsMarks(QStringLiteral("a\x01 b\x02 c\x01")), QStringLiteral("a b c"));

    // Many values at once, as one by one: a later value of the same key wins.
    const QByteArray original = "[Other]\r\nk=1\r\n[List]\r\n; kept\r\n  Alpha=1\r\nbeta=2\r\n\r\n[Tail]\r\nz=9";
    IniDocument batch = IniDocument::fromBytes(original);
    batch.setValues("list", {{"ALPHA", "10"}, {"gamma", "3"}, {"Delta", "4"}, {"GAMMA", "30"}, {"beta", "two\r\nlines"}});
    EXPECT_EQ(batch.toBytes(), QByteArray("[Other]\r\nk=1\r\n[List]\r\n; kept\r\n  Alpha=10\r\nbeta=two  lines\r\ngamma=30\r\nDelta=4\r\n\r\n[Tail]\r\nz=9"));
    batch.setValues("New", {{"a", "1"}, {"b", "2"}});
    EXPECT_TRUE(batch.toBytes().endsWith("z=9\r\n[New]\r\na=1\r\nb=2\r\n"));
    batch.setValues("Empty", {});
    EXPECT_FALSE(batch.hasSection("Empty"));

    // Removed keys do not resurface from duplicates; a removed section takes every line up to the next.
    IniDocument doc = IniDocument::fromBytes("top=1\n[L]\nk=1\nK = 2\n; k=comment\nm=3\n[Other]\nk=4\n[l]\nk=5\nn=6\n\n; about B\n[B]\ny=2\n");
    EXPECT_EQ(doc.removeKeys("L", {"k", "missing"}), 3);
    EXPECT_EQ(doc.toBytes(), QByteArray("top=1\n[L]\n; k=comment\nm=3\n[Other]\nk=4\n[l]\nn=6\n\n; about B\n[B]\ny=2\n"));
    EXPECT_EQ(doc.sectionNames(), (QStringList {"L", "Other", "B"}));
    EXPECT_EQ(doc.removeSection("l"), 2);
    EXPECT_EQ(doc.toBytes(), QByteArray("top=1\n[Other]\nk=4\n[B]\ny=2\n"));
    // Boolean texts are read leniently.
    for (const char* yes : {"True", " yes ", "on", "-1", "1", "T", "y"})
        EXPECT_TRUE(textToBool(QString::fromLatin1(yes), false)) << yes;
    for (const char* no : {"False", "no", " OFF ", "0", "f", "N"})
        EXPECT_FALSE(textToBool(QString::fromLatin1(no), true)) << no;
    for (const char* other : {"", "maybe", "2", "\tyes"}) {
        EXPECT_FALSE(textToBool(QString::fromLatin1(other), false)) << other;
        EXPECT_TRUE(textToBool(QString::fromLatin1(other), true)) << other;
    }
}

TEST_F(ConfigTest, OptionsAFreshFileTheTargetWithThePrinterScopeAndValuesThatRoundTrip)
{
    ASSERT_TRUE(loaded("").save());
    const QString text = fileText();
    qsizetype at = 0;
    for (const char* lines : {"[Quillon:Folders]\nProjectFolder=", "[Quillon:IDE]\nMimic=False\nLong Line=\nCode Page=windows-1252\nTab Width=\n",
             "[Quillon:Highlighting]\nHighlightChains=False\n", "[Quillon:Output]\nPaper Size=Letter\nPage Orientation=Portrait\n",
             "Font Size=10.000\nGDISpoolSize=0\n", "[Quillon:Margins]\nLeft=0.500\n", "[Quillon:Colors]\nColorDefaultNoteSeen=False\n",
             "[Quillon:DAWrapLineForm]\nWrap Code Indent=4\n", "[Quillon:ProjectInfo]\nVersion=Version ", "[Quillon:Support]\n"}) {
        at = text.indexOf(QString::fromLatin1(lines), at);
        EXPECT_GE(at, 0) << lines << " (in this order)";
    }
    EXPECT_FALSE(text.contains("Device Name"));
    Options options = loaded(QByteArray());
    options.setBool(opt::PrinterScope, true);
    options.save();
    EXPECT_TRUE(fileText().contains("Device Name=Quillon PDF\nDriver Name=Quillon PDF Writer\nPrinter Port=FILE:\n"));
    // Values round-trip, except the code indent; a hand-edited file keeps its comments.
    Options first = loaded("; kept by hand\n[My Own]\nx = 1\n[Quillon:Output]\n; why 12\nFont Size=12\n");
    // The code indent is not the wrap form's indent: it is lost on the next load.
    const std::pair<OptionKey, const char*> values[] = {{opt::FontName, "Liberation Mono"}, {opt::Aggregate, "Small"}, {opt::Brackets, "True"},
        {opt::BindingEdge, "5"}, {{":Colors", "Literal Text"}, "123"}, {opt::CodeIndent, "8"}};
    for (const auto& [key, value] : values)
        first.set(key, value);
    first.setSingle(opt::FontSize, 9.5f);
    ASSERT_TRUE(first.save());
    EXPECT_TRUE(fileText().startsWith("; kept by hand\n[My Own]\nx = 1\n[Quillon:Output]\n; why 12\nFont Size=9.500\n"));
    const Options second = loaded(QByteArray());
    for (const auto& entry : first.effective()) {
        const bool indent = entry.spec->key == QLatin1String("Code Indent") || entry.spec->key == QLatin1String("Wrap Indent");
        EXPECT_EQ(second.text(*entry.spec), indent ? QStringLiteral("4") : entry.value) << qPrintable(entry.spec->suffix + " " + entry.spec->key);
    }
    EXPECT_EQ(second.aggregateMode(), quillon::model::AggregateMode::SmallProperties);
    EXPECT_EQ(second.color(7), 123);
}

TEST_F(ConfigTest, AStoredFolderThatCannotBeUsedIsReplacedAtStartWithOneNote)
{
    const QString kept = fx_.path("projects");
    QDir().mkpath(kept);
    fx_.write("opts.ini", ("[Quillon:Folders]\nProjectFolder=/usr/bin/nowhere\nVBPFolder=" + kept + "\nOutput Folder=" + fx_.path("opts.ini") + "\n").toUtf8());
    Session session(box_, printer_, &log_, ini_.defaultPath());
    session.start();
    EXPECT_EQ(session.options.text(opt::VBPFolder), kept);
    const QString home = QDir::homePath();
    const QString dataHome = QFile::decodeName(qgetenv("XDG_DATA_HOME"));
    EXPECT_TRUE(session.options.text(opt::ProjectFolder).endsWith("/Quillon") && session.options.text(opt::ProjectFolder).startsWith(dataHome));
    EXPECT_TRUE(session.options.text(opt::OutputFolder).startsWith(home)) << "a file is no folder";
    ASSERT_EQ(box_.shown.size(), 1u);
    EXPECT_EQ(box_.shown[0].title, "Folder Replaced");
    EXPECT_TRUE(
        box_.shown[0].text.startsWith("The folder saved as \"ProjectFolder\", \"/usr/bin/nowhere\", does not exist or cannot be written.  Quillon uses \""
            + session.options.text(opt::ProjectFolder) + "\" instead.\r\n\r\nThe folder saved as \"Output Folder\", "));
    EXPECT_TRUE(fileText().contains("ProjectFolder=" + session.options.text(opt::ProjectFolder) + "\n")) << "stored, so the note comes once";
    box_.shown.clear();
    Session again(box_, printer_, &log_, ini_.defaultPath());
    again.start();
    EXPECT_TRUE(box_.shown.empty());
}

TEST_F(ConfigTest, OptionsLenientFallbackPrinterDefaultAndTabWidthReadingAndFindingAnOption)
{
    Options options = loaded("[Quillon:IDE]\nMimic= yes \n[Quillon:Output]\nFont Size=big\nDuplex=perhaps\nGDISpoolSize=99999\n"
                             "Binding Edge=2.5\nFont Name=\nFolding Guide=5\nPaper Size=A4\nPage Orientation=landscape\n[Quillon:Margins]\nLeft=0.25\n");
    // Letters, a word that is no boolean, values out of 16-bit range and values none of the
    // window's buttons stands for fall back to the default; 2.5 rounds to even; empty reads as
    // the default.
    const struct {
        OptionKey key;
        const char* text;
    } cases[] = {{opt::Mimic, "True"}, {opt::Duplex, "False"}, {opt::FontSize, "10.000"}, {opt::GDISpoolSize, "0"}, {opt::BindingEdge, "2"},
        {opt::FontName, "Courier New"}, {opt::MarginLeft, "0.250"}, {opt::FoldingGuide, "0"}, {opt::PaperSize, "Letter"}, {opt::PageOrientation, "Landscape"}};
    for (const auto& c : cases)
        EXPECT_EQ(options.text(c.key), QString::fromLatin1(c.text)) << c.key.key;
    // Those the window cannot show are told to it until they are set.
    QStringList notChoices;
    for (const Options::NotAChoice& stored : options.storedNotAChoice())
        notChoices << stored.spec->key + '=' + stored.stored;
    EXPECT_EQ(notChoices, QStringList({"Paper Size=A4", "Duplex=perhaps", "Folding Guide=5"}));
    options.set(opt::FoldingGuide, "1");
    EXPECT_EQ(options.storedNotAChoice().size(), 2u);

    printer_.defaults.paperCode = 5;
    printer_.defaults.orientationCode = 2;
    printer_.defaults.fontName = QStringLiteral("Liberation Mono");
    printer_.defaults.fontSize = 8.25;
    const Options fromPrinter = loaded("");
    EXPECT_EQ(QStringList(
                  {fromPrinter.text(opt::PaperSize), fromPrinter.text(opt::PageOrientation), fromPrinter.text(opt::FontName), fromPrinter.text(opt::FontSize)}),
        QStringList({"Legal", "Landscape", "Liberation Mono", "8.250"}));
    // The tab width is limited to 1..32, 4 otherwise; the code indent follows it unless the
    // wrap form's indent is stored.
    const struct {
        const char* stored;
        int tab, indent;
    } widths[] = {{"", 4, 4}, {"0", 4, 4}, {"8", 8, 8}, {"32", 32, 32}, {"40", 32, 32}, {"8\n[Quillon:DAWrapLineForm]\nWrap Code Indent=6", 8, 6}};
    for (const auto& w : widths) {
        const Options tabbed = loaded(QByteArray("[Quillon:IDE]\nTab Width=") + w.stored + "\n");
        EXPECT_EQ(QList<int>({tabbed.ideTabWidth(), tabbed.codeIndentWidth(), tabbed.integer(opt::WrapCodeIndent)}), QList<int>({w.tab, w.indent, w.indent}))
            << w.stored;
    }
    // Options are found by any spelling of their section.
    for (const char* section : {"Output", ":Output", "Quillon:Output", "quillon:output"})
        EXPECT_EQ(Options::find(section, "font size") ? Options::find(section, "font size")->key : "not found", "Font Size") << section;
    EXPECT_EQ(Options::find("Output", "Nope"), nullptr);
    EXPECT_EQ(Options::find("Nope", "Font Size"), nullptr);
}

TEST_F(ConfigTest, MessageEngineHidingMessagesForTheSessionOrAlwaysRestartingAndRestoring)
{
    SuppressibleMessages engine = newRun();
    EXPECT_EQ(answer(engine, 1, SuppressChoice::Never), 1);
    ASSERT_EQ(box_.shown.size(), 1u);
    // The text, then where the hidden message will be listed under its key, then the advice.
    EXPECT_TRUE(box_.shown[0].text.startsWith("Continue?\r\n\r\nIf suppressed this message will be listed in File | Restore Messages as:\r\n"
                                              "         \"Mimic IDE Requirements\".  \r\n\r\nThe command button selected to close this message"));
    EXPECT_TRUE(box_.shown[0].text.endsWith("Quillon suggests you limit the suppression to \"This session only\"."));
    Warning plain = mimicWarning();
    plain.allowSuppress = false;
    engine.ask(plain);
    EXPECT_EQ(box_.shown.back().text, QStringLiteral("Continue?"));
    // Hidden for this session (the answer that hid nothing left no record): answered by itself
    // for the rest of the run.
    const QString session = "Mimic IDE Requirements (Click 0 - Yes) (Session)";
    EXPECT_EQ(answer(engine, 0, SuppressChoice::ThisSession), 0);
    EXPECT_EQ(QStringList({stored(0)}) + engine.menuCaptions(), QStringList({session, session}));
    EXPECT_TRUE(engine.restoreMenuVisible());
    EXPECT_EQ(answer(engine, 1, SuppressChoice::Never), 0);
    // Hidden for good later on: the new record replaces the session's.
    engine.request.messageKey = mimicWarning().key;
    engine.resetRequest();
    engine.request.buttons[0] = "Yes";
    engine.request.suppressChoice = SuppressChoice::AllSessions;
    engine.request.clickedButton = 0;
    engine.setClickText();
    engine.saveSuppression();
    const QString always = "Mimic IDE Requirements (Click 0 - Yes) (Always)";
    EXPECT_EQ(QStringList({stored(0), stored(1)}) + engine.menuCaptions(), QStringList({always, " ", always}));
    // Restored, it is asked again.
    engine.deleteRecord(0, true);
    EXPECT_EQ(answer(engine, 1, SuppressChoice::Never), 1);
    // A restart drops malformed and session records; keys match inside records; restoring shifts the rest.
    fx_.write("opts.ini",
        "[Quillon:SuppressedMsgs]\nRestoreCount=9\nsMsg0=junk\nsMsg1=A (Click 0 - Ok) (Session)\n"
        "sMsg2=Long Line Wrap Warning (Click 2 - Abandon) (Always)\nsMsg3=\nsMsg4=C (Click x - Odd) (Always)\n"
        "sMsg5=B (Click 1 - No) (Always)\n");
    SuppressibleMessages restarted = newRun();
    const QString wrap = "Long Line Wrap Warning (Click 2 - Abandon) (Always)";
    EXPECT_EQ(restarted.menuCaptions(), (QStringList {wrap, "C (Click x - Odd) (Always)", "B (Click 1 - No) (Always)"}));
    EXPECT_EQ(restarted.restoreCount(), 3);
    // A key contained in a record matches it, case-sensitively, and takes its text; an answer
    // that cannot be read is 5, no button. (The key "C" alone would match "(Click".)
    const struct {
        const char* key;
        bool suppressed;
        int answer;
        QString matched;
    } cases[] = {{"Line Wrap", true, 2, wrap}, {"line wrap", false, 0, "line wrap"}, {"C (", true, 5, "C (Click x - Odd) (Always)"}};
    for (const auto& c : cases) {
        restarted.request.messageKey = QString::fromLatin1(c.key);
        EXPECT_EQ(restarted.isSuppressed(), c.suppressed) << c.key;
        EXPECT_EQ(c.suppressed ? restarted.storedAnswer() : 0, c.answer) << c.key;
        EXPECT_EQ(restarted.request.messageKey, c.matched);
    }
    // Restoring shifts the later records down; out-of-range indexes change nothing.
    restarted.deleteRecord(1, true);
    EXPECT_EQ(restarted.menuCaptions(), (QStringList {wrap, "B (Click 1 - No) (Always)"}));
    EXPECT_EQ(QStringList({stored(1), stored(2)}), QStringList({"B (Click 1 - No) (Always)", " "}));
    restarted.deleteRecord(-1, true);
    restarted.deleteRecord(2, true);
    EXPECT_EQ(restarted.restoreCount(), 2);
}

// A print of a large project meets the same warnings tens of thousands of times: each is
// written once, without the paragraph about hiding it, and summed up at the end; --verbose
// writes each time, a repeat as one line, and no summary.
TEST(BatchMessageBoxTest, OnlyCaptionedButtonsCountAndAWarningIsWrittenOnceThenCounted)
{
    MessageRequest request;
    request.buttons = {"Yes", "No", "  ", "", ""};
    EXPECT_EQ(batchButtonFor(request), 0);
    request.buttons = {"", "Continue", "", "", ""};
    EXPECT_EQ(batchButtonFor(request), 1);
    // Questions reworded: the answer stays with the question, and a title that was an
    // exception's gives another question no exception's answer.
    const struct {
        MessageId id;
        const char* title;
        int button; // of a Yes/No question: 0 Yes, 1 No
    } reworded[] = {{MessageId::LongLineAction, "Line Too Wide", 1}, {MessageId::Information, "Long Line Action", 0}, {MessageId::TocNotes, "Notes", 1},
        {MessageId::FormImageExceedsSpoolSize, "Form Image Too Large", 1}, {MessageId::OutputTargetNotPdf, "Not A PDF Printer", 1},
        {MessageId::FileSelectionCancelled, "No File", 1}, {MessageId::DuplexUnavailable, "Output Target Is Not .pdf", 0},
        {MessageId::SpoolSizeReached, "File Selection Cancelled", 0}};
    for (const auto& r : reworded) {
        SCOPED_TRACE(r.title);
        request.id = r.id;
        request.messageKey = request.title = r.title;
        request.text = "Reworded.";
        request.buttons = {"Yes", "No", "Cancel", "", ""};
        BatchMessageBox batch;
        batch.write = [](const QString&) {};
        DeferredMessageBox deferred;
        const MessageResult result = r.button == 0 ? MessageResult::Yes : MessageResult::No;
        EXPECT_EQ(batch.showMessage(r.id, MessageIcon::Question, r.title, request.text, MessageButtons::YesNo), result);
        EXPECT_EQ(deferred.showMessage(r.id, MessageIcon::Question, r.title, request.text, MessageButtons::YesNo), result);
        deferred.showRequest(request);
        EXPECT_EQ(request.clickedButton, r.button);
        request.clickedButton = -1;
        batch.showRequest(request);
        EXPECT_EQ(request.clickedButton, r.button);
    }
    // A message met `times` times: a long-line warning answered with `button`, or (-1) a plain
    // Yes/No question, told apart by its text.
    struct Met {
        const char* text;
        int button;
        int times;
    };
    const std::vector<Met> met {{"Too long.\r\nLine Start - a", 1, 1}, {"One", -1, 1}, {"Too long.\r\nLine Start - b", 1, 2}, {"Two", -1, 2},
        {"Too long.\r\nLine Start - c", 2, 1}, {"Too long.\r\nLine Start - d", 0, 12345}};
    const struct {
        bool verbose;
        size_t metRows; // how many rows of `met`
        QStringList written;
    } cases[] = {
        {false, 6,
            {"Long Line Action: Too long.\nLine Start - a [answered Wrap]\n", "Duplex Unavailable: One [answered Yes]\n",
                "Duplex Unavailable: Two [answered Yes]\n", "Long Line Action: answered Wrap 3 times, Cancel 1 time, Truncate 12,345 times\n",
                "Duplex Unavailable: answered Yes 1 time\n", "Duplex Unavailable: answered Yes 2 times\n"}},
        {true, 4,
            {"Long Line Action: Too long.\nLine Start - a\n\nIf suppressed it is listed as \"Long Line Action\". [answered Wrap]\n",
                "Duplex Unavailable: One [answered Yes]\n", "Long Line Action (again): Line Start - b [answered Wrap]\n",
                "Long Line Action (again): Line Start - b [answered Wrap]\n", "Duplex Unavailable: Two [answered Yes]\n",
                "Duplex Unavailable (again): Two [answered Yes]\n"}},
    };
    request.id = MessageId::LongLineAction;
    request.messageKey = request.title = "Long Line Action";
    request.buttons = {"Truncate", "Wrap", "Cancel", "", ""};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.verbose ? "verbose" : "counted");
        BatchMessageBox box;
        box.verbose = c.verbose;
        QStringList written;
        box.write = [&written](const QString& text) { written << text; };
        for (const Met& m : std::span(met).first(c.metRows)) {
            for (int i = 0; i < m.times; ++i) {
                if (m.button < 0) {
                    box.showMessage(MessageId::DuplexUnavailable, MessageIcon::Question, "Duplex Unavailable", m.text, MessageButtons::YesNo);
                    continue;
                }
                request.text = QString(m.text) + "\r\n\r\nIf suppressed it is listed as \"Long Line Action\".";
                box.givenAnswers[request.id] = m.button;
                box.showRequest(request);
            }
        }
        box.writeSummary();
        box.writeSummary(); // the end of a run met twice still sums up once
        EXPECT_EQ(written, c.written);
    }
}

} // namespace
