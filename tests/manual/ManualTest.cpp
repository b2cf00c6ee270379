// The user manual as the build leaves it beside the program: a readable PDF that holds every
// section the help texts send the user to, rendered from the current chapters, and a text
// that describes every subcommand and option of the command line as built.

#include "support/CliRun.h"
#include "support/TestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace {

using quillon::test::toolOutput;

const QString kPdf = quillon::test::builtFile("src/app/Resources/QLNUserManual.pdf");

// The sections that the main window's F1 help and the options window's focus help name, as
// the status line writes them after "Section ".
const QStringList kHelpSections = {
    "2.1.1 File List",
    "2.1.2 Procedure List",
    "2.1.3 Print Queue",
    "4.1 Color Settings",
    "4.2.1 Printer Scope",
    "4.2.2 Printer Selection",
    "4.2.3 Page Size",
    "4.2.4 Page Orientation",
    "4.2.5 Font Name and Size",
    "4.2.6 GDI Spool Limit",
    "4.2.7 Duplex Printing",
    "4.2.8 Aggregate Options",
    "4.2.9 Bracket Options",
    "4.3 Margin Settings",
    "4.4 Bind Edge",
    "4.5 Fold Options",
    "4.6.1 IDE Settings",
    "4.6.2 Typical Longest Code Line",
    "4.7 Folders",
};

QFileInfoList chapters()
{
    return QDir(QStringLiteral(QUILLON_MANUAL_SOURCES)).entryInfoList({"*.md"}, QDir::Files, QDir::Name);
}

QString manualSource()
{
    QString text;
    for (const QFileInfo& chapter : chapters())
        if (QFile file(chapter.absoluteFilePath()); file.open(QIODevice::ReadOnly))
            text += QString::fromUtf8(file.readAll()) + '\n';
    return text;
}

// "quillon NAME" for every subcommand line of the usage ("  files PROJECT.vbp ...",
// "  options set SECTION KEY VALUE"), and "quillon NAME WORD" for an optional literal word
// ("  spool [estimate]").
QStringList subcommandForms(const QString& usage)
{
    QStringList forms;
    const QRegularExpression line("^  ([a-z][a-z-]*)((?: [a-z]+)*)((?: \\[[a-z]+\\])?)(?: |$)");
    const QString subcommands = usage.section("\nSubcommands:\n", 1).section(QRegularExpression("\n(?=[^ \n])"), 0, 0);
    for (const QString& text : subcommands.split('\n')) {
        const QRegularExpressionMatch match = line.match(text);
        if (!match.hasMatch())
            continue;
        forms << "quillon " + match.captured(1) + match.captured(2);
        if (const QString optional = match.captured(3).trimmed(); !optional.isEmpty())
            forms << forms.last() + ' ' + optional.mid(1, optional.size() - 2);
    }
    return forms;
}

TEST(UserManual, IsALetterPdfBesideTheProgramRenderedFromTheCurrentChaptersWithEverySectionTheHelpNames)
{
    QFile file(kPdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << kPdf.toStdString();
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF-"));
    EXPECT_TRUE(bytes.right(32).trimmed().endsWith("%%EOF"));
    for (const QFileInfo& chapter : chapters())
        EXPECT_GE(QFileInfo(kPdf).lastModified(), chapter.lastModified()) << chapter.fileName().toStdString() << " is newer";
    const QString source = manualSource();
    for (const QString& section : kHelpSections)
        EXPECT_TRUE(source.contains(QRegularExpression("^#{1,4} " + QRegularExpression::escape(section) + "\\s*$", QRegularExpression::MultilineOption)))
            << "no heading " << section.toStdString();
    SKIP_WITHOUT_TOOLS("pdfinfo", "pdftotext");
    const QString info = toolOutput("pdfinfo", {kPdf});
    EXPECT_TRUE(info.contains(QRegularExpression("Title:\\s+Quillon User Manual\\n"))) << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression("Page size:\\s+612 x 792 pts")));
    EXPECT_GE(QRegularExpression("Pages:\\s+(\\d+)\\n").match(info).captured(1).toInt(), 10);
    const QString pdf = toolOutput("pdftotext", {kPdf, "-"}).replace(QRegularExpression("\\s+"), " ");
    for (const QString& text : kHelpSections + QStringList {"Quillon User Manual", "Contents", "quillon print", "quillon toc"})
        EXPECT_TRUE(pdf.contains(text)) << text.toStdString();
}

TEST(UserManual, DescribesEverySubcommandAndOptionOfTheHelp)
{
    const QString help = toolOutput(quillon::test::builtFile("src/app/quillon"), {"--help"});
    const QStringList forms = subcommandForms(help);
    // The usage names well over ten subcommands; far fewer means the parsing lost them. Words
    // after a subcommand and an optional word in brackets are part of its name.
    ASSERT_GE(forms.size(), 15) << help.toStdString();
    ASSERT_TRUE(forms.contains("quillon options set") && forms.contains("quillon spool estimate"));
    QStringList options; // every "--name" of the usage
    for (auto it = QRegularExpression("(?<![A-Za-z0-9-])--[a-z][a-z-]*[a-z]").globalMatch(help); it.hasNext();)
        options << it.next().captured(0);
    options.removeDuplicates();
    ASSERT_GE(options.size(), 20);
    const QString source = manualSource();
    // A longer option ("--only-deps") does not count as a mention of a shorter one ("--deps").
    for (const QString& form : forms + options)
        EXPECT_TRUE(source.contains(QRegularExpression("(?<![A-Za-z0-9-])" + QRegularExpression::escape(form) + "(?![A-Za-z0-9-])")))
            << "the manual does not describe " << form.toStdString();
}

} // namespace
