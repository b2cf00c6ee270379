#include "model/StartUp.h"

#include "model/TextPrimitives.h"
#include "platform/MessageBox.h"

#include <QCoreApplication>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace quillon::model {

namespace {

const QString kSwitchErrorTitle = QStringLiteral("Command Line Switch Error");

// The process's command line without the program's own name, as the switch is searched in.
QString processCommandLine()
{
    if (!QCoreApplication::instance())
        return QString();
    QStringList args = QCoreApplication::arguments();
    if (!args.isEmpty())
        args.removeFirst();
    return args.join(QLatin1Char(' '));
}

// Both complaints name the switch and then say what is wrong with it.
void complain(platform::IMessageBox& box, const std::function<void()>& beep, platform::MessageIcon icon,
    const QString& switchText, const QString& fault)
{
    if (beep)
        beep();
    box.showMessage(icon, kSwitchErrorTitle,
        QStringLiteral("A command line switch parse command has been issued.  ")
            + QStringLiteral("The switch string parameter ") + quote(switchText) + fault);
}

} // namespace

double switchNumber(const QString& text)
{
    QString number;
    bool point = false;
    for (const QChar ch : text) {
        if (ch >= u'0' && ch <= u'9') {
            number += ch;
        } else if (ch == u'+' || ch == u'-') {
            if (number.isEmpty())
                number += ch;
        } else if (ch == u'.') {
            if (!point)
                number += ch;
            point = true;
        }
    }
    bool ok = false;
    const double value = number.toDouble(&ok);
    return ok ? value : 0.0;
}

CommandLineSwitch parseCommandLineSwitch(const QString& switchText, const QString& commandLine,
    platform::IMessageBox& box, const std::function<void()>& beep)
{
    CommandLineSwitch result;
    const QString searched = upperCase(commandLine.isEmpty() ? processCommandLine() : commandLine);
    if (!switchText.startsWith(QLatin1Char('/'))) {
        complain(box, beep, platform::MessageIcon::Critical, switchText,
            QStringLiteral(" is missing the beginning forward slash.  ")
                + QStringLiteral("No command line parameter change accepted.  "));
        return result;
    }
    const qsizetype at = searched.indexOf(switchText);
    if (at < 0)
        return result;
    if (!switchText.endsWith(QLatin1Char('['))) {
        result.present = true;
        return result;
    }
    const qsizetype open = searched.indexOf(QLatin1Char('['), at);
    const qsizetype close = searched.indexOf(QLatin1Char(']'), open + 1);
    if (close < 0) {
        complain(box, beep, platform::MessageIcon::None, switchText,
            QStringLiteral(" is not followed by a closing bracket.  No command line ")
                + QStringLiteral("parameter change accepted."));
        return result;
    }
    result.text = searched.mid(open + 1, close - open - 1);
    result.value = switchNumber(*result.text);
    return result;
}

int splashSecondsFromCommandLine(
    const QString& commandLine, platform::IMessageBox& box, const std::function<void()>& beep)
{
    const CommandLineSwitch found = parseCommandLineSwitch(QStringLiteral("/DT["), commandLine, box, beep);
    if (!found.value)
        return kDefaultSplashSeconds;
    const double limited = std::clamp(*found.value, 0.0, double(kMaxSplashSeconds));
    // Halves round to the even neighbour, as the 16-bit conversion does.
    return int(std::nearbyint(limited));
}

} // namespace quillon::model
