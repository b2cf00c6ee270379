#include "RealShapedProject.h"

#include <QByteArray>
#include <QChar>
#include <QDir>
#include <QFile>
#include <QSet>

#include <algorithm>
#include <functional>
#include <iterator>
#include <utility>
#include <vector>

namespace quillon::bench {

namespace {

using Bytes = QByteArray;

// SplitMix64: a few lines, and the same numbers on every platform and standard library, so a
// size always gives the same project (std:: distributions differ between libraries).
class Random {
public:
    explicit Random(quint64 seed) : state_(seed) { }

    quint64 next()
    {
        quint64 z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // 0 .. n - 1
    int below(int n) { return n <= 1 ? 0 : int(next() % quint64(n)); }
    int between(int low, int high) { return low + below(high - low + 1); }
    bool chance(double probability) { return double(next() >> 11) * 0x1.0p-53 < probability; }
    template <typename T, size_t N>
    const T& pick(const T (&items)[N])
    {
        return items[below(int(N))];
    }
    template <typename T>
    const T& pick(const std::vector<T>& items)
    {
        return items[size_t(below(int(items.size())))];
    }

private:
    quint64 state_;
};

// Per step of a routine body; tuned so the whole project lands on the real project's
// proportions (forms' layout blocks and the declarations have their own mix).
constexpr double kBlankChance = 0.5;
constexpr double kCommentChance = 0.255;
constexpr double kCompoundChance = 0.17;
constexpr double kLongChance = 0.35;
constexpr double kContinuedChance = 0.05;
constexpr double kTrailingCommentChance = 0.07;
// Lines per file: real projects are 483 files for 375,000 lines.
constexpr int kLinesPerFile = 776;

const char* const kNouns[] = {"Customer", "Order", "Invoice", "Item", "Stock", "Account", "Report", "Supplier",
    "Payment", "Address", "Contact", "Price", "Tax", "Ledger", "Batch", "Shipment", "Employee", "Record", "Query",
    "Setting", "Printer", "Document", "Log", "User", "Session", "Cache", "Index", "Buffer", "Product", "Category",
    "Discount", "Warehouse", "Delivery", "Receipt", "Balance", "Journal", "Period", "Budget", "Vendor", "Quote"};
const char* const kVerbs[] = {"Load", "Save", "Get", "Update", "Check", "Validate", "Build", "Find", "Format", "Parse",
    "Print", "Calc", "Refresh", "Clear", "Add", "Remove", "Open", "Close", "Export", "Import", "Show", "Init", "Read",
    "Write", "Apply", "Post", "Merge", "Sort", "Fill", "Reset"};
const char* const kWords[] = {"the", "record", "is", "saved", "when", "user", "changes", "value", "list", "current",
    "first", "last", "each", "before", "after", "table", "database", "field", "empty", "not", "a", "of", "to", "and",
    "for", "from", "with", "this", "form", "total", "returns", "zero", "error", "message", "keeps", "column", "row",
    "selected", "new", "old", "date", "amount", "file", "line", "text", "number", "count", "every", "only", "again",
    "customer", "order", "invoice", "stock", "price", "report", "window", "grid", "printer", "settings"};
const char* const kLocals[] = {"total", "count", "position", "result", "text", "value", "found", "amount", "lineText",
    "fileName", "itemCount", "balance", "sql", "key", "message", "code", "rowCount", "answer", "lastDate", "buffer"};
const char* const kLocalTypes[] = {"Currency", "Long", "Long", "Variant", "String", "String", "Boolean", "Double",
    "String", "String", "Long", "Currency", "String", "String", "String", "Integer", "Long", "Integer", "Date",
    "String"};
const char* const kParamNames[] = {"customerId", "orderId", "itemName", "newValue", "quantity", "path", "row",
    "searchKey", "caption", "silent", "force", "startDate", "endDate", "rate", "limit", "mode", "flags", "title",
    "owner", "target"};
const char* const kTypes[] = {"Long", "String", "Integer", "Boolean", "Double", "Currency", "Date", "Variant"};
const char* const kFields[] = {"CustomerID", "OrderDate", "Quantity", "UnitPrice", "Description", "LastName",
    "FirstName", "City", "PostalCode", "Amount", "DueDate", "Status", "Notes", "CreatedBy", "ModifiedOn"};
const char* const kTables[] = {"Customers", "Orders", "OrderLines", "Invoices", "Products", "Suppliers", "Payments",
    "StockMoves", "Employees", "Settings"};

struct ApiDeclare {
    const char* kind;
    const char* name;
    const char* library;
    const char* alias;
    const char* params;
    const char* returns;
};
const ApiDeclare kApis[] = {
    {"Function", "GetTickCount", "kernel32", nullptr, "()", " As Long"},
    {"Sub", "Sleep", "kernel32", nullptr, "(ByVal dwMilliseconds As Long)", ""},
    {"Function", "SendMessage", "user32", "SendMessageA",
        "(ByVal hwnd As Long, ByVal wMsg As Long, ByVal wParam As Long, lParam As Any)", " As Long"},
    {"Function", "GetPrivateProfileString", "kernel32", "GetPrivateProfileStringA",
        "(ByVal lpApplicationName As String, ByVal lpKeyName As Any, ByVal lpDefault As String, ByVal "
        "lpReturnedString As String, ByVal nSize As Long, ByVal lpFileName As String)",
        " As Long"},
    {"Function", "WritePrivateProfileString", "kernel32", "WritePrivateProfileStringA",
        "(ByVal lpApplicationName As String, ByVal lpKeyName As Any, ByVal lpString As Any, ByVal lpFileName As "
        "String)",
        " As Long"},
    {"Function", "ShellExecute", "shell32.dll", "ShellExecuteA",
        "(ByVal hwnd As Long, ByVal lpOperation As String, ByVal lpFile As String, ByVal lpParameters As String, "
        "ByVal lpDirectory As String, ByVal nShowCmd As Long)",
        " As Long"},
    {"Function", "FindWindow", "user32", "FindWindowA", "(ByVal lpClassName As String, ByVal lpWindowName As String)",
        " As Long"},
    {"Function", "SetWindowPos", "user32", nullptr,
        "(ByVal hwnd As Long, ByVal hWndInsertAfter As Long, ByVal x As Long, ByVal y As Long, ByVal cx As Long, "
        "ByVal cy As Long, ByVal wFlags As Long)",
        " As Long"},
    {"Sub", "CopyMemory", "kernel32", "RtlMoveMemory", "(Destination As Any, Source As Any, ByVal Length As Long)", ""},
    {"Function", "GetUserName", "advapi32.dll", "GetUserNameA", "(ByVal lpBuffer As String, nSize As Long)",
        " As Long"},
    {"Function", "GetComputerName", "kernel32", "GetComputerNameA", "(ByVal lpBuffer As String, nSize As Long)",
        " As Long"},
    {"Function", "GetTempPath", "kernel32", "GetTempPathA", "(ByVal nBufferLength As Long, ByVal lpBuffer As String)",
        " As Long"},
};

Bytes num(qint64 n)
{
    return Bytes::number(n);
}

enum class FileKind { Form, Class, Module };

// A public procedure that other files call.
struct Callable {
    Bytes name;
    Bytes owner; // its file's VB name, for a qualified call
    int params = 0;
    bool isFunction = false;
    bool mustQualify = false; // a form's
};

struct FilePlan {
    FileKind kind = FileKind::Module;
    Bytes name;
    int targetLines = 0;
    std::vector<Callable> publics;
    std::vector<Bytes> properties; // of a class
};

enum class ProcKind { Sub, Function, PropertyGet, PropertyLet, PropertySet };

struct ProcSpec {
    Bytes name;
    ProcKind kind = ProcKind::Sub;
    bool isPublic = false;
    Bytes params; // between the parentheses
    Bytes returnType;
    int bodyLines = 0;
};

// One control of a form's layout block; a frame's or a menu's children nest.
struct Control {
    Bytes type;
    Bytes name;
    int index = -1; // within a control array
    Bytes caption;
    std::vector<Control> children;
};

// Events a control's handlers answer, by type.
const char* eventOf(const Bytes& type, Random& random)
{
    if (type == "TextBox")
        return random.pick({"Change", "Change", "KeyPress", "LostFocus", "GotFocus", "Validate"});
    if (type == "ListBox")
        return random.chance(0.5) ? "Click" : "DblClick";
    if (type == "Timer")
        return "Timer";
    if (type == "Label" || type == "Frame")
        return nullptr;
    return "Click";
}

Bytes eventParams(const char* event, bool array)
{
    Bytes params = array ? "Index As Integer" : "";
    Bytes extra;
    if (qstrcmp(event, "KeyPress") == 0)
        extra = "KeyAscii As Integer";
    else if (qstrcmp(event, "Validate") == 0)
        extra = "Cancel As Boolean";
    if (!extra.isEmpty())
        params += (params.isEmpty() ? "" : ", ") + extra;
    return params;
}

class ProjectWriter {
public:
    explicit ProjectWriter(int totalLines) : random_(0x51494C4C4F4E2031ULL), totalLines_(totalLines)
    {
        plan(totalLines);
    }

