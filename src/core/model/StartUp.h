#pragma once
#include <QString>

#include <functional>
#include <optional>

namespace quillon::platform {
class IMessageBox;
}

namespace quillon::model {

// The same in every copy of the program: the single-instance guard is named after it.
inline const QString kInstanceIdentifier = QStringLiteral("Tandrel.Quillon.{Qu1llon7-Tand-rel6-VBdc-PrintDocs026}");

inline constexpr int kDefaultSplashSeconds = 10;
inline constexpr int kMaxSplashSeconds = 60;

// What one command-line switch said. A plain flag sets `present`; a switch ending in "["
// sets `text` (the characters between the brackets) and `value`. Nothing is set when the
// switch is absent or malformed.
struct CommandLineSwitch {
    bool present = false;
    std::optional<QString> text;
    std::optional<double> value;
};

// Looks for `switchText` (upper-case, e.g. "/DT[") in the upper-cased command line; an
// empty `commandLine` means the process's own arguments. A switch without its leading "/"
// or a bracket without its closing "]" is reported through `box` (after `beep`).
CommandLineSwitch parseCommandLineSwitch(const QString& switchText, const QString& commandLine,
    platform::IMessageBox& box, const std::function<void()>& beep = {});

// The number in a switch's brackets: every character but digits, "+", "-" and "." dropped,
// then every sign but a leading one and every decimal point but the first; 0 when no
// digits are left.
double switchNumber(const QString& text);

// The start-up window's time from "/DT[seconds]": 10 without the switch, else the number
// limited to 0..60 and rounded to a whole number.
int splashSecondsFromCommandLine(
    const QString& commandLine, platform::IMessageBox& box, const std::function<void()>& beep = {});

} // namespace quillon::model
