#include "analysis/LoopBrackets.h"

#include "model/DiagLog.h"
#include "model/ListingMarkup.h"
#include "model/TextPrimitives.h"
#include "platform/Environment.h"

#include <QSaveFile>
#include <QTime>

#include <algorithm>
#include <array>
#include <climits>
#include <initializer_list>

namespace quillon::analysis {

using model::ListingLine;
using model::ListingMark;
using model::trimBlanks;
using model::trimLeadingBlanks;
using model::trimTrailingBlanks;

namespace {

constexpr int kMaxOpenBlocks = 20;

const QLatin1StringView kReportStart("'*** Unbalanced block: ");

enum class Block { If, Select, Do, For, While };
enum class Role { Plain, Opener, Middle, Closer };

struct Classified {
    Role role = Role::Plain;
    Block block = Block::If;
};

// The first line of a continued statement is classified before its end is known: closers are
// left for the statement's last line, and "If cond _" opens a block although its Then comes
// later. At the statement's end the Then must be on the statement.
enum class Where { ContinuedFirstLine, StatementEnd };

// How the reports name a block: its keyword, its opening and its closing statement.
struct BlockNames {
    QLatin1StringView keyword;
    QLatin1StringView opening;
    QLatin1StringView closing;
};

const BlockNames& namesOf(Block block)
{
    static const BlockNames kNames[] = {
        {QLatin1StringView("IF"), QLatin1StringView("If...Then"), QLatin1StringView("End If")},
        {QLatin1StringView("SELECT"), QLatin1StringView("Select Case"), QLatin1StringView("End Select")},
        {QLatin1StringView("DO"), QLatin1StringView("Do"), QLatin1StringView("Loop")},
        {QLatin1StringView("FOR"), QLatin1StringView("For...To or For Each"), QLatin1StringView("Next")},
        {QLatin1StringView("WHILE"), QLatin1StringView("While"), QLatin1StringView("Wend")},
    };
    return kNames[int(block)]; // in the order of Block
}

// A report line: printed as a comment because it starts with a quote.
ListingLine report(std::initializer_list<QAnyStringView> parts)
{
    QString out = kReportStart;
    for (const QAnyStringView& part : parts)
        out += part.toString();
    return ListingLine(out);
}

int leadingBlanks(QStringView line)
{
    return int(std::min<qsizetype>(line.size() - trimLeadingBlanks(line).size(), INT_MAX));
}

bool isContinued(QStringView line)
{
    return trimTrailingBlanks(line).endsWith(QLatin1StringView(" _"));
}

// Upper-cased, left-trimmed code of the statement with literals and the comment blanked out.
// Trailing blanks stay, so "Else ' note" is not equal to "ELSE".
QString statementKey(QStringView logical)
{
    const QString masked = model::maskLiteralsAndComments(logical);
    return model::upperCase(trimLeadingBlanks(masked));
}

// A keyword followed by nothing or by a blank: "DO" and "DO WHILE" but not "DOEVENTS".
bool isWord(QStringView key, QLatin1StringView word)
{
    return key.startsWith(word) && (key.size() == word.size() || key[word.size()].unicode() == u' ');
}

Classified classify(QStringView key, Where where)
{
    auto begins = [key](const char* prefix) { return key.startsWith(QLatin1StringView(prefix)); };
    auto equals = [key](const char* word) { return key == QLatin1StringView(word); };
    const bool atEnd = where == Where::StatementEnd;

    if (begins("IF ")) {
        const qsizetype then = key.indexOf(QLatin1StringView(" THEN"));
        if (then >= 0) {
            const QStringView after = trimBlanks(key.sliced(then + 5));
            if (after.isEmpty() || after == u"_")
                return {Role::Opener, Block::If};
        } else if (!atEnd) {
            return {Role::Opener, Block::If};
        }
    }
    if (begins("ELSE IF ") || begins("ELSEIF ") || equals("ELSE"))
        return {Role::Middle, Block::If};
    if (atEnd && (begins("END IF") || equals("ENDIF")))
        return {Role::Closer, Block::If};
    if (begins("SELECT CASE"))
        return {Role::Opener, Block::Select};
    if (begins("CASE ELSE") || begins("CASE ") || equals("CASE"))
        return {Role::Middle, Block::Select};
    if (atEnd && begins("END SELECT"))
        return {Role::Closer, Block::Select};
    if (isWord(key, QLatin1StringView("DO")))
        return {Role::Opener, Block::Do};
    if (atEnd && isWord(key, QLatin1StringView("LOOP")))
        return {Role::Closer, Block::Do};
    if (begins("FOR ")) // "FOR EACH " included
        return {Role::Opener, Block::For};
    if (atEnd && isWord(key, QLatin1StringView("NEXT")))
        return {Role::Closer, Block::For};
    if (begins("WHILE "))
        return {Role::Opener, Block::While};
    if (atEnd && equals("WEND"))
        return {Role::Closer, Block::While};
    return {};
}

// Builds the listing one physical line at a time and hands each finished line to the sink,
// so that a file can be written without holding the whole listing.
template <typename Sink>
class BracketLister {
public:
    explicit BracketLister(Sink& sink) : sink_(sink) { }

