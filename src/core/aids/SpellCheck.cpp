#include "aids/SpellCheck.h"

#include "aids/SourceDocument.h"
#include "config/Options.h"
#include "model/RoutineParser.h"
#include "model/SourceKind.h"
#include "model/TextPrimitives.h"
#include "model/VbLineScanner.h"
#include "platform/SpellChecker.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <algorithm>

namespace quillon::aids {

using model::VbLinePart;

namespace {

// The text of one part of a line: a literal without its quotes, a comment without its ' or
// Rem, code as it is.
struct Piece {
    VbLinePart::Kind kind = VbLinePart::Code;
    qsizetype start = 0;
    qsizetype end = 0;
};

Piece pieceOf(QStringView line, const VbLinePart& part)
{
    Piece piece {part.kind, part.start, part.end};
    if (part.kind == VbLinePart::Literal) {
        piece.start += 1;
        if (part.closed)
            piece.end -= 1;
    } else if (part.kind == VbLinePart::Comment) {
        piece.start += line[part.start] == u'\'' ? 1 : 3; // "Rem"
    }
    piece.end = std::max(piece.start, piece.end);
    return piece;
}

// Hands each line's pieces to visit(lineIndex, pieces) in line order. A line after a comment
// that ends in " _" is a comment from its first character, as the editor shows it.
template <typename Visit>
void forEachLinePieces(const QStringList& lines, Visit visit)
{
    const model::VbScanRules rules {true, true, false};
    std::vector<Piece> pieces;
    bool commentGoesOn = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QStringView line = lines[i];
        pieces.clear();
        if (commentGoesOn) {
            pieces.push_back({VbLinePart::Comment, 0, line.size()});
        } else {
            model::VbLineScanner scanner(line, rules);
            VbLinePart part;
            while (scanner.next(part))
                pieces.push_back(pieceOf(line, part));
        }
        commentGoesOn = !pieces.empty() && pieces.back().kind == VbLinePart::Comment && model::endsWithContinuationMark(line);
        visit(i, pieces);
    }
}

bool isApostrophe(QChar c)
{
    return c == u'\'' || c == u'\u2019';
}

bool isDriveStart(QStringView token)
{
    return token.size() >= 2 && model::isAsciiLetter(token[0]) && token[1] == u':'
        && (token.size() == 2 || token[2] == u'\\' || token[2] == u'/');
}

// "\n", "\t" and their like where a message marks a line break or a tab: a backslash, one
// escape letter, then no further lower-case letter ("\temp" is a folder).
bool isEscapeAt(QStringView text, qsizetype i)
{
    static const QString escapeLetters = QStringLiteral("ntr0abfv");
    return i + 1 < text.size() && text[i] == u'\\' && escapeLetters.contains(text[i + 1])
        && (i + 2 == text.size() || !text[i + 2].isLower());
}

bool holdsPathBackslash(QStringView token)
{
    for (qsizetype i = token.indexOf(u'\\'); i >= 0; i = token.indexOf(u'\\', i + 2)) {
        if (!isEscapeAt(token, i))
            return true;
    }
    return false;
}

QStringView withoutOpeningMarks(QStringView token)
{
    qsizetype i = 0;
    while (i < token.size() && QStringView(u"(\"'<[").contains(token[i]))
        ++i;
    return token.sliced(i);
}

// A token that starts a path: a drive, a root, "./", "../" or "~/", or a backslash that is no
// escape.
bool startsPath(QStringView token)
{
    const QStringView t = withoutOpeningMarks(token);
    if (t.isEmpty())
        return false;
    if (isDriveStart(t) || t[0] == u'/' || t.startsWith(u"./") || t.startsWith(u"../") || t.startsWith(u"~/")
        || t.startsWith(u".\\") || t.startsWith(u"..\\"))
        return true;
    return t[0] == u'\\' && !isEscapeAt(t, 0);
}

bool isUrlStart(QStringView token)
{
    const QStringView t = withoutOpeningMarks(token);
    return t.startsWith(u"www.", Qt::CaseInsensitive) || t.contains(u"://");
}

bool isEmailAddress(QStringView token)
{
    const qsizetype at = token.indexOf(u'@');
    if (at <= 0 || !token[at - 1].isLetterOrNumber())
        return false;
    const qsizetype dot = token.indexOf(u'.', at + 1);
    return dot > at + 1 && dot + 1 < token.size() && token[dot + 1].isLetter();
}

// A file name with its extension, or a pattern of them: "Inventory.ini", "*.bak", "(stock.csv)".
bool isFileName(QStringView token)
{
    while (!token.isEmpty() && !token.back().isLetterOrNumber())
        token.chop(1);
    while (!token.isEmpty() && !token.front().isLetterOrNumber() && token.front() != u'*' && token.front() != u'?')
        token = token.sliced(1);
    const qsizetype dot = token.lastIndexOf(u'.');
    const qsizetype extension = token.size() - dot - 1;
    if (dot < 1 || extension < 1 || extension > 4)
        return false;
    const auto isNamePart = [](QChar c) { return c.isLetterOrNumber() || c == u'_' || c == u'-' || c == u'.' || c == u'*' || c == u'?'; };
    return std::all_of(token.begin(), token.begin() + dot, isNamePart)
        && std::all_of(token.begin() + dot + 1, token.end(), [](QChar c) { return c.isLetterOrNumber(); });
}

// A blank-separated token none of whose words are words: a path, a URL, an e-mail address, a
// file name.
bool isAddressOrPath(QStringView token)
{
    return startsPath(token) || isUrlStart(token) || isEmailAddress(token) || holdsPathBackslash(token)
        || isFileName(token);
}

// Each run of letters is a date, time or number format code ("yyyy", "mm", "hh", "nn", "AM",
// "E"), and nothing else holds a letter: "#,##0.00", "yyyy-mm-dd", "hh:nn AM/PM".
bool isFormatString(QStringView text)
{
    static const QString repeatable = QStringLiteral("dmyhnswqtce");
    bool anyLetter = false;
    qsizetype i = 0;
    while (i < text.size()) {
        if (!text[i].isLetter()) {
            ++i;
            continue;
        }
        anyLetter = true;
        qsizetype end = i;
        while (end < text.size() && text[end].isLetter())
            ++end;
        const QStringView run = text.sliced(i, end - i);
        const QChar first = run[0].toLower();
        const bool repeated = repeatable.contains(first)
            && std::all_of(run.begin(), run.end(), [first](QChar c) { return c.toLower() == first; });
        const bool meridian = run.compare(u"AM", Qt::CaseInsensitive) == 0
            || run.compare(u"PM", Qt::CaseInsensitive) == 0 || run.compare(u"A", Qt::CaseInsensitive) == 0
            || run.compare(u"P", Qt::CaseInsensitive) == 0 || run.compare(u"AMPM", Qt::CaseInsensitive) == 0;
        if (!repeated && !meridian)
            return false;
        i = end;
    }
    return anyLetter;
}

// A literal none of whose words are checked: a format, or a path or URL from its start on
// (a path may hold blanks: "C:\Program Files\...").
bool isWholeLiteralSkipped(QStringView text)
{
    const QStringView trimmed = text.trimmed();
    // A literal of one or two letters is data ("ae", "Ue"), not a word of a message.
    if (trimmed.size() <= 2)
        return true;
    qsizetype firstEnd = 0;
    while (firstEnd < trimmed.size() && !trimmed[firstEnd].isSpace())
        ++firstEnd;
    const QStringView first = trimmed.first(firstEnd);
    return startsPath(first) || isUrlStart(first) || isFormatString(trimmed);
}

// A Declare statement: its literals name a library and an entry point.
bool isDeclareStatement(QStringView code)
{
    qsizetype start = 0;
    qsizetype end = model::nextIdentifier(code, 0, code.size(), start);
    if (start == code.size())
        return false;
    QString word = model::upperCase(code.sliced(start, end - start));
    if (word == QLatin1String("PUBLIC") || word == QLatin1String("PRIVATE") || word == QLatin1String("GLOBAL")
        || word == QLatin1String("FRIEND")) {
        end = model::nextIdentifier(code, end, code.size(), start);
        if (start == code.size())
            return false;
        word = model::upperCase(code.sliced(start, end - start));
    }
    return word == QLatin1String("DECLARE");
}

// A property of the layout block whose text the user reads: a caption or a tool tip (a text
// box's Text is mostly "Text1" and its like, which are skipped anyway).
bool isShownProperty(QStringView line)
{
    const QStringView text = model::trimLeadingBlanks(line);
    for (const QLatin1StringView key : {QLatin1StringView("CAPTION"), QLatin1StringView("TOOLTIPTEXT"), QLatin1StringView("TEXT")}) {
        if (!model::startsWithUpper(text, key))
            continue;
        const QStringView rest = model::trimLeadingBlanks(text.sliced(key.size()));
        if (rest.startsWith(u'='))
            return true;
    }
    return false;
}

bool isAttributeLine(QStringView line)
{
    return model::startsWithUpper(model::trimLeadingBlanks(line), QLatin1StringView("ATTRIBUTE "));
}

// Where the lines that only the designer reads end: the version line, the layout block and
// the Attribute lines right after it. A module has no more than its VB_Name line there.
qsizetype headerLineCount(const QStringList& lines)
{
    if (lines.isEmpty())
        return 0;
    const QStringView first = model::trimLeadingBlanks(lines.first());
    if (!model::startsWithUpper(first, QLatin1StringView("VERSION ")) && !isAttributeLine(first))
        return 0;
    // The header of every kind of file ends with its first run of Attribute lines, which is
    // how the object files' header is read (a module's later Attribute lines are its own).
    return model::headerEndLine(model::SourceKind::UserControl, lines);
}

bool isWordPart(QChar c)
{
    return c.isLetterOrNumber() || c.isMark() || c == u'_';
}

class WordCollector {
public:
    WordCollector(const QSet<QString>& identifiers, std::vector<SpellWord>& out) : identifiers_(identifiers), out_(out)
    { }

