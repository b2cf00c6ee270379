#pragma once
#include "aids/SourceTransforms.h"
#include "analysis/LogicalLine.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace quillon::config {
class Options;
}
namespace quillon::platform {
class IPrintSurface;
}

namespace quillon::aids {

// The width of a text as the printer prints it in the current print font, in twips.
using TextMeasure = std::function<double(QStringView text)>;

// The continuation indent: "Wrap Code Indent" when "Which Indent" is 1, else the indent rules'
// "Indent Width" (by default the IDE tab width).
int wrapIndentUnit(const config::Options& options);
// Puts the options' output device and print font on the surface and measures with it.
TextMeasure printFontMeasure(platform::IPrintSurface& surface, const config::Options& options);

// One flag per character: true for the characters of string literals, quotes included.
std::vector<bool> stringLiteralMap(QStringView text);
// Where a line's comment starts: the 1-based position of the first "'" outside a literal; 0 when
// there is none.
int commentStart(QStringView text);

// The rules window's signature choices: with "Wrap Each Parameter in a Signature Line" ("Sig Wrap"
// 0) a signature with more than two parameters, or with any when "Wrap 2 Sig" is ticked, gets one
// parameter per continuation line; else ("Sig Wrap" 1) it wraps like any other line.
struct SignatureRules {
    bool eachParameter = true;
    bool alsoTwoOrFewer = false;
};
SignatureRules signatureRules(const config::Options& options);

// Splits lines wider than the sample long line into a parent line and continuation lines:
// code at the last blank or before a backslash that fits (a literal closed with `" & _` and
// reopened), comments under a new "'" one indent unit further right.
class LineWrapper {
public:
    LineWrapper(TextMeasure measure, const QString& longLineSample, int indentUnit);

    void setSignatureRules(SignatureRules rules) { signatureRules_ = rules; }
    const SignatureRules& signatureRules() const { return signatureRules_; }
    int indentUnit() const { return indentUnit_; }

    bool isTooLong(QStringView text) const { return measure_(text) > longLine_; }
    // The line's new lines; a failure when no break fits (the line is then kept as it was).
    model::Outcome<QStringList> wrapLine(const QString& text) const;
    // Where a line may break (the characters kept on it), looking no lower than position m,
    // within the available width; the line's length or more when it fits.
    int breakPosition(QStringView line, int m, double available) const;

private:
    model::Outcome<QStringList> wrapCode(const QString& text) const;
    model::Outcome<QStringList> wrapComment(const QString& head, const QString& tail) const;

    TextMeasure measure_;
    double longLine_; // W: the sample's width
    double literalClose_; // R: the width of the text that closes a split literal
    int indentUnit_;
    SignatureRules signatureRules_;
};

// A file's lines after wrapping, with the lines wrapped and those that could not be.
struct WrapRewrite {
    Rewrite rewrite;
    int linesWrapped = 0;
    // "LINE: TEXT" for each too-long line left as it was (its first line's number, its first
    // 60 characters without the indentation).
    QStringList notWrapped;
};
// Joins every continued statement of the routines and wraps the lines that are too long. A form's
// designer block (Layout, Image) is not code and is passed over. A signature goes by the wrapper's
// signature rules: one parameter per line (each rewritten signature counts as one line wrapped),
// or, when it has too few parameters for that, left as the developer continued it.
WrapRewrite wrapRoutines(const QStringList& lines, const model::RoutineList& routines, const LineWrapper& wrapper);

// The rules window ("IDE Long  Line Wrap Rules").
inline const QString kBadIndentTitle = QStringLiteral("Bad Indent");
// Its help text: 27 lines, each ended with CR LF.
QString wrapRulesHelpText();
// Empty when the text is a whole number from 0 to 9; else what "Bad Indent" says about it.
QString wrapIndentProblem(const QString& text);

} // namespace quillon::aids
