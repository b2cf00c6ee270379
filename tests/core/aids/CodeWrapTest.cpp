#include "aids/CodeWrap.h"
#include "model/RoutineParser.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <QRegularExpression>

using namespace quillon::aids;
using quillon::analysis::joinLogicalLine;
using quillon::model::Outcome;

namespace {

// Every character 10 twips wide: a sample of n characters allows n characters.
LineWrapper wrapper(int sampleLength, int indentUnit = 4)
{
    return LineWrapper([](QStringView text) { return 10.0 * double(text.size()); }, QString(sampleLength, 'x'), indentUnit);
}

QString joined(const QStringList& lines)
{
    return joinLogicalLine(lines, 0, int(lines.size()) - 1).text;
}

TEST(CodeWrapTest, TooLongLinesSplitAsCodeLiteralOrCommentOrStayAsTheyWere)
{
    const struct {
        QString line;
        QStringList wrapped; // empty: not wrapped
    } rows[] = {
        {"    x = alpha + beta + gamma", {"    x = alpha +  _", "        beta + gamma"}},
        {R"(  s = "one two three four")", {R"(  s = "one two " & _)", R"(      "three four")"}},
        {R"(    p = "C:\directory\file")", {R"(    p = "C:" & _)", R"(        "\directory" & _)", R"(        "\file")"}},
        {"    ' a comment that is far too long", {"    ' a comment that is ", "        'far too long"}},
        {"x = 1 ' note with several words here", {"x = 1 ' note with ", "          'several words ", "          'here"}},
        {"    total = alphabet + beta ' why", {}},
        {"    abcdefghijklmnopqrstuvwxyz", {}},
    };
    for (const auto& row : rows) {
        const Outcome<QStringList> result = wrapper(25).wrapLine(row.line);
        EXPECT_EQ(result.ok(), !row.wrapped.isEmpty()) << row.line.toStdString();
        EXPECT_EQ(result.valueOr({}), row.wrapped) << row.line.toStdString();
    }
    EXPECT_EQ(joined(rows[1].wrapped), rows[1].line);
    EXPECT_EQ(joined(rows[2].wrapped), rows[2].line);
    EXPECT_EQ(commentStart(uR"(s = "it's" ' x)"), 12);
    EXPECT_EQ(joined({"x = a And _", "    b"}), "x = a And b") << "the blank before the underscore stays";
}

TEST(CodeWrapTest, WrappedCodeJoinsBackAndEveryLineFits)
{
    QRandomGenerator random(16);
    const QStringList words = {"alpha", "b", "Call", "x(1, 2)", R"("a b c")", R"("x\y z")", "&", "+", "a\\b", R"("")", "Len(s)"};
    int wrappedCount = 0;
    for (int n = 0; n < 400; ++n) {
        QString line(random.bounded(6), ' ');
        for (int w = 0, count = 3 + random.bounded(14); w < count; ++w)
            line += words[random.bounded(words.size())] + (w + 1 < count ? " " : "");
        const LineWrapper wrap = wrapper(30);
        const Outcome<QStringList> result = wrap.wrapLine(line);
        if (!wrap.isTooLong(line) || !result)
            continue;
        ++wrappedCount;
        for (const QString& piece : *result)
            EXPECT_FALSE(wrap.isTooLong(piece)) << piece.toStdString();
        // Joined again, each break of the code keeps a blank (before a backslash too).
        const auto normal = [](QString text) { return text.replace(QRegularExpression(" +"), " ").replace(" \\", "\\"); };
        EXPECT_EQ(normal(joined(*result)), normal(line));
    }
    EXPECT_GT(wrappedCount, 100);
}

TEST(CodeWrapTest, RoutinesAreJoinedThenWrappedAndTheirOtherLinesKeptAndTheRulesWindowsTexts)
{
    const QStringList module = {"Attribute VB_Name = \"M\"", "Sub A()", "    x = a + _", "        b + _", "        c   ", "    y = first + second + third",
        "    ' " + QString(30, 'z'), "End Sub"};
    const auto routines = quillon::model::splitLinesIntoRoutines("/p/M.bas", module);
    const WrapRewrite wide = wrapRoutines(module, routines, wrapper(40));
    EXPECT_TRUE(wide.rewrite.changed);
    EXPECT_EQ(wide.linesWrapped, 0);
    EXPECT_EQ(
        wide.rewrite.lines, QStringList({"Attribute VB_Name = \"M\"", "Sub A()", "    x = a + b + c", "    y = first + second + third", module[6], "End Sub"}));
    const WrapRewrite narrow = wrapRoutines(module, routines, wrapper(25));
    EXPECT_EQ(narrow.linesWrapped, 1);
    EXPECT_EQ(narrow.notWrapped, QStringList({"7: ' " + QString(30, 'z')}));
    const WrapRewrite none = wrapRoutines(module, routines, wrapper(0));
    EXPECT_EQ(none.linesWrapped, 0);
    EXPECT_EQ(none.notWrapped.size(), 6) << "with no sample every line but a blank one is too long, the declarations' too";
    EXPECT_EQ(none.rewrite.lines, wide.rewrite.lines) << "continued statements are joined all the same";
    const std::pair<QString, QString> rows[] = {{"3", ""}, {" 0 ", ""}, {"abc", "The entered indent character is not a number"},
        {"2.5", "The entered indent character must be an integer"}, {"12", "The entered indent character must be in the range 0 to 9"},
        {"-1", "The entered indent character must be in the range 0 to 9"}};
    for (const auto& [text, problem] : rows)
        EXPECT_EQ(wrapIndentProblem(text), problem) << text.toStdString();
    EXPECT_EQ(wrapRulesHelpText().count("\r\n"), 27);
}

TEST(CodeWrapTest, SignaturesGetAParameterALineByTheRulesOrStayAsTheDeveloperContinuedThem)
{
    const SignatureRules each {true, false}, always {true, true}, normal {false, false};
    const QString three = R"(Function F(ByVal a As Long, b() As String, Optional s As String = "a, b") As Long ' n)";
    const QStringList threeEach = {
        "Function F( _", "        ByVal a As Long, _", "        b() As String, _", R"(        Optional s As String = "a, b") As Long ' n)"};
    const QStringList two = {"Sub G(a As Long, _", "      ByVal f As Long = (1 + 2))"};
    const std::tuple<SignatureRules, QStringList, QStringList, int> rows[] = {{each, {three}, threeEach, 1}, {normal, {three}, {three}, 0},
        {each, threeEach, threeEach, 0}, {normal, threeEach, {three.left(11) + " " + three.mid(11)}, 0}, {each, two, two, 0},
        {each, {"Sub G(a, b() As Long)"}, {"Sub G(a, b() As Long)"}, 0},
        {always, two, {"Sub G( _", "        a As Long, _", "        ByVal f As Long = (1 + 2))"}, 1},
        {always, {"Sub Q() ' (a, b, c)"}, {"Sub Q() ' (a, b, c)"}, 0}, {each, {"Sub K(a, _", "  b, c"}, {"Sub K(a, b, c"}, 0},
        {each, {"  Property Let P(ByVal i As Long, _", "   j, ByVal v As Variant)"},
            {"  Property Let P( _", "          ByVal i As Long, _", "          j, _", "          ByVal v As Variant)"}, 1}};
    for (const auto& [rules, before, after, wrapped] : rows) {
        LineWrapper wrap = wrapper(90);
        wrap.setSignatureRules(rules);
        const QStringList module = before + QStringList {"    x = 1", "End Sub"};
        const WrapRewrite result = wrapRoutines(module, quillon::model::splitLinesIntoRoutines("/p/M.bas", module), wrap);
        SCOPED_TRACE(before.join('|').toStdString());
        EXPECT_EQ(result.rewrite.lines, after + QStringList({"    x = 1", "End Sub"}));
        EXPECT_EQ(std::pair(result.rewrite.changed, result.linesWrapped), std::pair(after != before, wrapped));
    }
}

} // namespace