    void collect(int lineNumber, QStringView line, const Piece& piece)
    {
        line_ = line;
        lineNumber_ = lineNumber;
        inLiteral_ = piece.kind == VbLinePart::Literal;
        qsizetype i = piece.start;
        // A "|" parts the entries of a file dialog's filter ("Text Files (*.txt)|*.txt").
        const auto separates = [](QChar c) { return c.isSpace() || c == u'|'; };
        while (i < piece.end) {
            while (i < piece.end && separates(line[i]))
                ++i;
            qsizetype end = i;
            while (end < piece.end && !separates(line[end]))
                ++end;
            if (end > i && !isAddressOrPath(line.sliced(i, end - i)))
                collectToken(i, end);
            i = end;
        }
    }

private:
    void collectToken(qsizetype from, qsizetype to)
    {
        qsizetype i = from;
        while (i < to) {
            const QChar c = line_[i];
            if (c == u'\\' && isEscapeAt(line_.first(to), i)) {
                i += 2;
            } else if (c == u'%' && i + 1 < to && line_[i + 1].isLetter()) {
                i = skipWhile(i + 1, to, [](QChar x) { return x.isLetter(); }); // "%s", "%ld"
            } else if (c == u'{') {
                const qsizetype close = skipWhile(i + 1, to, isWordPart);
                i = close < to && line_[close] == u'}' ? close + 1 : i + 1; // "{0}", "{name}"
            } else if (c == u'&' && i + 2 < to && (line_[i + 1] == u'H' || line_[i + 1] == u'h')) {
                // "&HFF": a number; "&Hello" is "&" and a word
                const qsizetype end = skipWhile(i + 2, to, isHexDigit);
                i = end > i + 2 && (end == to || !isWordPart(line_[end])) ? end : i + 1;
            } else if (isWordPart(c)) {
                i = takeRun(i, to);
            } else {
                ++i;
            }
        }
    }

