#include "analysis/SymbolTable.h"

#include "model/TextPrimitives.h"

#include <QList>
#include <QSet>

#include <algorithm>
#include <initializer_list>

namespace quillon::analysis {

using model::EqualsNoCase;
using model::IndexOfUpper;
using model::KeyedMap;
using model::trimLeadingBlanks;
using model::trimTrailingBlanks;
using model::StartsWithUpper;
using model::trimBlanks;
using model::upperCase;

namespace {

constexpr char16_t kBlank = u' ';
constexpr char16_t kTab = u'\t';

using Prefixes = std::initializer_list<QLatin1StringView>;

// Words that follow a scope keyword in a line that declares no variable.
const Prefixes kNonVariableWords = {
    QLatin1StringView("CONST"),    QLatin1StringView("TYPE"),     QLatin1StringView("ENUM"),
    QLatin1StringView("DECLARE"),  QLatin1StringView("EVENT"),    QLatin1StringView("SUB"),
    QLatin1StringView("FUNCTION"), QLatin1StringView("PROPERTY"),
};

// The same without CONST: "Public Const" declares constants and must not be passed over.
const Prefixes kPublicNonVariableWords = {
    QLatin1StringView("TYPE"),  QLatin1StringView("ENUM"), QLatin1StringView("DECLARE"),  QLatin1StringView("EVENT"),
    QLatin1StringView("SUB"),   QLatin1StringView("FUNCTION"), QLatin1StringView("PROPERTY"),
};

bool IsOneOf(QStringView word, Prefixes words)
{
    return std::any_of(words.begin(), words.end(), [&](QLatin1StringView w) { return word == w; });
}

bool IsOneOfNoCase(QStringView word, Prefixes words)
{
    return std::any_of(words.begin(), words.end(), [&](QLatin1StringView w) {
        return word.size() == w.size() && StartsWithUpper(word, w);
    });
}

QStringView CutBefore(QStringView text, char16_t c)
{
    const qsizetype i = text.indexOf(QChar(c));
    return i < 0 ? text : text.first(i);
}

// The line without its trailing comment: the first "'" outside double quotes onwards.
QStringView CutComment(QStringView line)
{
    bool inString = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char16_t c = line[i].unicode();
        if (c == u'"')
            inString = !inString;
        else if (c == u'\'' && !inString)
            return line.first(i);
    }
    return line;
}

bool EndsInMarker(QStringView text)
{
    return !text.isEmpty() && text.back() == QLatin1Char('_');
}

// A continued declaration is joined without its markers: a marker left in the joined text
// would turn into an item of its own and swallow the name that follows it.
QStringView WithoutMarker(QStringView text)
{
    return EndsInMarker(text) ? trimTrailingBlanks(text.chopped(1)) : text;
}

// Tabs become blanks and every run of blanks one blank, in a single pass.
QString SingleBlanked(QStringView text)
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

QList<QStringView> BlankSeparatedWords(QStringView text)
{
    return text.split(QChar(kBlank), Qt::SkipEmptyParts);
}

// The first and second blank-separated words, without splitting the rest of a long line.
void FirstTwoWords(QStringView u, QStringView& first, QStringView& second)
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

QStringView FirstWord(QStringView u)
{
    QStringView first;
    QStringView second;
    FirstTwoWords(u, first, second);
    return first;
}

const Prefixes kScopeKeywords = {
    QLatin1StringView("PUBLIC "), QLatin1StringView("PRIVATE "), QLatin1StringView("FRIEND "),
    QLatin1StringView("GLOBAL "), QLatin1StringView("STATIC "),
};
// Procedure headers take no GLOBAL.
const Prefixes kProcedureScopeKeywords = {
    QLatin1StringView("PUBLIC "),
    QLatin1StringView("PRIVATE "),
    QLatin1StringView("FRIEND "),
    QLatin1StringView("STATIC "),
};

// Removes leading scope keywords (compared case-insensitively) as long as there are any.
QStringView StripKeywords(QStringView text, Prefixes keywords)
{
    bool stripped = true;
    while (stripped) {
        stripped = false;
        for (QLatin1StringView keyword : keywords) {
            if (StartsWithUpper(text, keyword)) {
                text = trimBlanks(text.sliced(keyword.size()));
                stripped = true;
                break;
            }
        }
    }
    return text;
}

// Line classification; u is the trimmed, upper-cased text of a line.

bool IsConstantDeclaration(QStringView u)
{
    return FirstWord(StripKeywords(u, kScopeKeywords)) == QLatin1StringView("CONST");
}

const Prefixes kGlobalWords = {QLatin1StringView("GLOBAL"), QLatin1StringView("PUBLIC"), QLatin1StringView("FRIEND")};
const Prefixes kModuleWords = {QLatin1StringView("PRIVATE"), QLatin1StringView("DIM"), QLatin1StringView("FRIEND"),
                               QLatin1StringView("STATIC")};

bool IsGlobalDeclaration(QStringView u)
{
    QStringView first, second;
    FirstTwoWords(u, first, second);
    return IsOneOf(first, kGlobalWords) && !IsOneOf(second, kNonVariableWords);
}

bool IsModuleVariableDeclaration(QStringView u)
{
    QStringView first, second;
    FirstTwoWords(u, first, second);
    return IsOneOf(first, kModuleWords) && !IsOneOf(second, kNonVariableWords);
}

bool IsPublicNonVariableDeclaration(QStringView u)
{
    QStringView first, second;
    FirstTwoWords(u, first, second);
    return IsOneOf(first, kGlobalWords) && IsOneOf(second, kPublicNonVariableWords);
}

bool IsEnumStart(QStringView u)
{
    return StripKeywords(u, kScopeKeywords).startsWith(QLatin1StringView("ENUM "));
}

bool IsProcedureHeader(QStringView u)
{
    if (u.startsWith(QLatin1StringView("ATTRIBUTE")))
        return false;
    const QStringView rest = StripKeywords(u, kProcedureScopeKeywords);
    for (QLatin1StringView start : {QLatin1StringView("PROPERTY SET"), QLatin1StringView("PROPERTY LET"),
                                    QLatin1StringView("PROPERTY GET"), QLatin1StringView("FUNCTION "),
                                    QLatin1StringView("SUB ")}) {
        if (rest.startsWith(start))
            return true;
    }
    return false;
}

// Names from declarations.

void AddName(NameSet& set, QStringView raw)
{
    const QString name = NormalizeName(raw);
    if (IsValidName(name))
        set.insertIfAbsent(name, true);
}

// Items of a declaration list: commas inside double quotes do not split.
template <typename Fn>
void ForEachItem(QStringView text, Fn&& fn)
{
    bool inString = false;
    qsizetype begin = 0;
    auto emit = [&](qsizetype end) {
        const QStringView item = trimBlanks(text.sliced(begin, end - begin));
        if (!item.isEmpty())
            fn(item);
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == u'"') {
            inString = !inString;
        } else if (c == u',' && !inString) {
            emit(i);
            begin = i + 1;
        }
    }
    emit(text.size());
}