    void addLine(const QString& line)
    {
        const bool continues = isContinued(line);
        const bool first = !inStatement_;
        if (first) {
            logical_ = line;
            statementBlanks_ = leadingBlanks(line);
            inStatement_ = true;
        } else {
            logical_.truncate(trimTrailingBlanks(logical_).size() - 2); // the previous line's " _"
            logical_ += QLatin1Char(' ');
            logical_ += trimLeadingBlanks(line);
        }

        if (continues) {
            if (first)
                emit(classify(statementKey(logical_), Where::ContinuedFirstLine), line);
            else
                emitPlain(line);
            return;
        }

        const Classified found = classify(statementKey(logical_), Where::StatementEnd);
        if (found.role == Role::Opener && !first)
            emitPlain(line); // drawn on the statement's first line already
        else
            emit(found, line);
        inStatement_ = false;
        logical_.clear();
    }

    void finish()
    {
        for (int k = 0; k < depth_; ++k) {
            const Block block = stack_[k].block;
            sink_(report({namesOf(block).keyword, QLatin1StringView(" opened but never closed - missing "),
                namesOf(block).closing, QLatin1StringView(" ***")}));
        }
        depth_ = 0;
    }

private:
    struct Entry {
        Block block;
        int column;
    };

    // position counts the line's columns as if every connector stood at its own block's
    // column. A block opened left of the one below it has its connector right after that
    // one's, so the text then runs ahead of the count; blanks and the rest of the line are
    // still placed by the count.
    static void blanksTo(ListingLine& out, int& position, int column)
    {
        if (column > position) {
            out.text += QString(column - position, QLatin1Char(' '));
            position = column;
        }
    }

    static void addConnector(ListingLine& out, ListingMark kind)
    {
        out.connectors.push_back({out.text.size(), kind});
        out.text += QLatin1String("  ");
    }

    static void addPassConnector(ListingLine& out, int& position, int column)
    {
        const int target = std::max(column - 2, 0);
        blanksTo(out, position, target);
        addConnector(out, ListingMark::Vertical);
        position = target + 2;
    }

    // Pass-through connectors for the blocks below the one this line belongs to.
    void addColumnPrefix(ListingLine& out, int& position, int entries) const
    {
        for (int k = 0; k < entries; ++k)
            addPassConnector(out, position, stack_[k].column);
    }

    // Index of the innermost open block of this kind, or -1.
    int findOpen(Block block) const
    {
        for (int k = depth_ - 1; k >= 0; --k) {
            if (stack_[k].block == block)
                return k;
        }
        return -1;
    }

    void emit(Classified found, const QString& line)
    {
        switch (found.role) {
        case Role::Opener:
            emitOpener(found.block, line);
            break;
        case Role::Middle:
            emitMiddle(found.block, line);
            break;
        case Role::Closer:
            emitCloser(found.block, line);
            break;
        case Role::Plain:
            emitPlain(line);
            break;
        }
    }

