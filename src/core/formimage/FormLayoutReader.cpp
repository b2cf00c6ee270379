#include "formimage/FormLayoutReader.h"

#include "model/SourceText.h"
#include "model/TextPrimitives.h"
#include "platform/MessageBox.h"

#include <cmath>
#include <limits>
#include <optional>
#include <utility>

namespace quillon::formimage {

using model::EqualsNoCase;
using model::StartsWithUpper;
using model::trimBlanks;

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// Rounds to the nearest whole number, a half to the even one.
double RoundHalfEven(double x)
{
    if (std::fabs(x - std::trunc(x)) == 0.5)
        return 2.0 * std::round(x / 2.0);
    return std::round(x);
}

bool IsDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

// The number a property value starts with ("3  'Fixed Dialog" is 3, "-1  'True" is -1, a
// value without digits 0), rounded to a whole number. Digits with an optional sign, decimal
// part and exponent (E, or D as VB6 also writes it). Not finite for an absurd exponent.
double LeadingNumber(QStringView value)
{
    const qsizetype n = value.size();
    qsizetype i = 0;
    if (i < n && (value[i] == QLatin1Char('+') || value[i] == QLatin1Char('-')))
        ++i;
    qsizetype digits = 0;
    for (; i < n && IsDigit(value[i]); ++i)
        ++digits;
    if (i < n && value[i] == QLatin1Char('.')) {
        for (++i; i < n && IsDigit(value[i]); ++i)
            ++digits;
    }
    if (digits == 0)
        return 0.0;
    qsizetype end = i;
    if (i < n && QStringLiteral("eEdD").contains(value[i])) {
        qsizetype j = i + 1;
        if (j < n && (value[j] == QLatin1Char('+') || value[j] == QLatin1Char('-')))
            ++j;
        if (j < n && IsDigit(value[j])) {
            while (j < n && IsDigit(value[j]))
                ++j;
            end = j;
        }
    }
    QString text = value.first(end).toString();
    text.replace(QLatin1Char('d'), QLatin1Char('e')).replace(QLatin1Char('D'), QLatin1Char('e'));
    return RoundHalfEven(text.toDouble());
}

template <typename Int>
std::optional<Int> Whole(double number)
{
    if (!std::isfinite(number) || number < double(std::numeric_limits<Int>::min())
        || number > double(std::numeric_limits<Int>::max()))
        return std::nullopt;
    return Int(number);
}

// A quoted value without its quotes, each doubled quote made single; other values as they are.
QString Unquote(QStringView value)
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
    explicit BlockWalker(FormLayout& layout) : layout_(layout) {}

    enum class Next { More, Stop, Failed };
    Next Line(QStringView line, int lineNumber);

    bool found = false;
    int OpenObjects() const { return int(stack_.size()); }
    QString problem; // why the walk failed

private:
    enum class Kind { Form, Control, Menu };
    struct Entry {
        Kind kind;
        int number;
    };

    bool BeginObject(QStringView text);
    bool EndObject();
    bool Property(QStringView line);
    bool Push(Kind kind, int number);
    bool Fail(const QString& why);

    FormLayout& layout_;
    std::vector<Entry> stack_;
    int skipDepth_ = 0;
    int lineNumber_ = 0;
};

BlockWalker::Next BlockWalker::Line(QStringView line, int lineNumber)
{
    lineNumber_ = lineNumber;
    // Property groups (fonts, images, ...) have their own name and size lines that must not
    // be taken for the control's.
    if (skipDepth_ > 0) {
        if (StartsWithUpper(line, QLatin1StringView("BEGINPROPERTY")))
            ++skipDepth_;
        else if (StartsWithUpper(line, QLatin1StringView("ENDPROPERTY")))
            --skipDepth_;
        return Next::More;
    }
    if (StartsWithUpper(line, QLatin1StringView("BEGINPROPERTY"))) {
        skipDepth_ = 1;
        return Next::More;
    }
    if (StartsWithUpper(line, QLatin1StringView("ATTRIBUTE ")))
        return Next::Stop;
    if (StartsWithUpper(line, QLatin1StringView("BEGIN ")))
        return BeginObject(line.sliced(6)) ? Next::More : Next::Failed;
    if (EqualsNoCase(line, u"END")) {
        if (!EndObject())
            return Next::Failed;
        return stack_.empty() && found ? Next::Stop : Next::More;
    }
    if (found && !Property(line))
        return Next::Failed;
    return Next::More;
}

