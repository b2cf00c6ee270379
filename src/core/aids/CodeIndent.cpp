#include "aids/CodeIndent.h"

#include "config/Options.h"
#include "model/RoutineParser.h"
#include "model/TextPrimitives.h"
#include "model/VbLineScanner.h"

#include <algorithm>
#include <optional>

namespace quillon::aids {

// The helpers have a namespace of their own: the aids are also compiled as one unit, where
// another file's helper of the same name would otherwise be taken silently.
namespace {
namespace indentation {

// VB's editor loads no longer line: an indentation that would make one is not written.
constexpr qsizetype kLongestVbLine = 1023;

struct RuleSwitch {
    config::OptionKey key;
    bool IndentRules::*member;
};
constexpr RuleSwitch kSwitches[] = {
    {config::opt::IndentProcedureBody, &IndentRules::procedureBody},
    {config::opt::IndentFirstComments, &IndentRules::firstComments},
    {config::opt::IndentCase, &IndentRules::caseUnderSelect},
    {config::opt::IndentTypeMembers, &IndentRules::typeMembers},
    {config::opt::DirectivesInColumn1, &IndentRules::directivesAtColumn1},
    {config::opt::IndentContinuations, &IndentRules::continuationsOneUnit},
    {config::opt::AlignComments, &IndentRules::alignComments},
    {config::opt::DebugInColumn1, &IndentRules::debugAtColumn1},
    {config::opt::TabsToBlanks, &IndentRules::tabsToBlanks},
};

bool isBlankLine(QStringView line)
{
    return model::skipBlanksAndTabs(line, 0) == line.size();
}

// The column the text after line[0, end) starts at (0 for the first), a tab reaching the next
// multiple of the tab width.
int columnAt(QStringView line, qsizetype end, int tabWidth)
{
    int column = 0;
    for (qsizetype i = 0; i < end; ++i)
        column = line[i] == u'\t' ? (column / tabWidth + 1) * tabWidth : column + 1;
    return column;
}

// The end of the name that starts at text[from] (a letter, then letters, digits and "_");
// `from` when none starts there.
qsizetype wordEnd(QStringView text, qsizetype from)
{
    if (from >= text.size() || !model::isAsciiLetter(text[from]))
        return from;
    qsizetype i = from + 1;
    while (i < text.size() && model::isIdentifierChar(text[i]))
        ++i;
    return i;
}

bool wordIs(QStringView text, qsizetype start, qsizetype end, QLatin1StringView upper)
{
    return end - start == upper.size() && text.sliced(start, end - start).compare(upper, Qt::CaseInsensitive) == 0;
}

// The words a statement may start with that make no label when a colon follows them.
bool isLabelKeyword(QStringView word)
{
    const QString upper = model::upperCase(word);
    return model::isStatementKeyword(upper) || upper == QLatin1String("STOP") || upper == QLatin1String("BEEP")
        || upper == QLatin1String("DOEVENTS") || upper == QLatin1String("RANDOMIZE") || upper == QLatin1String("RESET")
        || upper == QLatin1String("REM");
}

bool startsRemComment(QStringView text, qsizetype at)
{
    const qsizetype end = wordEnd(text, at);
    return wordIs(text, at, end, QLatin1StringView("REM")) && (end == text.size() || model::isBlankOrTab(text[end]));
}

// One statement over its physical lines (0-based indexes of the file's lines).
struct LogicalLine {
    int first = 0;
    int last = 0;
    // Its code: each literal's characters as quote marks, comments left out, continued lines
    // joined with a blank; the first line's characters stand at their own positions.
    QString code;
};

// The statement that starts at line `first`, continued no further than line `limit`. A blank
// line ends it whatever the line before it says.
LogicalLine readLogicalLine(const QStringList& lines, int first, int limit)
{
    LogicalLine logical {first, first, {}};
    bool inComment = false;
    for (int k = first;; ++k) {
        const QString& line = lines[k];
        bool literalOpen = false;
        bool comment = inComment;
        if (!inComment) {
            model::VbLineScanner scanner(line, {.quoteComments = true, .remComments = true});
            model::VbLinePart part;
            while (scanner.next(part)) {
                if (part.kind == model::VbLinePart::Comment) {
                    comment = true;
                    break;
                }
                if (part.kind == model::VbLinePart::Literal)
                    logical.code += QString(part.end - part.start, QLatin1Char('"'));
                else
                    logical.code += QStringView(line).sliced(part.start, part.end - part.start);
                literalOpen = part.kind == model::VbLinePart::Literal && !part.closed;
            }
        }
        logical.last = k;
        if (literalOpen || !model::endsWithContinuationMark(line) || k >= limit || isBlankLine(lines[k + 1]))
            return logical;
        if (!comment) {
            while (!logical.code.isEmpty() && model::isBlankOrTab(logical.code.back()))
                logical.code.chop(1);
            logical.code.chop(1); // the "_"
            logical.code += QLatin1Char(' ');
        }
        inComment = comment;
    }
}

// Where the statement that starts at `from` ends: at the next ":" that is no ":=", or the end.
qsizetype statementEnd(QStringView code, qsizetype from)
{
    for (qsizetype i = from; i < code.size(); ++i) {
        if (code[i] == u':' && (i + 1 == code.size() || code[i + 1] != u'='))
            return i;
    }
    return code.size();
}

// An If whose Then ends the line opens a block; one with a statement after Then does not.
bool opensBlockIf(QStringView code, qsizetype afterIf)
{
    qsizetype start = 0;
    for (qsizetype at = afterIf; at < code.size();) {
        const qsizetype end = model::nextIdentifier(code, at, code.size(), start);
        if (start == code.size())
            return false;
        if (wordIs(code, start, end, QLatin1StringView("THEN")) && code[start - 1] != u'.')
            return model::skipBlanksAndTabs(code, end) == code.size();
        at = end;
    }
    return false;
}

// A line label or line number that starts a line.
struct Label {
    QString text; // as it is written at column 1, with the colon that follows it
    qsizetype end = 0; // where the line goes on after it (and its colon)
};
std::optional<Label> leadingLabel(QStringView code, qsizetype at)
{
    const qsizetype n = code.size();
    qsizetype end = at;
    while (end < n && code[end].isDigit() && code[end].unicode() < 128)
        ++end;
    if (end > at) {
        if (end < n && code[end] != u':' && !model::isBlankOrTab(code[end]))
            return std::nullopt;
        Label label {code.sliced(at, end - at).toString(), end};
        const qsizetype colon = model::skipBlanksAndTabs(code, end);
        if (colon < n && code[colon] == u':' && (colon + 1 == n || code[colon + 1] != u'=')) {
            label.text += QLatin1Char(':');
            label.end = colon + 1;
        }
        return label;
    }
    end = wordEnd(code, at);
    if (end == at || end >= n || code[end] != u':' || (end + 1 < n && code[end + 1] == u'=')
        || isLabelKeyword(code.sliced(at, end - at)))
        return std::nullopt;
    return Label {code.sliced(at, end + 1 - at).toString(), end + 1};
}

enum class LineKind { Comment, Directive, Attribute, Code };

LineKind lineKind(QStringView line, qsizetype at)
{
    if (line[at] == u'\'' || startsRemComment(line, at))
        return LineKind::Comment;
    if (line[at] == u'#') {
        const qsizetype end = wordEnd(line, at + 1);
        for (const char* word : {"IF", "ELSEIF", "ELSE", "END", "CONST"}) {
            if (wordIs(line, at + 1, end, QLatin1StringView(word)))
                return LineKind::Directive;
        }
        return LineKind::Code;
    }
    const qsizetype end = wordEnd(line, at);
    if (wordIs(line, at, end, QLatin1StringView("ATTRIBUTE")) && end < line.size() && model::isBlankOrTab(line[end])
        && model::indexOfUpper(line, QLatin1StringView("VB_"), end) >= 0)
        return LineKind::Attribute;
    return LineKind::Code;
}

// The line's code from `at` is End Sub, End Function or End Property, with nothing after it.
bool isProcedureEnd(QStringView code, qsizetype at)
{
    const qsizetype end = wordEnd(code, at);
    if (!wordIs(code, at, end, QLatin1StringView("END")))
        return false;
    const qsizetype kind = model::skipBlanksAndTabs(code, end);
    const qsizetype kindEnd = wordEnd(code, kind);
    return kind > end
        && (wordIs(code, kind, kindEnd, QLatin1StringView("SUB"))
            || wordIs(code, kind, kindEnd, QLatin1StringView("FUNCTION"))
            || wordIs(code, kind, kindEnd, QLatin1StringView("PROPERTY")))
        && model::skipBlanksAndTabs(code, kindEnd) == code.size();
}

enum class BlockKind { If, Select, For, Do, While, With, Type, Enum };

const char* unclosedReason(BlockKind kind)
{
    switch (kind) {
    case BlockKind::If:
        return "Block If without End If";
    case BlockKind::Select:
        return "Select Case without End Select";
    case BlockKind::For:
        return "For without Next";
    case BlockKind::Do:
        return "Do without Loop";
    case BlockKind::While:
        return "While without Wend";
    case BlockKind::With:
        return "With without End With";
    case BlockKind::Type:
        return "Type without End Type";
    case BlockKind::Enum:
        return "Enum without End Enum";
    }
    return "";
}

// Indents one routine at a time into `out`, reading `lines` (the same lines as they were).
class RoutineIndenter {
public:
    RoutineIndenter(const QStringList& lines, QStringList& out, const IndentRules& rules)
        : lines_(lines),
          out_(out),
          rules_(rules),
          width_(std::max(rules.width, 0)),
          tabWidth_(std::max(rules.tabWidth, 1))
    { }

