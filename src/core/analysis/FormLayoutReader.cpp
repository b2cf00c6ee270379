#include "analysis/FormLayoutReader.h"

#include "model/SourceText.h"
#include "model/TextPrimitives.h"
#include "platform/MessageBox.h"

#include <cmath>
#include <limits>
#include <optional>
#include <utility>

namespace quillon::analysis {

using model::equalsNoCase;
using model::startsWithUpper;
using model::trimBlanks;

namespace {

using model::kCrLf;

// Rounds to the nearest whole number, a half to the even one.
double roundHalfEven(double x)
{
    if (std::fabs(x - std::trunc(x)) == 0.5)
        return 2.0 * std::round(x / 2.0);
    return std::round(x);
}

bool isDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

// The number a property value starts with ("3  'Fixed Dialog" is 3, "-1  'True" is -1, a
// value without digits 0), rounded to a whole number. Digits with an optional sign, decimal
// part and exponent (E, or D as VB6 also writes it). Not finite for an absurd exponent.
double leadingNumber(QStringView value)
{
    const qsizetype n = value.size();
    qsizetype i = 0;
    if (i < n && (value[i] == QLatin1Char('+') || value[i] == QLatin1Char('-')))
        ++i;
    qsizetype digits = 0;
    for (; i < n && isDigit(value[i]); ++i)
        ++digits;
    if (i < n && value[i] == QLatin1Char('.')) {
        for (++i; i < n && isDigit(value[i]); ++i)
            ++digits;
    }
    if (digits == 0)
        return 0.0;
    qsizetype end = i;
    if (i < n && QStringLiteral("eEdD").contains(value[i])) {
        qsizetype j = i + 1;
        if (j < n && (value[j] == QLatin1Char('+') || value[j] == QLatin1Char('-')))
            ++j;
        if (j < n && isDigit(value[j])) {
            while (j < n && isDigit(value[j]))
                ++j;
            end = j;
        }
    }
    QString text = value.first(end).toString();
    text.replace(QLatin1Char('d'), QLatin1Char('e')).replace(QLatin1Char('D'), QLatin1Char('e'));
    return roundHalfEven(text.toDouble());
}

template <typename Int>
std::optional<Int> whole(double number)
{
    if (!std::isfinite(number) || number < double(std::numeric_limits<Int>::min())
        || number > double(std::numeric_limits<Int>::max()))
        return std::nullopt;
    return Int(number);
}

// A quoted value without its quotes, each doubled quote made single; other values as they are.
QString unquote(QStringView value)
{
    if (!value.startsWith(QLatin1Char('"')))
        return value.toString();
    QStringView inner = value.sliced(1);
    const qsizetype last = inner.lastIndexOf(QLatin1Char('"'));
    if (last >= 0)
        inner = inner.first(last);
    return inner.toString().replace(QStringLiteral("\"\""), QStringLiteral("\""));
}

// The walk through the layout block, one trimmed line at a time.
class BlockWalker {
public:
    explicit BlockWalker(FormLayout& layout) : layout_(layout) { }

    enum class Next { More, Stop, Failed };
    Next line(QStringView line, int lineNumber);

    bool found = false;
    int openObjects() const { return int(stack_.size()); }
    QString problem; // why the walk failed

private:
    enum class Kind { Form, Control, Menu };
    struct Entry {
        Kind kind;
        int number;
    };

    bool beginObject(QStringView text);
    bool endObject();
    bool property(QStringView line);
    bool push(Kind kind, int number);
    bool fail(const QString& why);

