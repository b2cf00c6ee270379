#include "analysis/LoopBrackets.h"
#include "model/DiagLog.h"
#include "platform/Environment.h"
#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTime>

#include <gtest/gtest.h>

using namespace quillon::analysis;
using quillon::model::DiagLog;
using quillon::test::Fixture;
using quillon::test::ReadBytes;

namespace {

QStringList Listing(const QStringList& lines)
{
    return BuildBracketListing(lines, 1, int(lines.size()));
}

QString Blanks(int n)
{
    return QString(n, QLatin1Char(' '));
}

// Points TEMP somewhere else for one test and puts it back afterwards.
class TempOverride {
public:
    explicit TempOverride(const QString& folder) : saved_(qgetenv("TEMP")) { qputenv("TEMP", QFile::encodeName(folder)); }
    ~TempOverride() { qputenv("TEMP", saved_); }

private:
    QByteArray saved_;
};

// ---------------------------------------------------------------------------------------------
// Recognising statements

TEST(BracketStatements, SingleLineIfIsPlainAndMultiLineIfPairs)
{
    EXPECT_EQ(Listing({"    If a Then b = 1", "    x = 2"}), QStringList({"    If a Then b = 1", "    x = 2"}));
    EXPECT_EQ(Listing({"    If a Then", "        b = 1", "    End If"}),
              QStringList({"  [ZRK-UL]If a Then", "  [ZRK-V]    b = 1", "  [ZRK-L]End If"}));
    // A comment after Then is masked, so the block still opens; "EndIf" closes it.
    EXPECT_EQ(Listing({"    IF a THEN ' start", "    endif"}), QStringList({"  [ZRK-UL]IF a THEN ' start", "  [ZRK-L]endif"}));
    // "Then" inside a literal is not the statement's Then.
    EXPECT_EQ(Listing({"    If s = \"x Then\" Then", "    End If"}),
              QStringList({"  [ZRK-UL]If s = \"x Then\" Then", "  [ZRK-L]End If"}));
    // An If without Then on a single line opens nothing; neither do keywords in literals or
    // comments, or tab-indented statements (tabs are not trimmed).
    EXPECT_EQ(Listing({"    If x", "    s = \"Do\"", "    ' For i = 1 To 2", "\tDo", "    Rem While x"}),
              QStringList({"    If x", "    s = \"Do\"", "    ' For i = 1 To 2", "\tDo", "    Rem While x"}));
}

TEST(BracketStatements, DoAndLoopNeedAWordOfTheirOwn)
{
    EXPECT_EQ(Listing({"    Do", "        DoEvents", "        LoopCount = 1", "    Loop Until x > 5"}),
              QStringList({"  [ZRK-UL]Do", "  [ZRK-V]    DoEvents", "  [ZRK-V]    LoopCount = 1",
                           "  [ZRK-L]Loop Until x > 5"}));
    EXPECT_EQ(Listing({"    Do While a < 3", "    Loop"}), QStringList({"  [ZRK-UL]Do While a < 3", "  [ZRK-L]Loop"}));
    // DoEvents and LoopCount alone neither open nor close.
    EXPECT_EQ(Listing({"DoEvents", "LoopCount = 1"}), QStringList({"DoEvents", "LoopCount = 1"}));
}

TEST(BracketStatements, ForEachNextWhileWend)
{
    EXPECT_EQ(Listing({"    For Each c In items", "        n = n + 1", "    Next c"}),
              QStringList({"  [ZRK-UL]For Each c In items", "  [ZRK-V]    n = n + 1", "  [ZRK-L]Next c"}));
    EXPECT_EQ(Listing({"    For i = 1 To 3", "        NextItem = i", "    Next"}),
              QStringList({"  [ZRK-UL]For i = 1 To 3", "  [ZRK-V]    NextItem = i", "  [ZRK-L]Next"}));
    EXPECT_EQ(Listing({"    While x < 3", "        WhileCount = 1", "    Wend"}),
              QStringList({"  [ZRK-UL]While x < 3", "  [ZRK-V]    WhileCount = 1", "  [ZRK-L]Wend"}));
    // Wend must stand alone; "Formula" and "While" without a condition open nothing.
    EXPECT_EQ(Listing({"Formula = 1", "While"}), QStringList({"Formula = 1", "While"}));
    EXPECT_EQ(Listing({"    While x", "    Wend ' done"}),
              QStringList({"  [ZRK-UL]While x", "    Wend ' done",
                           "'*** Unbalanced block: WHILE opened but never closed - missing Wend ***"}));
}

TEST(BracketStatements, ElseNeedsToStandAlone)
{
    EXPECT_EQ(Listing({"    If a Then", "    Else ' comment", "    Else", "    End If"}),
              QStringList({"  [ZRK-UL]If a Then", "    Else ' comment", "  [ZRK-T]Else", "  [ZRK-L]End If"}));
}

TEST(BracketStatements, ElseIfAndElseAreMiddles)
{
    EXPECT_EQ(Listing({"    If a Then", "        x = 1", "    ElseIf b Then", "        x = 2", "    Else If c Then",
                       "    Else", "        x = 3", "    End If"}),
              QStringList({"  [ZRK-UL]If a Then", "  [ZRK-V]    x = 1", "  [ZRK-T]ElseIf b Then", "  [ZRK-V]    x = 2",
                           "  [ZRK-T]Else If c Then", "  [ZRK-T]Else", "  [ZRK-V]    x = 3", "  [ZRK-L]End If"}));
}

TEST(BracketStatements, SelectCaseWithCaseAndCaseElse)
{
    EXPECT_EQ(Listing({"    Select Case x", "        Case 1", "            y = 1", "        Case", "        CaseOf = 2",
                       "        Case Else", "            y = 0", "    End Select"}),
              QStringList({"  [ZRK-UL]Select Case x", "  [ZRK-T]Case 1", "  [ZRK-V]        y = 1", "  [ZRK-T]Case",
                           "  [ZRK-V]    CaseOf = 2", "  [ZRK-T]Case Else", "  [ZRK-V]        y = 0",
                           "  [ZRK-L]End Select"}));
}

// ---------------------------------------------------------------------------------------------
// Columns and tags

TEST(BracketColumns, NestedBlocksCarryTheOuterBrackets)
{
    EXPECT_EQ(Listing({"    For i = 1 To 3", "        If a Then", "            x = 1", "        Else", "        End If",
                       "    Next i"}),
              QStringList({"  [ZRK-UL]For i = 1 To 3", "  [ZRK-V]  [ZRK-UL]If a Then", "  [ZRK-V]  [ZRK-V]    x = 1",
                           "  [ZRK-V]  [ZRK-T]Else", "  [ZRK-V]  [ZRK-L]End If", "  [ZRK-L]Next i"}));
}

TEST(BracketColumns, BodyTextKeepsItsColumn)
{
    // A For at column 4 and its body at column 8: blanks to column 2, the tag, the rest.
    EXPECT_EQ(Listing({"    For i = 1 To 2", "        x = 1"}),
              QStringList({"  [ZRK-UL]For i = 1 To 2", "  [ZRK-V]    x = 1",
                           "'*** Unbalanced block: FOR opened but never closed - missing Next ***"}));
}

TEST(BracketColumns, LinesLessIndentedThanTheBlockAndEmptyLines)
{
    EXPECT_EQ(Listing({"    For i = 1 To 2", "        If a Then", "      x = 1", "    y = 2", "", "  z = 3",
                       "        End If", "    Next"}),
              QStringList({"  [ZRK-UL]For i = 1 To 2", "  [ZRK-V]  [ZRK-UL]If a Then",
                           "  [ZRK-V]  x = 1", // passes For (column 4) only
                           "    y = 2", "", "  z = 3", "  [ZRK-V]  [ZRK-L]End If", "  [ZRK-L]Next"}));
}

TEST(BracketColumns, BlocksNearTheLeftMargin)
{
    // Openers at columns 0 and 1 have no room for blanks; a body line never loses more
    // indentation than it has.
    EXPECT_EQ(Listing({"If a Then", "    x = 1", " y = 2", "End If"}),
              QStringList({"[ZRK-UL]If a Then", "[ZRK-V]  x = 1", "[ZRK-V]y = 2", "[ZRK-L]End If"}));
    EXPECT_EQ(Listing({" Do", " x = 1", "  y = 2", " Loop"}),
              QStringList({"[ZRK-UL]Do", " x = 1", "[ZRK-V]y = 2", "[ZRK-L]Loop"}));
}

TEST(BracketColumns, InnerBlockLeftOfItsOuterBlock)
{
    // The prefix has already passed column 2, so the inner tags follow the outer one directly;
    // after each tag the prefix stands two columns right of that block's tag column.
    EXPECT_EQ(Listing({"        For i = 1 To 2", "    Do", "          x = 1", "    Loop", "        Next"}),
              QStringList({"      [ZRK-UL]For i = 1 To 2", "      [ZRK-V][ZRK-UL]Do", "      [ZRK-V][ZRK-V]      x = 1",
                           "      [ZRK-V][ZRK-L]Loop", "      [ZRK-L]Next"}));
}

// ---------------------------------------------------------------------------------------------
// Unbalanced blocks

TEST(BracketBalance, CloserWithoutOpenerIsReportedBeforeTheLine)
{
    EXPECT_EQ(Listing({"    x = 1", "    End If"}),
              QStringList({"    x = 1", "'*** Unbalanced block: End If has no matching If...Then ***", "    End If"}));
    // The report quotes the statement as written (comment included) and names the opener.
    EXPECT_EQ(Listing({"  Next i ' again", "Loop", "End Select", "Wend"}),
              QStringList({"'*** Unbalanced block: Next i ' again has no matching For...To or For Each ***",
                           "  Next i ' again", "'*** Unbalanced block: Loop has no matching Do ***", "Loop",
                           "'*** Unbalanced block: End Select has no matching Select Case ***", "End Select",
                           "'*** Unbalanced block: Wend has no matching While ***", "Wend"}));
}

TEST(BracketBalance, MiddleWithoutOpener)
{
    EXPECT_EQ(Listing({"    Case 1", "Else"}),
              QStringList({"'*** Unbalanced block: Case 1 has no matching opening keyword ***", "    Case 1",
                           "'*** Unbalanced block: Else has no matching opening keyword ***", "Else"}));
    // A Do does not give a Case a Select to belong to; the body line still passes the Do.
    EXPECT_EQ(Listing({"    Do", "        Case 2", "    Loop"}),
              QStringList({"  [ZRK-UL]Do", "'*** Unbalanced block: Case 2 has no matching opening keyword ***",
                           "  [ZRK-V]    Case 2", "  [ZRK-L]Loop"}));
}

TEST(BracketBalance, UnclosedBlocksAreListedFromTheOutermost)
{
    EXPECT_EQ(Listing({"    For i = 1 To 2", "        Select Case i", "            Do"}),
              QStringList({"  [ZRK-UL]For i = 1 To 2", "  [ZRK-V]  [ZRK-UL]Select Case i",
                           "  [ZRK-V]  [ZRK-V]  [ZRK-UL]Do",
                           "'*** Unbalanced block: FOR opened but never closed - missing Next ***",
                           "'*** Unbalanced block: SELECT opened but never closed - missing End Select ***",
                           "'*** Unbalanced block: DO opened but never closed - missing Loop ***"}));
}

TEST(BracketBalance, CloserEndsTheBlocksOpenedInsideItsBlock)
{
    EXPECT_EQ(Listing({"    If a Then", "        For i = 1 To 2", "            Do", "    End If", "    x = 1"}),
              QStringList({"  [ZRK-UL]If a Then", "  [ZRK-V]  [ZRK-UL]For i = 1 To 2",
                           "  [ZRK-V]  [ZRK-V]  [ZRK-UL]Do", "  [ZRK-L]End If", "    x = 1"}));
    // A middle finds its block under others and leaves them open.
    EXPECT_EQ(Listing({"    If a Then", "        For i = 1 To 2", "    Else", "        Next", "    End If"}),
              QStringList({"  [ZRK-UL]If a Then", "  [ZRK-V]  [ZRK-UL]For i = 1 To 2", "  [ZRK-T]Else",
                           "  [ZRK-V]  [ZRK-L]Next", "  [ZRK-L]End If"}));
}

TEST(BracketBalance, OnlyTwentyBlocksAreTracked)
{
    QStringList lines(22, QStringLiteral("Do"));
    lines += QStringList(22, QStringLiteral("Loop"));
    const QStringList listing = Listing(lines);
    ASSERT_EQ(listing.size(), 44 + 2);
    const QString pass = QStringLiteral("[ZRK-V]");
    for (int k = 0; k < 20; ++k)
        EXPECT_EQ(listing[k], pass.repeated(k) + QStringLiteral("[ZRK-UL]Do")) << k;
    // Openers past the twentieth are drawn below the nineteen blocks that stay under the top.
    EXPECT_EQ(listing[20], pass.repeated(19) + QStringLiteral("[ZRK-UL]Do"));
    EXPECT_EQ(listing[21], pass.repeated(19) + QStringLiteral("[ZRK-UL]Do"));
    // Their closers take the tracked blocks, so the last two find nothing.
    for (int k = 0; k < 20; ++k)
        EXPECT_EQ(listing[22 + k], pass.repeated(19 - k) + QStringLiteral("[ZRK-L]Loop")) << k;
    const QString orphan = QStringLiteral("'*** Unbalanced block: Loop has no matching Do ***");
    EXPECT_EQ(listing.mid(42), QStringList({orphan, "Loop", orphan, "Loop"}));
}

// ---------------------------------------------------------------------------------------------
// Continued statements

TEST(BracketContinuation, OpenerTakenOnTheFirstLine)
{
    // No Then on the first line: the opener is still taken there, the rest is plain.
    EXPECT_EQ(Listing({"    If a And _", "        b Then", "        x = 1", "    End If"}),
              QStringList({"  [ZRK-UL]If a And _", "  [ZRK-V]    b Then", "  [ZRK-V]    x = 1", "  [ZRK-L]End If"}));
    EXPECT_EQ(Listing({"    Select Case _", "        x", "        Case 1", "    End Select"}),
              QStringList({"  [ZRK-UL]Select Case _", "  [ZRK-V]    x", "  [ZRK-T]Case 1", "  [ZRK-L]End Select"}));
    // Then followed only by the continuation opens the block once.
    EXPECT_EQ(Listing({"    If a Then _  ", "    ", "    End If"}),
              QStringList({"  [ZRK-UL]If a Then _  ", "    ", "  [ZRK-L]End If"}));
}

TEST(BracketContinuation, CloserTakenOnTheLastLine)
{
    EXPECT_EQ(Listing({"    Do", "        x = x + 1", "    Loop Until x > 5 And _", "        y < 2", "    z = 1"}),
              QStringList({"  [ZRK-UL]Do", "  [ZRK-V]    x = x + 1", "    Loop Until x > 5 And _", "  [ZRK-L]y < 2",
                           "    z = 1"}));
    // The report quotes the joined statement: one blank per joint, indentation and " _" gone.
    EXPECT_EQ(Listing({"    Loop Until a _", "        Or b"}),
              QStringList({"    Loop Until a _", "'*** Unbalanced block: Loop Until a Or b has no matching Do ***",
                           "        Or b"}));
}

TEST(BracketContinuation, ContinuedLinesInsideABlockArePlain)
{
    EXPECT_EQ(Listing({"    For i = 1 To 2", "        s = \"Next\" & _", "            Next", "    Next"}),
              QStringList({"  [ZRK-UL]For i = 1 To 2", "  [ZRK-V]    s = \"Next\" & _", "  [ZRK-V]        Next",
                           "  [ZRK-L]Next"}));
    // A single-line If split by continuation is no block; "_" inside a word continues nothing.
    EXPECT_EQ(Listing({"If a Then b = _", "  1", "x = my_"}), QStringList({"If a Then b = _", "  1", "x = my_"}));
}

// ---------------------------------------------------------------------------------------------
// Line range

TEST(BracketRange, RangeIsClampedAndStartsWithNoOpenBlocks)
{
    const QStringList lines = {"Sub S()", "    If a Then", "        x = 1", "    End If", "End Sub"};
    EXPECT_EQ(BuildBracketListing(lines, 3, 4),
              QStringList({"        x = 1", "'*** Unbalanced block: End If has no matching If...Then ***", "    End If"}));
    EXPECT_EQ(BuildBracketListing(lines, -5, 100).size(), 5);
    EXPECT_EQ(BuildBracketListing(lines, 2, 2),
              QStringList({"  [ZRK-UL]If a Then", "'*** Unbalanced block: IF opened but never closed - missing End If ***"}));
    EXPECT_TRUE(BuildBracketListing(lines, 4, 3).isEmpty());
    EXPECT_TRUE(BuildBracketListing({}, 1, 10).isEmpty());
}

// ---------------------------------------------------------------------------------------------
// Hostile input

TEST(BracketLimits, DeepNestingIsLinear)
{
    QStringList lines;
    for (int k = 0; k < 300; ++k)
        lines << Blanks(2 * k) + QStringLiteral("If a Then");
    for (int k = 299; k >= 0; --k)
        lines << Blanks(2 * k) + QStringLiteral("End If");
    QElapsedTimer timer;
    timer.start();
    const QStringList listing = Listing(lines);
    EXPECT_LT(timer.elapsed(), 5000);
    // 20 blocks tracked: the 20 innermost End Ifs pair with them, the other 280 are reported.
    ASSERT_EQ(listing.size(), 600 + 280);
    EXPECT_EQ(listing[319], QStringLiteral("[ZRK-L]End If"));
    EXPECT_EQ(listing.mid(878), QStringList({"'*** Unbalanced block: End If has no matching If...Then ***", "End If"}));
}

TEST(BracketLimits, HugeLinesAndLongContinuations)
{
    const QString huge = QStringLiteral("    x = \"") + QString(2 * 1024 * 1024, QLatin1Char('a')) + QStringLiteral("\"");
    QStringList lines = {"  Do", huge};
    for (int k = 0; k < 100000; ++k)
        lines << QStringLiteral("      a = a + 1 + _");
    lines << QStringLiteral("      0") << QStringLiteral("  Loop");
    QElapsedTimer timer;
    timer.start();
    const QStringList listing = Listing(lines);
    EXPECT_LT(timer.elapsed(), 10000);
    ASSERT_EQ(listing.size(), lines.size());
    EXPECT_EQ(listing[1], QStringLiteral("[ZRK-V]  ") + huge.mid(4));
    EXPECT_EQ(listing[2], QStringLiteral("[ZRK-V]    a = a + 1 + _"));
    EXPECT_EQ(listing.last(), QStringLiteral("[ZRK-L]Loop"));
}

TEST(BracketLimits, FarIndentedOpenerIsNotRepeatedOnEveryLine)
{
    const int indent = 2 * 1024 * 1024;
    QStringList lines = {Blanks(indent) + QStringLiteral("Select Case x")};
    for (int k = 0; k < 5000; ++k)
        lines << QStringLiteral("Case 1");
    lines << QStringLiteral("End Select");
    const QStringList listing = Listing(lines);
    ASSERT_EQ(listing.size(), lines.size());
    EXPECT_EQ(listing[0], Blanks(indent - 2) + QStringLiteral("[ZRK-UL]Select Case x"));
    qsizetype total = 0;
    for (const QString& line : listing)
        total += line.size();
    EXPECT_LT(total, 3 * indent + 5000 * (kMaxBracketColumn + 20));
    EXPECT_EQ(listing[1], Blanks(kMaxBracketColumn - 2) + QStringLiteral("[ZRK-T]Case 1"));
    EXPECT_EQ(listing.last(), Blanks(kMaxBracketColumn - 2) + QStringLiteral("[ZRK-L]End Select"));
}

// ---------------------------------------------------------------------------------------------
// The listing file

TEST(BracketFile, WritesCrLfUtf8AndCountsReportLines)
{
    Fixture fixture;
    DiagLog log(fixture.path("diag.txt"));
    const QStringList lines = {"Sub S()", "    For i = 1 To 2", "        s = \"\u00e9t\u00e9\"", "End Sub"};
    const BracketListingFile file = WriteBracketListing(lines, 1, 4, &log);
    ASSERT_FALSE(file.path.isEmpty());
    EXPECT_EQ(QFileInfo(file.path).absolutePath() + QLatin1Char('/'), quillon::platform::TempFolder());
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^QLN_Bracket_\\d{6}\\.txt$")).match(QFileInfo(file.path).fileName()).hasMatch())
        << file.path.toStdString();
    EXPECT_EQ(file.lineCount, 5);
    const QByteArray expected = "Sub S()\r\n"
                                "  [ZRK-UL]For i = 1 To 2\r\n"
                                "  [ZRK-V]    s = \"\xc3\xa9t\xc3\xa9\"\r\n"
                                "End Sub\r\n"
                                "'*** Unbalanced block: FOR opened but never closed - missing Next ***\r\n";
    EXPECT_EQ(ReadBytes(file.path), expected);
    EXPECT_TRUE(ReadBytes(log.path()).contains("Open OUTPUT " + file.path.toUtf8()));
    QFile::remove(file.path);
}

TEST(BracketFile, ReplacesAnEarlierListingCompletely)
{
    Fixture fixture;
    TempOverride temp(fixture.path());
    // Listings written in the same second share a name; a longer earlier one must not show
    // through the new one.
    const QTime now = QTime::currentTime();
    for (int s = 0; s < 3; ++s) {
        fixture.write(QStringLiteral("QLN_Bracket_") + now.addSecs(s).toString(QStringLiteral("hhmmss")) + ".txt",
                      QByteArray(4096, 'x'));
    }
    const BracketListingFile file = WriteBracketListing({"x = 1"}, 1, 1, nullptr);
    ASSERT_FALSE(file.path.isEmpty());
    EXPECT_EQ(file.lineCount, 1);
    EXPECT_EQ(ReadBytes(file.path), QByteArray("x = 1\r\n"));
}

TEST(BracketFile, FailureLeavesNothingBehind)
{
    Fixture fixture;
    const QString missing = fixture.path("no/such/folder");
    TempOverride temp(missing);
    DiagLog log(fixture.path("diag.txt"));
    const BracketListingFile file = WriteBracketListing({"    Do", "    Loop"}, 1, 2, &log);
    EXPECT_TRUE(file.path.isEmpty());
    EXPECT_EQ(file.lineCount, 0);
    EXPECT_FALSE(QFileInfo::exists(fixture.path("no")));
    // The attempt is still logged before the open.
    EXPECT_TRUE(ReadBytes(log.path()).contains("Open OUTPUT " + QFile::encodeName(missing)));
}

} // namespace