QStringView CutBeforeAs(QStringView item)
{
    const qsizetype i = IndexOfUpper(item, QLatin1StringView(" AS "));
    return i < 0 ? item : item.first(i);
}

void AddConstantNames(QStringView text, NameSet& set)
{
    const qsizetype at = IndexOfUpper(text, QLatin1StringView("CONST"));
    if (at < 0)
        return;
    ForEachItem(trimBlanks(text.sliced(at + 5)), [&](QStringView item) {
        item = trimBlanks(CutBefore(item, u'='));
        item = trimBlanks(CutBeforeAs(item));
        item = CutBefore(item, kBlank);
        item = CutBefore(item, u'(');
        AddName(set, item);
    });
}

void AddVariableNames(QStringView text, NameSet& set)
{
    for (QLatin1StringView keyword : {QLatin1StringView("PUBLIC "), QLatin1StringView("PRIVATE "),
                                      QLatin1StringView("FRIEND "), QLatin1StringView("GLOBAL "),
                                      QLatin1StringView("DIM "), QLatin1StringView("STATIC ")}) {
        if (StartsWithUpper(text, keyword)) {
            text = text.sliced(keyword.size());
            break;
        }
    }
    text = trimBlanks(text);
    if (IsOneOfNoCase(FirstWord(text), kNonVariableWords))
        return;
    ForEachItem(text, [&](QStringView item) {
        item = trimBlanks(CutBefore(item, u'='));
        item = trimBlanks(CutBeforeAs(item));
        // ParamArray and WithEvents need no blank after them; the trim that follows removes it.
        for (QLatin1StringView modifier : {QLatin1StringView("BYVAL "), QLatin1StringView("BYREF "),
                                           QLatin1StringView("OPTIONAL "), QLatin1StringView("PARAMARRAY"),
                                           QLatin1StringView("WITHEVENTS")}) {
            if (StartsWithUpper(item, modifier))
                item = trimBlanks(item.sliced(modifier.size()));
        }
        item = CutBefore(item, kBlank);
        item = CutBefore(item, u'(');
        AddName(set, item);
    });
}

