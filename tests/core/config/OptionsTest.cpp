#include "config/Options.h"
#include "model/DiagLog.h"
#include "platform/PrinterDefaults.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace quillon::config;
using quillon::model::DiagLog;
using quillon::platform::PrinterDefaults;
using quillon::test::Fixture;
using quillon::test::ReadBytes;

namespace {

struct FakePrinter : quillon::platform::IPrinterDefaults {
    PrinterDefaults current = quillon::platform::BuiltInPdfWriterDefaults();
    PrinterDefaults Current() const override { return current; }
};

class OptionsTest : public ::testing::Test {
protected:
    Fixture fx;
    DiagLog log{QString()};
    IniStore ini{fx.path("Quillon/QLN.spi"), &log};
    FakePrinter printer;

    Options Loaded()
    {
        Options options(ini, printer);
        options.Load();
        return options;
    }
    QString FileText() { return QString::fromUtf8(ReadBytes(ini.defaultPath())); }
};

TEST_F(OptionsTest, SavingAFreshFileWritesEveryKeyWithItsDefault)
{
    fx.write("Quillon/QLN.spi", "");
    ASSERT_TRUE(Loaded().Save());
    const QString text = FileText();
    for (const char* line : {"[Quillon:Folders]\nProjectFolder=", "[Quillon:IDE]\nMimic=False\nLong Line=\nCode Page=windows-1252\nTab Width=\n",
                             "[Quillon:Highlighting]\nHighlightChains=False\n",
                             "[Quillon:Output]\nPaper Size=Letter\nPage Orientation=Portrait\nFont Name=Courier New\n"
                             "Font Size=10.000\nGDISpoolSize=0\nPrinter Scope=False\nAggregate=None\nBrackets=False\n"
                             "Duplex=False\nBinding Edge=0\nCode Indent=4\nWrap Indent=4\n",
                             "[Quillon:Margins]\nLeft=0.500\nRight=0.500\nTop=1.000\nBottom=1.000\nBinder=0.750\n",
                             "[Quillon:Colors]\nColorDefaultNoteSeen=False\nNormal Text=0\nComment Text=25600\nConstants=20660\n"
                             "Global Level Variables=255\nModule Specific Variables=13783040\nProcedure ByRef Variables=10485920\n"
                             "Procedure Names=8388736\nLiteral Text=7874560\nToo Long Line BackColor=16777113\nTheme Color=16777215\n",
                             "[Quillon:DAWrapLineForm]\nWrap Code Indent=4\nWhich Indent=0\nSig Wrap=0\nWrap 2 Sig=False\n",
                             "[Quillon:ProjectInfo]\nVersion=Version ", "[Quillon:Support]\nDonationURL=\nLaunchCount=0\n"
                             "DonationPromptInterval=20\nDonationNeverAsk=False\nDonationMade=0\n"}) {
        EXPECT_TRUE(text.contains(QString::fromLatin1(line))) << line;
    }
    // The output target is remembered only while the printer scope is on.
    EXPECT_FALSE(text.contains(QStringLiteral("Device Name")));
    Options options = Loaded();
    options.SetBool(opt::PrinterScope, true);
    options.Save();
    EXPECT_TRUE(FileText().contains(QStringLiteral("Device Name=Quillon PDF\nDriver Name=Quillon PDF Writer\nPrinter Port=FILE:\n")));
}

TEST_F(OptionsTest, ValuesRoundTripExceptTheCodeIndent)
{
    fx.write("Quillon/QLN.spi", "");
    Options first = Loaded();
    first.Set(opt::FontName, QStringLiteral("Liberation Mono"));
    first.SetSingle(opt::FontSize, 9.5f);
    first.Set(opt::Aggregate, QStringLiteral("Small"));
    first.SetBool(opt::Brackets, true);
    first.SetInt(opt::BindingEdge, 5);
    first.SetSingle(opt::MarginBinder, 0.25f);
    first.Set(OptionKey{":Colors", "Literal Text"}, QStringLiteral("123"));
    first.SetInt(opt::CodeIndent, 8); // not the wrap form's indent: lost on the next load
    ASSERT_TRUE(first.Save());
    const Options second = Loaded();
    for (const auto& entry : first.Effective()) {
        const QString key = entry.spec->suffix + QLatin1Char(' ') + entry.spec->key;
        if (entry.spec->key == QLatin1String("Code Indent") || entry.spec->key == QLatin1String("Wrap Indent"))
            EXPECT_EQ(second.Text(*entry.spec), QStringLiteral("4")) << qPrintable(key);
        else
            EXPECT_EQ(second.Text(*entry.spec), entry.value) << qPrintable(key);
    }
    EXPECT_EQ(second.AggregateMode(), 1);
    EXPECT_EQ(second.Color(7), 123);
    EXPECT_FLOAT_EQ(second.Single(opt::FontSize), 9.5f);

    Options third = Loaded();
    third.SetInt(opt::WrapCodeIndent, 6);
    third.Save();
    EXPECT_EQ(Loaded().CodeIndentWidth(), 6);
}

TEST_F(OptionsTest, LenientAndFallbackReading)
{
    fx.write("Quillon/QLN.spi",
             "[Quillon:IDE]\nMimic= yes \n[Quillon:Highlighting]\nHighlightChains=-1\n"
             "[Quillon:Output]\nFont Size=big\nAggregate=all\nBrackets=on\nDuplex=perhaps\nGDISpoolSize=99999\n"
             "Binding Edge=2.5\nFont Name=\n[Quillon:Margins]\nLeft=0.25\n");
    const Options options = Loaded();
    EXPECT_TRUE(options.Bool(opt::Mimic));
    EXPECT_TRUE(options.Bool(opt::HighlightChains));
    EXPECT_TRUE(options.Bool(opt::Brackets));
    EXPECT_FALSE(options.Bool(opt::Duplex));
    EXPECT_EQ(options.Text(opt::FontSize), QStringLiteral("10.000")) << "letters fall back to the default";
    EXPECT_EQ(options.AggregateMode(), 0) << "\"all\" is not \"All\"";
    EXPECT_EQ(options.Text(opt::Aggregate), QStringLiteral("None"));
    EXPECT_EQ(options.Int(opt::GDISpoolSize), 0) << "out of 16-bit range";
    EXPECT_EQ(options.Int(opt::BindingEdge), 2) << "2.5 rounds to even";
    EXPECT_EQ(options.Text(opt::FontName), QStringLiteral("Courier New")) << "empty reads as the default";
    EXPECT_EQ(options.Text(opt::MarginLeft), QStringLiteral("0.250"));
    EXPECT_EQ(options.WindowBackColor(), 15793858);
}

TEST_F(OptionsTest, TabWidthClampAndTheIndentDefaults)
{
    const std::pair<const char*, int> cases[] = {{"", 4}, {"0", 4}, {"40", 32}, {"abc", 4}, {"8", 8}, {"-3", 4}, {"32", 32}};
    for (const auto& [stored, width] : cases) {
        fx.write("Quillon/QLN.spi", QByteArray("[Quillon:IDE]\nTab Width=") + stored + "\n");
        const Options options = Loaded();
        EXPECT_EQ(options.IdeTabWidth(), width) << stored;
        EXPECT_EQ(options.CodeIndentWidth(), width) << stored;
        EXPECT_EQ(options.Int(opt::WrapCodeIndent), width) << stored;
    }
}

TEST_F(OptionsTest, PrinterDefaultsComeFromTheCurrentPrinter)
{
    printer.current.paperCode = 5;
    printer.current.orientationCode = 2;
    printer.current.fontName = QStringLiteral("Liberation Mono");
    printer.current.fontSize = 8.25;
    const Options options = Loaded();
    EXPECT_EQ(options.Text(opt::PaperSize), QStringLiteral("Legal"));
    EXPECT_EQ(options.Text(opt::PageOrientation), QStringLiteral("Landscape"));
    EXPECT_EQ(options.Text(opt::FontName), QStringLiteral("Liberation Mono"));
    EXPECT_EQ(options.Text(opt::FontSize), QStringLiteral("8.250"));
}

TEST_F(OptionsTest, AHandEditedFileKeepsItsCommentsAndUnknownSections)
{
    fx.write("Quillon/QLN.spi", "; kept by hand\n[My Own]\nx = 1\n[Quillon:Output]\n; why 12\nFont Size=12\n");
    ASSERT_TRUE(Loaded().Save());
    const QString text = FileText();
    EXPECT_TRUE(text.startsWith(QStringLiteral("; kept by hand\n[My Own]\nx = 1\n[Quillon:Output]\n; why 12\nFont Size=12.000\n")));
}

TEST(OptionsTable, FindTakesAnySpellingOfTheSection)
{
    for (const char* section : {"Output", ":Output", "Quillon:Output", "quillon:output"}) {
        const OptionSpec* spec = Options::Find(QString::fromLatin1(section), QStringLiteral("font size"));
        ASSERT_NE(spec, nullptr) << section;
        EXPECT_EQ(spec->key, QStringLiteral("Font Size"));
    }
    EXPECT_EQ(Options::Find(QStringLiteral("Output"), QStringLiteral("Nope")), nullptr);
    EXPECT_EQ(Options::Find(QStringLiteral("Nope"), QStringLiteral("Font Size")), nullptr);
}

} // namespace