    std::optional<ProjectShape> write(const QString& folder);

private:
    void plan(int totalLines);
    int bodySize();
    Bytes uniqueName(const Bytes& prefix, bool withVerb);
    Callable planCallable(const Bytes& owner, bool mustQualify);

    Bytes fileText(const FilePlan& file);
    void moduleText(const FilePlan& file, bool withMain);
    void classText(const FilePlan& file);
    void formText(const FilePlan& file);
    void declarations(bool module);
    std::vector<Control> formControls(int count);
    void layoutControl(const Control& control, int level, int left, int top, int& tabIndex);
    void property(int level, const char* name, const Bytes& value);
    void handlers(const Control& control);
    void helpers(const FilePlan& file);

    void line(int indent, const Bytes& text);
    void raw(const Bytes& text);
    void blank();
    void comments(int indent, int count);
    void procedure(const ProcSpec& spec);
    void dims(int count);
    void body(int indent, int budget, int depth);
    void compound(int indent, int budget, int depth);
    void continued(int indent);
    Bytes simpleStatement();
    Bytes longStatement(int indent);

    Bytes sentence(int length);
    Bytes local();
    Bytes literal();
    Bytes numberExpr();
    Bytes textExpr();
    Bytes condition();
    Bytes argument();
    Bytes callOf(const Callable& callable, bool statement);
    Bytes paramList(int count);
    Bytes objectStatement();
    Bytes controlStatement();

    void measure(const Bytes& text);

    Random random_;
    int totalLines_;
    std::vector<FilePlan> files_;
    std::vector<Callable> callables_;
    std::vector<Callable> wideCallables_; // four parameters or more, for long argument lists
    std::vector<const FilePlan*> classes_;
    QSet<Bytes> usedNames_;

    // The file being written.
    Bytes out_;
    int lines_ = 0;
    int target_ = 0; // lines the current file should reach
    bool lastBlank_ = false;
    const FilePlan* current_ = nullptr;
    std::vector<Bytes> controlRefs_; // "txtName.Text", ... of the current form
    std::vector<Bytes> controlNames_;
    std::vector<Bytes> members_; // module variables of the current file
    std::vector<Callable> privates_;
    std::vector<const ApiDeclare*> apis_;
    std::vector<Bytes> locals_;
    ProcKind procKind_ = ProcKind::Sub;

