#include "app/OptionsCommands.h"

#include "config/OptionsValidation.h"
#include "config/Session.h"
#include "model/TextPrimitives.h"
#include "platform/PrintSurface.h"

#include <cmath>

namespace quillon::app {

using config::OptionsDraft;
using model::quote;

namespace {

QString optionsDump(const config::Session& session)
{
    QString text = session.ini.defaultPath() + QLatin1Char('\n');
    QString section;
    for (const config::Options::Entry& entry : session.options.effective()) {
        if (entry.spec->suffix != section) {
            section = entry.spec->suffix;
            text += QLatin1Char('[') + config::sectionName(section) + QStringLiteral("]\n");
        }
        text += entry.spec->key + QLatin1Char('=') + entry.value + QLatin1Char('\n');
    }
    text += QLatin1Char('[') + config::sectionName(QStringLiteral(":SuppressedMsgs")) + QStringLiteral("]\n");
    const int count = session.messages.restoreCount();
    text += QStringLiteral("RestoreCount=") + QString::number(count) + QLatin1Char('\n');
    for (int i = 0; i < count && i < session.messages.menuCaptions().size(); ++i)
        text += QStringLiteral("sMsg") + QString::number(i) + QLatin1Char('=') + session.messages.menuCaptions()[i]
            + QLatin1Char('\n');
    return text;
}

bool isKey(const config::OptionSpec& spec, config::OptionKey key)
{
    return spec.suffix == QLatin1String(key.suffix) && spec.key == QLatin1String(key.key);
}

// The options as they would be with one value changed. Margins and the spool size keep the
// text as given, so that the checks see what the user typed, not what it would read as.
OptionsDraft draftWith(const config::Session& session, const config::OptionSpec& spec, const QString& value)
{
    config::Options changed = session.options;
    changed.set(config::OptionKey {spec.suffix.toLatin1().constData(), spec.key.toLatin1().constData()}, value);
    OptionsDraft draft = OptionsDraft::fromOptions(changed);
    if (isKey(spec, config::opt::GDISpoolSize))
        draft.gdiSpoolSize = value;
    for (size_t i = 0; i < 5; ++i) {
        if (spec.suffix == QLatin1String(":Margins") && spec.key == QLatin1String(config::kMarginNames[i]))
            draft.margins[i] = value;
    }
    return draft;
}

// What the checks changed beside the value set: fitted margins, the printer scope.
bool writeCheckedChanges(config::Session& session, const OptionsDraft& checked, const OptionsDraft& given)
{
    bool written = true;
    for (size_t i = 0; i < 2; ++i) {
        const config::OptionKey margin = config::opt::kMargins[i];
        if (checked.margins[i] != given.margins[i])
            written &= session.ini.write(
                config::sectionName(QString::fromLatin1(margin.suffix)), margin.key, checked.margins[i]);
    }
    if (checked.printerScope != given.printerScope)
        written &= session.ini.write(config::sectionName(QStringLiteral(":Output")), QStringLiteral("Printer Scope"),
            config::boolToText(checked.printerScope));
    return written;
}

int cannotWrite(const config::Session& session, std::ostream& err)
{
    write(err,
        QStringLiteral("quillon: cannot write the options file ") + quote(session.ini.defaultPath())
            + QStringLiteral(": the option was not changed\n"));
    return 1;
}

int setOption(const QStringList& words, config::Session& session, const SurfaceFactory& surfaces, std::ostream& out,
    std::ostream& err)
{
    const config::OptionSpec* spec = config::Options::find(words[1], words[2]);
    if (!spec || !spec->loaded)
        throw Usage {QStringLiteral("no option ") + quote(words[2]) + QStringLiteral(" in section ") + quote(words[1])};
    QString value = words[3];
    // A value the options window has no button for would leave it with none pressed. An empty
    // value stands for the default, as it does in the file.
    if (!spec->choices.isEmpty() && !value.trimmed().isEmpty()) {
        const std::optional<QString> choice = config::namedChoice(*spec, value);
        if (!choice) {
            session.box.showMessage(platform::MessageIcon::Critical, QStringLiteral("Invalid Choice"),
                QStringLiteral("The ") + spec->key + QStringLiteral(" value ") + quote(value)
                    + QStringLiteral(" is not one of its choices: ") + config::choicesText(*spec)
                    + QStringLiteral("."));
            return 1;
        }
        value = *choice;
    }
    if (isKey(*spec, config::opt::FontSize)) {
        bool ok = false;
        const double size = value.trimmed().toDouble(&ok);
        if (!ok || !std::isfinite(size) || size <= 0) {
            session.box.showMessage(
                platform::MessageIcon::Critical, QStringLiteral("Font"), QStringLiteral("Invalid font size: ") + value);
            return 1;
        }
    }
    const unsigned checks = config::checksForOption(*spec);
    if (checks != 0) {
        const OptionsDraft original = OptionsDraft::fromOptions(session.options);
        const OptionsDraft given = draftWith(session, *spec, value);
        OptionsDraft checked = given;
        std::unique_ptr<platform::IPrintSurface> surface = surfaces();
        if (!config::validateOptions(checked, original, *surface, session.messages, checks).passed)
            return 1;
        // A value the checks replaced is stored as replaced, the option set among them.
        if (isKey(*spec, config::opt::GDISpoolSize))
            value = checked.gdiSpoolSize;
        else if (isKey(*spec, config::opt::PrinterScope))
            value = config::boolToText(checked.printerScope);
        else if (isKey(*spec, config::opt::MarginLeft))
            value = checked.margins[0];
        else if (isKey(*spec, config::opt::MarginRight))
            value = checked.margins[1];
        if (!writeCheckedChanges(session, checked, given))
            return cannotWrite(session, err);
    }
    // The value goes to the file as given; what it reads back as is shown.
    if (!session.ini.write(config::sectionName(spec->suffix), spec->key, value))
        return cannotWrite(session, err);
    session.options.load();
    const QString effective = session.options.text(*spec);
    write(out,
        QLatin1Char('[') + config::sectionName(spec->suffix) + QStringLiteral("]\n") + spec->key + QLatin1Char('=')
            + effective + QLatin1Char('\n'));
    if (effective != words[3].trimmed())
        note(err, quote(words[3]) + QStringLiteral(" reads as ") + quote(effective));
    return 0;
}

// Every check on its own, so that one failure does not hide the next.
int checkOptions(config::Session& session, const SurfaceFactory& surfaces, std::ostream& out)
{
    const OptionsDraft stored = OptionsDraft::fromOptions(session.options);
    std::unique_ptr<platform::IPrintSurface> surface = surfaces();
    int failed = 0;
    for (unsigned check = 1; check & config::kAllChecks; check <<= 1) {
        OptionsDraft draft = stored;
        if (!config::validateOptions(draft, stored, *surface, session.messages, check, config::Corrections::Report)
                 .passed)
            ++failed;
    }
    write(out,
        failed == 0
            ? QStringLiteral("The stored options pass every check.\n")
            : QString::number(failed) + (failed == 1 ? QStringLiteral(" check fails") : QStringLiteral(" checks fail"))
                + QStringLiteral(" on the stored options.\n"));
    return failed == 0 ? 0 : 1;
}

} // namespace

bool optionsCommandMeasures(const QStringList& args)
{
    return args.size() > 1 && args[0] == QLatin1String("options")
        && (args[1] == QLatin1String("set") || args[1] == QLatin1String("check"));
}

int runOptions(const Arguments& args, config::Session& session, const SurfaceFactory& surfaces, std::ostream& out,
    std::ostream& err)
{
    const QStringList& words = args.positional;
    if (words.isEmpty()) {
        write(out, optionsDump(session));
        return 0;
    }
    if (words.size() == 1 && words[0] == QLatin1String("check"))
        return checkOptions(session, surfaces, out);
    if (words[0] != QLatin1String("set") || words.size() != 4)
        throw Usage {QStringLiteral("options takes no argument, or: set SECTION KEY VALUE, or: check")};
    return setOption(words, session, surfaces, out, err);
}

} // namespace quillon::app
