#include "analysis/SymbolTable.h"

#include "model/RoutineParser.h"
#include "model/TextPrimitives.h"
#include "model/VbLineScanner.h"

#include <QList>
#include <QSet>

#include <algorithm>
#include <initializer_list>

namespace quillon::analysis {

using model::equalsNoCase;
using model::indexOfUpper;
using model::KeyedMap;
using model::startsWithUpper;
using model::trimBlanks;
using model::trimLeadingBlanks;
using model::trimTrailingBlanks;
using model::upperCase;

namespace {

constexpr char16_t kBlank = u' ';
constexpr char16_t kTab = u'\t';

using Prefixes = std::initializer_list<QLatin1StringView>;

// Words that follow a scope keyword in a line that declares no variable.
const Prefixes kNonVariableWords = {
    QLatin1StringView("CONST"),
    QLatin1StringView("TYPE"),
    QLatin1StringView("ENUM"),
    QLatin1StringView("DECLARE"),
    QLatin1StringView("EVENT"),
    QLatin1StringView("SUB"),
    QLatin1StringView("FUNCTION"),
    QLatin1StringView("PROPERTY"),
};

bool isOneOf(QStringView word, Prefixes words)
{
    return std::any_of(words.begin(), words.end(), [&](QLatin1StringView w) { return word == w; });
}

bool isOneOfNoCase(QStringView word, Prefixes words)
{
    return std::any_of(words.begin(), words.end(),
        [&](QLatin1StringView w) { return word.size() == w.size() && startsWithUpper(word, w); });
}

QStringView cutBefore(QStringView text, char16_t c)
{
    const qsizetype i = text.indexOf(QChar(c));
    return i < 0 ? text : text.first(i);
}

bool endsInMarker(QStringView text)
{
    return !text.isEmpty() && text.back() == QLatin1Char('_');
}

// A continued declaration is joined without its markers: a marker left in the joined text
// would turn into an item of its own and swallow the name that follows it.
QStringView withoutMarker(QStringView text)
{
    return endsInMarker(text) ? trimTrailingBlanks(text.chopped(1)) : text;
}

// Tabs become blanks and every run of blanks one blank, in a single pass.
QString singleBlanked(QStringView text)
{
    QString out;
    out.reserve(text.size());
    bool lastBlank = false;
    for (QChar c : text) {
        if (c.unicode() == kTab)
            c = QChar(kBlank);
        const bool blank = c.unicode() == kBlank;
        if (!(blank && lastBlank))
            out.append(c);
        lastBlank = blank;
    }
    return out;
}

QList<QStringView> blankSeparatedWords(QStringView text)
{
    return text.split(QChar(kBlank), Qt::SkipEmptyParts);
}

// The first and second blank-separated words, without splitting the rest of a long line.
void firstTwoWords(QStringView u, QStringView& first, QStringView& second)
{
    first = second = QStringView();
    QStringView* target = &first;
    qsizetype i = 0;
    const qsizetype n = u.size();
    while (target) {
        while (i < n && u[i].unicode() == kBlank)
            ++i;
        const qsizetype begin = i;
        while (i < n && u[i].unicode() != kBlank)
            ++i;
        *target = u.sliced(begin, i - begin);
        target = target == &first ? &second : nullptr;
    }
}

QStringView firstWord(QStringView u)
{
    QStringView first;
    QStringView second;
    firstTwoWords(u, first, second);
    return first;
}

const Prefixes kScopeKeywords = {
    QLatin1StringView("PUBLIC "),
    QLatin1StringView("PRIVATE "),
    QLatin1StringView("FRIEND "),
    QLatin1StringView("GLOBAL "),
    QLatin1StringView("STATIC "),
};

// Removes leading scope keywords (compared case-insensitively) as long as there are any.
QStringView stripKeywords(QStringView text, Prefixes keywords)
{
    bool stripped = true;
    while (stripped) {
        stripped = false;
        for (QLatin1StringView keyword : keywords) {
            if (startsWithUpper(text, keyword)) {
                text = trimBlanks(text.sliced(keyword.size()));
                stripped = true;
                break;
            }
        }
    }
    return text;
}

// Line classification; u is the trimmed, upper-cased text of a line.

bool isConstantDeclaration(QStringView u)
{
    return firstWord(stripKeywords(u, kScopeKeywords)) == QLatin1StringView("CONST");
}

const Prefixes kGlobalWords = {QLatin1StringView("GLOBAL"), QLatin1StringView("PUBLIC"), QLatin1StringView("FRIEND")};
const Prefixes kModuleWords = {
    QLatin1StringView("PRIVATE"), QLatin1StringView("DIM"), QLatin1StringView("FRIEND"), QLatin1StringView("STATIC")};

bool isGlobalDeclaration(QStringView u)
{
    QStringView first, second;
    firstTwoWords(u, first, second);
    return isOneOf(first, kGlobalWords) && !isOneOf(second, kNonVariableWords);
}

bool isModuleVariableDeclaration(QStringView u)
{
    QStringView first, second;
    firstTwoWords(u, first, second);
    return isOneOf(first, kModuleWords) && !isOneOf(second, kNonVariableWords);
}

bool isPublicNonVariableDeclaration(QStringView u)
{
    QStringView first, second;
    firstTwoWords(u, first, second);
    // "Public Const" declares constants: not passed over here.
    return isOneOf(first, kGlobalWords) && isOneOf(second, kNonVariableWords) && second != QLatin1StringView("CONST");
}

// Headers as the symbol scan reads them (see ProcedureHeaderRules).
constexpr model::ProcedureHeaderRules kHeaderRules {.anyModifierOrder = true, .propertyNeedsAccessor = true};

// Names from declarations.

void addName(NameSet& set, QStringView raw)
{
    const QString name = normalizeName(raw);
    if (isValidName(name))
        set.insertIfAbsent(name, true);
}

// Items of a declaration list: commas inside literals do not split. The text has lost its
// comments already, so a single quote left in it is an ordinary character.
template <typename Fn>
void forEachItem(QStringView text, Fn&& fn)
{
    qsizetype begin = 0;
    auto emit = [&](qsizetype end) {
        const QStringView item = trimBlanks(text.sliced(begin, end - begin));
        if (!item.isEmpty())
            fn(item);
    };
    model::VbLineScanner scanner(text, {.quoteComments = false});
    model::VbLinePart part;
    while (scanner.next(part)) {
        for (qsizetype i = part.start; part.kind == model::VbLinePart::Code && i < part.end; ++i) {
            if (text[i] == QLatin1Char(',')) {
                emit(i);
                begin = i + 1;
            }
        }
    }
    emit(text.size());
}

QStringView cutBeforeAs(QStringView item)
{
    const qsizetype i = indexOfUpper(item, QLatin1StringView(" AS "));
    return i < 0 ? item : item.first(i);
}

void addConstantNames(QStringView text, NameSet& set)
{
    const qsizetype at = indexOfUpper(text, QLatin1StringView("CONST"));
    if (at < 0)
        return;
    forEachItem(trimBlanks(text.sliced(at + 5)), [&](QStringView item) {
        item = trimBlanks(cutBefore(item, u'='));
        item = trimBlanks(cutBeforeAs(item));
        item = cutBefore(item, kBlank);
        item = cutBefore(item, u'(');
        addName(set, item);
    });
}

void addVariableNames(QStringView text, NameSet& set)
{
    for (QLatin1StringView keyword :
        {QLatin1StringView("PUBLIC "), QLatin1StringView("PRIVATE "), QLatin1StringView("FRIEND "),
            QLatin1StringView("GLOBAL "), QLatin1StringView("DIM "), QLatin1StringView("STATIC ")}) {
        if (startsWithUpper(text, keyword)) {
            text = text.sliced(keyword.size());
            break;
        }
    }
    text = trimBlanks(text);
    if (isOneOfNoCase(firstWord(text), kNonVariableWords))
        return;
    forEachItem(text, [&](QStringView item) {
        item = trimBlanks(cutBefore(item, u'='));
        item = trimBlanks(cutBeforeAs(item));
        // ParamArray and WithEvents need no blank after them; the trim that follows removes it.
        for (QLatin1StringView modifier : {QLatin1StringView("BYVAL "), QLatin1StringView("BYREF "),
                 QLatin1StringView("OPTIONAL "), QLatin1StringView("PARAMARRAY"), QLatin1StringView("WITHEVENTS")}) {
            if (startsWithUpper(item, modifier))
                item = trimBlanks(item.sliced(modifier.size()));
        }
        item = cutBefore(item, kBlank);
        item = cutBefore(item, u'(');
        addName(set, item);
    });
}

// The procedure's name from the text after its header's procedure keyword.
QStringView procedureNameOf(QStringView afterKeyword)
{
    QStringView rest = trimBlanks(afterKeyword);
    rest = rest.contains(QLatin1Char('(')) ? cutBefore(rest, u'(') : cutBefore(rest, kBlank);
    return trimBlanks(rest);
}

// Whether a line that follows a continued comment is code again, which ends the skipping.
bool looksLikeCode(QStringView line)
{
    const QStringView t = trimLeadingBlanks(line);
    if (t.isEmpty() || t.front() == QLatin1Char('\''))
        return false;
    static const Prefixes kCodeWords = {
        QLatin1StringView("PUBLIC"),
        QLatin1StringView("PRIVATE"),
        QLatin1StringView("FRIEND"),
        QLatin1StringView("GLOBAL"),
        QLatin1StringView("DIM"),
        QLatin1StringView("CONST"),
        QLatin1StringView("SUB"),
        QLatin1StringView("FUNCTION"),
        QLatin1StringView("PROPERTY"),
        QLatin1StringView("TYPE"),
        QLatin1StringView("ENUM"),
        QLatin1StringView("DECLARE"),
        QLatin1StringView("EVENT"),
        QLatin1StringView("OPTION"),
        QLatin1StringView("ATTRIBUTE"),
        QLatin1StringView("IF"),
        QLatin1StringView("FOR"),
        QLatin1StringView("DO"),
        QLatin1StringView("WHILE"),
        QLatin1StringView("WITH"),
        QLatin1StringView("SELECT"),
        QLatin1StringView("END"),
        QLatin1StringView("EXIT"),
        QLatin1StringView("SET"),
        QLatin1StringView("LET"),
        QLatin1StringView("CALL"),
        QLatin1StringView("ON ERROR"),
        QLatin1StringView("RESUME"),
        QLatin1StringView("GOTO"),
    };
    for (QLatin1StringView word : kCodeWords) {
        if (!startsWithUpper(t, word))
            continue;
        if (t.size() == word.size())
            return true;
        const char16_t after = t[word.size()].unicode();
        if (after == kBlank || after == kTab || after == u':' || after == u'(' || after == u'.')
            return true;
    }
    return indexOfUpper(t, QLatin1StringView(" AS ")) >= 0 || t.contains(QLatin1Char('='))
        || t.contains(QLatin1Char('('));
}

QString byRefKey(const QString& filePath, const QString& normalizedName)
{
    return upperCase(trimBlanks(filePath)) + QLatin1Char('|') + normalizedName;
}

bool setContains(const NameSet* set, QStringView name)
{
    return set && set->contains(normalizeName(name));
}

} // namespace

QString normalizeName(QStringView name)
{
    QStringView t = trimBlanks(name);
    if (!t.isEmpty() && QStringView(u"%&!#$@").contains(t.back()))
        t.chop(1);
    if (t.size() >= 2 && t.front() == QLatin1Char('[') && t.back() == QLatin1Char(']'))
        t = t.sliced(1, t.size() - 2);
    return upperCase(trimBlanks(t));
}

bool isValidName(const QString& normalized)
{
    // Declaration words, literals and type names, besides the statement keywords.
    static const QSet<QString> kReserved = {"GLOBAL", "CONST", "WITHEVENTS", "OPTIONAL", "PARAMARRAY", "MOD", "TRUE",
        "FALSE", "NOTHING", "TYPE", "ENUM", "DECLARE", "EVENT", "ATTRIBUTE", "INTEGER", "LONG", "STRING", "BOOLEAN",
        "VARIANT", "SINGLE", "DOUBLE", "CURRENCY", "BYTE", "OBJECT", "DATE", "DECIMAL"};
    if (normalized.isEmpty() || normalized.contains(QLatin1Char('.')) || normalized.contains(QLatin1Char(':')))
        return false;
    const char16_t first = normalized.front().unicode();
    if (!((first >= u'A' && first <= u'Z') || first == u'_'))
        return false;
    return !model::isStatementKeyword(normalized) && !kReserved.contains(normalized);
}

bool isProcedureReference(QStringView line, int start, int end, const QString& previousWord)
{
    const qsizetype n = line.size();
    // 0-based: the identifier spans [start - 1, end - 1]; out-of-range positions are clamped.
    qsizetype after = std::clamp<qsizetype>(end, 0, n);
    while (after < n && (line[after].unicode() == kBlank || line[after].unicode() == kTab))
        ++after;
    const QChar next = after < n ? line[after] : QChar();
    qsizetype before = std::clamp<qsizetype>(qsizetype(start) - 2, -1, n - 1);
    while (before >= 0 && (line[before].unicode() == kBlank || line[before].unicode() == kTab))
        --before;

    if (next == QLatin1Char('='))
        return false; // assignment target, a function's return value
    if (next == QLatin1Char('('))
        return true;
    if (previousWord == QLatin1StringView("CALL"))
        return true;
    return before < 0 || line[before] == QLatin1Char(':');
}

void SymbolTable::clear()
{
    fileConsts_.clear();
    fileGlobals_.clear();
    fileModVars_.clear();
    fileProcedures_.clear();
    allConsts_.clear();
    allGlobals_.clear();
    allProcedures_.clear();
    procByRef_.clear();
}

void SymbolTable::buildSymbolTables(const model::FileList& files, const model::SourceReader& reader)
{
    clear();
    for (const model::FilePtr& file : files) {
        if (file && !trimBlanks(file->filePath).isEmpty())
            scanFileSymbols(file->filePath, reader);
    }
    merge();
}

void SymbolTable::scanFileSymbols(const QString& filePath, const model::SourceReader& reader)
{
    // A file that cannot be read has no lines and still gets its (empty) sets, so that later
    // lookups for it find a container and answer "no". No message: the load reports files.
    scanFileSymbolLines(filePath, reader.read(filePath).valueOr({}).lines);
}

namespace {

void registerByRefParameters(KeyedMap<NameSet>& byRef, QStringView header, const QString& filePath)
{
    const QStringView code = trimBlanks(model::withoutComment(header));
    const QString spaced = singleBlanked(code);
    const QList<QStringView> words = blankSeparatedWords(spaced);
    QStringView nameWord;
    for (qsizetype i = 0; i < words.size(); ++i) {
        qsizetype at = -1;
        if (equalsNoCase(words[i], u"SUB") || equalsNoCase(words[i], u"FUNCTION"))
            at = i + 1;
        else if (equalsNoCase(words[i], u"PROPERTY"))
            at = i + 2; // past GET, LET or SET
        else
            continue;
        if (at < words.size())
            nameWord = words[at];
        break;
    }
    const QString name = normalizeName(cutBefore(nameWord, u'('));
    if (name.isEmpty())
        return;

    const qsizetype open = code.indexOf(QLatin1Char('('));
    const qsizetype close = code.lastIndexOf(QLatin1Char(')'));
    if (open < 0 || close <= open + 1)
        return; // no parameter list, or "()": no set at all
    const QStringView parameters = code.sliced(open + 1, close - open - 1);

    const QString key = byRefKey(filePath, name);
    NameSet* set = byRef.find(key);
    if (!set) {
        byRef.insert(key, NameSet());
        set = byRef.find(key);
    }

    const QString spacedParameters = singleBlanked(parameters);
    const QList<QStringView> parts = blankSeparatedWords(spacedParameters);
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        if (!equalsNoCase(parts[i], u"BYREF"))
            continue;
        QStringView parameter = parts[i + 1];
        while (!parameter.isEmpty()
            && (parameter.back() == QLatin1Char(',') || parameter.back() == QLatin1Char(')')
                || parameter.back() == QLatin1Char('(')))
            parameter.chop(1);
        addName(*set, parameter);
    }
}

using Place = model::MemberBlockTracker::Place;

// One file's symbol scan, a line at a time. Declarations count up to the first procedure
// header; below it only headers matter: variables declared there are local.
class FileScan {
public:
    explicit FileScan(const QString& filePath) : filePath_(filePath) { }