    // Whether a line of the routine changed; a block that could not be read is added to
    // `problems`.
    bool indent(const model::Routine& routine, std::vector<IndentProblem>& problems);

private:
    // An open block. Blocks form a tree whose nodes are never removed, so that the state at an
    // #If is one index and each branch of it reads on from there.
    struct Block {
        BlockKind kind;
        int innerLevel; // of the statements inside it
        int firstLine; // of the opening statement
        int lastLine;
        int parent; // -1: none
        bool branched = false; // a Case, Else or ElseIf of it came
    };
    struct Conditional {
        int top; // the blocks at the #If
        std::optional<int> firstBranchEnd;
        int level;
        int line;
    };
    struct Pending {
        LogicalLine comment;
        bool firstBlock;
    };

    int level() const { return top_ >= 0 ? blocks_[size_t(top_)].innerLevel : base_; }
    void reset(int base);
    void indentAboveSignature(int from, int to);
    void indentBody(int from, int to, bool procedure);
    bool indentCode(const LogicalLine& logical, qsizetype at);
    bool indentDirective(const LogicalLine& logical, qsizetype at);
    bool readStatements(const LogicalLine& logical, qsizetype from, int& lineLevel, bool& debug);
    void open(BlockKind kind, const LogicalLine& logical);
    bool close(BlockKind kind, const char* reason, const LogicalLine& logical);
    bool standOut(BlockKind kind, const char* reason, const LogicalLine& logical, int& lineLevel);
    void fail(int line, const char* reason, int keepFrom);
    bool failIfOpen();
    void flushComments(int level);
    void place(const LogicalLine& logical, int column);
    void placeLabelled(const LogicalLine& logical, const Label& label, int column);
    void placeContinuations(const LogicalLine& logical, int oldFirst, int newFirst);
    bool setIndent(int line, qsizetype whitespace, const QString& label, int column);