    FormLayout& layout_;
    std::vector<Entry> stack_;
    int skipDepth_ = 0;
    int lineNumber_ = 0;
};

BlockWalker::Next BlockWalker::line(QStringView line, int lineNumber)
{
    lineNumber_ = lineNumber;
    // Property groups (fonts, images, ...) have their own name and size lines that must not
    // be taken for the control's.
    if (skipDepth_ > 0) {
        if (startsWithUpper(line, QLatin1StringView("BEGINPROPERTY")))
            ++skipDepth_;
        else if (startsWithUpper(line, QLatin1StringView("ENDPROPERTY")))
            --skipDepth_;
        return Next::More;
    }
    if (startsWithUpper(line, QLatin1StringView("BEGINPROPERTY"))) {
        skipDepth_ = 1;
        return Next::More;
    }
    if (startsWithUpper(line, QLatin1StringView("ATTRIBUTE ")))
        return Next::Stop;
    if (startsWithUpper(line, QLatin1StringView("BEGIN ")))
        return beginObject(line.sliced(6)) ? Next::More : Next::Failed;
    if (equalsNoCase(line, u"END")) {
        if (!endObject())
            return Next::Failed;
        return stack_.empty() && found ? Next::Stop : Next::More;
    }
    if (found && !property(line))
        return Next::Failed;
    return Next::More;
}

bool BlockWalker::fail(const QString& why)
{
    problem = QStringLiteral("Line ") + QString::number(lineNumber_) + QStringLiteral(": ") + why;
    return false;
}

bool BlockWalker::push(Kind kind, int number)
{
    if (int(stack_.size()) >= FormLayoutReader::kMaxNesting)
        return fail(QStringLiteral("objects are nested more than ") + QString::number(FormLayoutReader::kMaxNesting)
            + QStringLiteral(" levels deep."));
    stack_.push_back({kind, number});
    return true;
}

bool BlockWalker::beginObject(QStringView text)
{
    text = trimBlanks(text);
    const qsizetype blank = text.indexOf(QLatin1Char(' '));
    const QStringView type = blank < 0 ? text : text.first(blank);
    const QStringView name = blank < 0 ? QStringView() : trimBlanks(text.sliced(blank + 1));
    if (!found) {
        found = true;
        layout_.form.name = name.toString();
        layout_.form.objectType = type.toString();
        return push(Kind::Form, -1);
    }
    if (equalsNoCase(type, u"VB.Menu")) {
        if (layout_.menuTotal() >= FormLayoutReader::kMaxObjects)
            return fail(QStringLiteral("the form has more than ") + QString::number(FormLayoutReader::kMaxObjects)
                + QStringLiteral(" menus."));
        MenuRecord menu;
        menu.name = name.toString();
        for (const Entry& entry : stack_)
            menu.level += entry.kind == Kind::Menu ? 1 : 0;
        layout_.menus.push_back(std::move(menu));
        return push(Kind::Menu, layout_.menuTotal());
    }
    if (layout_.controlTotal() >= FormLayoutReader::kMaxObjects)
        return fail(QStringLiteral("the form has more than ") + QString::number(FormLayoutReader::kMaxObjects)
            + QStringLiteral(" controls."));
    ControlRecord control;
    control.typeName = type.toString();
    control.name = name.toString();
    for (auto entry = stack_.rbegin(); entry != stack_.rend(); ++entry) {
        if (entry->kind == Kind::Form)
            break;
        if (entry->kind == Kind::Control) {
            control.parent = qint16(entry->number);
            break;
        }
    }
    layout_.controls.push_back(std::move(control));
    return push(Kind::Control, layout_.controlTotal());
}

bool BlockWalker::property(QStringView line)
{
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    if (equals < 0 || stack_.empty())
        return true;
    const QStringView name = trimBlanks(line.first(equals));
    const QStringView value = trimBlanks(line.sliced(equals + 1));
    auto is = [&](const char16_t* candidate) { return equalsNoCase(name, candidate); };
    auto outOfRange = [&] {
        return fail(QStringLiteral("the value of ") + name.toString() + QStringLiteral(" is out of range: ")
            + value.toString());
    };
    // Sets a 32-bit field (and a second one, when given) from the value.
    auto setLength = [&](qint32& field, qint32* also = nullptr) {
        const std::optional<qint32> number = whole<qint32>(leadingNumber(value));
        if (!number)
            return outOfRange();
        field = *number;
        if (also)
            *also = *number;
        return true;
    };

    const Entry top = stack_.back();
    if (top.kind == Kind::Form) {
        FormRecord& form = layout_.form;
        if (is(u"Caption"))
            form.caption = unquote(value);
        else if (is(u"ClientWidth"))
            return setLength(form.clientWidth);
        else if (is(u"ClientHeight"))
            return setLength(form.clientHeight);
        return true;
    }
    if (top.kind == Kind::Menu) {
        MenuRecord& menu = layout_.menus[size_t(top.number - 1)];
        if (is(u"Caption"))
            menu.caption = unquote(value);
        else if (is(u"Visible"))
            menu.visible = leadingNumber(value) != 0.0;
        return true;
    }
    ControlRecord& control = layout_.control(top.number);
    if (is(u"Left"))
        return setLength(control.left);
    if (is(u"X1"))
        return setLength(control.left, &control.x1);
    if (is(u"Top"))
        return setLength(control.top);
    if (is(u"Y1"))
        return setLength(control.top, &control.y1);
    if (is(u"Width"))
        return setLength(control.width);
    if (is(u"X2"))
        return setLength(control.width, &control.x2);
    if (is(u"Height"))
        return setLength(control.height);
    if (is(u"Y2"))
        return setLength(control.height, &control.y2);
    if (is(u"Caption") || is(u"Text")) {
        control.caption = unquote(value);
    } else if (is(u"Visible")) {
        control.visible = leadingNumber(value) != 0.0;
    } else if (is(u"Index")) {
        const std::optional<qint16> index = whole<qint16>(leadingNumber(value));
        if (!index)
            return outOfRange();
        control.index = *index;
    }
    return true;
}

bool BlockWalker::endObject()
{
    if (stack_.empty())
        return true;
    const Entry top = stack_.back();
    if (top.kind == Kind::Control) {
        ControlRecord& c = layout_.control(top.number);
        if (equalsNoCase(c.typeName, u"VB.Line")) {
            // Only the bounding box is kept here; X1..Y2 keep the direction.
            if (c.width < c.left)
                std::swap(c.width, c.left);
            if (c.height < c.top)
                std::swap(c.height, c.top);
            const std::optional<qint32> width = whole<qint32>(double(c.width) - double(c.left));
            const std::optional<qint32> height = whole<qint32>(double(c.height) - double(c.top));
            if (!width || !height)
                return fail(QStringLiteral("the line ") + c.name + QStringLiteral(" is too long to be drawn."));
            c.width = *width;
            c.height = *height;
            c.hasSize = true;
        } else {
            c.hasSize = c.width >= 1 && c.height >= 1;
        }
    } else if (top.kind == Kind::Menu) {
        const MenuRecord& menu = layout_.menus[size_t(top.number - 1)];
        if (menu.caption != QLatin1String("-") && menu.level == 0 && menu.visible)
            layout_.form.hasMenuBar = true;
    }
    stack_.pop_back();
    return true;
}

} // namespace

FormLayoutReader::FormLayoutReader(const model::SourceReader& reader, platform::IMessageBox* messages)
    : reader_(reader), messages_(messages)
{ }

model::Failure FormLayoutReader::fail(const QString& text)
{
    layout_ = FormLayout();
    unclosed_ = 0;
    if (messages_)
        messages_->showMessage(platform::MessageIcon::Exclamation, kMessageTitle, text);
    return {text};
}

model::Failure FormLayoutReader::failReading(const QString& path, const QString& reason)
{
    return fail(QStringLiteral("Form layout could not be read:") + kCrLf + path + kCrLf + reason);
}

model::Outcome<void> FormLayoutReader::readFormLayout(const QString& path)
{
    layout_ = FormLayout();
    unclosed_ = 0;
    looksBinary_ = false;
    if (!model::fileExists(path))
        return fail(QStringLiteral("Form file not found:") + kCrLf + path);
    const model::Outcome<model::SourceFile> file = reader_.read(path);
    if (!file)
        return failReading(path, file.error());
    model::Outcome<void> read = readFormLayoutLines(path, file->lines);
    looksBinary_ = file->hasNul;
    return read;
}

model::Outcome<void> FormLayoutReader::readFormLayoutLines(const QString& path, const QStringList& lines)
{
    layout_ = FormLayout();
    unclosed_ = 0;
    looksBinary_ = false;
    BlockWalker walker(layout_);
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QStringView line = trimBlanks(lines[n]);
        if (line.isEmpty())
            continue;
        const BlockWalker::Next next = walker.line(line, int(n + 1));
        if (next == BlockWalker::Next::Failed)
            return failReading(path, walker.problem);
        if (next == BlockWalker::Next::Stop)
            break;
    }
    if (!walker.found)
        return fail(QStringLiteral("No form layout block found in:") + kCrLf + path);

    if (!placement::computeAbsolutePositions(layout_))
        return failReading(path, QStringLiteral("a control lies too far from the form's corner to be placed."));
    if (!placement::assignLayers(layout_))
        return failReading(path,
            QStringLiteral("its controls are too many, or lie on one another too often, to be "
                           "drawn layer by layer."));
    layout_.form.controlCount = qint16(layout_.controlTotal());
    layout_.form.menuCount = qint16(layout_.menuTotal());
    unclosed_ = walker.openObjects();
    return {};
}

} // namespace quillon::analysis