// The procedure's name from its header as written.
QStringView ProcedureNameOf(QStringView text)
{
    QStringView rest = StripKeywords(text, kProcedureScopeKeywords);
    if (StartsWithUpper(rest, QLatin1StringView("SUB ")))
        rest = rest.sliced(4);
    else if (StartsWithUpper(rest, QLatin1StringView("FUNCTION ")))
        rest = rest.sliced(9);
    else if (StartsWithUpper(rest, QLatin1StringView("PROPERTY GET"))
             || StartsWithUpper(rest, QLatin1StringView("PROPERTY LET"))
             || StartsWithUpper(rest, QLatin1StringView("PROPERTY SET")))
        rest = rest.sliced(12);
    rest = trimBlanks(rest);
    rest = rest.contains(QLatin1Char('(')) ? CutBefore(rest, u'(') : CutBefore(rest, kBlank);
    return trimBlanks(rest);
}

// Whether a line that follows a continued comment is code again, which ends the skipping.
bool LooksLikeCode(QStringView line)
{
    const QStringView t = trimLeadingBlanks(line);
    if (t.isEmpty() || t.front() == QLatin1Char('\''))
        return false;
    static const Prefixes kCodeWords = {
        QLatin1StringView("PUBLIC"),   QLatin1StringView("PRIVATE"),  QLatin1StringView("FRIEND"),
        QLatin1StringView("GLOBAL"),   QLatin1StringView("DIM"),      QLatin1StringView("CONST"),
        QLatin1StringView("SUB"),      QLatin1StringView("FUNCTION"), QLatin1StringView("PROPERTY"),
        QLatin1StringView("TYPE"),     QLatin1StringView("ENUM"),     QLatin1StringView("DECLARE"),
        QLatin1StringView("EVENT"),    QLatin1StringView("OPTION"),   QLatin1StringView("ATTRIBUTE"),
        QLatin1StringView("IF"),       QLatin1StringView("FOR"),      QLatin1StringView("DO"),
        QLatin1StringView("WHILE"),    QLatin1StringView("WITH"),     QLatin1StringView("SELECT"),
        QLatin1StringView("END"),      QLatin1StringView("EXIT"),     QLatin1StringView("SET"),
        QLatin1StringView("LET"),      QLatin1StringView("CALL"),     QLatin1StringView("ON ERROR"),
        QLatin1StringView("RESUME"),   QLatin1StringView("GOTO"),
    };
    for (QLatin1StringView word : kCodeWords) {
        if (!StartsWithUpper(t, word))
            continue;
        if (t.size() == word.size())
            return true;
        const char16_t after = t[word.size()].unicode();
        if (after == kBlank || after == kTab || after == u':' || after == u'(' || after == u'.')
            return true;
    }
    return IndexOfUpper(t, QLatin1StringView(" AS ")) >= 0 || t.contains(QLatin1Char('='))
        || t.contains(QLatin1Char('('));
}

QString ByRefKey(const QString& filePath, const QString& normalizedName)
{
    return upperCase(trimBlanks(filePath)) + QLatin1Char('|') + normalizedName;
}

bool SetContains(const NameSet* set, QStringView name)
{
    return set && set->contains(NormalizeName(name));
}

} // namespace

QString NormalizeName(QStringView name)
{
    QStringView t = trimBlanks(name);
    if (!t.isEmpty() && QStringView(u"%&!#$@").contains(t.back()))
        t.chop(1);
    if (t.size() >= 2 && t.front() == QLatin1Char('[') && t.back() == QLatin1Char(']'))
        t = t.sliced(1, t.size() - 2);
    return upperCase(trimBlanks(t));
}

bool IsValidName(const QString& normalized)
{
    static const QSet<QString> kReserved = {
        // statements and declaration words
        "PUBLIC", "PRIVATE", "FRIEND", "GLOBAL", "DIM", "STATIC", "CONST", "WITHEVENTS", "SUB", "FUNCTION",
        "PROPERTY", "GET", "LET", "SET", "BYVAL", "BYREF", "OPTIONAL", "PARAMARRAY", "AS", "NEW", "IF", "THEN",
        "ELSE", "ELSEIF", "END", "FOR", "NEXT", "DO", "LOOP", "WHILE", "WEND", "SELECT", "CASE", "WITH", "EXIT",
        "GOTO", "GOSUB", "RETURN", "RESUME", "ON", "ERROR", "NOT", "AND", "OR", "XOR", "MOD", "TRUE", "FALSE",
        "NOTHING", "TYPE", "ENUM", "DECLARE", "EVENT", "OPTION", "ATTRIBUTE",
        // type names
        "INTEGER", "LONG", "STRING", "BOOLEAN", "VARIANT", "SINGLE", "DOUBLE", "CURRENCY", "BYTE", "OBJECT",
        "DATE", "DECIMAL",
    };
    if (normalized.isEmpty() || normalized.contains(QLatin1Char('.')) || normalized.contains(QLatin1Char(':')))
        return false;
    const char16_t first = normalized.front().unicode();
    if (!((first >= u'A' && first <= u'Z') || first == u'_'))
        return false;
    return !kReserved.contains(normalized);
}