    void addLine(const QString& raw)
    {
        if (skipCommentContinuation_) {
            // The editor treats lines after a comment ending in " _" as part of the comment.
            if (!looksLikeCode(raw))
                return;
            skipCommentContinuation_ = false;
        }
        // Below the declarations only a header counts. The code of a line is the start of the
        // line, so a line that does not start like a header holds none: the comment scan,
        // which costs most here, is left for those that do.
        // Both readers of the line's start pass over its indentation: it is skipped once here.
        const QStringView indented = trimLeadingBlanks(raw);
        const Place place = blocks_.place(indented);
        const bool mayCount =
            inDeclarations_ || headerContinued_ || model::procedureKeywordEnd(indented, kHeaderRules) >= 0;
        const QStringView text = mayCount ? trimBlanks(model::withoutComment(raw)) : QStringView();
        if (!text.isEmpty())
            addCode(text, place);
        skipCommentContinuation_ = indented.startsWith(QLatin1Char('\'')) && endsInMarker(trimTrailingBlanks(raw));
    }

    FileSymbols found;

private:
    // text: the trimmed code of a line, not empty. A line of a Type or Enum block is no header
    // whatever it reads; of those only an Enum's members declare something: constants.
    void addCode(QStringView text, Place place)
    {
        const bool continues = endsInMarker(text);
        if (place != Place::Outside) {
            if (inDeclarations_ && place == Place::Member && blocks_.inEnum())
                addName(found.consts, cutBefore(trimBlanks(cutBefore(text, u'=')), kBlank));
        } else if (inDeclarations_ && declarationContinued_) {
            continueDeclaration(text, continues);
        } else if (headerContinued_) {
            header_ += QLatin1Char(' ');
            header_ += text;
            if (!continues) {
                registerByRefParameters(found.byRef, header_, filePath_);
                headerContinued_ = false;
                header_.clear();
            }
        } else if (const qsizetype keywordEnd = model::procedureKeywordEnd(text, kHeaderRules); keywordEnd >= 0) {
            addName(found.procedures, procedureNameOf(text.sliced(keywordEnd)));
            if (continues) {
                header_ = text.toString();
                headerContinued_ = true;
            } else {
                registerByRefParameters(found.byRef, text, filePath_);
            }
            inDeclarations_ = false;
        } else if (inDeclarations_) {
            addDeclarationLine(text, upperCase(text), continues);
        }
    }

