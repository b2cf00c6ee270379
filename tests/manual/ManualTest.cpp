// The user manual as the build leaves it beside the program: a readable PDF that holds every
// section the help texts send the user to, rendered from the current chapters, and a text
// that describes every subcommand and option of the command line as built.

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringList>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

const QString kPdf = QStringLiteral(QUILLON_MANUAL_PDF);
const QString kChapters = QStringLiteral(QUILLON_MANUAL_SOURCES);

// The sections that the main window's F1 help and the options window's focus help name, as
// the status line writes them after "Section ".
const std::vector<std::pair<QString, QString>> kHelpSections = {
    {"2.1.1", "File List"},
    {"2.1.2", "Procedure List"},
    {"2.1.3", "Print Queue"},
    {"4.1", "Color Settings"},
    {"4.2.1", "Printer Scope"},
    {"4.2.2", "Printer Selection"},
    {"4.2.3", "Page Size"},
    {"4.2.4", "Page Orientation"},
    {"4.2.5", "Font Name and Size"},
    {"4.2.6", "GDI Spool Limit"},
    {"4.2.7", "Duplex Printing"},
    {"4.2.8", "Aggregate Options"},
    {"4.2.9", "Bracket Options"},
    {"4.3", "Margin Settings"},
    {"4.4", "Bind Edge"},
    {"4.5", "Fold Options"},
    {"4.6.1", "IDE Settings"},
    {"4.6.2", "Typical Longest Code Line"},
};

QStringList ChapterFiles()
{
    QStringList files;
    for (const QFileInfo& info : QDir(kChapters).entryInfoList({QStringLiteral("*.md")}, QDir::Files, QDir::Name))
        files << info.absoluteFilePath();
    return files;
}

QString ManualSource()
{
    QString text;
    for (const QString& path : ChapterFiles()) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            text += QString::fromUtf8(file.readAll()) + QLatin1Char('\n');
    }
    return text;
}

struct ToolRun {
    bool ran = false;
    int code = -1;
    QString out;
};

ToolRun RunProgram(const QString& program, const QStringList& args)
{
    QProcess process;
    process.start(program, args);
    ToolRun run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.ran = true;
    run.code = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    return run;
}

QString Collapsed(QString text)
{
    return text.replace(QRegularExpression(QStringLiteral("\\s+")), QStringLiteral(" "));
}

// "quillon NAME" for every subcommand line of the usage ("  files PROJECT.vbp ...",
// "  options set SECTION KEY VALUE"), and "quillon NAME WORD" for an optional literal word
// ("  spool [estimate]").
QStringList SubcommandForms(const QString& usage)
{
    QStringList forms;
    bool inSubcommands = false;
    const QRegularExpression line(QStringLiteral("^  ([a-z][a-z-]*)((?: [a-z]+)*)((?: \\[[a-z]+\\])?)(?: |$)"));
    for (const QString& text : usage.split(QLatin1Char('\n'))) {
        if (text == QLatin1String("Subcommands:")) {
            inSubcommands = true;
            continue;
        }
        if (!text.isEmpty() && !text.startsWith(QLatin1Char(' ')))
            inSubcommands = false;
        if (!inSubcommands)
            continue;
        const QRegularExpressionMatch match = line.match(text);
        if (!match.hasMatch())
            continue;
        const QString form = QStringLiteral("quillon ") + match.captured(1) + match.captured(2);
        forms << form;
        QString optional = match.captured(3).trimmed();
        if (!optional.isEmpty())
            forms << form + QLatin1Char(' ') + optional.mid(1, optional.size() - 2);
    }
    return forms;
}

QStringList OptionNames(const QString& usage)
{
    QStringList names;
    const QRegularExpression option(QStringLiteral("(?<![A-Za-z0-9-])--[a-z][a-z-]*[a-z]"));
    for (auto it = option.globalMatch(usage); it.hasNext();) {
        const QString name = it.next().captured(0);
        if (!names.contains(name))
            names << name;
    }
    return names;
}

bool Mentions(const QString& text, const QString& phrase)
{
    const QRegularExpression pattern(QStringLiteral("(?<![A-Za-z0-9-])") + QRegularExpression::escape(phrase)
                                     + QStringLiteral("(?![A-Za-z0-9-])"));
    return pattern.match(text).hasMatch();
}