    const QStringList& lines_;
    QStringList& out_;
    const IndentRules& rules_;
    int width_;
    int tabWidth_;
    int base_ = 0;
    int end_ = 0; // the routine's last line
    std::vector<Block> blocks_;
    int top_ = -1;
    std::vector<Conditional> conditionals_;
    std::vector<Pending> pending_;
    bool firstBlock_ = false;
    std::optional<IndentProblem> problem_;
};

void RoutineIndenter::reset(int base)
{
    base_ = base;
    blocks_.clear();
    top_ = -1;
    conditionals_.clear();
    pending_.clear();
    firstBlock_ = false;
    problem_.reset();
}

bool RoutineIndenter::setIndent(int line, qsizetype whitespace, const QString& label, int column)
{
    const QString& text = lines_[line];
    // A label's pad is blanks; an indentation keeps tabs where the line had one.
    const bool tabs =
        label.isEmpty() && !rules_.tabsToBlanks && QStringView(text).first(whitespace).contains(QLatin1Char('\t'));
    const qsizetype indentation = tabs ? column / tabWidth_ + column % tabWidth_ : column;
    // Measured before it is made: a deep block must not cost its depth on every line.
    const qsizetype length = label.size() + indentation + text.size() - whitespace;
    if (length > kLongestVbLine && length > text.size())
        return false;
    QString indented = label;
    if (tabs)
        indented += QString(column / tabWidth_, QLatin1Char('\t')) + model::blanks(column % tabWidth_);
    else
        indented += model::blanks(column);
    out_[line] = indented + text.mid(whitespace);
    return true;
}

void RoutineIndenter::placeContinuations(const LogicalLine& logical, int oldFirst, int newFirst)
{
    for (int k = logical.first + 1; k <= logical.last; ++k) {
        const qsizetype whitespace = model::skipBlanksAndTabs(lines_[k], 0);
        const int old = columnAt(lines_[k], whitespace, tabWidth_);
        setIndent(k, whitespace, {},
            rules_.continuationsOneUnit ? newFirst + width_ : std::max(0, newFirst + old - oldFirst));
    }
}

void RoutineIndenter::place(const LogicalLine& logical, int column)
{
    const qsizetype whitespace = model::skipBlanksAndTabs(lines_[logical.first], 0);
    const int oldFirst = columnAt(lines_[logical.first], whitespace, tabWidth_);
    placeContinuations(logical, oldFirst, setIndent(logical.first, whitespace, {}, column) ? column : oldFirst);
}

void RoutineIndenter::placeLabelled(const LogicalLine& logical, const Label& label, int column)
{
    const QString& text = lines_[logical.first];
    const qsizetype rest = model::skipBlanksAndTabs(text, label.end);
    if (rest == text.size() || text[rest] == u'\'' || startsRemComment(text, rest)) {
        place(logical, 0);
        return;
    }
    const int labelLength = int(label.text.size());
    const int pad = column > labelLength ? column - labelLength : 1;
    const int oldFirst = columnAt(text, rest, tabWidth_);
    placeContinuations(
        logical, oldFirst, setIndent(logical.first, rest, label.text, pad) ? labelLength + pad : oldFirst);
}

void RoutineIndenter::flushComments(int level)
{
    for (const Pending& pending : pending_) {
        if (!rules_.alignComments && model::skipBlanksAndTabs(lines_[pending.comment.first], 0) == 0)
            continue;
        place(pending.comment, pending.firstBlock && !rules_.firstComments ? 0 : level * width_);
    }
    pending_.clear();
}

void RoutineIndenter::fail(int line, const char* reason, int keepFrom)
{
    problem_ = IndentProblem {line + 1, QString::fromLatin1(reason)};
    for (int k = keepFrom; k <= end_; ++k)
        out_[k] = lines_[k];
}

// At the end of a routine: a block still open is a problem at its opening line, the outermost
// one, since any line after it may be where it should have closed. An #If still open is not: an
// #If often wraps whole procedures, and its #End If then lies in another routine.
bool RoutineIndenter::failIfOpen()
{
    const Block* outer = nullptr;
    for (int b = top_; b >= 0; b = blocks_[size_t(b)].parent)
        outer = &blocks_[size_t(b)];
    if (outer) {
        fail(outer->firstLine, unclosedReason(outer->kind), outer->lastLine + 1);
        return true;
    }
    return false;
}

void RoutineIndenter::open(BlockKind kind, const LogicalLine& logical)
{
    int inner = level() + 1;
    if (kind == BlockKind::Select)
        inner = level() + (rules_.caseUnderSelect ? 2 : 1);
    else if (kind == BlockKind::Type || kind == BlockKind::Enum)
        inner = level() + (rules_.typeMembers ? 1 : 0);
    blocks_.push_back({kind, inner, logical.first, logical.last, top_});
    top_ = int(blocks_.size()) - 1;
}

bool RoutineIndenter::close(BlockKind kind, const char* reason, const LogicalLine& logical)
{
    if (top_ < 0 || blocks_[size_t(top_)].kind != kind) {
        fail(logical.first, reason, logical.first);
        return false;
    }
    top_ = blocks_[size_t(top_)].parent;
    return true;
}

// Else, ElseIf and Case stand one level out from the statements of their block.
bool RoutineIndenter::standOut(BlockKind kind, const char* reason, const LogicalLine& logical, int& lineLevel)
{
    if (top_ < 0 || blocks_[size_t(top_)].kind != kind) {
        fail(logical.first, reason, logical.first);
        return false;
    }
    lineLevel = blocks_[size_t(top_)].innerLevel - 1;
    blocks_[size_t(top_)].branched = true;
    return true;
}

// Reads the statements of a line from `from` on, opening and closing blocks. lineLevel is the
// level its first statement stands at; false when a closer matches no open block.
bool RoutineIndenter::readStatements(const LogicalLine& logical, qsizetype from, int& lineLevel, bool& debug)
{
    const QString& code = logical.code;
    const qsizetype n = code.size();
    lineLevel = level();
    debug = false;
    bool first = true;
    for (qsizetype at = model::skipBlanksAndTabs(code, from); at < n; first = false) {
        const qsizetype end = statementEnd(code, at);
        const qsizetype word = wordEnd(code, at);
        const auto is = [&](const char* keyword) { return wordIs(code, at, word, QLatin1StringView(keyword)); };
        const qsizetype second = model::skipBlanksAndTabs(code, word);
        const qsizetype secondEnd = wordEnd(code, second);
        const auto secondIs = [&](const char* keyword) {
            return second > word && wordIs(code, second, secondEnd, QLatin1StringView(keyword));
        };
        int statementLevel = level();
        qsizetype next = end + 1;
        const bool members = top_ >= 0
            && (blocks_[size_t(top_)].kind == BlockKind::Type || blocks_[size_t(top_)].kind == BlockKind::Enum);
        const bool member = word < n && (code[word] == u'.' || code[word] == u'!');
        if (members) {
            // A member may be named like a keyword; only the block's End line counts.
            if (is("END") && (secondIs("TYPE") || secondIs("ENUM"))) {
                const bool type = secondIs("TYPE");
                if (!close(type ? BlockKind::Type : BlockKind::Enum,
                        type ? "End Type without Type" : "End Enum without Enum", logical))
                    return false;
                statementLevel = level();
            }
            next = n;
        } else if (word == at || member) {
            debug = debug || (first && member && is("DEBUG") && code[word] == u'.');
        } else if (is("IF")) {
            if (!opensBlockIf(code, word))
                next = n; // the rest of the line belongs to the If
            else
                open(BlockKind::If, logical);
        } else if (is("ELSEIF")) {
            if (!standOut(BlockKind::If, "ElseIf without If", logical, statementLevel))
                return false;
            next = n;
        } else if (is("ELSE")) {
            if (!standOut(BlockKind::If, "Else without If", logical, statementLevel))
                return false;
            next = word; // what follows Else is a statement of its own
        } else if (is("CASE")) {
            if (!standOut(BlockKind::Select, "Case without Select Case", logical, statementLevel))
                return false;
        } else if (is("SELECT") && secondIs("CASE")) {
            open(BlockKind::Select, logical);
        } else if (is("FOR")) {
            open(BlockKind::For, logical);
        } else if (is("NEXT")) {
            // "Next j, i" closes a For for each name.
            const QStringView names = QStringView(code).sliced(word, end - word);
            const qsizetype count =
                model::skipBlanksAndTabs(names, 0) == names.size() ? 1 : names.count(QLatin1Char(',')) + 1;
            for (qsizetype k = 0; k < count; ++k) {
                if (!close(BlockKind::For, "Next without For", logical))
                    return false;
            }
            statementLevel = level();
        } else if (is("DO")) {
            open(BlockKind::Do, logical);
        } else if (is("LOOP") || is("WEND")) {
            if (!close(is("LOOP") ? BlockKind::Do : BlockKind::While,
                    is("LOOP") ? "Loop without Do" : "Wend without While", logical))
                return false;
            statementLevel = level();
        } else if (is("WHILE")) {
            open(BlockKind::While, logical);
        } else if (is("WITH")) {
            open(BlockKind::With, logical);
        } else if (is("END")
            && (secondIs("IF") || secondIs("SELECT") || secondIs("WITH") || secondIs("TYPE") || secondIs("ENUM"))) {
            bool closed = true;
            if (secondIs("IF"))
                closed = close(BlockKind::If, "End If without block If", logical);
            else if (secondIs("SELECT"))
                closed = close(BlockKind::Select, "End Select without Select Case", logical);
            else if (secondIs("WITH"))
                closed = close(BlockKind::With, "End With without With", logical);
            else if (secondIs("TYPE"))
                closed = close(BlockKind::Type, "End Type without Type", logical);
            else
                closed = close(BlockKind::Enum, "End Enum without Enum", logical);
            if (!closed)
                return false;
            statementLevel = level();
        } else if (is("REM")) {
            next = n;
        } else {
            // Type and Enum, after a scope word or none, followed by their name.
            const bool scoped = is("PUBLIC") || is("PRIVATE") || is("FRIEND");
            const qsizetype kind = scoped ? second : at;
            const qsizetype kindEnd = scoped ? secondEnd : word;
            const qsizetype name = model::skipBlanksAndTabs(code, kindEnd);
            const bool type = wordIs(code, kind, kindEnd, QLatin1StringView("TYPE"));
            if ((type || wordIs(code, kind, kindEnd, QLatin1StringView("ENUM"))) && name > kindEnd
                && (wordEnd(code, name) > name || (name < n && code[name] == u'['))) {
                open(type ? BlockKind::Type : BlockKind::Enum, logical);
                next = n;
            }
        }
        if (first)
            lineLevel = statementLevel;
        at = next >= n ? n : model::skipBlanksAndTabs(code, next);
    }
    return true;
}

bool RoutineIndenter::indentCode(const LogicalLine& logical, qsizetype at)
{
    const bool members =
        top_ >= 0 && (blocks_[size_t(top_)].kind == BlockKind::Type || blocks_[size_t(top_)].kind == BlockKind::Enum);
    const std::optional<Label> label = members ? std::nullopt : leadingLabel(logical.code, at);
    const int before = level();
    // Comments between Select Case and its first Case stand with the Case lines.
    const bool selectHead =
        top_ >= 0 && blocks_[size_t(top_)].kind == BlockKind::Select && !blocks_[size_t(top_)].branched;
    int lineLevel = 0;
    bool debug = false;
    if (!readStatements(logical, label ? label->end : at, lineLevel, debug)) {
        flushComments(before);
        return false;
    }
    // A comment over a line that closes its block (End If, Next, Else, Case, End Sub) belongs to
    // the block's body, as a comment closing a branch stands in well-kept code.
    flushComments(selectHead ? lineLevel : std::max(before, lineLevel));
    const int column = debug && rules_.debugAtColumn1 ? 0 : lineLevel * width_;
    if (label)
        placeLabelled(logical, *label, column);
    else
        place(logical, column);
    return true;
}

// #If, #ElseIf, #Else, #End If and #Const: no level of their own; each branch of an #If reads
// on from the blocks open at the #If, and after #End If the code goes on from the first branch.
bool RoutineIndenter::indentDirective(const LogicalLine& logical, qsizetype at)
{
    const QString& code = logical.code;
    const qsizetype word = wordEnd(code, at + 1);
    const auto is = [&](const char* keyword) { return wordIs(code, at + 1, word, QLatin1StringView(keyword)); };
    int directiveLevel = level();
    if (is("IF")) {
        conditionals_.push_back({top_, std::nullopt, level(), logical.first});
    } else if ((is("ELSEIF") || is("ELSE")) && !conditionals_.empty()) {
        // Without an #If of this routine, the #If stands before it (around whole procedures):
        // the directive is placed and the blocks go on as they are.
        Conditional& conditional = conditionals_.back();
        if (!conditional.firstBranchEnd)
            conditional.firstBranchEnd = top_;
        top_ = conditional.top;
        directiveLevel = conditional.level;
    } else if (is("END") && !conditionals_.empty()) {
        const Conditional& conditional = conditionals_.back();
        if (conditional.firstBranchEnd)
            top_ = *conditional.firstBranchEnd;
        directiveLevel = conditional.level;
        conditionals_.pop_back();
    }
    flushComments(directiveLevel);
    place(logical, rules_.directivesAtColumn1 ? 0 : directiveLevel * width_);
    return true;
}

void RoutineIndenter::indentAboveSignature(int from, int to)
{
    for (int k = from; k <= to;) {
        if (isBlankLine(lines_[k])) {
            ++k;
            continue;
        }
        const LogicalLine logical = readLogicalLine(lines_, k, to);
        const LineKind kind = lineKind(lines_[k], model::skipBlanksAndTabs(lines_[k], 0));
        if (kind == LineKind::Comment || kind == LineKind::Directive)
            place(logical, 0);
        k = logical.last + 1;
    }
}

void RoutineIndenter::indentBody(int from, int to, bool procedure)
{
    firstBlock_ = procedure;
    for (int k = from; k <= to;) {
        if (isBlankLine(lines_[k])) {
            ++k;
            continue;
        }
        const LogicalLine logical = readLogicalLine(lines_, k, to);
        k = logical.last + 1;
        const qsizetype at = model::skipBlanksAndTabs(lines_[logical.first], 0);
        switch (lineKind(lines_[logical.first], at)) {
        case LineKind::Comment:
            pending_.push_back({logical, firstBlock_});
            break;
        case LineKind::Attribute:
            break;
        case LineKind::Directive:
            firstBlock_ = false;
            if (!indentDirective(logical, at))
                return;
            break;
        case LineKind::Code:
            firstBlock_ = false;
            if (!indentCode(logical, at))
                return;
            break;
        }
    }
}

bool RoutineIndenter::indent(const model::Routine& routine, std::vector<IndentProblem>& problems)
{
    const int count = int(lines_.size());
    const int first = std::max(routine.startLine, 1) - 1;
    end_ = std::min(routine.endLine, count) - 1;
    if (first > end_)
        return false;
    if (routine.isDeclarations || routine.kind == model::RoutineKind::Declarations) {
        reset(0);
        indentBody(first, end_, false);
        if (!problem_ && !failIfOpen())
            flushComments(level());
    } else {
        const int signature = routine.signatureLine - 1;
        if (signature < first || signature > end_)
            return false;
        reset(rules_.procedureBody ? 1 : 0);
        indentAboveSignature(first, signature - 1);
        const LogicalLine header = readLogicalLine(lines_, signature, end_);
        place(header, 0);
        // The End line is the last line that is one; what follows it is left as it is.
        int endLine = -1;
        for (int k = end_; k > header.last && endLine < 0; --k) {
            const QString& text = lines_[k];
            const qsizetype at = model::skipBlanksAndTabs(text, 0);
            if (at == text.size() || lineKind(text, at) != LineKind::Code)
                continue;
            const QString code = readLogicalLine(lines_, k, k).code;
            const std::optional<Label> label = leadingLabel(code, at);
            if (isProcedureEnd(code, model::skipBlanksAndTabs(code, label ? label->end : at)))
                endLine = k;
        }
        indentBody(header.last + 1, endLine >= 0 ? endLine - 1 : end_, true);
        if (!problem_ && !failIfOpen() && endLine >= 0) {
            flushComments(level());
            const LogicalLine last = readLogicalLine(lines_, endLine, endLine);
            const std::optional<Label> label = leadingLabel(last.code, model::skipBlanksAndTabs(last.code, 0));
            if (label)
                placeLabelled(last, *label, 0);
            else
                place(last, 0);
        }
    }
    if (problem_)
        problems.push_back(*problem_);
    bool changed = false;
    for (int k = first; k <= end_ && !changed; ++k)
        changed = out_[k] != lines_[k];
    return changed;
}

} // namespace indentation
} // namespace

QString problemLine(const QString& path, const IndentProblem& problem)
{
    return path + QLatin1Char(':') + QString::number(problem.line) + QStringLiteral(": ") + problem.reason;
}

IndentRules indentRules(const config::Options& options)
{
    IndentRules rules;
    rules.width = std::clamp(options.integer(config::opt::IndentWidth), 0, 9);
    for (const indentation::RuleSwitch& rule : indentation::kSwitches)
        rules.*rule.member = options.boolean(rule.key);
    rules.tabWidth = options.ideTabWidth();
    return rules;
}

QString setIndentRule(IndentRules& rules, const QString& name, const QString& value)
{
    const QStringView wanted = model::trimBlanks(name);
    const QString text = model::trimBlanks(value).toString();
    const QString widthKey = QLatin1String(config::opt::IndentWidth.key);
    if (model::equalsNoCase(wanted, widthKey)) {
        bool number = false;
        const int width = text.toInt(&number);
        if (!number || width < 0 || width > 9)
            return QStringLiteral("\"%1\" takes a whole number from 0 to 9, not \"%2\"").arg(widthKey, value);
        rules.width = width;
        return {};
    }
    QStringList keys = {widthKey};
    for (const indentation::RuleSwitch& rule : indentation::kSwitches) {
        const QString key = QLatin1String(rule.key.key);
        keys << key;
        if (!model::equalsNoCase(wanted, key))
            continue;
        // A text that reads as neither yes nor no gives each default back.
        if (config::textToBool(text, true) != config::textToBool(text, false))
            return QStringLiteral("\"%1\" takes yes or no (True or False), not \"%2\"").arg(key, value);
        rules.*rule.member = config::textToBool(text, false);
        return {};
    }
    return QStringLiteral("unknown indent rule \"%1\" (the rules are: %2)").arg(name, keys.join(QStringLiteral(", ")));
}

IndentRewrite indentRoutines(const QStringList& lines, const model::RoutineList& routines, const IndentRules& rules)
{
    IndentRewrite result;
    result.rewrite.lines = lines;
    indentation::RoutineIndenter indenter(lines, result.rewrite.lines, rules);
    for (const model::RoutinePtr& routine : routines) {
        if (!routine || routine->listing
            || (model::isPseudoRoutine(*routine) && !routine->isDeclarations
                && routine->kind != model::RoutineKind::Declarations))
            continue;
        if (indenter.indent(*routine, result.problems)) {
            result.rewrite.changed = true;
            ++result.rewrite.proceduresChanged;
        }
    }
    return result;
}

IndentRewrite indentFileLines(const QString& path, const QStringList& lines, const IndentRules& rules)
{
    return indentRoutines(lines, model::splitLinesIntoRoutines(path, lines), rules);
}

} // namespace quillon::aids
