#include "analysis/Symbols.h"
#include "model/DiagLog.h"
#include "print/Highlight.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace quillon::print;
using quillon::test::Fixture;

namespace {

QString Dump(const std::vector<Segment>& segments)
{
    QStringList parts;
    for (const Segment& s : segments)
        parts << QStringLiteral("%1-%2:%3").arg(s.start).arg(s.end).arg(s.colour);
    return parts.join(QLatin1Char(' '));
}

QString Highlight(const QString& line, const HighlightContext& context = HighlightContext())
{
    return Dump(BuildHighlightSegments(line, context));
}

TEST(HighlightTest, LiteralsAndComments)
{
    EXPECT_EQ(Highlight(QStringLiteral("x = \"it's\" ' note \"q\"")), QStringLiteral("1-4:0 5-10:7 11-11:0 12-21:1"));
    EXPECT_EQ(Highlight(QStringLiteral("s = \"a\"\"b\"")), QStringLiteral("1-4:0 5-10:7"));
    EXPECT_EQ(Highlight(QStringLiteral("s = \"open ' no comment")), QStringLiteral("1-22:0"))
        << "an unterminated literal gets no colour and hides the apostrophe";
    EXPECT_EQ(Highlight(QStringLiteral("' all comment")), QStringLiteral("1-13:1"));
    EXPECT_EQ(Highlight(QStringLiteral("x = \"\"")), QStringLiteral("1-4:0 5-6:7"));
    EXPECT_EQ(Highlight(QString()), QString());
}

TEST(HighlightTest, DeclaredNamesAndBuiltIns)
{
    EXPECT_EQ(Highlight(QStringLiteral("Public Function Total(ByVal n As Long) As Long")),
              QStringLiteral("1-16:0 17-21:6 22-46:0"));
    EXPECT_EQ(Highlight(QStringLiteral("Property Get Value() As Long")), QStringLiteral("1-13:0 14-18:6 19-28:0"));
    EXPECT_EQ(Highlight(QStringLiteral("Get Value")), QStringLiteral("1-9:0")) << "GET without PROPERTY before it";
    EXPECT_EQ(Highlight(QStringLiteral("y = Left$(s, 2) & Ucase(t)")), QStringLiteral("1-4:0 5-8:6 9-18:0 19-23:6 24-26:0"));
}

TEST(HighlightTest, SymbolsByPrecedenceAndCallContext)
{
    Fixture fx;
    quillon::model::DiagLog log{QString()};
    const quillon::model::SourceReader reader(quillon::model::CodePage::Default(), &log);
    const QString path = fx.writeLines("modA.bas", {"Public Const MAX = 1", "Public gTotal As Long", "Private mName As String",
                                                    "Sub Add(ByRef n As Long)", "End Sub", "Sub Helper()", "End Sub"});
    quillon::model::FileList files;
    auto file = std::make_shared<quillon::model::clsFileInfo>();
    file->FilePath = path;
    file->FileName = QStringLiteral("modA.bas");
    files.push_back(file);
    quillon::analysis::modSymbols symbols;
    symbols.BuildSymbolTables(files, reader);

    HighlightContext context;
    context.symbols = &symbols;
    context.filePath = path;
    context.routineName = QStringLiteral("Add");
    //            1234567890123456789012345678901234567890
    const QString line = QStringLiteral("n = MAX + gTotal + mName: Helper");
    EXPECT_EQ(Highlight(line, context), QStringLiteral("1-1:5 2-4:0 5-7:2 8-10:0 11-16:3 17-19:0 20-24:4 25-26:0 27-32:6"));
    EXPECT_EQ(Highlight(QStringLiteral("Helper = 1: y = Helper: Call Helper"), context),
              QStringLiteral("1-29:0 30-35:6")) << "only the Call is a call";

    HighlightContext declarations = context;
    declarations.isDeclarations = true;
    EXPECT_EQ(Highlight(QStringLiteral("n = mName"), declarations), QStringLiteral("1-4:0 5-9:4")) << "no ByRef rule";
    HighlightContext listing = context;
    listing.filePath = QStringLiteral("/tmp/qln_dep_MODA_ADD.TXT");
    EXPECT_EQ(Highlight(QStringLiteral("n = mName + gTotal"), listing), QStringLiteral("1-12:0 13-18:3"))
        << "a dependency listing skips the routine's and the module's names";
    HighlightContext toc = context;
    toc.tocPrint = true;
    EXPECT_EQ(Highlight(line, toc), QString());
}

TEST(HighlightTest, DependencyListingNames)
{
    EXPECT_TRUE(IsDependencyListing(QStringLiteral("/tmp/QLN_DEP_M_A.TXT")));
    EXPECT_TRUE(IsDependencyListing(QStringLiteral("/tmp/qln_dep_m_a.txt")));
    EXPECT_FALSE(IsDependencyListing(QStringLiteral("/tmp/QLN_DEP_M_A.bas")));
    EXPECT_FALSE(IsDependencyListing(QStringLiteral("/tmp/XQLN_DEP_M_A.TXT")));
}

TEST(HighlightTest, PrioritiesAndAHugeLine)
{
    EXPECT_GT(SegmentPriority(colour::Comment), SegmentPriority(colour::Literal));
    EXPECT_GT(SegmentPriority(colour::ByRef), SegmentPriority(colour::Constant));
    EXPECT_GT(SegmentPriority(colour::ProcedureName), SegmentPriority(colour::Normal));
    QString huge;
    for (int i = 0; i < 200000; ++i)
        huge += QStringLiteral("Left(\"x\") ");
    const std::vector<Segment> segments = BuildHighlightSegments(huge, HighlightContext());
    EXPECT_EQ(segments.size(), 200000u * 4);
    EXPECT_EQ(segments.back().end, int(huge.size()));
}

} // namespace
