#include "app/FormCommands.h"
#include "support/CliRun.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using quillon::test::CliRun;
using quillon::test::Fixture;

namespace {

CliRun layout(const QStringList& args)
{
    return quillon::test::cli(QStringList {QStringLiteral("layout")} + args);
}

// A button in a frame, a falling line, a timer and a two-level menu; the form's name and
// caption, a control's type and name and a menu's name and caption hold backslashes and TABs.
// The frame's caption is "Ώρα" in Windows-1253 ("¿ñá" in Windows-1252).
QString writeDumpForm(const Fixture& fx)
{
    return fx.writeLines("frmDump.frm",
        {"VERSION 5.00", "Begin VB.Form frm\\Dump ", "   Caption         =   \"Stock\\Levels\tnow\"", "   ClientHeight    =   2000",
            "   ClientWidth     =   3000", "   Begin My\tLib.Frame fra\tOuter ", "      Caption         =   \"¿ñá\"", "      Height          =   1500",
            "      Left            =   100", "      Top             =   200", "      Width           =   2000", "      Begin VB.CommandButton cmdGo ",
            "         Caption         =   \"&Go \"\"now\"\"\"", "         Height          =   300", "         Index           =   2",
            "         Left            =   50", "         Top             =   60", "         Visible         =   0   'False", "         Width           =   800",
            "      End", "   End", "   Begin VB.Line linSep ", "      X1              =   900", "      X2              =   100",
            "      Y1              =   1800", "      Y2              =   1800", "   End", "   Begin VB.Timer tmrPoll ", "      Interval        =   500",
            "      Left            =   2500", "      Top             =   1700", "   End", "   Begin VB.Menu mnu\\File ", "      Caption         =   \"&File\"",
            "      Begin VB.Menu mnuFileQuit ", "         Caption         =   \"&Quit\tCtrl+Q\"", "         Visible         =   0   'False", "      End",
            "   End", "End", "Attribute VB_Name = \"frmDump\"", "Option Explicit"});
}

TEST(LayoutCli, DumpsTheFormItsControlsAndMenusInFileOrderInTheCodePageAsked)
{
    Fixture fx;
    const CliRun run = layout({writeDumpForm(fx), "--codepage", "windows-1253"});
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out,
        QString::fromUtf8("FORM\tfrm\\\\Dump\tStock\\\\Levels\\tnow\t3000\t2000\t1\t4\t2\t1\n"
                          "CTRL\t1\tMy\\tLib.Frame\tfra\\tOuter\t-1\t100\t200\t2000\t1500\tΏρα\t1\t1\t-1\t1\t100\t200\n"
                          "CTRL\t2\tVB.CommandButton\tcmdGo\t2\t50\t60\t800\t300\t&Go \"now\"\t0\t1\t1\t1\t150\t260\n"
                          "CTRL\t3\tVB.Line\tlinSep\t-1\t100\t1800\t800\t0\t\t1\t1\t-1\t1\t100\t1800\n"
                          "CTRL\t4\tVB.Timer\ttmrPoll\t-1\t2500\t1700\t0\t0\t\t1\t0\t-1\t0\t2500\t1700\n"
                          "MENU\t1\tmnu\\\\File\t&File\t0\t1\n"
                          "MENU\t2\tmnuFileQuit\t&Quit\\tCtrl+Q\t1\t0\n"));
}

TEST(LayoutCli, EveryTextFieldIsEscaped)
{
    using quillon::app::escapeField;
    for (const auto& [raw, escaped] :
        {std::pair {"a\tb\rc\nd\\e", "a\\tb\\rc\\nd\\\\e"}, std::pair {"\\t", "\\\\t"}, // an escape already written stays readable
            std::pair {"plain", "plain"}})
        EXPECT_EQ(escapeField(QString::fromLatin1(raw)), QString::fromLatin1(escaped));
    // The dump above shows every text field escaped; a file that ends inside its block is
    // dumped with a note.
    Fixture fx;
    const QString cut = fx.writeLines("frmCut.frm", {"Begin VB.Form frmCut", "   Begin VB.Frame fra", "      Left = 10", "      Width = 500"});
    const CliRun run = layout({cut});
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out,
        "FORM\tfrmCut\t\t0\t0\t0\t1\t0\t0\n"
        "CTRL\t1\tVB.Frame\tfra\t-1\t10\t0\t500\t0\t\t1\t0\t-1\t0\t10\t0\n");
    EXPECT_EQ(run.err, "quillon: note: \"" + cut + "\": the file ends inside the layout block (2 object(s) not closed); it looks truncated\n");
}

// Its usage errors are rows of CliTest's.
TEST(LayoutCli, FormsThatCannotBeRead)
{
    Fixture fx;
    const QString missing = fx.path("gone.frm");
    const QString binary = fx.write("junk.frm", QByteArray("\x00\x01\x02PK\x03\x04\xFF\xFE", 10).repeated(100));
    QStringList deep {"Begin VB.Form frmDeep"};
    for (int level = 1; level <= 64; ++level)
        deep << QStringLiteral("Begin VB.PictureBox pic%1").arg(level);
    const QString nested = fx.writeLines("frmDeep.frm", deep);
    const QString designer = fx.writeLines("deData.dsr", {"Begin {C0E45035-5775-11D0-B388-00A0C9055D8E} deData", "End"});
    const QString kinds = "layout takes a form (.frm), user control (.ctl), property page (.pag) or user document (.dob)\n";
    const std::pair<QString, QString> unreadable[] = {
        {designer, "quillon: cannot read \"" + designer + "\": a designer (.dsr) has no image; " + kinds},
        {missing, "quillon: Form file not found:\n" + missing + "\n"},
        {binary,
            "quillon: No form layout block found in:\n" + binary + "\nquillon: note: \"" + binary
                + "\" holds NUL bytes: it looks like a binary file, not VB6 source\n"},
        {nested, "quillon: Form layout could not be read:\n" + nested + "\nLine 64: objects are nested more than 63 levels deep.\n"},
    };
    for (const auto& [path, error] : unreadable) {
        const CliRun run = layout({path});
        EXPECT_EQ(run.code, 1);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, error);
    }
    EXPECT_EQ(quillon::test::cli({"image", designer}).err, "quillon: cannot read \"" + designer + "\": a designer (.dsr) has no image; image" + kinds.mid(6));
    EXPECT_TRUE(layout({QStringLiteral(QUILLON_EXAMPLES "/controls/ctlGauge.ctl")}).out.startsWith("FORM\tctlGauge\t\t3600\t1500\t0\t7\t0\t1\n"))
        << "read as a form";
}

} // namespace
