#include "app/FormCommands.h"

#include "analysis/FormLayoutReader.h"
#include "model/SourceKind.h"
#include "platform/MessageBox.h"

namespace quillon::app {

using analysis::ControlRecord;
using analysis::FormLayout;
using analysis::MenuRecord;
using model::quote;

namespace {

// The reader's messages go to the command's error stream, one text per failure.
class ErrorStreamMessageBox : public platform::IMessageBox {
public:
    explicit ErrorStreamMessageBox(std::ostream& err) : err_(err) { }
    using platform::IMessageBox::showMessage;
    platform::MessageResult showMessage(platform::MessageId id, platform::MessageIcon, const QString&,
        const QString& text, platform::MessageButtons buttons) override
    {
        QString lines = text;
        lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        write(err_, QStringLiteral("quillon: ") + lines + QLatin1Char('\n'));
        return platform::batchResultFor(id, buttons);
    }
    void showRequest(platform::MessageRequest& request) override
    {
        request.clickedButton = platform::batchButtonFor(request);
    }

private:
    std::ostream& err_;
};

QString flag(bool value)
{
    return value ? QStringLiteral("1") : QStringLiteral("0");
}

QString fields(const QStringList& fields)
{
    return fields.join(QLatin1Char('\t')) + QLatin1Char('\n');
}

QString layoutDump(const FormLayout& layout)
{
    const analysis::FormRecord& form = layout.form;
    QString text = fields({QStringLiteral("FORM"), escapeField(form.name), escapeField(form.caption),
        QString::number(form.clientWidth), QString::number(form.clientHeight), flag(form.hasMenuBar),
        QString::number(form.controlCount), QString::number(form.menuCount), QString::number(form.layerCount)});
    for (int n = 1; n <= layout.controlTotal(); ++n) {
        const ControlRecord& c = layout.control(n);
        text += fields({QStringLiteral("CTRL"), QString::number(n), escapeField(c.typeName), escapeField(c.name),
            QString::number(c.index), QString::number(c.left), QString::number(c.top), QString::number(c.width),
            QString::number(c.height), escapeField(c.caption), flag(c.visible), flag(c.hasSize),
            QString::number(c.parent), QString::number(c.layer), QString::number(c.absLeft),
            QString::number(c.absTop)});
    }
    for (int n = 1; n <= layout.menuTotal(); ++n) {
        const MenuRecord& m = layout.menu(n);
        text += fields({QStringLiteral("MENU"), QString::number(n), escapeField(m.name), escapeField(m.caption),
            QString::number(m.level), flag(m.visible)});
    }
    return text;
}

} // namespace

QString escapeField(const QString& text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\\':
            escaped += QStringLiteral("\\\\");
            break;
        case u'\t':
            escaped += QStringLiteral("\\t");
            break;
        case u'\r':
            escaped += QStringLiteral("\\r");
            break;
        case u'\n':
            escaped += QStringLiteral("\\n");
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

std::optional<int> refuseWithoutImage(std::ostream& err, const QString& path, const QString& command)
{
    const model::SourceKind kind = model::sourceKindOfPath(path);
    if (model::hasImage(kind))
        return std::nullopt;
    // A designer's block reads like the others, but what it describes is data, not a window.
    const QString what = kind == model::SourceKind::Designer ? QStringLiteral("a designer (.dsr) has no image")
                                                             : QStringLiteral("it has no image");
    return cannotRead(err, path,
        what + QStringLiteral("; ") + command
            + QStringLiteral(
                " takes a form (.frm), user control (.ctl), property page (.pag) or user document (.dob)"));
}

int runLayout(const Arguments& args, const model::SourceReader& reader, std::ostream& out, std::ostream& err)
{
    if (args.positional.size() != 1)
        throw Usage {QStringLiteral("layout takes one form, user control, property page or user document")};
    const QString path = args.positional[0];
    if (std::optional<int> refused = refuseWithoutImage(err, path, QStringLiteral("layout")))
        return *refused;
    ErrorStreamMessageBox box(err);
    analysis::FormLayoutReader formImage(reader, &box);
    const bool read = formImage.readFormLayout(path).ok();
    if (formImage.looksBinary())
        noteBinary(err, path);
    if (!read)
        return 1;
    if (formImage.unclosedObjects() > 0)
        note(err,
            quote(path) + QStringLiteral(": the file ends inside the layout block (")
                + QString::number(formImage.unclosedObjects())
                + QStringLiteral(" object(s) not closed); it looks truncated"));
    write(out, layoutDump(formImage.layout()));
    return 0;
}

} // namespace quillon::app