bool BlockWalker::Fail(const QString& why)
{
    problem = QStringLiteral("Line ") + QString::number(lineNumber_) + QStringLiteral(": ") + why;
    return false;
}

bool BlockWalker::Push(Kind kind, int number)
{
    if (int(stack_.size()) >= FormLayoutReader::kMaxNesting)
        return Fail(QStringLiteral("objects are nested more than ")
                    + QString::number(FormLayoutReader::kMaxNesting) + QStringLiteral(" levels deep."));
    stack_.push_back({kind, number});
    return true;
}

bool BlockWalker::BeginObject(QStringView text)
{
    text = trimBlanks(text);
    const qsizetype blank = text.indexOf(QLatin1Char(' '));
    const QStringView type = blank < 0 ? text : text.first(blank);
    const QStringView name = blank < 0 ? QStringView() : trimBlanks(text.sliced(blank + 1));
    if (!found) {
        found = true;
        layout_.Form.Name = name.toString();
        return Push(Kind::Form, -1);
    }
    if (EqualsNoCase(type, u"VB.Menu")) {
        if (layout_.MenuTotal() >= FormLayoutReader::kMaxObjects)
            return Fail(QStringLiteral("the form has more than ") + QString::number(FormLayoutReader::kMaxObjects)
                        + QStringLiteral(" menus."));
        MenuRecord menu;
        menu.Name = name.toString();
        for (const Entry& entry : stack_)
            menu.Level += entry.kind == Kind::Menu ? 1 : 0;
        layout_.Menus.push_back(std::move(menu));
        return Push(Kind::Menu, layout_.MenuTotal());
    }
    if (layout_.ControlTotal() >= FormLayoutReader::kMaxObjects)
        return Fail(QStringLiteral("the form has more than ") + QString::number(FormLayoutReader::kMaxObjects)
                    + QStringLiteral(" controls."));
    ControlRecord control;
    control.TypeName = type.toString();
    control.Name = name.toString();
    for (auto entry = stack_.rbegin(); entry != stack_.rend(); ++entry) {
        if (entry->kind == Kind::Form)
            break;
        if (entry->kind == Kind::Control) {
            control.Parent = qint16(entry->number);
            break;
        }
    }
    layout_.Controls.push_back(std::move(control));
    return Push(Kind::Control, layout_.ControlTotal());
}

bool BlockWalker::Property(QStringView line)
{
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    if (equals < 0 || stack_.empty())
        return true;
    const QStringView name = trimBlanks(line.first(equals));
    const QStringView value = trimBlanks(line.sliced(equals + 1));
    auto is = [&](const char16_t* candidate) { return EqualsNoCase(name, candidate); };
    auto outOfRange = [&] {
        return Fail(QStringLiteral("the value of ") + name.toString() + QStringLiteral(" is out of range: ")
                    + value.toString());
    };
    // Sets a 32-bit field (and a second one, when given) from the value.
    auto setLength = [&](qint32& field, qint32* also = nullptr) {
        const std::optional<qint32> number = Whole<qint32>(LeadingNumber(value));
        if (!number)
            return outOfRange();
        field = *number;
        if (also)
            *also = *number;
        return true;
    };

    const Entry top = stack_.back();
    if (top.kind == Kind::Form) {
        FormRecord& form = layout_.Form;
        if (is(u"Caption"))
            form.Caption = Unquote(value);
        else if (is(u"ClientWidth"))
            return setLength(form.ClientWidth);
        else if (is(u"ClientHeight"))
            return setLength(form.ClientHeight);
        return true;
    }
    if (top.kind == Kind::Menu) {
        MenuRecord& menu = layout_.Menus[size_t(top.number - 1)];
        if (is(u"Caption"))
            menu.Caption = Unquote(value);
        else if (is(u"Visible"))
            menu.Visible = LeadingNumber(value) != 0.0;
        return true;
    }
    ControlRecord& control = layout_.Control(top.number);
    if (is(u"Left"))
        return setLength(control.Left);
    if (is(u"X1"))
        return setLength(control.Left, &control.X1);
    if (is(u"Top"))
        return setLength(control.Top);
    if (is(u"Y1"))
        return setLength(control.Top, &control.Y1);
    if (is(u"Width"))
        return setLength(control.Width);
    if (is(u"X2"))
        return setLength(control.Width, &control.X2);
    if (is(u"Height"))
        return setLength(control.Height);
    if (is(u"Y2"))
        return setLength(control.Height, &control.Y2);
    if (is(u"Caption") || is(u"Text")) {
        control.Caption = Unquote(value);
    } else if (is(u"Visible")) {
        control.Visible = LeadingNumber(value) != 0.0;
    } else if (is(u"Index")) {
        const std::optional<qint16> index = Whole<qint16>(LeadingNumber(value));
        if (!index)
            return outOfRange();
        control.Index = *index;
    }
    return true;
}