    void addDeclarationLine(QStringView text, const QString& u, bool continues)
    {
        if (isPublicNonVariableDeclaration(u)) {
            // Public Type, Enum, Declare, Event or procedure: no variable
        } else if (continues
            && (isConstantDeclaration(u) || isGlobalDeclaration(u) || isModuleVariableDeclaration(u))) {
            declarationContinued_ = true;
            declaration_ = withoutMarker(text).toString();
            declarationFirstLine_ = upperCase(declaration_);
        } else {
            registerDeclaration(u, text);
        }
    }

    void continueDeclaration(QStringView text, bool continues)
    {
        declaration_ += QLatin1Char(' ');
        declaration_ += withoutMarker(text);
        if (continues)
            return;
        registerDeclaration(declarationFirstLine_, declaration_);
        declarationContinued_ = false;
        declaration_.clear();
        declarationFirstLine_.clear();
    }

    // u: the upper-cased first line, which decides how the whole declaration is read.
    void registerDeclaration(QStringView u, QStringView text)
    {
        if (isConstantDeclaration(u))
            addConstantNames(text, found.consts);
        else if (isGlobalDeclaration(u))
            addVariableNames(text, found.globals);
        else if (isModuleVariableDeclaration(u))
            addVariableNames(text, found.moduleVariables);
    }