TEST(UserManual, LiesBesideTheProgramAsAPdf)
{
    EXPECT_EQ(QFileInfo(kPdf).absolutePath(),
              QFileInfo(QStringLiteral(QUILLON_BINARY)).absolutePath() + QStringLiteral("/Resources"));
    QFile file(kPdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << kPdf.toStdString();
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF-"));
    EXPECT_TRUE(bytes.right(32).trimmed().endsWith("%%EOF"));
}

TEST(UserManual, IsRenderedFromTheCurrentChapters)
{
    const QStringList chapters = ChapterFiles();
    ASSERT_GE(chapters.size(), 1);
    const QDateTime rendered = QFileInfo(kPdf).lastModified();
    for (const QString& chapter : chapters)
        EXPECT_GE(rendered, QFileInfo(chapter).lastModified()) << chapter.toStdString() << " is newer than the PDF";
}

TEST(UserManual, IsLetterSizeWithTitleAndPages)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty())
        GTEST_SKIP() << "poppler-utils are not installed";
    const ToolRun info = RunProgram(QStringLiteral("pdfinfo"), {kPdf});
    ASSERT_TRUE(info.ran);
    ASSERT_EQ(info.code, 0);
    EXPECT_TRUE(info.out.contains(QRegularExpression(QStringLiteral("Title:\\s+Quillon User Manual\\n"))));
    EXPECT_TRUE(info.out.contains(QRegularExpression(QStringLiteral("Page size:\\s+612 x 792 pts"))));
    const QRegularExpressionMatch pages = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)\\n")).match(info.out);
    ASSERT_TRUE(pages.hasMatch());
    EXPECT_GE(pages.captured(1).toInt(), 10);
}

TEST(UserManual, HasAHeadingForEverySectionTheHelpNames)
{
    const QString source = ManualSource();
    for (const auto& [number, title] : kHelpSections) {
        const QRegularExpression heading(QStringLiteral("^#{1,4} ") + QRegularExpression::escape(number + QLatin1Char(' ') + title)
                                             + QStringLiteral("\\s*$"),
                                         QRegularExpression::MultilineOption);
        EXPECT_TRUE(heading.match(source).hasMatch()) << "no heading " << number.toStdString() << " " << title.toStdString();
    }
}

TEST(UserManual, PdfTextHoldsEverySectionTheHelpNames)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "poppler-utils are not installed";
    const ToolRun text = RunProgram(QStringLiteral("pdftotext"), {kPdf, QStringLiteral("-")});
    ASSERT_TRUE(text.ran);
    ASSERT_EQ(text.code, 0);
    const QString pdf = Collapsed(text.out);
    EXPECT_TRUE(pdf.contains(QStringLiteral("Quillon User Manual")));
    EXPECT_TRUE(pdf.contains(QStringLiteral("Contents")));
    for (const auto& [number, title] : kHelpSections)
        EXPECT_TRUE(pdf.contains(number + QLatin1Char(' ') + title)) << number.toStdString() << " " << title.toStdString();
    for (const QString& form : {QStringLiteral("quillon print"), QStringLiteral("quillon toc")})
        EXPECT_TRUE(pdf.contains(form)) << form.toStdString();
}

TEST(UserManual, DescribesEverySubcommandAndOptionOfTheHelp)
{
    const ToolRun help = RunProgram(QStringLiteral(QUILLON_BINARY), {QStringLiteral("--help")});
    ASSERT_TRUE(help.ran);
    ASSERT_EQ(help.code, 0);
    const QStringList forms = SubcommandForms(help.out);
    // The usage names well over ten subcommands; far fewer means the parsing lost them.
    ASSERT_GE(forms.size(), 15) << help.out.toStdString();
    ASSERT_TRUE(forms.contains(QStringLiteral("quillon options set")));
    ASSERT_TRUE(forms.contains(QStringLiteral("quillon spool estimate")));
    const QStringList options = OptionNames(help.out);
    ASSERT_GE(options.size(), 20);

    const QString source = ManualSource();
    for (const QString& form : forms)
        EXPECT_TRUE(Mentions(source, form)) << "the manual does not describe " << form.toStdString();
    for (const QString& option : options)
        EXPECT_TRUE(Mentions(source, option)) << "the manual does not describe " << option.toStdString();
}

TEST(UserManual, HelpParsingFindsNewSubcommandsAndOptions)
{
    const QString usage = QStringLiteral(
        "Usage: quillon SUBCOMMAND [ARGUMENTS]\n\nSubcommands:\n"
        "  files PROJECT.vbp [--codepage NAME]\n      The files.\n"
        "  sort PROJECT.vbp [--by-name]\n      A new one.\n"
        "  messages restore N|all\n      Again.\n"
        "  spool [estimate]\n      Spool.\n"
        "\nOptions:\n  --help            show this text\n");
    EXPECT_EQ(SubcommandForms(usage), (QStringList{"quillon files", "quillon sort", "quillon messages restore",
                                                   "quillon spool", "quillon spool estimate"}));
    EXPECT_EQ(OptionNames(usage), (QStringList{"--codepage", "--by-name", "--help"}));
    EXPECT_FALSE(Mentions(QStringLiteral("use --only-deps"), QStringLiteral("--deps")));
    EXPECT_TRUE(Mentions(QStringLiteral("use `--deps`"), QStringLiteral("--deps")));
}

} // namespace