bool IsProcedureReference(QStringView line, int start, int end, const QString& previousWord)
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

void SymbolTable::Clear()
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

void SymbolTable::BuildSymbolTables(const model::FileList& files, const model::SourceReader& reader)
{
    Clear();
    for (const model::FilePtr& file : files) {
        if (file && !trimBlanks(file->FilePath).isEmpty())
            ScanFileSymbols(file->FilePath, reader);
    }
    Merge();
}

void SymbolTable::ScanFileSymbols(const QString& filePath, const model::SourceReader& reader)
{
    // A file that cannot be read has no lines and still gets its (empty) sets, so that later
    // lookups for it find a container and answer "no". No message: the load reports files.
    ScanFileSymbolLines(filePath, reader.Read(filePath).lines);
}

void SymbolTable::ScanFileSymbolLines(const QString& filePath, const QStringList& lines)
{
    NameSet consts;
    NameSet globals;
    NameSet modVars;
    NameSet procedures;

    bool inDeclarations = true;
    bool inEnum = false;
    bool declarationContinued = false;
    QString declaration;
    QString declarationFirstLine; // upper-cased, decides how the joined declaration is read
    bool headerContinued = false;
    QString header;
    bool skipCommentContinuation = false;

    auto registerDeclaration = [&](QStringView u, QStringView text) {
        if (IsConstantDeclaration(u))
            AddConstantNames(text, consts);
        else if (IsGlobalDeclaration(u))
            AddVariableNames(text, globals);
        else if (IsModuleVariableDeclaration(u))
            AddVariableNames(text, modVars);
    };

    for (const QString& raw : lines) {
        if (skipCommentContinuation) {
            // The editor treats lines after a comment ending in " _" as part of the comment.
            if (!LooksLikeCode(raw))
                continue;
            skipCommentContinuation = false;
        }
        const bool commentLine = trimLeadingBlanks(raw).startsWith(QLatin1Char('\''));
        const bool rawContinues = EndsInMarker(trimTrailingBlanks(raw));

        const QStringView text = trimBlanks(CutComment(raw));
        if (!text.isEmpty()) {
            const bool continues = EndsInMarker(text);
            if (inDeclarations && inEnum) {
                if (StartsWithUpper(text, QLatin1StringView("END ENUM")))
                    inEnum = false;
                else
                    AddName(consts, CutBefore(trimBlanks(CutBefore(text, u'=')), kBlank));
            } else if (inDeclarations && declarationContinued) {
                declaration += QLatin1Char(' ');
                declaration += WithoutMarker(text);
                if (!continues) {
                    registerDeclaration(declarationFirstLine, declaration);
                    declarationContinued = false;
                    declaration.clear();
                    declarationFirstLine.clear();
                }
            } else if (headerContinued) {
                header += QLatin1Char(' ');
                header += text;
                if (!continues) {
                    RegisterByRefParameters(header, filePath);
                    headerContinued = false;
                    header.clear();
                }
            } else {
                const QString u = upperCase(text);
                if (IsProcedureHeader(u)) {
                    AddName(procedures, ProcedureNameOf(text));
                    if (continues) {
                        header = text.toString();
                        headerContinued = true;
                    } else {
                        RegisterByRefParameters(text, filePath);
                    }
                    // Below the first procedure only headers matter: variables declared there
                    // are local.
                    inDeclarations = false;
                } else if (inDeclarations) {
                    if (IsEnumStart(u)) {
                        inEnum = true;
                    } else if (IsPublicNonVariableDeclaration(u)) {
                        // Public Type, Enum, Declare, Event or procedure: no variable
                    } else if (continues
                               && (IsConstantDeclaration(u) || IsGlobalDeclaration(u)
                                   || IsModuleVariableDeclaration(u))) {
                        declarationContinued = true;
                        declaration = WithoutMarker(text).toString();
                        declarationFirstLine = upperCase(declaration);
                    } else {
                        registerDeclaration(u, text);
                    }
                }
            }
        }
        skipCommentContinuation = commentLine && rawContinues;
    }

    fileConsts_.insert(filePath, std::move(consts));
    fileGlobals_.insert(filePath, std::move(globals));
    fileModVars_.insert(filePath, std::move(modVars));
    fileProcedures_.insert(filePath, std::move(procedures));
}

