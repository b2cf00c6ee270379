#include "config/Ini.h"
#include "config/Options.h"
#include "core/analysis/AnalysisFixture.h"
#include "html/HtmlText.h"
#include "html/SiteMap.h"
#include "html/SiteWriter.h"
#include "platform/PrinterDefaults.h"

#include <QDir>
#include <QDirIterator>
#include <QRegularExpression>

#include <gtest/gtest.h>

using quillon::test::Fixture;
using quillon::test::LoadedProject;
using quillon::test::readBytes;
namespace html = quillon::html;

namespace {

struct TextCase {
    const char16_t* in;
    const char16_t* out;
};

class EscapeHtml : public testing::TestWithParam<TextCase> { };

TEST_P(EscapeHtml, NothingFromASourceCanOpenOrCloseMarkup)
{
    EXPECT_EQ(html::escapeHtml(QString::fromUtf16(GetParam().in)), QString::fromUtf16(GetParam().out));
}

INSTANTIATE_TEST_SUITE_P(Texts, EscapeHtml,
    testing::Values(TextCase {u"</script><script>alert(1)</script>", u"&lt;/script&gt;&lt;script&gt;alert(1)&lt;/script&gt;"},
        TextCase {u"<img src=x onerror=alert(1)>", u"&lt;img src=x onerror=alert(1)&gt;"}, TextCase {u"a \"b\" & 'c'", u"a &quot;b&quot; &amp; &#39;c&#39;"},
        TextCase {u"tab\there", u"tab\there"}, TextCase {u"bell\u0007 del\u007f c1\u0085", u"bell\uFFFD del\uFFFD c1\uFFFD"},
        TextCase {u"lone \xD800 high", u"lone \uFFFD high"}, TextCase {u"pair \xD83D\xDE00 kept", u"pair \xD83D\xDE00 kept"},
        TextCase {u"Größe \u2013 Müller", u"Größe \u2013 Müller"}));

class SafeName : public testing::TestWithParam<TextCase> { };

TEST_P(SafeName, NeedsNoEscapingAnywhere)
{
    EXPECT_EQ(html::safeName(QString::fromUtf16(GetParam().in)), QString::fromUtf16(GetParam().out));
}

INSTANTIATE_TEST_SUITE_P(Names, SafeName,
    testing::Values(TextCase {u"cmdOK_Click", u"cmdOK_Click"}, TextCase {u"Größe", u"Gr-f6--df-e"}, TextCase {u"a b#c%", u"a-20-b-23-c-25-"},
        TextCase {u"a.b", u"a-2e-b"}, TextCase {u"a-2e-b", u"a-2d-2e-2d-b"}));

class JsonString : public testing::TestWithParam<TextCase> { };

TEST_P(JsonString, CannotEndTheScriptItStandsIn)
{
    EXPECT_EQ(html::jsonString(QString::fromUtf16(GetParam().in)), QString::fromUtf16(GetParam().out));
}

INSTANTIATE_TEST_SUITE_P(Texts, JsonString,
    testing::Values(TextCase {u"</script>", u"\"\\u003c/script\\u003e\""}, TextCase {u"a\"b\\c", u"\"a\\\"b\\\\c\""},
        TextCase {u"line\nend\u2028", u"\"line\\nend\\u2028\""}, TextCase {u"&amp;", u"\"\\u0026amp;\""}));

QString readText(const QString& path)
{
    return QString::fromUtf8(readBytes(path));
}

// Every file of a folder, relative, sorted.
QStringList filesIn(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
}

class SiteExport : public testing::Test {
protected:
    void SetUp() override
    {
        project.load({{"modMain.bas",
                          {"Attribute VB_Name = \"modMain\"", "Public Const GREETING As String = \"</script><script>alert(1)</script>\"",
                              "Public gCount As Long", "Sub Main()", "    ' <b>&amp; in a comment", "    Call Helper(1)", "    If Twice(2) > 3 Then Helper 2",
                              "    Box.Size = 3", "    If Box.Size = 3 Then Helper 3", "End Sub"}},
                         {"clsBox.cls",
                             {"VERSION 1.0 CLASS", "BEGIN", "  MultiUse = -1", "END", "Attribute VB_Name = \"clsBox\"", "Private mSize As Long",
                                 "Public Property Get Size() As Long", "    Size = mSize", "End Property", "Public Property Let Size(ByVal value As Long)",
                                 "    mSize = value", "End Property"}},
                         {"Odd & Name #1 %.bas",
                             {"Attribute VB_Name = \"modOdd\"", "Public Sub Helper(ByVal n As Long)", "    gCount = gCount + n", "End Sub",
                                 "Public Function Twice(ByVal n As Long) As Long", "    Twice = n * 2", "End Function"}}},
            {"Startup=\"Sub Main\""});
        site = project.fx.path("site");
        options.load();
    }

