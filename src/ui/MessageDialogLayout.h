#pragma once
#include "platform/MessageBox.h"

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <array>
#include <optional>

// The arithmetic of the message box with suppressible messages, in twips, apart from any
// window so that it can be checked on its own.
namespace quillon::ui::dialoglayout {

inline constexpr int kButtonCount = 5;
inline constexpr int kButtonPadding = 420;
inline constexpr int kMinButtonWidth = 1590;
inline constexpr int kButtonGap = 210;
inline constexpr int kMessageLeft = 2006;
inline constexpr int kMessageTop = 430;
inline constexpr int kMessageWidth = 6750;
inline constexpr int kMinDialogWidth = 8800;
inline constexpr int kMargin = 210;
inline constexpr int kButtonHeight = 495;
inline constexpr int kIconLeft = 600;
inline constexpr int kIconSize = 720;
inline constexpr int kTitleTop = 60;
inline constexpr int kTitleHeight = 340;
inline constexpr int kInputFrameHeight = 1035;
inline constexpr int kOptionHeight = 285;
inline constexpr int kSuppressFrameHeight = 1290;

// A button's width for the width of its caption's text.
int buttonWidth(int captionWidth);

struct LayoutInput {
    // The width of each shown button's caption text; nullopt for a button that is hidden.
    std::array<std::optional<int>, kButtonCount> captionWidths;
    int messageHeight = 0; // the message wrapped at kMessageWidth
    bool showInput = false;
    bool showBrowse = false;
    bool allowSuppress = false;
};

// Rectangles in the dialog's client area; those inside a frame are relative to the frame.
// A hidden part has an empty rectangle.
struct Layout {
    QRect icon;
    QRect title;
    QRect message;
    std::array<QRect, kButtonCount> buttons;
    int shownButtons = 0;
    QRect inputFrame, inputLabel, inputBox, browse;
    QRect suppressFrame;
    std::array<QRect, 3> options;
    QSize client;
};

// Top to bottom: heading and message beside the icon, the input frame, the hiding frame,
// then the row of buttons centred at the bottom. The dialog widens for a row of wide
// buttons; the message keeps its width.
Layout layOut(const LayoutInput& input);

// A colour value (red in the low byte) as a colour; a value outside 24 bits is white.
QColor themeColor(qint64 value);

// A caption as it is shown: a single "&" marks the access key and is not drawn, "&&" is one
// "&".
QString shownCaption(const QString& caption);

// Where the dialog's top-left corner goes, in pixels. `position`: empty (or anything not
// understood) centres over `owner`, or over the screen when `owner` is empty; a text
// beginning "TOP" or "BOT" puts it at the top or the bottom of the screen, centred across;
// "top|left" in twips puts it there, negatives taken as 0. The dialog always stays on the
// screen.
QPoint dialogPosition(
    const QString& position, QSize size, const QRect& screen, const QRect& owner, double dpiX, double dpiY);

} // namespace quillon::ui::dialoglayout