void SymbolTable::RegisterByRefParameters(QStringView header, const QString& filePath)
{
    const QStringView code = trimBlanks(CutComment(header));
    const QString spaced = SingleBlanked(code);
    const QList<QStringView> words = BlankSeparatedWords(spaced);
    QStringView nameWord;
    for (qsizetype i = 0; i < words.size(); ++i) {
        qsizetype at = -1;
        if (EqualsNoCase(words[i], u"SUB") || EqualsNoCase(words[i], u"FUNCTION"))
            at = i + 1;
        else if (EqualsNoCase(words[i], u"PROPERTY"))
            at = i + 2; // past GET, LET or SET
        else
            continue;
        if (at < words.size())
            nameWord = words[at];
        break;
    }
    const QString name = NormalizeName(CutBefore(nameWord, u'('));
    if (name.isEmpty())
        return;

    const qsizetype open = code.indexOf(QLatin1Char('('));
    const qsizetype close = code.lastIndexOf(QLatin1Char(')'));
    if (open < 0 || close <= open + 1)
        return; // no parameter list, or "()": no set at all
    const QStringView parameters = code.sliced(open + 1, close - open - 1);

    const QString key = ByRefKey(filePath, name);
    NameSet* set = procByRef_.find(key);
    if (!set) {
        procByRef_.insert(key, NameSet());
        set = procByRef_.find(key);
    }

    const QString spacedParameters = SingleBlanked(parameters);
    const QList<QStringView> parts = BlankSeparatedWords(spacedParameters);
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        if (!EqualsNoCase(parts[i], u"BYREF"))
            continue;
        QStringView parameter = parts[i + 1];
        while (!parameter.isEmpty()
               && (parameter.back() == QLatin1Char(',') || parameter.back() == QLatin1Char(')')
                   || parameter.back() == QLatin1Char('(')))
            parameter.chop(1);
        AddName(*set, parameter);
    }
}

void SymbolTable::Merge()
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

bool SymbolTable::IsConstant(QStringView name) const
{
    return SetContains(&allConsts_, name);
}

bool SymbolTable::IsGlobalVariable(QStringView name) const
{
    return SetContains(&allGlobals_, name);
}

bool SymbolTable::IsModuleVariable(const QString& filePath, QStringView name) const
{
    return SetContains(fileModVars_.find(filePath), name);
}

bool SymbolTable::IsByRefParameter(const QString& filePath, const QString& routineName, QStringView name) const
{
    return SetContains(procByRef_.find(ByRefKey(filePath, NormalizeName(routineName))), name);
}

bool SymbolTable::IsProcedureName(QStringView name) const
{
    return SetContains(&allProcedures_, name);
}

SymbolCategory SymbolTable::Classify(QStringView line, int start, int end, const QString& previousWord,
                                    const QString& filePath, const QString& routineName, bool skipByRef,
                                    bool skipModuleVars) const
{
    const qsizetype first = std::clamp<qsizetype>(qsizetype(start) - 1, 0, line.size());
    const qsizetype last = std::clamp<qsizetype>(end, first, line.size());
    const QStringView identifier = line.sliced(first, last - first);
    if (trimBlanks(identifier).isEmpty())
        return SymbolCategory::Normal;

    if (!skipByRef && !trimBlanks(routineName).isEmpty() && IsByRefParameter(filePath, routineName, identifier))
        return SymbolCategory::ByRefParameter;
    if (!skipModuleVars && IsModuleVariable(filePath, identifier))
        return SymbolCategory::ModuleVariable;
    if (IsGlobalVariable(identifier))
        return SymbolCategory::GlobalVariable;
    if (IsConstant(identifier))
        return SymbolCategory::Constant;
    if (IsProcedureName(identifier) && IsProcedureReference(line, start, end, previousWord))
        return SymbolCategory::ProcedureName;
    return SymbolCategory::Normal;
}

QStringList SymbolTable::DumpLines(const model::FileList& files) const
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
        if (!file || trimBlanks(file->FilePath).isEmpty())
            continue;
        dumpSet(QStringLiteral("CONST"), file->FileName, fileConsts_.find(file->FilePath));
        dumpSet(QStringLiteral("GLOBAL"), file->FileName, fileGlobals_.find(file->FilePath));
        dumpSet(QStringLiteral("MODVAR"), file->FileName, fileModVars_.find(file->FilePath));
        dumpSet(QStringLiteral("PROC"), file->FileName, fileProcedures_.find(file->FilePath));
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
