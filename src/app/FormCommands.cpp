#include "app/FormCommands.h"

#include "formimage/FormLayoutReader.h"
#include "platform/MessageBox.h"

namespace quillon::app {

using formimage::ControlRecord;
using model::Quote;
using formimage::FormLayout;
using formimage::MenuRecord;

namespace {

// The reader's messages go to the command's error stream, one text per failure.
class ErrorStreamMessageBox : public platform::IMessageBox {
public:
    explicit ErrorStreamMessageBox(std::ostream& err) : err_(err) {}
    platform::MessageResult ShowMessage(platform::MessageIcon, const QString& title, const QString& text,
                                    platform::MessageButtons buttons) override
    {
        QString lines = text;
        lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        Write(err_, QStringLiteral("quillon: ") + lines + QLatin1Char('\n'));
        return platform::BatchResultFor(title, buttons);
    }
    void ShowRequest(platform::MessageRequest& request) override
    {
        request.ClickedButton = platform::BatchButtonFor(request);
    }

private:
    std::ostream& err_;
};

QString Flag(bool value)
{
    return value ? QStringLiteral("1") : QStringLiteral("0");
}

QString Fields(const QStringList& fields)
{
    return fields.join(QLatin1Char('\t')) + QLatin1Char('\n');
}

QString LayoutDump(const FormLayout& layout)
{
    const formimage::FormRecord& form = layout.Form;
    QString text = Fields({QStringLiteral("FORM"), EscapeField(form.Name), EscapeField(form.Caption),
                           QString::number(form.ClientWidth), QString::number(form.ClientHeight),
                           Flag(form.HasMenuBar), QString::number(form.ControlCount),
                           QString::number(form.MenuCount), QString::number(form.LayerCount)});
    for (int n = 1; n <= layout.ControlTotal(); ++n) {
        const ControlRecord& c = layout.Control(n);
        text += Fields({QStringLiteral("CTRL"), QString::number(n), EscapeField(c.TypeName), EscapeField(c.Name),
                        QString::number(c.Index), QString::number(c.Left), QString::number(c.Top),
                        QString::number(c.Width), QString::number(c.Height), EscapeField(c.Caption), Flag(c.Visible),
                        Flag(c.HasSize), QString::number(c.Parent), QString::number(c.Layer),
                        QString::number(c.AbsLeft), QString::number(c.AbsTop)});
    }
    for (int n = 1; n <= layout.MenuTotal(); ++n) {
        const MenuRecord& m = layout.Menu(n);
        text += Fields({QStringLiteral("MENU"), QString::number(n), EscapeField(m.Name), EscapeField(m.Caption),
                        QString::number(m.Level), Flag(m.Visible)});
    }
    return text;
}

} // namespace

QString EscapeField(const QString& text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\\': escaped += QStringLiteral("\\\\"); break;
        case u'\t': escaped += QStringLiteral("\\t"); break;
        case u'\r': escaped += QStringLiteral("\\r"); break;
        case u'\n': escaped += QStringLiteral("\\n"); break;
        default: escaped += c;
        }
    }
    return escaped;
}

int RunLayout(const Arguments& args, const model::SourceReader& reader, std::ostream& out, std::ostream& err)
{
    if (args.positional.size() != 1)
        throw Usage{QStringLiteral("layout takes one form file")};
    const QString path = args.positional[0];
    ErrorStreamMessageBox box(err);
    formimage::FormLayoutReader formImage(reader, &box);
    const bool read = formImage.ReadFormLayout(path);
    if (formImage.LooksBinary())
        NoteBinary(err, path);
    if (!read)
        return 1;
    if (formImage.UnclosedObjects() > 0)
        Note(err, Quote(path) + QStringLiteral(": the file ends inside the layout block (")
                      + QString::number(formImage.UnclosedObjects())
                      + QStringLiteral(" object(s) not closed); it looks truncated"));
    Write(out, LayoutDump(formImage.Layout()));
    return 0;
}

} // namespace quillon::app