    quillon::model::Outcome<html::SiteSummary> exportTo(const QString& folder, html::SiteRequest request = {})
    {
        request.folder = folder;
        request.jobs = 2;
        return html::exportSite(project.project, project.analysis, options, request);
    }

    LoadedProject project;
    Fixture optionsFolder;
    quillon::config::IniStore ini {optionsFolder.path("options.ini"), nullptr};
    quillon::platform::BuiltInPdfPrinterDefaults printer;
    quillon::config::Options options {ini, printer};
    QString site;
};

TEST_F(SiteExport, CallsLinkToTheirRoutinesAndCallersLinkBack)
{
    const auto written = exportTo(site);
    ASSERT_TRUE(written.ok()) << written.error().toStdString();
    const QString main = readText(site + "/modMain.bas.html");
    const QString odd = readText(site + "/Odd___Name__1__.bas.html");
    // The three calls of Helper and the one of Twice, each to its routine's anchor.
    EXPECT_EQ(main.count("<a class=\"call\" href=\"Odd___Name__1__.bas.html#r-Helper\">"), 3);
    EXPECT_EQ(main.count("<a class=\"call\" href=\"Odd___Name__1__.bas.html#r-Twice\">"), 1);
    EXPECT_TRUE(main.contains("Then <a class=\"call\" href=\"Odd___Name__1__.bas.html#r-Helper\">Helper</a> 2"));
    EXPECT_TRUE(odd.contains("<section class=\"record\" id=\"r-Helper\">"));
    EXPECT_TRUE(odd.contains("id=\"L2\""));
    // Helper's callers: Main, as the dependency report names it.
    const qsizetype calledBy = odd.indexOf("<div class=\"called-by\">", odd.indexOf("id=\"r-Helper\""));
    ASSERT_GE(calledBy, 0);
    EXPECT_TRUE(odd.mid(calledBy, 300).contains("href=\"modMain.bas.html#r-Main\""));
    EXPECT_TRUE(readText(site + "/index.html").contains("href=\"Odd___Name__1__.bas.html\">Odd &amp; Name #1 %.bas</a>"));
    // Assigned to, a property runs its Let; compared, its Get.
    EXPECT_TRUE(main.contains("Box.<a class=\"call\" href=\"clsBox.cls.html#r-Size-let\">"));
    EXPECT_TRUE(main.contains("If Box.<a class=\"call\" href=\"clsBox.cls.html#r-Size-get\">"));
    // A module variable carries its category.
    EXPECT_TRUE(odd.contains("title=\"Global level variable\">gCount</span>"));
}

TEST_F(SiteExport, TextsFromTheProjectNeverBecomeMarkup)
{
    ASSERT_TRUE(exportTo(site).ok());
    for (const QString& page : filesIn(site)) {
        const QString text = readText(site + "/" + page);
        EXPECT_FALSE(text.contains("<script>alert")) << page.toStdString();
        EXPECT_FALSE(text.contains("<b>&amp;")) << page.toStdString();
    }
    EXPECT_TRUE(readText(site + "/modMain.bas.html").contains("&lt;/script&gt;&lt;script&gt;alert(1)&lt;/script&gt;"));
    const QString search = readText(site + "/assets/search-index.js");
    EXPECT_TRUE(search.contains("[\"GREETING\",\"Constant\",\"modMain.bas\",\"modMain.bas.html#L2\"]"));
    EXPECT_TRUE(search.contains("\"Odd \\u0026 Name #1 %.bas\""));
}

TEST_F(SiteExport, ReplacesAnEarlierSiteWholeAndRefusesAFolderOfOtherFiles)
{
    // What a killed export left: a work folder named after a process that no longer runs.
    project.fx.write(".site.quillon-work-2147480000/index.html", "half a site");
    html::SiteRequest onlyMain;
    onlyMain.files = {project.project.projectFileList[0]->filePath};
    ASSERT_TRUE(exportTo(site, onlyMain).ok());
    EXPECT_FALSE(QFileInfo::exists(project.fx.path(".site.quillon-work-2147480000")));
    const QStringList first = filesIn(site);
    ASSERT_TRUE(exportTo(site).ok());
    const QStringList second = filesIn(site);
    EXPECT_EQ(first.size() + 2, second.size());
    // A narrower export leaves no page of the wider one behind.
    ASSERT_TRUE(exportTo(site, onlyMain).ok());
    EXPECT_EQ(filesIn(site), first);
    // Nothing is left beside the site.
    EXPECT_EQ(QDir(project.fx.path()).entryList({".site*"}, QDir::AllEntries | QDir::Hidden), QStringList());

    const QString other = project.fx.path("mine");
    project.fx.write("mine/notes.txt", "keep me");
    const auto refused = exportTo(other);
    ASSERT_FALSE(refused.ok());
    EXPECT_TRUE(refused.error().contains("not an earlier export")) << refused.error().toStdString();
    EXPECT_EQ(filesIn(other), QStringList({"notes.txt"}));
    EXPECT_FALSE(exportTo(project.fx.path("mine/notes.txt")).ok());
}

TEST_F(SiteExport, ACancelledExportLeavesTheEarlierSiteAsItWas)
{
    ASSERT_TRUE(exportTo(site).ok());
    const QByteArray index = readBytes(site + "/index.html");
    project.fx.write("site/modMain.bas.html", "an earlier page");
    html::SiteRequest request;
    int pages = 0;
    request.progress = [&](int, int, const QString&) { ++pages; };
    request.cancelRequested = [&] { return pages >= 1; };
    const auto cancelled = exportTo(site, request);
    ASSERT_TRUE(cancelled.ok());
    EXPECT_TRUE(cancelled.value().cancelled);
    EXPECT_EQ(readBytes(site + "/modMain.bas.html"), QByteArray("an earlier page"));
    EXPECT_EQ(readBytes(site + "/index.html"), index);
    EXPECT_EQ(QDir(project.fx.path()).entryList({".site*"}, QDir::AllEntries | QDir::Hidden), QStringList());
}

TEST(SiteMap, AFileOutsideTheProjectFolderGetsAPageInsideTheSite)
{
    Fixture fx;
    fx.writeLines("outside.bas", {"Attribute VB_Name = \"Outside\"", "Sub Away()", "End Sub"});
    fx.writeLines("proj/index.bas", {"Attribute VB_Name = \"Idx\"", "Sub Here()", "    Away", "End Sub"});
    const QString vbp = fx.writeLines("proj/p.vbp", {"Type=Exe", "Module=Outside; ..\\outside.bas", "Module=Idx; index.bas"});
    quillon::model::SourceReader reader;
    quillon::model::Project project(reader);
    quillon::analysis::ProjectAnalysis analysis(reader);
    project.analysis = &analysis;
    ASSERT_TRUE(project.openProject(vbp).ok());
    const html::SiteMap map(project, analysis.dependencies);
    QStringList pages;
    for (const html::SiteFile& file : map.files())
        pages << file.pages.front().name;
    // Neither a path nor one of the site's own pages.
    EXPECT_EQ(pages, QStringList({"index.bas.html", "outside.bas.html"}));
    EXPECT_EQ(map.hrefOfKey("OUTSIDE|AWAY"), "outside.bas.html#r-Away");
}

TEST(SiteMap, ALongFileIsSplitAtRoutinesAndLinksFindTheRightPart)
{
    LoadedProject p;
    QStringList lines {"Attribute VB_Name = \"modBig\""};
    for (int r = 0; r < 3; ++r) {
        lines << QString("Sub Part%1()").arg(r);
        for (int i = 0; i < html::kLinesPerPage / 2; ++i)
            lines << "    x = x + 1";
        lines << "End Sub";
    }
    p.load({{"modBig.bas", lines}});
    const html::SiteMap map(p.project, p.dep());
    ASSERT_EQ(map.files().size(), 1u);
    ASSERT_EQ(map.files()[0].pages.size(), 3u);
    EXPECT_EQ(map.hrefOfKey("MODBIG|PART0"), "modBig.bas.html#r-Part0");
    EXPECT_EQ(map.hrefOfKey("MODBIG|PART2"), "modBig.bas-part3.html#r-Part2");
}

} // namespace