    const QString& filePath_;
    model::MemberBlockTracker blocks_;
    bool inDeclarations_ = true;
    bool declarationContinued_ = false;
    QString declaration_;
    QString declarationFirstLine_;
    bool headerContinued_ = false;
    QString header_;
    bool skipCommentContinuation_ = false;
};

} // namespace

void SymbolTable::scanFileSymbolLines(const QString& filePath, const QStringList& lines)
{
    addFile(filePath, scanLines(filePath, lines));
}

FileSymbols SymbolTable::scanLines(const QString& filePath, const QStringList& lines)
{
    FileScan scan(filePath);
    for (const QString& raw : lines)
        scan.addLine(raw);
    return std::move(scan.found);
}

void SymbolTable::addFile(const QString& filePath, FileSymbols symbols)
{
    fileConsts_.insert(filePath, std::move(symbols.consts));
    fileGlobals_.insert(filePath, std::move(symbols.globals));
    fileModVars_.insert(filePath, std::move(symbols.moduleVariables));
    fileProcedures_.insert(filePath, std::move(symbols.procedures));
    // A procedure registered before (its file listed under another spelling of the path) adds
    // its names to the set it has.
    for (auto& [key, set] : symbols.byRef.takeEntries()) {
        if (NameSet* known = procByRef_.find(key)) {
            for (const auto& [name, present] : set.entries())
                known->insertIfAbsent(name, true);
        } else {
            procByRef_.insert(key, std::move(set));
        }
    }
}