    ProjectShape shape_;
};

int fileSize(Random& random)
{
    const int r = random.below(100);
    if (r < 35)
        return random.between(80, 300);
    if (r < 70)
        return random.between(300, 900);
    if (r < 92)
        return random.between(900, 1800);
    return random.between(1800, 4000);
}

// Many short routines, a few of several hundred lines.
int ProjectWriter::bodySize()
{
    const int r = random_.below(1000);
    if (r < 380)
        return random_.between(1, 8);
    if (r < 680)
        return random_.between(8, 30);
    if (r < 880)
        return random_.between(30, 80);
    if (r < 975)
        return random_.between(80, 180);
    return random_.between(180, 520);
}

Bytes ProjectWriter::uniqueName(const Bytes& prefix, bool withVerb)
{
    for (int attempt = 0;; ++attempt) {
        Bytes name = prefix + (withVerb ? Bytes(random_.pick(kVerbs)) : Bytes()) + random_.pick(kNouns);
        if (random_.chance(0.4))
            name += random_.pick(kNouns);
        if (attempt > 8)
            name += num(attempt);
        if (!usedNames_.contains(name.toUpper())) {
            usedNames_.insert(name.toUpper());
            return name;
        }
    }
}

Callable ProjectWriter::planCallable(const Bytes& owner, bool mustQualify)
{
    Callable callable;
    callable.name = uniqueName(Bytes(), true);
    callable.owner = owner;
    callable.params = random_.chance(0.15) ? random_.between(4, 8) : random_.between(0, 3);
    callable.isFunction = random_.chance(0.45);
    callable.mustQualify = mustQualify;
    return callable;
}

void ProjectWriter::plan(int totalLines)
{
    // The kinds and sizes of files come from a stream of their own, so a project of half the
    // size has the same mix as the first half of the full one.
    Random fileRandom(0x46494C4553ULL);
    const int fileCount = std::max(1, (totalLines + kLinesPerFile / 2) / kLinesPerFile);
    qint64 sum = 0;
    for (int i = 0; i < fileCount; ++i) {
        FilePlan file;
        file.targetLines = fileSize(fileRandom);
        const int r = fileRandom.below(100);
        file.kind = i == 0 ? FileKind::Module : r < 25 ? FileKind::Form : r < 55 ? FileKind::Class : FileKind::Module;
        sum += file.targetLines;
        files_.push_back(file);
    }
    // Files run past their size (the last routine, the procedures other files call), by about 9 %.
    const double scale = double(totalLines) / double(sum) / 1.09;
    for (FilePlan& file : files_) {
        file.targetLines = std::max(40, int(file.targetLines * scale));
        file.name = uniqueName(file.kind == FileKind::Form ? "frm"
                : file.kind == FileKind::Class             ? "cls"
                                                           : "mod",
            false);
        int publics = 0;
        if (file.kind == FileKind::Module)
            publics = std::max(1, file.targetLines / 120);
        else if (file.kind == FileKind::Class)
            publics = std::max(1, file.targetLines / 160);
        else
            publics = random_.below(3);
        for (int p = 0; p < publics; ++p)
            file.publics.push_back(planCallable(file.name, file.kind == FileKind::Form));
        if (file.kind == FileKind::Class) {
            const int properties = random_.between(1, std::min(8, 2 + file.targetLines / 100));
            for (int p = 0; p < properties; ++p)
                file.properties.push_back(uniqueName(Bytes(), false));
            classes_.push_back(&file);
        } else {
            for (const Callable& callable : file.publics) {
                callables_.push_back(callable);
                if (callable.params >= 4)
                    wideCallables_.push_back(callable);
            }
        }
    }
}

// Text ------------------------------------------------------------------------------------

void ProjectWriter::raw(const Bytes& text)
{
    out_ += text;
    out_ += "\r\n";
    ++lines_;
    lastBlank_ = text.isEmpty();
}

void ProjectWriter::line(int indent, const Bytes& text)
{
    raw(Bytes(4 * indent, ' ') + text);
}

void ProjectWriter::blank()
{
    raw(Bytes());
}

Bytes ProjectWriter::sentence(int length)
{
    Bytes text = random_.pick(kWords);
    text[0] = char(QChar::toUpper(uint(text[0])));
    while (text.size() < length)
        text += Bytes(" ") + random_.pick(kWords);
    return random_.chance(0.6) ? text + "." : text;
}

void ProjectWriter::comments(int indent, int count)
{
    const bool banner = count >= 3 && random_.chance(0.2);
    for (int i = 0; i < count; ++i) {
        if (banner && (i == 0 || i == count - 1)) {
            line(indent, "'" + Bytes(random_.between(40, 78), '-'));
            continue;
        }
        // Some comments run past the printable width, as real ones do.
        const int length = random_.chance(0.09) ? random_.between(90, 140) : random_.between(12, 72);
        line(indent, "' " + sentence(length));
    }
}

Bytes ProjectWriter::local()
{
    if (!locals_.empty() && random_.chance(0.7))
        return random_.pick(locals_);
    if (!members_.empty() && random_.chance(0.3))
        return random_.pick(members_);
    return random_.pick(kLocals);
}

Bytes ProjectWriter::literal()
{
    const int r = random_.below(10);
    if (r == 0)
        return "\"The " + Bytes(random_.pick(kWords)) + " \"\"" + random_.pick(kWords) + "\"\" is "
            + random_.pick(kWords) + "\"";
    if (r == 1)
        return "\"\"";
    if (r == 2)
        return "\", \"";
    return "\"" + sentence(random_.between(3, 28)) + "\"";
}

Bytes ProjectWriter::numberExpr()
{
    switch (random_.below(9)) {
    case 0:
        return local() + " + 1";
    case 1:
        return local() + " * " + local() + " / 100";
    case 2:
        return "Len(" + local() + ")";
    case 3:
        return "UBound(" + local() + "s)";
    case 4:
        return "CLng(" + local() + ")";
    case 5:
        return !controlRefs_.empty() ? "Val(" + random_.pick(controlRefs_) + ")" : "Val(" + local() + ")";
    case 6:
        return num(random_.between(0, 5000));
    case 7:
        return "rs!" + Bytes(random_.pick(kFields));
    default:
        return local();
    }
}

Bytes ProjectWriter::textExpr()
{
    switch (random_.below(8)) {
    case 0:
        return literal();
    case 1:
        return "Trim$(" + local() + ")";
    case 2:
        return local() + " & " + literal();
    case 3:
        return "Format$(" + local() + ", \"#,##0.00\")";
    case 4:
        return !controlRefs_.empty() ? random_.pick(controlRefs_) : literal();
    case 5:
        return "Left$(" + local() + ", " + num(random_.between(1, 40)) + ")";
    case 6:
        return "UCase$(" + local() + ")";
    default:
        return local();
    }
}

Bytes ProjectWriter::condition()
{
    Bytes text;
    switch (random_.below(8)) {
    case 0:
        text = local() + " > 0";
        break;
    case 1:
        text = "Len(" + local() + ") = 0";
        break;
    case 2:
        text = "Not " + local();
        break;
    case 3:
        text = "rs.EOF";
        break;
    case 4:
        text = local() + " <> " + literal();
        break;
    case 5:
        text = "IsNull(rs!" + Bytes(random_.pick(kFields)) + ")";
        break;
    case 6:
        text = local() + " = " + num(random_.between(0, 9));
        break;
    default:
        text = local() + " >= " + local();
    }
    if (random_.chance(0.2))
        text += (random_.chance(0.5) ? " And " : " Or ") + local() + " < " + num(random_.between(1, 999));
    return text;
}

Bytes ProjectWriter::argument()
{
    const int r = random_.below(4);
    return r == 0 ? textExpr() : r == 1 ? numberExpr() : local();
}

Bytes ProjectWriter::callOf(const Callable& callable, bool statement)
{
    Bytes args;
    for (int i = 0; i < callable.params; ++i)
        args += (i ? ", " : "") + argument();
    const Bytes name =
        (callable.mustQualify || random_.chance(0.1)) ? callable.owner + "." + callable.name : callable.name;
    if (statement && callable.isFunction && random_.chance(0.7))
        return local() + " = " + name + "(" + args + ")";
    if (statement && random_.chance(0.5))
        return "Call " + name + "(" + args + ")";
    if (statement)
        return args.isEmpty() ? name : name + " " + args;
    return name + "(" + args + ")";
}

Bytes ProjectWriter::paramList(int count)
{
    Bytes text;
    const int first = random_.below(int(std::size(kParamNames)));
    for (int i = 0; i < count; ++i) {
        const Bytes name = kParamNames[(first + i) % int(std::size(kParamNames))];
        const bool optional = i > 0 && i == count - 1 && random_.chance(0.2);
        text += (i ? ", " : "") + Bytes(optional ? "Optional " : "") + (random_.chance(0.6) ? "ByVal " : "") + name
            + " As " + random_.pick(kTypes);
        if (optional)
            text += " = 0";
    }
    return text;
}

// A class in use: created, its properties set and read.
Bytes ProjectWriter::objectStatement()
{
    const FilePlan& cls = *random_.pick(classes_);
    const Bytes object = "the" + cls.name.mid(3);
    const int r = random_.below(4);
    if (r == 0)
        return "Set " + object + " = New " + cls.name;
    if (r == 1 && !cls.properties.empty())
        return object + "." + random_.pick(cls.properties) + " = " + argument();
    if (r == 2 && !cls.properties.empty())
        return local() + " = " + object + "." + random_.pick(cls.properties);
    if (!cls.publics.empty()) {
        Callable method = random_.pick(cls.publics);
        method.owner = object;
        method.mustQualify = true;
        return callOf(method, true);
    }
    return "Set " + object + " = Nothing";
}

Bytes ProjectWriter::controlStatement()
{
    const Bytes control = random_.pick(controlNames_);
    switch (random_.below(6)) {
    case 0:
        return control + ".Enabled = " + condition();
    case 1:
        return control + ".Visible = " + (random_.chance(0.5) ? "True" : "False");
    case 2:
        return random_.pick(controlRefs_) + " = " + textExpr();
    case 3:
        return "Me.MousePointer = " + Bytes(random_.chance(0.5) ? "vbHourglass" : "vbDefault");
    case 4:
        return control + ".SetFocus";
    default:
        return control + ".Tag = " + literal();
    }
}

Bytes ProjectWriter::simpleStatement()
{
    Bytes text;
    const int r = random_.below(100);
    if (r < 22)
        text = local() + " = " + (random_.chance(0.5) ? numberExpr() : textExpr());
    else if (r < 40 && !callables_.empty())
        text = callOf(random_.pick(callables_), true);
    else if (r < 46 && !privates_.empty())
        text = callOf(random_.pick(privates_), true);
    else if (r < 50 && !apis_.empty())
        text = local() + " = " + random_.pick(apis_)->name + "(" + local() + ", " + num(random_.between(0, 255)) + ")";
    else if (r < 55)
        text = random_.chance(0.5) ? "Debug.Print " + textExpr() : "MsgBox " + literal() + ", vbExclamation, App.Title";
    else if (r < 63 && !controlNames_.empty())
        text = controlStatement();
    else if (r < 69 && !classes_.empty())
        text = objectStatement();
    else if (r < 75)
        text = "If " + condition() + " Then " + local() + " = " + numberExpr();
    else if (r < 80)
        text = "sql = sql & \" AND " + Bytes(random_.pick(kFields)) + " = '\" & " + local() + " & \"'\"";
    else if (r < 86)
        text = local() + " = " + local() + " + 1";
    else if (r < 89)
        text = Bytes("If ") + condition() + " Then Exit "
            + (procKind_ == ProcKind::Function   ? "Function"
                    : procKind_ == ProcKind::Sub ? "Sub"
                                                 : "Property");
    else if (r < 93)
        text = "rs." + Bytes(random_.pick({"MoveNext", "MoveFirst", "Update", "AddNew", "Close"}));
    else if (r < 96)
        text = "rs!" + Bytes(random_.pick(kFields)) + " = " + argument();
    else
        text = "Set rs = Nothing";
    if (random_.chance(kTrailingCommentChance))
        text += " ' " + sentence(random_.between(6, 30));
    return text;
}

// A line past the printable width: long concatenations, argument lists, conditions, SQL.
Bytes ProjectWriter::longStatement(int indent)
{
    const int r = random_.below(100);
    const int extra = r < 65 ? random_.between(1, 25) : r < 92 ? random_.between(25, 60) : random_.between(60, 150);
    const int want = kDefaultPrintColumns + extra - 4 * indent;
    Bytes text;
    switch (random_.below(6)) {
    case 0:
        text = local() + " = " + literal();
        while (text.size() < want)
            text += " & " + (random_.chance(0.5) ? textExpr() : literal());
        break;
    case 1:
        if (!wideCallables_.empty()) {
            const Callable& callable = random_.pick(wideCallables_);
            text = (callable.isFunction ? local() + " = " : Bytes("Call ")) + callable.name + "(";
            for (int i = 0; i < callable.params; ++i) {
                // The last argument takes what the line still needs.
                const int room = int(want - text.size()) - 2 * (callable.params - i);
                Bytes arg = argument();
                if (i == callable.params - 1)
                    while (arg.size() < room)
                        arg += " & " + textExpr();
                text += (i ? ", " : "") + arg;
            }
            text += ")";
            break;
        }
        [[fallthrough]];
    case 2:
        text = "If " + condition();
        while (text.size() + 20 < want)
            text += (random_.chance(0.5) ? " And " : " Or ") + condition();
        text += " Then " + local() + " = " + argument();
        break;
    case 3:
        text = "sql = \"SELECT " + Bytes(random_.pick(kFields));
        while (text.size() + 30 < want)
            text += ", " + Bytes(random_.pick(kFields));
        text += " FROM " + Bytes(random_.pick(kTables)) + " WHERE " + random_.pick(kFields) + " = \" & " + local();
        break;
    case 4:
        text = "MsgBox \"The " + Bytes(random_.pick(kWords)) + " \" & " + local() + " & \" "
            + sentence(std::max(10, int(want - 60))) + "\", vbExclamation + vbOKOnly, App.Title";
        break;
    default:
        text = simpleStatement() + " ' " + sentence(std::max(8, int(want - 40)));
        while (text.size() < want)
            text += " " + Bytes(random_.pick(kWords));
    }
    return text;
}

// A statement continued with " _" over short lines.
void ProjectWriter::continued(int indent)
{
    const int parts = random_.between(2, 4);
    const int r = random_.below(3);
    if (r == 0) {
        line(indent, "sql = \"SELECT " + Bytes(random_.pick(kFields)) + ", " + random_.pick(kFields) + " \" & _");
        for (int i = 1; i < parts; ++i) {
            const bool last = i == parts - 1;
            line(indent + 2,
                "\"" + Bytes(last ? "WHERE " : "FROM ") + random_.pick(kTables) + " \"" + (last ? "" : " & _"));
        }
    } else if (r == 1 && !callables_.empty()) {
        const Callable& callable = random_.pick(callables_);
        line(indent, "Call " + callable.name + "(" + argument() + ", _");
        for (int i = 1; i < parts; ++i)
            line(indent + 2, argument() + (i == parts - 1 ? ")" : ", _"));
    } else {
        line(indent, "If " + condition() + " And _");
        for (int i = 1; i < parts; ++i)
            line(indent + 1, condition() + (i == parts - 1 ? " Then " + local() + " = 0" : " And _"));
    }
}

// Blocks ------------------------------------------------------------------------------------

void ProjectWriter::body(int indent, int budget, int depth)
{
    const int end = lines_ + std::max(budget, 1);
    bool first = true;
    while (lines_ < end) {
        const int left = end - lines_;
        if (!first && !lastBlank_ && left > 1 && random_.chance(kBlankChance)) {
            blank();
            continue;
        }
        first = false;
        if (random_.chance(kCommentChance))
            comments(indent, std::min(left, random_.chance(0.7) ? 1 : random_.between(2, 4)));
        else if (depth < 4 && left >= 3 && random_.chance(kCompoundChance))
            compound(indent, left, depth + 1);
        else if (random_.chance(kLongChance))
            line(indent, longStatement(indent));
        else if (left >= 2 && random_.chance(kContinuedChance))
            continued(indent);
        else
            line(indent, simpleStatement());
    }
}

void ProjectWriter::compound(int indent, int budget, int depth)
{
    const int room = std::max(1, budget - 2);
    const int inner = random_.between(1, random_.chance(0.1) ? std::max(1, room / 2) : std::min(room, 24));
    const int r = random_.below(100);
    if (r < 40) {
        line(indent, "If " + condition() + " Then");
        const bool hasElse = inner >= 3 && random_.chance(0.4);
        const int first = hasElse ? std::max(1, inner * 2 / 3) : inner;
        body(indent + 1, first, depth);
        if (hasElse && random_.chance(0.3)) {
            line(indent, "ElseIf " + condition() + " Then");
            body(indent + 1, std::max(1, (inner - first) / 2), depth);
        }
        if (hasElse) {
            line(indent, "Else");
            body(indent + 1, std::max(1, inner - first), depth);
        }
        line(indent, "End If");
    } else if (r < 52) {
        line(indent, "Select Case " + local());
        const int cases = std::clamp(inner / 3, 1, 6);
        for (int c = 0; c < cases; ++c) {
            const bool isElse = c == cases - 1 && cases > 1 && random_.chance(0.5);
            line(indent + 1,
                isElse           ? Bytes("Case Else")
                    : c % 3 == 2 ? "Case " + literal()
                                 : "Case " + num(c + 1) + (random_.chance(0.3) ? ", " + num(c + 10) : ""));
            body(indent + 2, std::max(1, inner / cases - 1), depth);
        }
        line(indent, "End Select");
    } else if (r < 72) {
        if (random_.chance(0.7)) {
            line(indent, "For i = " + Bytes(random_.chance(0.5) ? "0" : "1") + " To " + numberExpr());
            body(indent + 1, inner, depth);
            line(indent, random_.chance(0.6) ? "Next i" : "Next");
        } else {
            line(indent, "For Each item In " + local() + "s");
            body(indent + 1, inner, depth);
            line(indent, "Next item");
        }
    } else if (r < 82) {
        const bool atTop = random_.chance(0.6);
        line(indent, atTop ? "Do While " + condition() : Bytes("Do"));
        body(indent + 1, inner, depth);
        line(indent, atTop ? Bytes("Loop") : "Loop Until " + condition());
    } else if (r < 95) {
        line(indent,
            "With "
                + Bytes(random_.chance(0.5)      ? "rs"
                        : !controlNames_.empty() ? random_.pick(controlNames_)
                                                 : "Printer"));
        const int fields = std::min(inner, random_.between(1, 6));
        for (int f = 0; f < fields; ++f)
            line(indent + 1, "." + Bytes(random_.pick(kFields)) + " = " + argument());
        if (inner > fields)
            body(indent + 1, inner - fields, depth);
        line(indent, "End With");
    } else {
        line(indent, "While " + condition());
        body(indent + 1, inner, depth);
        line(indent, "Wend");
    }
}

void ProjectWriter::dims(int count)
{
    locals_.clear();
    // Consecutive entries of the table, so no name is declared twice.
    const int size = int(std::size(kLocals));
    int at = random_.below(size);
    for (int d = 0; d < count; ++d) {
        Bytes text = "Dim " + Bytes(kLocals[at % size]) + " As " + kLocalTypes[at % size];
        locals_.push_back(kLocals[at++ % size]);
        if (random_.chance(0.3)) {
            text += ", " + Bytes(kLocals[at % size]) + " As " + kLocalTypes[at % size];
            locals_.push_back(kLocals[at++ % size]);
        }
        line(1, text);
    }
    if (count > 0 && random_.chance(0.25))
        line(1, "Dim rs As ADODB.Recordset");
    if (count > 0 && random_.chance(0.5))
        blank();
}

void ProjectWriter::procedure(const ProcSpec& spec)
{
    const int start = lines_;
    procKind_ = spec.kind;
    if (random_.chance(0.5))
        comments(0, random_.chance(0.5) ? 1 : random_.between(2, 6));
    const char* keyword = spec.kind == ProcKind::Sub ? "Sub"
        : spec.kind == ProcKind::Function            ? "Function"
        : spec.kind == ProcKind::PropertyGet         ? "Property Get"
        : spec.kind == ProcKind::PropertyLet         ? "Property Let"
                                                     : "Property Set";
    const Bytes endWord = spec.kind == ProcKind::Sub ? "Sub"
        : spec.kind == ProcKind::Function            ? "Function"
                                                     : "Property";
    line(0,
        Bytes(spec.isPublic ? "Public " : "Private ") + keyword + " " + spec.name + "(" + spec.params + ")"
            + (spec.returnType.isEmpty() ? Bytes() : " As " + spec.returnType));
    const int dimCount = std::min(spec.bodyLines / 4, random_.between(0, 4));
    const bool handler = spec.bodyLines >= 12 && random_.chance(0.35);
    const int bodyStart = lines_;
    dims(dimCount);
    if (handler)
        line(1, "On Error GoTo ErrorHandler");
    const int left = spec.bodyLines - (lines_ - bodyStart) - (handler ? 4 : 0);
    if (left > 0)
        body(1, left, 0);
    if (!spec.returnType.isEmpty())
        line(1, spec.name + " = " + (spec.returnType == "String" ? textExpr() : numberExpr()));
    if (handler) {
        line(1, "Exit " + endWord);
        line(0, "ErrorHandler:");
        line(1,
            random_.chance(0.5) ? "MsgBox \"Error \" & Err.Number & \": \" & Err.Description, vbCritical"
                                : "Err.Raise Err.Number, \"" + current_->name + "." + spec.name + "\"");
        if (random_.chance(0.3))
            line(1, "Resume Next");
    }
    line(0, "End " + endWord);
    blank();
    ++shape_.procedures;
    shape_.procedureLines += lines_ - start;
    locals_.clear();
}

// Files -------------------------------------------------------------------------------------

void ProjectWriter::declarations(bool module)
{
    if (random_.chance(0.4)) {
        comments(0, random_.between(2, 6));
        blank();
    }
    if (module && random_.chance(0.4)) {
        const int count = random_.between(1, 6);
        const int first = random_.below(int(std::size(kApis)));
        for (int a = 0; a < count; ++a) {
            const ApiDeclare& api = kApis[(first + a) % int(std::size(kApis))];
            line(0,
                Bytes(random_.chance(0.5) ? "Public" : "Private") + " Declare " + api.kind + " " + api.name + " Lib \""
                    + api.library + "\"" + (api.alias ? " Alias \"" + Bytes(api.alias) + "\"" : Bytes()) + " "
                    + api.params + api.returns);
            if (qstrcmp(api.kind, "Function") == 0)
                apis_.push_back(&api);
        }
        blank();
    }
    if (random_.chance(0.6)) {
        const int count = random_.between(1, 10);
        for (int c = 0; c < count; ++c) {
            Bytes text = Bytes(module && random_.chance(0.5) ? "Public" : "Private") + " Const "
                + Bytes(random_.pick(kNouns)).toUpper() + "_" + Bytes(random_.pick(kFields)).toUpper() + " As "
                + (random_.chance(0.5) ? "Long = " + num(random_.between(0, 65535))
                                       : "String = \"" + sentence(random_.between(3, 24)) + "\"");
            if (random_.chance(0.3))
                text += " ' " + sentence(random_.between(8, 40));
            line(0, text);
        }
        blank();
    }
    if (module && random_.chance(0.3)) {
        line(0, "Public Type " + Bytes(random_.pick(kNouns)) + "Data");
        const int fields = random_.between(2, 8);
        for (int f = 0; f < fields; ++f)
            line(1, Bytes(random_.pick(kFields)) + " As " + random_.pick(kTypes));
        line(0, "End Type");
        blank();
    }
    if (module && random_.chance(0.2)) {
        line(0, "Public Enum " + Bytes(random_.pick(kNouns)) + "Kind");
        const int values = random_.between(2, 7);
        for (int v = 0; v < values; ++v)
            line(1, Bytes(random_.pick(kNouns)).toLower() + "Kind" + Bytes(random_.pick(kVerbs)) + " = " + num(v));
        line(0, "End Enum");
        blank();
    }
    const int variables = random_.between(0, 6);
    for (int v = 0; v < variables; ++v) {
        const Bytes name = "m" + Bytes(random_.pick(kNouns)) + random_.pick(kFields);
        members_.push_back(name);
        line(0, Bytes(module && random_.chance(0.3) ? "Public " : "Private ") + name + " As " + random_.pick(kTypes));
    }
    if (variables)
        blank();
}

void ProjectWriter::helpers(const FilePlan& file)
{
    // The planned public procedures, then private helpers until the file has its size.
    size_t nextPublic = 0;
    while (nextPublic < file.publics.size() || lines_ < target_) {
        ProcSpec spec;
        spec.bodyLines = bodySize();
        const bool isPublic = nextPublic < file.publics.size() && (lines_ >= target_ || random_.chance(0.6));
        Callable callable;
        if (isPublic) {
            callable = file.publics[nextPublic++];
        } else {
            callable.name = uniqueName(Bytes(), true);
            callable.owner = file.name;
            callable.params = random_.chance(0.1) ? random_.between(4, 7) : random_.between(0, 3);
            callable.isFunction = random_.chance(0.45);
        }
        spec.name = callable.name;
        spec.isPublic = isPublic;
        spec.kind = callable.isFunction ? ProcKind::Function : ProcKind::Sub;
        spec.params = paramList(callable.params);
        if (callable.isFunction)
            spec.returnType = random_.pick(kTypes);
        procedure(spec);
        if (!isPublic)
            privates_.push_back(callable);
    }
}

void ProjectWriter::moduleText(const FilePlan& file, bool withMain)
{
    raw("Attribute VB_Name = \"" + file.name + "\"");
    line(0, "Option Explicit");
    blank();
    declarations(true);
    if (withMain) {
        ProcSpec main;
        main.name = "Main";
        main.isPublic = true;
        main.bodyLines = 12;
        procedure(main);
    }
    helpers(file);
}

void ProjectWriter::classText(const FilePlan& file)
{
    raw("VERSION 1.0 CLASS");
    raw("BEGIN");
    raw("  MultiUse = -1  'True");
    raw("  Persistable = 0  'NotPersistable");
    raw("  DataBindingBehavior = 0  'vbNone");
    raw("  DataSourceBehavior  = 0  'vbNone");
    raw("  MTSTransactionMode  = 0  'NotAnMTSObject");
    raw("END");
    raw("Attribute VB_Name = \"" + file.name + "\"");
    raw("Attribute VB_GlobalNameSpace = False");
    raw("Attribute VB_Creatable = True");
    raw("Attribute VB_PredeclaredId = False");
    raw("Attribute VB_Exposed = False");
    line(0, "Option Explicit");
    blank();
    for (const Bytes& property : file.properties) {
        members_.push_back("m" + property);
        line(0, "Private m" + property + " As " + random_.pick(kTypes));
    }
    if (random_.chance(0.4))
        line(0, "Public Event Changed(ByVal field As String)");
    blank();
    for (const char* event : {"Class_Initialize", "Class_Terminate"}) {
        if (random_.chance(0.5)) {
            ProcSpec spec;
            spec.name = event;
            spec.bodyLines = random_.between(1, 8);
            procedure(spec);
        }
    }
    for (const Bytes& property : file.properties) {
        const bool object = random_.chance(0.15);
        ProcSpec get;
        get.name = property;
        get.kind = ProcKind::PropertyGet;
        get.isPublic = true;
        get.returnType = object ? Bytes("Object") : Bytes(random_.pick(kTypes));
        get.bodyLines = random_.chance(0.8) ? 0 : random_.between(1, 10);
        procedure(get);
        ProcSpec let;
        let.name = property;
        let.kind = object ? ProcKind::PropertySet : ProcKind::PropertyLet;
        let.isPublic = true;
        let.params = "ByVal newValue As " + (object ? Bytes("Object") : get.returnType);
        let.bodyLines = random_.chance(0.6) ? 1 : random_.between(2, 14);
        procedure(let);
    }
    helpers(file);
}

std::vector<Control> ProjectWriter::formControls(int count)
{
    const char* const types[] = {"CommandButton", "CommandButton", "TextBox", "TextBox", "TextBox", "Label", "Label",
        "CheckBox", "ComboBox", "ListBox", "OptionButton", "Timer"};
    const char* const prefixes[] = {"cmd", "cmd", "txt", "txt", "txt", "lbl", "lbl", "chk", "cbo", "lst", "opt", "tmr"};
    std::vector<Control> controls;
    int made = 0;
    auto makeOne = [&](std::vector<Control>& into, int depth, auto& self) -> void {
        ++made;
        Control control;
        if (depth < 2 && random_.chance(0.12)) {
            control.type = "Frame";
            control.name = "fra" + Bytes(random_.pick(kNouns)) + num(made);
            control.caption = sentence(random_.between(4, 16));
            const int children = random_.between(2, 6);
            for (int c = 0; c < children && made < count; ++c)
                self(control.children, depth + 1, self);
            into.push_back(control);
            return;
        }
        const int t = random_.below(int(std::size(types)));
        control.type = types[t];
        control.name = prefixes[t] + Bytes(random_.pick(kNouns)) + num(made);
        if (control.type == "CommandButton" || control.type == "Label" || control.type == "CheckBox"
            || control.type == "OptionButton")
            control.caption = "&" + sentence(random_.between(3, 14));
        if (control.type == "CommandButton" && random_.chance(0.15)) {
            // A control array sharing one handler.
            const int members = random_.between(2, 4);
            for (int i = 0; i < members; ++i) {
                control.index = i;
                into.push_back(control);
            }
            made += members - 1;
            return;
        }
        into.push_back(control);
    };
    while (made < count)
        makeOne(controls, 0, makeOne);
    const int menus = random_.chance(0.5) ? random_.between(1, 4) : 0;
    for (int m = 0; m < menus; ++m) {
        Control menu;
        menu.type = "Menu";
        const Bytes noun = random_.pick(kNouns);
        menu.name = "mnu" + noun + num(m);
        menu.caption = "&" + noun;
        const int items = random_.between(2, 6);
        for (int i = 0; i < items; ++i) {
            Control item;
            item.type = "Menu";
            item.name = menu.name + random_.pick(kVerbs) + num(i);
            item.caption = i == items - 1 && items > 3 ? Bytes("-") : "&" + sentence(random_.between(3, 14));
            if (i == 0 && random_.chance(0.3)) {
                for (int s = 0; s < 3; ++s) {
                    Control sub;
                    sub.type = "Menu";
                    sub.name = item.name + "What";
                    sub.index = s;
                    sub.caption = "&" + sentence(random_.between(3, 12));
                    item.children.push_back(sub);
                }
            }
            menu.children.push_back(item);
        }
        controls.push_back(menu);
    }
    return controls;
}

void ProjectWriter::property(int level, const char* name, const Bytes& value)
{
    Bytes key = name;
    key = key.leftJustified(16, ' ');
    raw(Bytes(3 * level, ' ') + key + "=   " + value);
}

// Height in twips; a frame's children stack inside it, 105 apart.
int controlHeight(const Control& control)
{
    if (control.type == "Frame") {
        int height = 360;
        for (const Control& child : control.children)
            height += controlHeight(child) + 105;
        return height;
    }
    return control.type == "ListBox" ? 1230 : control.type == "TextBox" ? 285 : 375;
}

void ProjectWriter::layoutControl(const Control& control, int level, int left, int top, int& tabIndex)
{
    raw(Bytes(3 * level, ' ') + "Begin VB." + control.type + " " + control.name + " ");
    if (!control.caption.isEmpty())
        property(level + 1, "Caption", "\"" + control.caption + "\"");
    if (control.type == "Menu") {
        if (control.index >= 0)
            property(level + 1, "Index", num(control.index));
        for (const Control& child : control.children)
            layoutControl(child, level + 1, 0, 0, tabIndex);
        raw(Bytes(3 * level, ' ') + "End");
        return;
    }
    const bool timer = control.type == "Timer";
    if (!timer)
        property(level + 1, "Height", num(controlHeight(control)));
    if (control.index >= 0)
        property(level + 1, "Index", num(control.index));
    if (timer)
        property(level + 1, "Interval", num(1000));
    property(level + 1, "Left", num(left));
    if (!timer && control.type != "Label")
        property(level + 1, "TabIndex", num(tabIndex++));
    property(level + 1, "Top", num(top));
    if (!timer)
        property(level + 1, "Width",
            num(control.type == "Frame"         ? 4200 - 240 * level
                    : control.type == "TextBox" ? 2895
                                                : 1335));
    if (control.type == "Label" && random_.chance(0.3)) {
        raw(Bytes(3 * (level + 1), ' ') + "BeginProperty Font ");
        property(level + 2, "Name", "\"MS Sans Serif\"");
        property(level + 2, "Size", "8.25");
        property(level + 2, "Weight", "700");
        raw(Bytes(3 * (level + 1), ' ') + "EndProperty");
    }
    int childTop = 240;
    for (const Control& child : control.children) {
        layoutControl(child, level + 1, 120, childTop, tabIndex);
        childTop += controlHeight(child) + 105;
    }
    raw(Bytes(3 * level, ' ') + "End");
}

// The handlers of one control and of its children (menus' items).
void ProjectWriter::handlers(const Control& control)
{
    if (control.type == "Menu" && !control.children.empty()) {
        for (const Control& child : control.children)
            if (child.index <= 0)
                handlers(child);
        return;
    }
    for (const Control& child : control.children)
        if (child.index <= 0)
            handlers(child);
    if (control.caption == "-" || control.index > 0 || random_.chance(0.2))
        return;
    const char* event = eventOf(control.type, random_);
    if (!event)
        return;
    ProcSpec spec;
    spec.name = control.name + "_" + event;
    spec.params = eventParams(event, control.index >= 0);
    spec.bodyLines = random_.chance(0.4) ? random_.between(1, 4) : bodySize();
    procedure(spec);
}

void ProjectWriter::formText(const FilePlan& file)
{
    const std::vector<Control> controls = formControls(std::min(45, 3 + target_ / 60));
    std::function<void(const Control&)> collect = [&](const Control& control) {
        if (control.type == "Menu" || control.index > 0)
            return;
        if (control.type != "Frame" && control.type != "Timer") {
            controlNames_.push_back(control.index < 0 ? control.name : control.name + "(0)");
            const char* value = control.type == "TextBox" ? ".Text"
                : control.type == "Label"                 ? ".Caption"
                : control.type == "CheckBox"              ? ".Value"
                : control.type == "ComboBox"              ? ".Text"
                : control.type == "ListBox"               ? ".ListIndex"
                                                          : ".Tag";
            controlRefs_.push_back(controlNames_.back() + value);
        }
        for (const Control& child : control.children)
            collect(child);
    };
    for (const Control& control : controls)
        collect(control);

    raw("VERSION 5.00");
    raw("Begin VB.Form " + file.name + " ");
    property(1, "BorderStyle", random_.chance(0.5) ? "3  'Fixed Dialog" : "2  'Sizable");
    property(1, "Caption", "\"" + sentence(random_.between(6, 24)) + "\"");
    // Controls stack in columns of 4,500 twips, side by side, none over another.
    std::vector<std::pair<int, int>> places;
    int left = 120;
    int top = 120;
    int bottom = 0;
    for (const Control& control : controls) {
        const int height = control.type == "Menu" ? 0 : controlHeight(control);
        if (top > 120 && top + height > 7200) {
            left += 4500;
            top = 120;
        }
        places.emplace_back(left, top);
        top += height + (height ? 105 : 0);
        bottom = std::max(bottom, top);
    }
    property(1, "ClientHeight", num(bottom + 120));
    property(1, "ClientLeft", "45");
    property(1, "ClientTop", "330");
    property(1, "ClientWidth", num(left + 4500));
    property(1, "LinkTopic", "\"Form1\"");
    property(1, "ScaleHeight", num(bottom + 120));
    property(1, "ScaleWidth", num(left + 4500));
    property(1, "StartUpPosition", "1  'CenterOwner");
    int tabIndex = 0;
    for (size_t c = 0; c < controls.size(); ++c)
        layoutControl(controls[c], 1, places[c].first, places[c].second, tabIndex);
    raw("End");
    raw("Attribute VB_Name = \"" + file.name + "\"");
    raw("Attribute VB_GlobalNameSpace = False");
    raw("Attribute VB_Creatable = False");
    raw("Attribute VB_PredeclaredId = True");
    raw("Attribute VB_Exposed = False");
    line(0, "Option Explicit");
    blank();
    declarations(false);
    for (const char* event : {"Form_Load", "Form_Unload", "Form_Resize", "Form_QueryUnload"}) {
        if (qstrcmp(event, "Form_Load") == 0 || random_.chance(0.35)) {
            ProcSpec spec;
            spec.name = event;
            spec.params = qstrcmp(event, "Form_Unload") == 0 ? "Cancel As Integer"
                : qstrcmp(event, "Form_QueryUnload") == 0    ? "Cancel As Integer, UnloadMode As Integer"
                                                             : "";
            spec.bodyLines = bodySize();
            procedure(spec);
        }
    }
    for (const Control& control : controls)
        handlers(control);
    helpers(file);
}

Bytes ProjectWriter::fileText(const FilePlan& file)
{
    out_.clear();
    lines_ = 0;
    lastBlank_ = false;
    current_ = &file;
    controlRefs_.clear();
    controlNames_.clear();
    members_.clear();
    privates_.clear();
    apis_.clear();
    if (file.kind == FileKind::Form)
        formText(file);
    else if (file.kind == FileKind::Class)
        classText(file);
    else
        moduleText(file, &file == &files_.front());
    return out_;
}

void ProjectWriter::measure(const Bytes& text)
{
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf("\r\n", start);
        if (end < 0)
            end = text.size();
        const Bytes lineText = text.mid(start, end - start);
        const Bytes trimmed = lineText.trimmed();
        ++shape_.lines;
        shape_.characters += lineText.size();
        if (lineText.size() > kDefaultPrintColumns)
            ++shape_.longLines;
        if (trimmed.isEmpty())
            ++shape_.blankLines;
        else if (trimmed.startsWith('\'') || trimmed.toLower().startsWith("rem "))
            ++shape_.commentLines;
        start = end + 2;
    }
}

std::optional<ProjectShape> ProjectWriter::write(const QString& folder)
{
    if (!QDir().mkpath(folder))
        return std::nullopt;
    Bytes vbp = "Type=Exe\r\n";
    // Routines run past their file's size; later files make up for it.
    qint64 plannedLeft = 0;
    for (const FilePlan& file : files_)
        plannedLeft += file.targetLines;
    for (const FilePlan& file : files_) {
        // The last routine of a file runs past its size by half a routine on average.
        target_ =
            std::max(30, int(double(file.targetLines) * double(totalLines_ - shape_.lines) / double(plannedLeft)) - 15);
        plannedLeft -= file.targetLines;
        const char* extension = file.kind == FileKind::Form ? ".frm" : file.kind == FileKind::Class ? ".cls" : ".bas";
        const Bytes fileName = file.name + extension;
        const Bytes text = fileText(file);
        QFile out(folder + QLatin1Char('/') + QString::fromLatin1(fileName));
        if (!out.open(QIODevice::WriteOnly) || out.write(text) != text.size())
            return std::nullopt;
        measure(text);
        ++shape_.files;
        ++shape_.routines; // the declarations
        if (file.kind == FileKind::Form) {
            ++shape_.forms;
            shape_.routines += 2; // the layout block and the form's image
            vbp += "Form=" + fileName + "\r\n";
        } else if (file.kind == FileKind::Class) {
            ++shape_.classes;
            vbp += "Class=" + file.name + "; " + fileName + "\r\n";
        } else {
            ++shape_.modules;
            vbp += "Module=" + file.name + "; " + fileName + "\r\n";
        }
    }
    vbp += "Startup=\"Sub Main\"\r\nName=\"RealShaped\"\r\n";
    QFile project(folder + QLatin1Char('/') + QLatin1String(kRealShapedProjectFile));
    if (!project.open(QIODevice::WriteOnly) || project.write(vbp) != vbp.size())
        return std::nullopt;
    shape_.routines += shape_.procedures;
    return shape_;
}

} // namespace

std::optional<ProjectShape> writeRealShapedProject(const QString& folder, int totalLines)
{
    return ProjectWriter(std::max(totalLines, 100)).write(folder);
}

void printShape(std::FILE* out, const ProjectShape& shape)
{
    const double lines = double(std::max<qint64>(shape.lines, 1));
    std::fprintf(out,
        "%lld lines in %d files (%d forms, %d classes, %d modules), %lld routines (%lld procedures); "
        "%.1f %% longer than %d columns, %.1f %% blank, %.1f %% comments; mean line %.1f characters, mean "
        "procedure %.1f lines\n",
        static_cast<long long>(shape.lines), shape.files, shape.forms, shape.classes, shape.modules,
        static_cast<long long>(shape.routines), static_cast<long long>(shape.procedures),
        100.0 * double(shape.longLines) / lines, kDefaultPrintColumns, 100.0 * double(shape.blankLines) / lines,
        100.0 * double(shape.commentLines) / lines, double(shape.characters) / lines,
        double(shape.procedureLines) / double(std::max<qint64>(shape.procedures, 1)));
}

} // namespace quillon::bench