bool BlockWalker::EndObject()
{
    if (stack_.empty())
        return true;
    const Entry top = stack_.back();
    if (top.kind == Kind::Control) {
        ControlRecord& c = layout_.Control(top.number);
        if (EqualsNoCase(c.TypeName, u"VB.Line")) {
            // Only the bounding box is kept here; X1..Y2 keep the direction.
            if (c.Width < c.Left)
                std::swap(c.Width, c.Left);
            if (c.Height < c.Top)
                std::swap(c.Height, c.Top);
            const std::optional<qint32> width = Whole<qint32>(double(c.Width) - double(c.Left));
            const std::optional<qint32> height = Whole<qint32>(double(c.Height) - double(c.Top));
            if (!width || !height)
                return Fail(QStringLiteral("the line ") + c.Name + QStringLiteral(" is too long to be drawn."));
            c.Width = *width;
            c.Height = *height;
            c.HasSize = true;
        } else {
            c.HasSize = c.Width >= 1 && c.Height >= 1;
        }
    } else if (top.kind == Kind::Menu) {
        const MenuRecord& menu = layout_.Menus[size_t(top.number - 1)];
        if (menu.Caption != QLatin1String("-") && menu.Level == 0 && menu.Visible)
            layout_.Form.HasMenuBar = true;
    }
    stack_.pop_back();
    return true;
}

} // namespace

FormLayoutReader::FormLayoutReader(const model::SourceReader& reader, platform::IMessageBox* messages)
    : reader_(reader), messages_(messages)
{
}

bool FormLayoutReader::Fail(const QString& text)
{
    layout_ = FormLayout();
    unclosed_ = 0;
    lastMessage_ = text;
    if (messages_)
        messages_->ShowMessage(platform::MessageIcon::Exclamation, kMessageTitle, text);
    return false;
}

bool FormLayoutReader::FailReading(const QString& path, const QString& reason)
{
    return Fail(QStringLiteral("Form layout could not be read:") + kCrLf + path + kCrLf + reason);
}

bool FormLayoutReader::ReadFormLayout(const QString& path)
{
    layout_ = FormLayout();
    lastMessage_.clear();
    unclosed_ = 0;
    looksBinary_ = false;
    if (!model::FileExists(path))
        return Fail(QStringLiteral("Form file not found:") + kCrLf + path);
    const model::SourceFile file = reader_.Read(path);
    if (!file.ok)
        return FailReading(path, file.error);
    const bool read = ReadFormLayoutLines(path, file.lines);
    looksBinary_ = file.hasNul;
    return read;
}

bool FormLayoutReader::ReadFormLayoutLines(const QString& path, const QStringList& lines)
{
    layout_ = FormLayout();
    lastMessage_.clear();
    unclosed_ = 0;
    looksBinary_ = false;
    BlockWalker walker(layout_);
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QStringView line = trimBlanks(lines[n]);
        if (line.isEmpty())
            continue;
        const BlockWalker::Next next = walker.Line(line, int(n + 1));
        if (next == BlockWalker::Next::Failed)
            return FailReading(path, walker.problem);
        if (next == BlockWalker::Next::Stop)
            break;
    }
    if (!walker.found)
        return Fail(QStringLiteral("No form layout block found in:") + kCrLf + path);

    if (!placement::ComputeAbsolutePositions(layout_))
        return FailReading(path, QStringLiteral("a control lies too far from the form's corner to be placed."));
    if (!placement::AssignLayers(layout_))
        return FailReading(path, QStringLiteral("its controls are too many, or lie on one another too often, to be "
                                                "drawn layer by layer."));
    layout_.Form.ControlCount = qint16(layout_.ControlTotal());
    layout_.Form.MenuCount = qint16(layout_.MenuTotal());
    unclosed_ = walker.OpenObjects();
    return true;
}

} // namespace quillon::formimage