void SymbolTable::merge()
{
    auto mergeInto = [](const KeyedMap<NameSet>& perFile, NameSet& all) {
        for (const auto& [path, set] : perFile.entries()) {
            for (const auto& [name, present] : set.entries()) {
                const QString upper = upperCase(name);
                if (!upper.isEmpty())
                    all.insertIfAbsent(upper, true);
            }
        }
    };
    mergeInto(fileConsts_, allConsts_);
    mergeInto(fileGlobals_, allGlobals_);
    mergeInto(fileProcedures_, allProcedures_);
}

bool SymbolTable::isConstant(QStringView name) const
{
    return setContains(&allConsts_, name);
}

bool SymbolTable::isGlobalVariable(QStringView name) const
{
    return setContains(&allGlobals_, name);
}

bool SymbolTable::isModuleVariable(const QString& filePath, QStringView name) const
{
    return setContains(fileModVars_.find(filePath), name);
}

bool SymbolTable::isByRefParameter(const QString& filePath, const QString& routineName, QStringView name) const
{
    return setContains(procByRef_.find(byRefKey(filePath, normalizeName(routineName))), name);
}

bool SymbolTable::isProcedureName(QStringView name) const
{
    return setContains(&allProcedures_, name);
}

SymbolCategory SymbolTable::classify(QStringView line, int start, int end, const QString& previousWord,
    const QString& filePath, const QString& routineName, bool skipByRef, bool skipModuleVars) const
{
    const qsizetype first = std::clamp<qsizetype>(qsizetype(start) - 1, 0, line.size());
    const qsizetype last = std::clamp<qsizetype>(end, first, line.size());
    const QStringView identifier = line.sliced(first, last - first);
    if (trimBlanks(identifier).isEmpty())
        return SymbolCategory::Normal;

    if (!skipByRef && !trimBlanks(routineName).isEmpty() && isByRefParameter(filePath, routineName, identifier))
        return SymbolCategory::ByRefParameter;
    if (!skipModuleVars && isModuleVariable(filePath, identifier))
        return SymbolCategory::ModuleVariable;
    if (isGlobalVariable(identifier))
        return SymbolCategory::GlobalVariable;
    if (isConstant(identifier))
        return SymbolCategory::Constant;
    if (isProcedureName(identifier) && isProcedureReference(line, start, end, previousWord))
        return SymbolCategory::ProcedureName;
    return SymbolCategory::Normal;
}