    // The line behind a bracket connector at the column, after the pass-through connectors
    // of the blocks below it.
    void emitBracketed(int blocksBelow, int column, ListingMark kind, const QString& line)
    {
        ListingLine out;
        int position = 0;
        addColumnPrefix(out, position, blocksBelow);
        blanksTo(out, position, column - 2);
        addConnector(out, kind);
        out.text += trimLeadingBlanks(line);
        sink_(std::move(out));
    }

    void emitOpener(Block block, const QString& line)
    {
        if (depth_ < kMaxOpenBlocks)
            stack_[depth_++] = {block, std::min(statementBlanks_, kMaxBracketColumn)};
        emitBracketed(depth_ - 1, statementBlanks_, ListingMark::Corner, line);
    }

    void emitMiddle(Block block, const QString& line)
    {
        const int j = findOpen(block);
        if (j < 0) {
            sink_(report({trimLeadingBlanks(logical_), QLatin1StringView(" has no matching opening keyword ***")}));
            emitPlain(line);
            return;
        }
        emitBracketed(j, stack_[j].column, ListingMark::Tee, line);
    }

    void emitCloser(Block block, const QString& line)
    {
        const int j = findOpen(block);
        if (j < 0) {
            sink_(report({trimLeadingBlanks(logical_), QLatin1StringView(" has no matching "), namesOf(block).opening,
                QLatin1StringView(" ***")}));
            emitPlain(line);
            return;
        }
        depth_ = j; // blocks opened inside this one end with it
        emitBracketed(j, stack_[j].column, ListingMark::Last, line);
    }

    // A block gets a pass-through connector only where the line is indented past the block's
    // keyword; the connectors stand in blanks of the indentation so the text stays in its column.
    void emitPlain(const QString& line)
    {
        const int blanks = leadingBlanks(line);
        ListingLine out;
        int position = 0;
        for (int k = 0; k < depth_; ++k) {
            if (stack_[k].column < blanks)
                addPassConnector(out, position, stack_[k].column);
        }
        out.text += QStringView(line).sliced(std::min(position, blanks));
        sink_(std::move(out));
    }

    Sink& sink_;
    std::array<Entry, kMaxOpenBlocks> stack_ {};
    int depth_ = 0;
    bool inStatement_ = false;
    QString logical_;
    int statementBlanks_ = 0;
};

template <typename Sink>
void listLines(const QStringList& fileLines, int firstLine, int lastLine, Sink& sink)
{
    const qsizetype first = std::max(firstLine, 1);
    const qsizetype last = std::min<qsizetype>(lastLine, fileLines.size());
    BracketLister<Sink> lister(sink);
    for (qsizetype n = first; n <= last; ++n)
        lister.addLine(fileLines[n - 1]);
    lister.finish();
}

} // namespace

std::vector<ListingLine> buildBracketListing(const QStringList& fileLines, int firstLine, int lastLine)
{
    std::vector<ListingLine> listing;
    auto collect = [&listing](ListingLine line) { listing.push_back(std::move(line)); };
    listLines(fileLines, firstLine, lastLine, collect);
    return listing;
}

BracketListingFile writeBracketListing(const QStringList& fileLines, int firstLine, int lastLine, model::DiagLog* log)
{
    const QString path = platform::tempFolder() + QStringLiteral("QLN_Bracket_")
        + QTime::currentTime().toString(QStringLiteral("hhmmss")) + QStringLiteral(".txt");
    if (log)
        log->openOutput(path);

    // QSaveFile replaces the file only on commit, so a failed run leaves no partial listing.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    int count = 0;
    bool ok = true;
    QByteArray bytes;
    auto write = [&](const ListingLine& line) {
        if (!ok)
            return;
        bytes = model::encodeListingLine(line).toUtf8();
        bytes += "\r\n";
        ok = file.write(bytes) == bytes.size();
        ++count;
    };
    listLines(fileLines, firstLine, lastLine, write);
    if (!ok) {
        file.cancelWriting();
        return {};
    }
    if (!file.commit())
        return {};
    return {path, count};
}

} // namespace quillon::analysis