    // A run of letters, digits and "_" with the apostrophes between its letters; a word when it
    // holds neither digit nor "_".
    qsizetype takeRun(qsizetype from, qsizetype to)
    {
        bool nameLike = false;
        qsizetype i = from;
        while (i < to) {
            const QChar c = line_[i];
            if (isWordPart(c)) {
                nameLike = nameLike || c == u'_' || c.isNumber();
                ++i;
            } else if ((isApostrophe(c) || c == u'&') && i + 1 < to && line_[i - 1].isLetter() && line_[i + 1].isLetter()) {
                // "don't"; "E&xit", a caption's access key
                ++i;
            } else {
                break;
            }
        }
        if (!nameLike)
            consider(from, i);
        return i;
    }

    void consider(qsizetype from, qsizetype to)
    {
        const QStringView word = line_.sliced(from, to - from);
        int letters = 0;
        bool lower = false;
        bool camel = false;
        for (qsizetype i = 0; i < word.size(); ++i) {
            if (!word[i].isLetter())
                continue;
            ++letters;
            camel = camel || (word[i].isUpper() && i > 0 && word[i - 1].isLower());
            lower = lower || !word[i].isUpper();
        }
        if (letters < 2 || !lower || camel || isIdentifier(word))
            return;
        out_.push_back({lineNumber_, int(from + 1), word.toString(), inLiteral_});
    }

    // A name the code uses, or its possessive ("txtChat's text").
    bool isIdentifier(QStringView word) const
    {
        if (identifiers_.contains(model::upperCase(word)))
            return true;
        return word.size() > 2 && (word.endsWith(u's') || word.endsWith(u'S')) && isApostrophe(word[word.size() - 2])
            && identifiers_.contains(model::upperCase(word.first(word.size() - 2)));
    }