QStringList SymbolTable::dumpLines(const model::FileList& files) const
{
    const QChar tab(kTab);
    QStringList out;
    auto dumpSet = [&](const QString& label, const QString& where, const NameSet* set) {
        if (!set)
            return;
        for (const auto& [name, present] : set->entries())
            out << label + tab + where + tab + name;
    };
    for (const model::FilePtr& file : files) {
        if (!file || trimBlanks(file->filePath).isEmpty())
            continue;
        dumpSet(QStringLiteral("CONST"), file->fileName, fileConsts_.find(file->filePath));
        dumpSet(QStringLiteral("GLOBAL"), file->fileName, fileGlobals_.find(file->filePath));
        dumpSet(QStringLiteral("MODVAR"), file->fileName, fileModVars_.find(file->filePath));
        dumpSet(QStringLiteral("PROC"), file->fileName, fileProcedures_.find(file->filePath));
    }
    dumpSet(QStringLiteral("ALLCONST"), QString(), &allConsts_);
    dumpSet(QStringLiteral("ALLGLOBAL"), QString(), &allGlobals_);
    dumpSet(QStringLiteral("ALLPROC"), QString(), &allProcedures_);
    for (const auto& [key, set] : procByRef_.entries()) {
        if (set.isEmpty())
            out << QStringLiteral("BYREF") + tab + key + tab;
        else
            dumpSet(QStringLiteral("BYREF"), key, &set);
    }
    return out;
}

} // namespace quillon::analysis
