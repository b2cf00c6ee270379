#include "aids/SpellCheck.h"
#include "platform/SpellChecker.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace quillon::aids;
using quillon::platform::openSpellChecker;

namespace {

// "LINE:COLUMN WORD L" for a literal's word, "... C" for a comment's.
QStringList pictures(const std::vector<SpellWord>& words)
{
    QStringList result;
    for (const SpellWord& w : words)
        result += QStringLiteral("%1:%2 %3 %4").arg(w.line).arg(w.column).arg(w.word, w.inLiteral ? "L" : "C");
    return result;
}

struct Words {
    const char* name;
    QStringList lines;
    QStringList expected;
    bool literalsOnly = false;
    bool codeNames = false; // the identifiers are the lines' own, else none
};

void PrintTo(const Words& words, std::ostream* os)
{
    *os << words.name;
}

class SpellWords : public testing::TestWithParam<Words> { };

TEST_P(SpellWords, AreTheCheckedWordsWhereTheyStand)
{
    const Words& c = GetParam();
    const QSet<QString> names = c.codeNames ? identifiersOf(c.lines) : QSet<QString>();
    EXPECT_EQ(pictures(wordsToCheck(c.lines, c.literalsOnly, names)), c.expected);
}

const Words kWords[] = {
    {"DoubledQuoteEndsAWord", {R"(x = "Don""t stop")"}, {"1:6 Don L", "1:13 stop L"}},
    {"CommentAfterCode", {"y = 1 ' the valeu"}, {"1:9 the C", "1:13 valeu C"}},
    {"InnerApostrophesStay", {"' don't use user's data"}, {"1:3 don't C", "1:9 use C", "1:13 user's C", "1:20 data C"}},
    {"AccessKeysStayInTheWord", {R"(c = "E&xit" & "&File" & "Save && Close")"}, {"1:6 E&xit L", "1:17 File L", "1:26 Save L", "1:34 Close L"}},
    {"RemStartsACommentOnlyAsAStatement", {"Rem Checks teh list", "x = 1: Rem noted here", "Remark = 2"},
        {"1:5 Checks C", "1:12 teh C", "1:16 list C", "2:12 noted C", "2:18 here C"}},
    {"ContinuedCommentTakesTheNextLine", {"' first part _", "second parte", "x = 1 ' again"},
        {"1:3 first C", "1:9 part C", "2:1 second C", "2:8 parte C", "3:9 again C"}},
    {"UnclosedLiteralRunsToTheEnd", {R"(x = "Unclosed strng)"}, {"1:6 Unclosed L", "1:15 strng L"}},
    {"LiteralsOnly", {R"(MsgBox "Helo world" ' a coment)"}, {"1:9 Helo L", "1:14 world L"}, true},
    {"NamesCapsHexAndSingleLetters", {"' Form1 txt_Name ListBox ADODB OK &HFF &hff 0x1F a I &Hello", "' well-known and/or e-mail"},
        {"1:55 Hello C", "2:3 well C", "2:8 known C", "2:14 and C", "2:18 or C", "2:23 mail C"}},
    {"EscapesAndPlaceholders", {R"(s = "Total:\t%d items\n" & "{0} of {name}" & "two\temp")"}, {"1:6 Total L", "1:17 items L", "1:33 of L"}},
    {"AddressesAndPaths",
        {R"(' see http://example.com/helpp mail bob@example.com or ./docs/readme www.acme.com C:\Tmp (/usr/lib))",
            R"(p = "C:\Program Files\Acme Tols\x.ini" & App.Path & "\data\custmer.mdb" & "see Files\Tols")"},
        {"1:3 see C", "1:32 mail C", "1:53 or C", "2:76 see L"}},
    {"FormatStrings", {R"(s = Format(d, "yyyy-mm-dd") & Format(t, "hh:nn AM/PM") & Format(x, "#,##0.00") & "Totl: ")"}, {"1:83 Totl L"}},
    {"DeclareLiteralsEvenContinued",
        {R"(Private Declare Function GetTickCount Lib "kernel32" Alias "GetTickCountA" () As Long)", R"(Declare Sub Foo Lib "mylib" _)",
            R"(    Alias "Barr" () ' wrapper ofthe)", R"(x = "Barr")"},
        {"3:23 wrapper C", "3:31 ofthe C", "4:6 Barr L"}},
    // Of the layout block, only the texts the user reads: captions and tool tips.
    {"LayoutBlockAndAttributes",
        {"VERSION 5.00", "Begin VB.Form Form1", R"(   Caption = "Helo")", R"(   Tag = "Somethng")", R"(   ToolTipText   =   "Clik here")", "End",
            R"(Attribute VB_Name = "Form1")", "Attribute VB_Exposed = False", "Option Explicit ' modul notes", "Public x As Long",
            R"(Attribute x.VB_VarDescription = "Somethng")", "' tail"},
        {"3:15 Helo L", "5:23 Clik L", "5:28 here L", "9:19 modul C", "9:25 notes C", "12:3 tail C"}},
    {"FilterEntriesAndHandlerEvents", {R"(.Filter = "Text Fils (*.txt)|*.txt|All Files (*.*)|*.*")", "Sub txtName_KeyDown()", "' see Keydown"},
        {"1:12 Text L", "1:17 Fils L", "1:36 All L", "1:40 Files L", "3:3 see C"}, false, true},
    {"FileNamesAndShortData", {R"(f = "Inventory.ini": g = "*.bak": h = Array("ae", "Ue") ' see (stock.csv), e.g. teh end.)"},
        {"1:59 see C", "1:81 teh C", "1:85 end C"}},
    {"NamesTheCodeUses", {"Dim custName As String ' custname is kept", R"(custName = "custname")", "' custName's lenght"},
        {"1:35 is C", "1:38 kept C", "3:14 lenght C"}, false, true},
};

INSTANTIATE_TEST_SUITE_P(SpellCheck, SpellWords, testing::ValuesIn(kWords), [](const auto& info) { return std::string(info.param.name); });

TEST(SpellWordsTest, BadInputGivesWordsThatStandWhereTheySay)
{
    QString junk;
    for (int i = 0; i < 4096; ++i)
        junk += QChar(char16_t((i * 7919) % 0xD000));
    const QStringList lines = {"' " + QString(1 << 20, 'a'), "x = \"" + QString(1 << 20, '"'), "' " + QString(1 << 19, 'a') + QString(1 << 19, '\''),
        "x = \"" + QString(1 << 20, '\\'), junk, QString(1 << 20, 'q') + " _"};
    const std::vector<SpellWord> words = wordsToCheck(lines, false, identifiersOf(lines));
    ASSERT_GE(words.size(), 3u);
    EXPECT_EQ(std::tuple(words[0].line, words[0].column, words[0].word.size()), std::tuple(1, 3, 1 << 20));
    EXPECT_EQ(std::tuple(words[1].line, words[1].column, words[1].word.size()), std::tuple(3, 3, 1 << 19));
    for (const SpellWord& w : words)
        EXPECT_EQ(lines[w.line - 1].mid(w.column - 1, w.word.size()), w.word);
}

// A dictionary of a few words in a folder of its own.
class SpellDictionaryTest : public testing::Test {
protected:
    void SetUp() override
    {
        folder_.write("xx_TEST.aff", "SET UTF-8\nTRY esianrtolcdugmfphbyvkw\n");
        folder_.write("xx_TEST.dic", "7\nhello\nworld\ncaf\xC3\xA9\nlist\nnice\nagain\nthe\n");
    }
    std::unique_ptr<quillon::platform::ISpellChecker> open(const QString& language, QString* error)
    {
        return openSpellChecker(language, error, {folder_.path("none"), folder_.path()});
    }

    quillon::test::Fixture folder_;
};

TEST_F(SpellDictionaryTest, ChecksSuggestsAndAccepts)
{
    QString error;
    const auto checker = open("xx_TEST", &error);
    ASSERT_TRUE(checker) << error.toStdString();
    EXPECT_TRUE(checker->isCorrect("hello") && checker->isCorrect("Hello") && checker->isCorrect("café"));
    EXPECT_FALSE(checker->isCorrect("helo") || checker->isCorrect("Quillon") || checker->isCorrect(QString(500, 'a')));
    EXPECT_TRUE(checker->suggestions("helo").contains("hello"));
    EXPECT_TRUE(checker->suggestions("cafe").contains("café"));
    checker->accept("Quillon");
    EXPECT_TRUE(checker->isCorrect("Quillon"));
    // The alphabet is what the affix file's TRY line tries, and every ASCII letter.
    EXPECT_TRUE(checker->writesLettersOf("jinx"));
    EXPECT_FALSE(checker->writesLettersOf("\u00DE\u00CFk\u00EB"));

    folder_.write("xx_LATIN.aff", "SET ISO8859-1\n");
    folder_.write("xx_LATIN.dic", "2\ncaf\xE9\nna\xEFve\n");
    const auto latin = open("xx_LATIN", &error);
    ASSERT_TRUE(latin) << error.toStdString();
    EXPECT_TRUE(latin->isCorrect("naïve"));
    EXPECT_FALSE(latin->isCorrect("naïveΩ"));
    EXPECT_TRUE(latin->suggestions("cafe").contains("café"));
    EXPECT_TRUE(latin->writesLettersOf("\u00DE\u00CFk\u00EB")) << "no TRY line: no alphabet to hold a word to";
    EXPECT_EQ(quillon::platform::installedDictionaries({folder_.path(), folder_.path()}), QStringList({"xx_LATIN", "xx_TEST"}));
}

TEST_F(SpellDictionaryTest, WhatCannotBeOpenedSaysWhy)
{
    folder_.write("xx_COUNT.aff", "SET UTF-8\n");
    folder_.write("xx_COUNT.dic", "99999999\nword\n");
    folder_.write("xx_CODE.aff", "SET X-NO-SUCH-CODE\n");
    folder_.write("xx_CODE.dic", "1\nword\n");
    folder_.write("xx_HALF.aff", "SET UTF-8\n");
    QDir(folder_.path()).mkpath("xx_DIR.aff");
    folder_.write("xx_DIR.dic", "1\nword\n");
    const struct {
        const char* language;
        const char* reason;
    } rows[] = {{"zz_ZZ", "No dictionary for zz_ZZ (zz_ZZ.aff and zz_ZZ.dic) in "}, {"xx_HALF", "No dictionary for xx_HALF"},
        {"xx_COUNT", "xx_COUNT.dic does not start with its word count"}, {"xx_CODE", "X-NO-SUCH-CODE"}, {"xx_DIR", "xx_DIR.aff is not a regular file"},
        {"../xx_TEST", "is no dictionary name"}};
    for (const auto& row : rows) {
        QString error;
        EXPECT_FALSE(open(row.language, &error)) << row.language;
        EXPECT_TRUE(error.contains(row.reason)) << error.toStdString();
        EXPECT_TRUE(error.contains(row.language)) << error.toStdString();
    }
    qputenv("QUILLON_DICTIONARY_PATH", "/a::/b");
    const QStringList folders = quillon::platform::dictionaryFolders();
    qunsetenv("QUILLON_DICTIONARY_PATH");
    EXPECT_EQ(folders.mid(0, 3), QStringList({"/a", "/b", "/usr/share/hunspell"}));
}

TEST_F(SpellDictionaryTest, FindsTheUnknownWordsOfTheFilesInOrder)
{
    const QString a =
        folder_.writeLines("A.bas", {"Attribute VB_Name = \"A\"", "Dim helo As Long", "Sub S()", "    MsgBox \"hello wrld\" ' nice lisst", "End Sub"});
    const QString b = folder_.writeLines("B.bas", {"' helo wrld again \u00DE\u00CFk\u00EB"});
    QString error;
    const auto checker = open("xx_TEST", &error);
    ASSERT_TRUE(checker) << error.toStdString();
    const auto picture = [](const std::vector<SpellFinding>& findings) {
        QStringList result;
        for (const SpellFinding& f : findings)
            result +=
                QStringLiteral("%1:%2:%3 %4 | %5").arg(quillon::model::fileNameOf(f.path)).arg(f.where.line).arg(f.where.column).arg(f.where.word, f.lineText);
        return result;
    };
    const auto reader = quillon::model::SourceReader::standard();
    EXPECT_EQ(picture(findMisspellings({a, folder_.path("gone.bas"), b}, reader, *checker, false)),
        QStringList({"A.bas:4:19 wrld |     MsgBox \"hello wrld\" ' nice lisst", "A.bas:4:32 lisst |     MsgBox \"hello wrld\" ' nice lisst",
            "B.bas:1:8 wrld | ' helo wrld again \u00DE\u00CFk\u00EB"}));
    EXPECT_EQ(findMisspellings({a, b}, reader, *checker, true).size(), 1u);
}

TEST(SpellReplaceTest, ReplacesOnlyWordsThatStillStand)
{
    const QStringList lines = {"x = \"wrld wrld\"\t' tehran teh ", "' teh Teh TEH"};
    const Rewrite rewrite = replaceWords(lines,
        {{1, 6, "wrld", "world"}, {1, 11, "wrld", "world"}, {1, 19, "teh", "the"}, {1, 26, "teh", "the"}, {1, 7, "wrld", "x"}, {3, 1, "teh", "the"},
            {2, 3, "the", "teh"}});
    EXPECT_EQ(rewrite.lines, QStringList({"x = \"world world\"\t' tehran the ", "' teh Teh TEH"}));
    EXPECT_EQ(std::tuple(rewrite.changed, rewrite.proceduresChanged), std::tuple(true, 3));

    const QHash<QString, QString> rights = {{"teh", "the"}};
    EXPECT_EQ(replaceWords(lines, replacementsFor(lines, false, {}, rights)).lines, QStringList({"x = \"wrld wrld\"\t' tehran the ", "' the The TEH"}));
    EXPECT_EQ(replaceWords(lines, replacementsFor(lines, true, {}, rights)).changed, false);
}

TEST(PersonalWordsTest, AddedWordsComeBackOnceEach)
{
    quillon::test::Fixture folder;
    EXPECT_TRUE(loadPersonalWords(folder.path()).isEmpty());
    const QString list = folder.write(kPersonalWordsFile,
        "\xEF\xBB\xBF"
        "alpha\r\nbeta");
    for (const char* word : {"Quillon", " naïve ", "alpha", "Quillon"})
        EXPECT_TRUE(addPersonalWord(folder.path(), QString::fromUtf8(word)).ok()) << word;
    EXPECT_EQ(quillon::test::readBytes(list),
        QByteArray("\xEF\xBB\xBF"
                   "alpha\r\nbeta\nQuillon\nna\xC3\xAFve\n"));
    EXPECT_EQ(loadPersonalWords(folder.path()), QStringList({"alpha", "beta", "Quillon", "naïve"}));
    EXPECT_FALSE(addPersonalWord(folder.path(), "  ").ok());
    EXPECT_TRUE(addPersonalWord(folder.path("new/folder"), "beta").ok());
    EXPECT_EQ(loadPersonalWords(folder.path("new/folder")), QStringList({"beta"}));
}

} // namespace
