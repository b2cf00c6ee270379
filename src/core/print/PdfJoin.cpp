#include "print/PdfJoin.h"

#include <QByteArrayView>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdio>
#include <vector>

namespace quillon::print {

namespace {

constexpr qint64 kMaxObjects = 8388607; // the most objects a PDF reader has to accept
constexpr qint64 kMaxOffset = 9999999999; // ten digits in a cross-reference entry
constexpr qsizetype kPiece = qsizetype(4) << 20; // parts are read and written in pieces this large
constexpr qint64 kMaxTable = qint64(64) << 20; // the most a cross-reference table or a plain object may take
constexpr qint64 kTailBytes = 1024; // where startxref is looked for
constexpr qsizetype kMaxDepth = 256; // nested arrays and dictionaries in one object
constexpr qsizetype kEntryBytes = 20;

bool isWhite(char c)
{
    return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0';
}
bool isDelimiter(char c)
{
    return c == '(' || c == ')' || c == '<' || c == '>' || c == '[' || c == ']' || c == '{' || c == '}' || c == '/'
        || c == '%';
}
bool isRegular(char c)
{
    return !isWhite(c) && !isDelimiter(c);
}
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}
bool isHexDigit(char c)
{
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Unsigned decimal digits as a number; -1 when they are not that (or too many for one).
qint64 decimal(QByteArrayView digits)
{
    if (digits.isEmpty() || digits.size() > 18)
        return -1;
    qint64 value = 0;
    for (const char c : digits) {
        if (!isDigit(c))
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

QString reason(const char* latin1)
{
    return QString::fromLatin1(latin1);
}

struct Token {
    enum Kind : quint8 { End, Bad, Integer, Real, Name, String, Dict, DictEnd, Array, ArrayEnd, Keyword, Ref };
    Kind kind = End;
    qsizetype begin = 0;
    qsizetype end = 0;
    qsizetype numberEnd = 0; // a reference: where its object number ends
    qint64 number = 0; // a reference: its object and generation numbers
    qint64 generation = 0;
};

// The tokens of PDF object syntax, comments skipped; next() reads "N G R" as one reference.
class Lexer {
public:
    Lexer(QByteArrayView text, qsizetype pos) : text_(text), pos_(pos) { }
    qsizetype pos() const { return pos_; }
    QByteArrayView view(const Token& token) const { return text_.sliced(token.begin, token.end - token.begin); }
    Token raw();
    Token next();

private:
    Token finish(Token::Kind kind, qsizetype begin) const { return {kind, begin, pos_}; }
    void skipSpace();
    Token literalString(qsizetype begin);
    Token hexString(qsizetype begin);
    Token word(qsizetype begin);

    QByteArrayView text_;
    qsizetype pos_;
};

void Lexer::skipSpace()
{
    while (pos_ < text_.size()) {
        if (text_[pos_] == '%') {
            while (pos_ < text_.size() && text_[pos_] != '\n' && text_[pos_] != '\r')
                ++pos_;
        } else if (isWhite(text_[pos_])) {
            ++pos_;
        } else {
            return;
        }
    }
}

Token Lexer::raw()
{
    skipSpace();
    const qsizetype begin = pos_;
    if (pos_ >= text_.size())
        return finish(Token::End, begin);
    const char c = text_[pos_++];
    const bool doubled = pos_ < text_.size() && text_[pos_] == c;
    switch (c) {
    case '(':
        return literalString(begin);
    case '<':
        return doubled ? (++pos_, finish(Token::Dict, begin)) : hexString(begin);
    case '>':
        return doubled ? (++pos_, finish(Token::DictEnd, begin)) : finish(Token::Bad, begin);
    case '[':
        return finish(Token::Array, begin);
    case ']':
        return finish(Token::ArrayEnd, begin);
    case '/':
        while (pos_ < text_.size() && isRegular(text_[pos_]))
            ++pos_;
        return finish(Token::Name, begin);
    case ')':
    case '{':
    case '}':
        return finish(Token::Bad, begin);
    default:
        return word(begin);
    }
}

Token Lexer::literalString(qsizetype begin)
{
    int depth = 1;
    while (pos_ < text_.size()) {
        const char c = text_[pos_++];
        if (c == '\\' && pos_ < text_.size())
            ++pos_;
        else if (c == '(')
            ++depth;
        else if (c == ')' && --depth == 0)
            return finish(Token::String, begin);
    }
    return finish(Token::Bad, begin);
}

Token Lexer::hexString(qsizetype begin)
{
    while (pos_ < text_.size()) {
        const char c = text_[pos_++];
        if (c == '>')
            return finish(Token::String, begin);
        if (!isHexDigit(c) && !isWhite(c))
            break;
    }
    return finish(Token::Bad, begin);
}

// A number or a keyword: a run of regular characters.
Token Lexer::word(qsizetype begin)
{
    while (pos_ < text_.size() && isRegular(text_[pos_]))
        ++pos_;
    const QByteArrayView run = text_.sliced(begin, pos_ - begin);
    const qsizetype sign = run[0] == '+' || run[0] == '-' ? 1 : 0;
    int digits = 0;
    int points = 0;
    for (qsizetype i = sign; i < run.size(); ++i) {
        if (isDigit(run[i]))
            ++digits;
        else if (run[i] == '.')
            ++points;
        else
            return finish(Token::Keyword, begin);
    }
    if (digits == 0 || points > 1)
        return finish(Token::Keyword, begin);
    return finish(points == 0 ? Token::Integer : Token::Real, begin);
}

Token Lexer::next()
{
    const Token first = raw();
    const qint64 number = first.kind == Token::Integer ? decimal(view(first)) : -1;
    if (number < 0)
        return first;
    const qsizetype rewind = pos_;
    const Token second = raw();
    if (second.kind == Token::Integer) {
        const Token third = raw();
        const qint64 generation = decimal(view(second));
        if (third.kind == Token::Keyword && view(third) == "R" && generation >= 0)
            return {Token::Ref, first.begin, third.end, first.end, number, generation};
    }
    pos_ = rewind;
    return first;
}

// A reference in an object, and the key of the outermost dictionary whose value holds it.
struct RefAt {
    Token token;
    QByteArrayView topKey;
    bool direct = false; // the reference is that key's value itself
};
struct Entry {
    QByteArrayView key;
    Token value; // a dictionary or array value spans from its opening to its closing bracket
};

// One object's value, read for the references to renumber and the outermost dictionary's entries.
class ObjectScan {
public:
    // Reads from pos up to the keyword that closes the value at the outermost level (endobj,
    // stream or startxref) and returns it; a Bad or End token when the value is malformed or
    // the text ends first.
    Token scan(QByteArrayView text, qsizetype pos);
    const Entry* find(QByteArrayView key) const;
    bool hasName(QByteArrayView key, QByteArrayView name) const;

    std::vector<RefAt> refs;
    std::vector<Entry> entries;
    qsizetype dictOpenEnd = -1; // just after the outermost "<<"; -1 when the value is no dictionary

private:
    bool place(const Token& token);
    bool close(const Token& token);

    QByteArrayView text_;
    std::vector<Token::Kind> open_;
    qsizetype items_ = 0; // keys and values so far in the outermost dictionary
    int values_ = 0; // values at the outermost level
    QByteArrayView key_;
};

Token ObjectScan::scan(QByteArrayView text, qsizetype pos)
{
    text_ = text;
    refs.clear();
    entries.clear();
    open_.clear();
    dictOpenEnd = -1;
    items_ = 0;
    values_ = 0;
    key_ = {};
    Lexer lexer(text, pos);
    for (;;) {
        const Token token = lexer.next();
        if (token.kind == Token::End || token.kind == Token::Bad)
            return token;
        const QByteArrayView word = lexer.view(token);
        const bool closing =
            token.kind == Token::Keyword && (word == "endobj" || word == "stream" || word == "startxref");
        if (closing && open_.empty())
            return token;
        const bool known = token.kind != Token::Keyword || word == "true" || word == "false" || word == "null";
        const bool ended = token.kind == Token::DictEnd || token.kind == Token::ArrayEnd;
        if (closing || !known || !(ended ? close(token) : place(token)))
            return {Token::Bad, token.begin, token.end};
    }
}

bool ObjectScan::place(const Token& token)
{
    const bool inTopDict = open_.size() == 1 && dictOpenEnd >= 0;
    if (open_.empty()) {
        if (++values_ > 1)
            return false;
        if (token.kind == Token::Dict)
            dictOpenEnd = token.end;
    } else if (inTopDict && items_++ % 2 == 0) {
        if (token.kind != Token::Name)
            return false;
        key_ = text_.sliced(token.begin, token.end - token.begin);
    } else if (inTopDict) {
        entries.push_back({key_, token});
    }
    if (token.kind == Token::Ref)
        refs.push_back({token, key_, inTopDict});
    if (token.kind == Token::Dict || token.kind == Token::Array) {
        if (qsizetype(open_.size()) >= kMaxDepth)
            return false;
        open_.push_back(token.kind);
    }
    return true;
}

bool ObjectScan::close(const Token& token)
{
    const Token::Kind opening = token.kind == Token::DictEnd ? Token::Dict : Token::Array;
    if (open_.empty() || open_.back() != opening)
        return false;
    open_.pop_back();
    if (open_.size() == 1 && dictOpenEnd >= 0)
        entries.back().value.end = token.end;
    return !(open_.empty() && dictOpenEnd >= 0 && items_ % 2 != 0);
}

const Entry* ObjectScan::find(QByteArrayView key) const
{
    const auto at =
        std::find_if(entries.begin(), entries.end(), [key](const Entry& entry) { return entry.key == key; });
    return at == entries.end() ? nullptr : &*at;
}

bool ObjectScan::hasName(QByteArrayView key, QByteArrayView name) const
{
    const Entry* entry = find(key);
    return entry && entry->value.kind == Token::Name
        && text_.sliced(entry->value.begin, entry->value.end - entry->value.begin) == name;
}

// Where the value of object `number` starts, after "number 0 obj"; -1 when that is not there.
qsizetype afterObjectHeader(QByteArrayView text, qint64 number)
{
    Lexer lexer(text, 0);
    const Token object = lexer.raw();
    const Token generation = lexer.raw();
    const Token keyword = lexer.raw();
    const bool ok = object.kind == Token::Integer && decimal(lexer.view(object)) == number
        && generation.kind == Token::Integer && decimal(lexer.view(generation)) == 0 && lexer.view(keyword) == "obj";
    return ok ? keyword.end : -1;
}

// What the first look at a part finds: where each object is, and its catalog, information
// dictionary and page-tree root.
struct PartMap {
    QString path;
    char version = '0'; // the x of "%PDF-1.x"
    qint64 size = 0; // the trailer's /Size: object numbers run from 1 to size - 1
    qint64 xref = 0; // where the cross-reference table starts and the last object ends
    std::vector<qint64> offsets; // by object number; -1 for a free number
    std::vector<std::pair<qint64, qint64>> objects; // offset and number of each object, in file order
    qint64 catalog = 0;
    qint64 info = 0; // 0 when there is none
    QByteArray id; // the trailer's /ID as written; empty when there is none
    qint64 pagesRoot = 0;
    qint64 pages = 0;

    // Where object `number` ends: where the next one in the file starts.
    qint64 objectEnd(qint64 offset) const
    {
        const auto next = std::upper_bound(objects.begin(), objects.end(), std::pair(offset, kMaxObjects));
        return next == objects.end() ? xref : next->first;
    }
};

bool readAt(QFile& file, qint64 at, qint64 length, QByteArray& bytes)
{
    bytes.resize(length);
    return file.seek(at) && file.read(bytes.data(), length) == length;
}

// The cross-reference table's offset from "startxref N %%EOF" at the end of the file.
QString readStartXref(const QByteArray& tail, qint64& xref)
{
    const qsizetype at = tail.lastIndexOf("startxref");
    if (at < 0)
        return reason("no startxref: truncated?");
    Lexer lexer(tail, at + 9);
    const Token offset = lexer.raw();
    xref = offset.kind == Token::Integer ? decimal(lexer.view(offset)) : -1;
    if (xref < 0)
        return reason("unreadable startxref");
    qsizetype pos = offset.end;
    while (pos < tail.size() && isWhite(tail[pos]))
        ++pos;
    if (!QByteArrayView(tail).sliced(pos).startsWith("%%EOF"))
        return reason("no %%EOF: truncated?");
    for (pos += 5; pos < tail.size(); ++pos) {
        if (!isWhite(tail[pos]))
            return reason("data after %%EOF");
    }
    return {};
}

// The entries of a cross-reference table of one section "0 size"; `pos` ends after them.
QString readEntries(const QByteArray& table, qsizetype& pos, PartMap& map)
{
    Lexer lexer(table, 0);
    const Token keyword = lexer.raw();
    if (keyword.kind == Token::Integer)
        return reason("cross-reference stream, not a table");
    const Token first = lexer.raw();
    const Token count = lexer.raw();
    if (lexer.view(keyword) != "xref" || first.kind != Token::Integer || count.kind != Token::Integer)
        return reason("no cross-reference table at startxref");
    map.size = decimal(lexer.view(count));
    if (decimal(lexer.view(first)) != 0 || map.size < 1 || map.size > kMaxObjects)
        return reason("unusual cross-reference table");
    for (pos = count.end; pos < table.size() && isWhite(table[pos]);)
        ++pos;
    if ((table.size() - pos) / kEntryBytes < map.size)
        return reason("truncated cross-reference table");
    map.offsets.assign(map.size, -1);
    for (qint64 number = 0; number < map.size; ++number, pos += kEntryBytes) {
        const QByteArrayView entry = QByteArrayView(table).sliced(pos, kEntryBytes);
        const qint64 offset = decimal(entry.first(10));
        const qint64 generation = decimal(entry.sliced(11, 5));
        const char type = entry[17];
        if (offset < 0 || generation < 0 || entry[10] != ' ' || entry[16] != ' ' || !isWhite(entry[18])
            || !isWhite(entry[19]) || (type != 'n' && type != 'f') || (type == 'n' && number == 0))
            return QStringLiteral("unreadable cross-reference entry %1").arg(number);
        if (type == 'n' && generation != 0)
            return QStringLiteral("object %1 has generation %2").arg(number).arg(generation);
        if (type == 'n')
            map.offsets[number] = offset;
    }
    return {};
}

// The trailer after the table: /Size as the table's, /Root, /Info and /ID; no earlier section.
QString readTrailer(const QByteArray& table, qsizetype pos, PartMap& map)
{
    Lexer lexer(table, pos);
    const Token keyword = lexer.raw();
    if (keyword.kind == Token::Integer)
        return reason("several cross-reference subsections");
    ObjectScan trailer;
    const Token close = lexer.view(keyword) == "trailer" ? trailer.scan(table, lexer.pos()) : Token {};
    if (close.kind != Token::Keyword || lexer.view(close) != "startxref" || trailer.dictOpenEnd < 0)
        return reason("unreadable trailer");
    if (trailer.find("/Prev") || trailer.find("/XRefStm"))
        return reason("several cross-reference sections");
    if (trailer.find("/Encrypt"))
        return reason("encrypted");
    const Entry* size = trailer.find("/Size");
    if (!size
        || decimal(QByteArrayView(table).sliced(size->value.begin, size->value.end - size->value.begin)) != map.size)
        return reason("/Size differs from the cross-reference table");
    const Entry* root = trailer.find("/Root");
    if (!root || root->value.kind != Token::Ref)
        return reason("no /Root");
    map.catalog = root->value.number;
    const Entry* info = trailer.find("/Info");
    if (info
        && (info->value.kind != Token::Ref || info->value.number >= map.size || map.offsets[info->value.number] < 0))
        return reason("unreadable /Info");
    map.info = info ? info->value.number : 0;
    if (const Entry* id = trailer.find("/ID"))
        map.id = table.sliced(id->value.begin, id->value.end - id->value.begin);
    return {};
}

// The objects in file order, each between the header and the table, none sharing an offset.
QString orderObjects(PartMap& map, qint64 headerSize)
{
    for (qint64 number = 1; number < map.size; ++number) {
        if (map.offsets[number] >= 0)
            map.objects.emplace_back(map.offsets[number], number);
    }
    std::sort(map.objects.begin(), map.objects.end());
    for (size_t i = 0; i < map.objects.size(); ++i) {
        const auto [offset, number] = map.objects[i];
        if (offset < headerSize || offset >= map.xref || (i > 0 && offset == map.objects[i - 1].first))
            return QStringLiteral("object %1 at an impossible offset").arg(number);
    }
    return {};
}

// Reads a plain object (no stream) at once; the first look needs its catalog and page-tree root.
QString readObject(QFile& file, const PartMap& map, qint64 number, ObjectScan& scan, QByteArray& bytes)
{
    if (number < 1 || number >= map.size || map.offsets[number] < 0)
        return QStringLiteral("object %1 is missing").arg(number);
    const qint64 offset = map.offsets[number];
    const qint64 length = map.objectEnd(offset) - offset;
    if (length > kMaxTable || !readAt(file, offset, length, bytes))
        return QStringLiteral("object %1 cannot be read").arg(number);
    const qsizetype body = afterObjectHeader(bytes, number);
    const Token close = body < 0 ? Token {} : scan.scan(bytes, body);
    if (close.kind != Token::Keyword || QByteArrayView(bytes).sliced(close.begin, close.end - close.begin) != "endobj")
        return QStringLiteral("object %1 is unreadable").arg(number);
    return {};
}

QString readPageTree(QFile& file, PartMap& map)
{
    ObjectScan scan;
    QByteArray bytes;
    if (QString error = readObject(file, map, map.catalog, scan, bytes); !error.isEmpty())
        return error;
    const Entry* pages = scan.find("/Pages");
    if (!scan.hasName("/Type", "/Catalog") || !pages || pages->value.kind != Token::Ref)
        return reason("/Root is not a catalog with /Pages");
    map.pagesRoot = pages->value.number;
    if (QString error = readObject(file, map, map.pagesRoot, scan, bytes); !error.isEmpty())
        return error;
    const Entry* count = scan.find("/Count");
    const Entry* kids = scan.find("/Kids");
    map.pages =
        count ? decimal(QByteArrayView(bytes).sliced(count->value.begin, count->value.end - count->value.begin)) : -1;
    if (!scan.hasName("/Type", "/Pages") || scan.find("/Parent") || !kids || kids->value.kind != Token::Array
        || map.pages < 0 || map.pages > map.size)
        return reason("unusual page-tree root");
    return {};
}

QString mapPart(const QString& path, PartMap& map)
{
    map.path = path;
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return reason("cannot be read");
    const qint64 size = file.size();
    const QByteArray header = file.read(9);
    if (header.size() < 9 || !header.startsWith("%PDF-1.") || !isDigit(header[7]))
        return reason("not a PDF");
    map.version = header[7];
    QByteArray bytes;
    const qint64 tailAt = std::max<qint64>(0, size - kTailBytes);
    if (!readAt(file, tailAt, size - tailAt, bytes))
        return reason("cannot be read");
    if (QString error = readStartXref(bytes, map.xref); !error.isEmpty())
        return error;
    if (map.xref < header.size() || map.xref >= size)
        return reason("startxref outside the file");
    if (size - map.xref > kMaxTable || !readAt(file, map.xref, size - map.xref, bytes))
        return reason("cross-reference table too large");
    qsizetype pos = 0;
    QString error = readEntries(bytes, pos, map);
    if (error.isEmpty())
        error = readTrailer(bytes, pos, map);
    if (error.isEmpty())
        error = orderObjects(map, header.size());
    return error.isEmpty() ? readPageTree(file, map) : error;
}

// Reads a part front to back through a window that only moves forward, so that a part of any
// size costs a few megabytes of memory.
class PartReader {
public:
    explicit PartReader(const QString& path) : file_(path) { }
    bool open()
    {
        return QFileInfo(file_.fileName()).isFile() && file_.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    // The bytes [from, from + length), fewer at the end of the file; from never moves back.
    QByteArrayView window(qint64 from, qsizetype length);

private:
    QFile file_;
    QByteArray buffer_;
    qint64 start_ = 0; // the file offset of buffer_'s first byte
};

QByteArrayView PartReader::window(qint64 from, qsizetype length)
{
    if (from < start_)
        return {};
    if (from + length > start_ + buffer_.size()) {
        if (from < start_ + buffer_.size()) {
            buffer_.remove(0, from - start_);
        } else {
            buffer_.resize(0);
            if (!file_.seek(from))
                return {};
        }
        start_ = from;
        const qsizetype kept = buffer_.size();
        buffer_.resize(std::max(length, kPiece));
        const qint64 got = file_.read(buffer_.data() + kept, buffer_.size() - kept);
        buffer_.resize(kept + std::max<qint64>(got, 0));
    }
    const qsizetype at = from - start_;
    return QByteArrayView(buffer_).sliced(at, std::min(length, buffer_.size() - at));
}

// The joined file, written through a buffer into a QSaveFile that takes the target's place
// only when it is complete.
class JoinedFile {
public:
    explicit JoinedFile(const QString& target) : file_(target) { }
    bool open() { return file_.open(QIODevice::WriteOnly); }
    qint64 pos() const { return written_ + buffer_.size(); }
    void append(QByteArrayView bytes)
    {
        buffer_.append(bytes);
        if (buffer_.size() >= kPiece)
            flush();
    }
    void appendNumber(qint64 value)
    {
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
        buffer_.append(digits, end - digits);
    }
    QString commit()
    {
        flush();
        return failed_ || !file_.commit() ? file_.errorString() : QString();
    }

private:
    void flush()
    {
        failed_ = failed_ || file_.write(buffer_) != buffer_.size();
        written_ += buffer_.size();
        buffer_.resize(0);
    }

    QSaveFile file_;
    QByteArray buffer_;
    qint64 written_ = 0;
    bool failed_ = false;
};

// How a part's objects change on the way into the joined file.
struct Renumbering {
    qint64 shift = 0; // added to every object number
    qint64 catalogPages = 0; // the first part's catalog: its new /Pages; 0 for the other parts
    QByteArray parent; // added to the part's page-tree root
};

// The object's text from `from` to `to` with its references renumbered, the first part's
// catalog pointed at the new page-tree root and /Parent added to a part's page-tree root.
void appendRenumbered(JoinedFile& out, QByteArrayView text, qsizetype from, qsizetype to, const ObjectScan& scan,
    qint64 shift, qint64 pagesTo, QByteArrayView insert)
{
    qsizetype copied = from;
    if (!insert.isEmpty()) {
        out.append(text.sliced(copied, scan.dictOpenEnd - copied));
        out.append(insert);
        copied = scan.dictOpenEnd;
    }
    for (const RefAt& ref : scan.refs) {
        out.append(text.sliced(copied, ref.token.begin - copied));
        const bool pages = pagesTo != 0 && ref.direct && ref.topKey == "/Pages";
        out.appendNumber(pages ? pagesTo : ref.token.number + shift);
        copied = ref.token.numberEnd;
    }
    out.append(text.sliced(copied, to - copied));
}

// A stream's data ends its object's byte range: "endstream", "endobj" and white space.
bool endsStream(QByteArrayView tail)
{
    const auto trim = [&tail] {
        while (!tail.isEmpty() && isWhite(tail.back()))
            tail.chop(1);
    };
    trim();
    if (!tail.endsWith("endobj"))
        return false;
    tail.chop(6);
    trim();
    return tail.endsWith("endstream");
}

// Copies one object, the object's byte range taken from the part's table: the value
// renumbered, stream data verbatim.
QString copyObject(
    PartReader& reader, JoinedFile& out, const PartMap& map, qsizetype index, const Renumbering& how, ObjectScan& scan)
{
    const auto [offset, number] = map.objects[size_t(index)];
    const qint64 end = map.objectEnd(offset);
    const qsizetype wanted = qsizetype(std::min<qint64>(end - offset, kPiece));
    const QByteArrayView text = reader.window(offset, wanted);
    const qsizetype body = text.size() == wanted ? afterObjectHeader(text, number) : -1;
    const Token close = body < 0 ? Token {} : scan.scan(text, body);
    const QByteArrayView word = close.kind == Token::Keyword ? text.sliced(close.begin, close.end - close.begin) : "";
    const bool isStream = word == "stream" && scan.dictOpenEnd >= 0;
    const bool whole = wanted == end - offset;
    if (!isStream && (word != "endobj" || !whole || Lexer(text, close.end).raw().kind != Token::End))
        return whole ? reason("malformed object") : reason("object too large");
    for (const RefAt& ref : scan.refs) {
        if (ref.token.number < 1 || ref.token.number >= map.size || ref.token.generation != 0)
            return reason("reference to an object outside the part");
    }
    const QByteArrayView insert = number == map.pagesRoot ? QByteArrayView(how.parent) : QByteArrayView();
    if (!insert.isEmpty() && scan.dictOpenEnd < 0)
        return reason("unusual page-tree root");
    out.appendNumber(number + how.shift);
    out.append(" 0 obj");
    const qint64 pagesTo = number == map.catalog ? how.catalogPages : 0;
    appendRenumbered(out, text, body, isStream ? close.begin : close.end, scan, how.shift, pagesTo, insert);
    if (!isStream) {
        out.append("\n");
        return {};
    }
    // The data, from the keyword "stream" to the end of the range, goes as it is.
    const QByteArrayView eol = text.sliced(close.end, std::min<qsizetype>(2, text.size() - close.end));
    if (!eol.startsWith("\n") && eol != "\r\n")
        return reason("malformed stream");
    for (qint64 pos = offset + close.begin; pos < end;) {
        const qsizetype piece = end - pos <= 2 * kPiece ? qsizetype(end - pos) : kPiece;
        const QByteArrayView bytes = reader.window(pos, piece);
        if (bytes.size() != piece)
            return reason("truncated");
        out.append(bytes);
        pos += piece;
    }
    out.append("\n"); // the range may end right after "endobj"
    const qsizetype tail = qsizetype(std::min<qint64>(end - offset - close.begin, 64));
    return endsStream(reader.window(end - tail, tail)) ? QString() : reason("stream without endstream");
}

QString copyPart(JoinedFile& out, const PartMap& map, const Renumbering& how, std::vector<qint64>& offsets)
{
    PartReader reader(map.path);
    if (!reader.open())
        return reason("cannot be read");
    ObjectScan scan;
    for (qsizetype i = 0; i < qsizetype(map.objects.size()); ++i) {
        const qint64 number = map.objects[size_t(i)].second;
        offsets[size_t(number + how.shift)] = out.pos();
        if (const QString error = copyObject(reader, out, map, i, how, scan); !error.isEmpty())
            return QStringLiteral("object %1: %2").arg(number).arg(error);
    }
    return out.pos() > kMaxOffset ? reason("joined file too large") : QString();
}

// The new page-tree root over the parts' roots, the table and the trailer of the first part.
void appendTail(JoinedFile& out, const std::vector<PartMap>& maps, qint64 root, std::vector<qint64>& offsets)
{
    offsets[size_t(root)] = out.pos();
    out.appendNumber(root);
    out.append(" 0 obj\n<<\n/Type /Pages\n/Kids [");
    qint64 shift = 0;
    qint64 pages = 0;
    for (const PartMap& map : maps) {
        out.appendNumber(map.pagesRoot + shift);
        out.append(" 0 R ");
        shift += map.size - 1;
        pages += map.pages;
    }
    out.append("]\n/Count ");
    out.appendNumber(pages);
    out.append("\n>>\nendobj\n");
    const qint64 xref = out.pos();
    out.append("xref\n0 ");
    out.appendNumber(qint64(offsets.size()));
    out.append("\n");
    // Free numbers form a list from entry 0, each pointing to the next.
    qint64 nextFree = 0;
    for (qint64 number = qint64(offsets.size()) - 1; number >= 0; --number) {
        if (offsets[size_t(number)] < 0 || number == 0) {
            offsets[size_t(number)] = -1 - nextFree;
            nextFree = number;
        }
    }
    char entry[kEntryBytes + 1];
    for (size_t number = 0; number < offsets.size(); ++number) {
        const qint64 value = offsets[number];
        std::snprintf(entry, sizeof entry, "%010lld %05d %c \n", static_cast<long long>(value < 0 ? -1 - value : value),
            number == 0 ? 65535 : (value < 0 ? 1 : 0), value < 0 ? 'f' : 'n');
        out.append(QByteArrayView(entry, kEntryBytes));
    }
    out.append("trailer\n<<\n/Size ");
    out.appendNumber(qint64(offsets.size()));
    out.append("\n/Root ");
    out.appendNumber(maps[0].catalog);
    out.append(" 0 R\n");
    if (maps[0].info != 0) {
        out.append("/Info ");
        out.appendNumber(maps[0].info);
        out.append(" 0 R\n");
    }
    if (!maps[0].id.isEmpty())
        out.append("/ID " + maps[0].id + "\n");
    out.append(">>\nstartxref\n");
    out.appendNumber(xref);
    out.append("\n%%EOF\n");
}

model::Outcome<int> refused(const QString& part, const QString& reason)
{
    return model::Outcome<int>::failed(
        part.isEmpty() ? reason : QFileInfo(part).fileName() + QStringLiteral(": ") + reason);
}

} // namespace

model::Outcome<int> joinPdfParts(const QStringList& parts, const QString& target)
{
    if (parts.isEmpty())
        return refused({}, reason("no parts to join"));
    std::vector<PartMap> maps(size_t(parts.size()));
    qint64 objects = 0;
    qint64 pages = 0;
    char version = '0';
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (const QString error = mapPart(parts[i], maps[size_t(i)]); !error.isEmpty())
            return refused(parts[i], error);
        objects += maps[size_t(i)].size - 1;
        pages += maps[size_t(i)].pages;
        version = std::max(version, maps[size_t(i)].version);
    }
    if (objects + 2 > kMaxObjects || pages > INT_MAX)
        return refused({}, reason("too many objects for one file"));
    JoinedFile out(target);
    if (!out.open())
        return refused(target, reason("cannot be written"));
    const qint64 root = objects + 1;
    std::vector<qint64> offsets(size_t(root + 1), -1);
    out.append(QByteArray("%PDF-1.") + version + "\n%\xe2\xe3\xcf\xd3\n");
    const QByteArray parent = "\n/Parent " + QByteArray::number(root) + " 0 R";
    qint64 shift = 0;
    for (size_t i = 0; i < maps.size(); ++i) {
        const Renumbering how {shift, i == 0 ? root : 0, parent};
        if (const QString error = copyPart(out, maps[i], how, offsets); !error.isEmpty())
            return refused(parts[qsizetype(i)], error);
        shift += maps[i].size - 1;
    }
    appendTail(out, maps, root, offsets);
    if (const QString error = out.commit(); !error.isEmpty())
        return refused(target, error);
    return int(pages);
}

} // namespace quillon::print
