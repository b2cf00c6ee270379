#include "analysis/LoopBrackets.h"
#include "model/DiagLog.h"
#include "platform/Environment.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTime>

#include <gtest/gtest.h>

using namespace quillon::analysis;
using quillon::model::DiagLog;
using quillon::test::Fixture;
using quillon::test::pictures;
using quillon::test::readBytes;

namespace {

QStringList listingOf(const QStringList& lines, int first = 1, int last = -1)
{
    return pictures(buildBracketListing(lines, first, last < 0 ? int(lines.size()) : last));
}

QString unbalanced(const QString& text)
{
    return QStringLiteral("'*** Unbalanced block: ") + text + QStringLiteral(" ***");
}

const QString kNeverClosedFor = unbalanced("FOR opened but never closed - missing Next");

const QStringList kPlain = {"    If a Then b = 1", "If a Then b = _", "  1", "    If x", "    s = \"Do\"", "    ' For i = 1 To 2", "\tDo", "    Rem While x",
    "DoEvents", "Formula = 1", "While", "x = my_"};

TEST(Brackets, ListingsOfBlocksTwentyTrackedTheRangeAndTheListingFile)
{
    const struct {
        QStringList lines, listing;
    } cases[] = {
        // Nothing opens a block here: a single-line If, also when continued; an If without Then;
        // keywords in literals or comments or inside longer words; tab-indented statements; a
        // While without its condition; "_" inside a word, which continues nothing.
        {kPlain, kPlain},
        // A multi-line If pairs; a comment after Then is masked; "EndIf" closes.
        {{"    If a Then", "        b = 1", "    End If"}, {"  ┌─If a Then", "  │     b = 1", "  └─End If"}},
        {{"    IF a THEN ' start", "    endif"}, {"  ┌─IF a THEN ' start", "  └─endif"}},
        {{"    If s = \"x Then\" Then", "    End If"}, {"  ┌─If s = \"x Then\" Then", "  └─End If"}},
        // Do and Loop need a word of their own, so do Next, While, Wend and Case.
        {{"    Do", "        DoEvents", "        LoopCount = 1", "    Loop Until x > 5"},
            {"  ┌─Do", "  │     DoEvents", "  │     LoopCount = 1", "  └─Loop Until x > 5"}},
        {{"    For Each c In items", "        NextItem = 1", "    Next c"}, {"  ┌─For Each c In items", "  │     NextItem = 1", "  └─Next c"}},
        {{"    While x < 3", "        WhileCount = 1", "    Wend"}, {"  ┌─While x < 3", "  │     WhileCount = 1", "  └─Wend"}},
        {{"    While x", "    Wend ' done"}, {"  ┌─While x", "    Wend ' done", unbalanced("WHILE opened but never closed - missing Wend")}},
        // Else stands alone to be a middle; ElseIf and "Else If" are middles too.
        {{"    If a Then", "    Else ' comment", "    ElseIf b Then", "        x = 2", "    Else If c Then", "    Else", "    End If"},
            {"  ┌─If a Then", "    Else ' comment", "  ├─ElseIf b Then", "  │     x = 2", "  ├─Else If c Then", "  ├─Else", "  └─End If"}},
        {{"    Select Case x", "        Case 1", "            y = 1", "        Case", "        CaseOf = 2", "        Case Else", "    End Select"},
            {"  ┌─Select Case x", "  ├─Case 1", "  │         y = 1", "  ├─Case", "  │     CaseOf = 2", "  ├─Case Else", "  └─End Select"}},
        // Nested blocks carry the outer brackets; a line less indented than a block passes only
        // the blocks left of it; empty lines stay empty.
        {{"    For i = 1 To 2", "        If a Then", "            w = 1", "      x = 1", "    y = 2", "", "  z = 3", "        Else", "        End If",
             "    Next"},
            {"  ┌─For i = 1 To 2", "  │   ┌─If a Then", "  │   │     w = 1", "  │   x = 1", "    y = 2", "", "  z = 3", "  │   ├─Else", "  │   └─End If",
                "  └─Next"}},
        // Openers at columns 0 and 1 leave no room for blanks; a body line never loses more
        // indentation than it has.
        {{"If a Then", "    x = 1", " y = 2", "End If"}, {"┌─If a Then", "│   x = 1", "│ y = 2", "└─End If"}},
        {{" Do", " x = 1", "  y = 2", " Loop"}, {"┌─Do", " x = 1", "│ y = 2", "└─Loop"}},
        // An inner block left of its outer block: its tags follow the outer one directly.
        {{"        For i = 1 To 2", "    Do", "          x = 1", "    Loop", "        Next"},
            {"      ┌─For i = 1 To 2", "      │ ┌─Do", "      │ │       x = 1", "      │ └─Loop", "      └─Next"}},
        // A closer or a middle without its opener is reported before the line, quoted as written.
        {{"    x = 1", "  Next i ' again", "Loop", "End Select", "Wend", "End If", "    Case 1", "Else"},
            {"    x = 1", unbalanced("Next i ' again has no matching For...To or For Each"), "  Next i ' again", unbalanced("Loop has no matching Do"), "Loop",
                unbalanced("End Select has no matching Select Case"), "End Select", unbalanced("Wend has no matching While"), "Wend",
                unbalanced("End If has no matching If...Then"), "End If", unbalanced("Case 1 has no matching opening keyword"), "    Case 1",
                unbalanced("Else has no matching opening keyword"), "Else"}},
        // A Do gives a Case no Select to belong to; the body line still passes the Do.
        {{"    Do", "        Case 2", "    Loop"}, {"  ┌─Do", unbalanced("Case 2 has no matching opening keyword"), "  │     Case 2", "  └─Loop"}},
        // Unclosed blocks are listed from the outermost.
        {{"    For i = 1 To 2", "        Select Case i", "            Do"},
            {"  ┌─For i = 1 To 2", "  │   ┌─Select Case i", "  │   │   ┌─Do", kNeverClosedFor,
                unbalanced("SELECT opened but never closed - missing End Select"), unbalanced("DO opened but never closed - missing Loop")}},
        // A closer ends the blocks opened inside its block; a middle finds its block under
        // others and leaves them open.
        {{"    If a Then", "        For i = 1 To 2", "            Do", "    End If", "    x = 1"},
            {"  ┌─If a Then", "  │   ┌─For i = 1 To 2", "  │   │   ┌─Do", "  └─End If", "    x = 1"}},
        {{"    If a Then", "        For i = 1 To 2", "    Else", "        Next", "    End If"},
            {"  ┌─If a Then", "  │   ┌─For i = 1 To 2", "  ├─Else", "  │   └─Next", "  └─End If"}},
        // A continued opener is taken on its first line, a continued closer on its last; Then
        // followed only by the continuation opens once.
        {{"    If a And _", "        b Then", "        x = 1", "    End If"}, {"  ┌─If a And _", "  │     b Then", "  │     x = 1", "  └─End If"}},
        {{"    If a Then _  ", "    ", "    End If"}, {"  ┌─If a Then _  ", "    ", "  └─End If"}},
        {{"    Do", "        x = x + 1", "    Loop Until x > 5 And _", "        y < 2", "    z = 1"},
            {"  ┌─Do", "  │     x = x + 1", "    Loop Until x > 5 And _", "  └─y < 2", "    z = 1"}},
        // The report quotes the joined statement: one blank per joint, indentation and " _" gone.
        {{"    Loop Until a _", "        Or b"}, {"    Loop Until a _", unbalanced("Loop Until a Or b has no matching Do"), "        Or b"}},
        // Continued lines inside a block are plain, however many.
        {{"    For i = 1 To 2", "        s = \"Next\" & _", "            Next & _", "            Loop", "    Next"},
            {"  ┌─For i = 1 To 2", "  │     s = \"Next\" & _", "  │         Next & _", "  │         Loop", "  └─Next"}},
        // An opener further right than any real line is drawn at the column limit below it.
        {{QString(kMaxBracketColumn + 7, ' ') + "Select Case x", "Case 1", "End Select"},
            {QString(kMaxBracketColumn + 5, ' ') + "┌─Select Case x", QString(kMaxBracketColumn - 2, ' ') + "├─Case 1",
                QString(kMaxBracketColumn - 2, ' ') + "└─End Select"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(listingOf(c.lines), c.listing) << c.lines.join(QStringLiteral(" / ")).left(200).toStdString();
    // Only twenty blocks are tracked.
    const QStringList listing = listingOf(QStringList(22, QStringLiteral("Do")) + QStringList(22, QStringLiteral("Loop")));
    ASSERT_EQ(listing.size(), 44 + 2);
    const QString pass = QStringLiteral("│ ");
    // Openers past the twentieth are drawn below the nineteen blocks that stay under the top;
    // their closers take the tracked blocks, so the last two find nothing.
    for (int k = 0; k < 22; ++k)
        EXPECT_EQ(listing[k], pass.repeated(std::min(k, 19)) + QStringLiteral("┌─Do")) << k;
    for (int k = 0; k < 20; ++k)
        EXPECT_EQ(listing[22 + k], pass.repeated(19 - k) + QStringLiteral("└─Loop")) << k;
    EXPECT_EQ(listing.mid(42), QStringList({unbalanced("Loop has no matching Do"), "Loop", unbalanced("Loop has no matching Do"), "Loop"}));
    // The line range is clamped and starts with no open blocks.
    const QStringList lines = {"Sub S()", "    If a Then", "        x = 1", "    End If", "End Sub"};
    EXPECT_EQ(listingOf(lines, 3, 4), QStringList({"        x = 1", unbalanced("End If has no matching If...Then"), "    End If"}));
    EXPECT_EQ(buildBracketListing(lines, -5, 100).size(), 5u);
    EXPECT_TRUE(buildBracketListing(lines, 4, 3).empty());
    // The listing file: CR LF and UTF-8, the report lines counted, an earlier listing replaced completely.
    Fixture fx;
    DiagLog log(fx.path("diag.txt"));
    const auto restoreTemp = qScopeGuard([saved = qgetenv("TEMP")] { qputenv("TEMP", saved); });
    qputenv("TEMP", QFile::encodeName(fx.path()));
    // Listings written in the same second share a name; a longer earlier one must not show through.
    for (int s = 0; s < 3; ++s)
        fx.write("QLN_Bracket_" + QTime::currentTime().addSecs(s).toString("hhmmss") + ".txt", QByteArray(4096, 'x'));
    BracketListingFile file = writeBracketListing({"Sub S()", "    For i = 1 To 2", "        s = \"\u00e9t\u00e9\"", "End Sub"}, 1, 4, &log);
    EXPECT_EQ(QFileInfo(file.path).absolutePath() + QLatin1Char('/'), quillon::platform::tempFolder());
    EXPECT_TRUE(QRegularExpression("^QLN_Bracket_\\d{6}\\.txt$").match(QFileInfo(file.path).fileName()).hasMatch()) << file.path.toStdString();
    EXPECT_EQ(file.lineCount, 5);
    EXPECT_EQ(readBytes(file.path),
        "Sub S()\r\n  [ZRK-UL]For i = 1 To 2\r\n  [ZRK-V]    s = \"\xc3\xa9t\xc3\xa9\"\r\nEnd Sub\r\n" + kNeverClosedFor.toUtf8() + "\r\n");
    EXPECT_TRUE(readBytes(log.path()).contains("Open OUTPUT " + file.path.toUtf8()));

    // A failure leaves nothing behind; the attempt is still logged before the open.
    const QString missing = fx.path("no/such/folder");
    qputenv("TEMP", QFile::encodeName(missing));
    file = writeBracketListing({"    Do", "    Loop"}, 1, 2, &log);
    EXPECT_TRUE(file.path.isEmpty());
    EXPECT_EQ(file.lineCount, 0);
    EXPECT_FALSE(QFileInfo::exists(fx.path("no")));
    EXPECT_TRUE(readBytes(log.path()).contains("Open OUTPUT " + QFile::encodeName(missing)));
}

} // namespace