    static bool isHexDigit(QChar c)
    {
        const char16_t u = c.unicode();
        return (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F');
    }

    template <typename Test>
    qsizetype skipWhile(qsizetype i, qsizetype to, Test test) const
    {
        while (i < to && test(line_[i]))
            ++i;
        return i;
    }

    const QSet<QString>& identifiers_;
    std::vector<SpellWord>& out_;
    QStringView line_;
    int lineNumber_ = 0;
    bool inLiteral_ = false;
};

// A list a person typed stays far below this; a larger file is not one.
constexpr qint64 kLongestWordList = qint64(16) * 1024 * 1024;

QString personalWordsPath(const QString& optionsFolder)
{
    return QDir(optionsFolder).filePath(kPersonalWordsFile);
}

} // namespace

SpellRules spellRules(const config::Options& options)
{
    SpellRules rules;
    rules.literalsOnly = options.boolean(config::opt::SpellLiteralsOnly);
    const QString language = options.text(config::opt::SpellLanguage).trimmed();
    if (!language.isEmpty())
        rules.language = language;
    return rules;
}

QStringList loadPersonalWords(const QString& optionsFolder)
{
    const model::Outcome<QByteArray> bytes = model::readRegularFile(personalWordsPath(optionsFolder), kLongestWordList);
    if (!bytes)
        return {};
    QStringList words;
    QSet<QString> seen;
    for (const QString& line : QString::fromUtf8(*bytes).split(QLatin1Char('\n'))) {
        QString word = line.trimmed();
        if (word.startsWith(QChar(0xFEFF)))
            word = word.mid(1).trimmed();
        if (!word.isEmpty() && !seen.contains(word)) {
            seen.insert(word);
            words += word;
        }
    }
    return words;
}

model::Outcome<void> addPersonalWord(const QString& optionsFolder, const QString& word)
{
    const QString added = word.trimmed();
    if (added.isEmpty() || added.contains(QLatin1Char('\n')) || added.contains(QLatin1Char('\r')))
        return model::Outcome<void>::failed(QStringLiteral("\"%1\" is no word").arg(word));
    if (loadPersonalWords(optionsFolder).contains(added))
        return {};
    if (!QDir().mkpath(optionsFolder))
        return model::Outcome<void>::failed(
            QStringLiteral("the folder %1 cannot be made").arg(QDir::toNativeSeparators(optionsFolder)));
    const QString path = personalWordsPath(optionsFolder);
    QByteArray bytes;
    if (QFileInfo::exists(path)) {
        const model::Outcome<QByteArray> old = model::readRegularFile(path);
        if (!old)
            return old.failure();
        bytes = *old;
    }
    if (!bytes.isEmpty() && !bytes.endsWith('\n'))
        bytes += '\n';
    bytes += added.toUtf8() + '\n';
    return replaceFileBytes(path, bytes);
}

std::vector<SpellWord> wordsToCheck(const QStringList& lines, bool literalsOnly, const QSet<QString>& identifiers)
{
    std::vector<SpellWord> words;
    WordCollector collector(identifiers, words);
    const qsizetype header = headerLineCount(lines);
    bool declareGoesOn = false;
    forEachLinePieces(lines, [&](qsizetype i, const std::vector<Piece>& pieces) {
        const QStringView line = lines[i];
        const bool continuesCode = declareGoesOn;
        declareGoesOn = false;
        if (isAttributeLine(line) || (i < header && !isShownProperty(line)))
            return;
        const bool declare = continuesCode
            || (!pieces.empty() && pieces.front().kind == VbLinePart::Code
                && isDeclareStatement(line.sliced(pieces.front().start, pieces.front().end - pieces.front().start)));
        if (declare && !pieces.empty() && pieces.back().kind == VbLinePart::Code && model::endsWithContinuationMark(line))
            declareGoesOn = true;
        for (const Piece& piece : pieces) {
            const QStringView text = line.sliced(piece.start, piece.end - piece.start);
            const bool checked = piece.kind == VbLinePart::Literal ? !declare && !isWholeLiteralSkipped(text)
                                                                   : piece.kind == VbLinePart::Comment && !literalsOnly;
            if (checked)
                collector.collect(int(i + 1), line, piece);
        }
    });
    return words;
}

QSet<QString> identifiersOf(const QStringList& lines)
{
    QSet<QString> names;
    forEachLinePieces(lines, [&](qsizetype i, const std::vector<Piece>& pieces) {
        const QStringView line = lines[i];
        for (const Piece& piece : pieces) {
            if (piece.kind != VbLinePart::Code)
                continue;
            qsizetype start = 0;
            for (qsizetype end = model::nextIdentifier(line, piece.start, piece.end, start); start < piece.end;
                 end = model::nextIdentifier(line, end, piece.end, start)) {
                const QString name = model::upperCase(line.sliced(start, end - start));
                names.insert(name);
                // An event handler's event ("KeyDown" of txtName_KeyDown) is a name too.
                if (name.contains(u'_')) {
                    for (const QString& part : name.split(u'_', Qt::SkipEmptyParts))
                        names.insert(part);
                }
            }
        }
    });
    return names;
}

std::vector<SpellFinding> findMisspellings(const QStringList& paths, const model::SourceReader& reader,
    const platform::ISpellChecker& checker, bool literalsOnly)
{
    std::vector<std::pair<QString, QStringList>> files;
    QSet<QString> identifiers;
    for (const QString& path : paths) {
        model::Outcome<SourceDocument> document = readSourceDocument(path, reader);
        if (!document)
            continue;
        identifiers.unite(identifiersOf(document->lines));
        files.emplace_back(path, std::move(document->lines));
    }
    std::vector<SpellFinding> findings;
    QHash<QString, bool> verdicts;
    for (const auto& [path, lines] : files) {
        for (const SpellWord& word : wordsToCheck(lines, literalsOnly, identifiers)) {
            auto known = verdicts.constFind(word.word);
            if (known == verdicts.constEnd())
                known = verdicts.insert(word.word, checker.isCorrect(QString(word.word).remove(u'&'))
                        || !checker.writesLettersOf(word.word));
            if (!known.value())
                findings.push_back({path, word, lines[word.line - 1]});
        }
    }
    return findings;
}

Rewrite replaceWords(const QStringList& lines, const std::vector<WordReplacement>& replacements)
{
    Rewrite result {lines};
    // Right to left within a line, so that a replacement of another length moves no column
    // still to come; one that overlaps a replacement made is passed over.
    std::vector<const WordReplacement*> order;
    order.reserve(replacements.size());
    for (const WordReplacement& r : replacements)
        order.push_back(&r);
    std::stable_sort(order.begin(), order.end(), [](const WordReplacement* a, const WordReplacement* b) {
        return a->line != b->line ? a->line < b->line : a->column > b->column;
    });
    int lastLine = 0;
    qsizetype leftmost = 0; // where the last replacement made in lastLine starts
    for (const WordReplacement* r : order) {
        if (r->line < 1 || r->line > lines.size() || r->column < 1 || r->word.isEmpty() || r->word == r->replacement)
            continue;
        QString& line = result.lines[r->line - 1];
        const qsizetype start = r->column - 1;
        const qsizetype end = start + r->word.size();
        if (r->line == lastLine && end > leftmost)
            continue;
        const auto isLetterAt = [&line](qsizetype i) { return i >= 0 && i < line.size() && line[i].isLetter(); };
        const bool stands = end <= line.size() && QStringView(line).sliced(start, r->word.size()) == r->word
            && !isLetterAt(start - 1) && !isLetterAt(end)
            && !(start > 0 && isApostrophe(line[start - 1]) && isLetterAt(start - 2))
            && !(end < line.size() && isApostrophe(line[end]) && isLetterAt(end + 1));
        if (!stands)
            continue;
        line.replace(start, r->word.size(), r->replacement);
        lastLine = r->line;
        leftmost = start;
        ++result.proceduresChanged;
    }
    result.changed = result.proceduresChanged > 0;
    return result;
}

std::vector<WordReplacement> replacementsFor(const QStringList& lines, bool literalsOnly,
    const QSet<QString>& identifiers, const QHash<QString, QString>& rights)
{
    std::vector<WordReplacement> result;
    if (rights.isEmpty())
        return result;
    for (const SpellWord& word : wordsToCheck(lines, literalsOnly, identifiers)) {
        auto right = rights.constFind(word.word);
        if (right != rights.constEnd()) {
            result.push_back({word.line, word.column, word.word, right.value()});
            continue;
        }
        if (!word.word[0].isUpper())
            continue;
        const QString key = word.word[0].toLower() + word.word.mid(1);
        right = rights.constFind(key);
        if (right == rights.constEnd())
            continue;
        QString capital = right.value();
        if (!capital.isEmpty())
            capital[0] = capital[0].toUpper();
        result.push_back({word.line, word.column, word.word, capital});
    }
    return result;
}

} // namespace quillon::aids
