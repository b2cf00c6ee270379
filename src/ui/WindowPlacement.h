#pragma once
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace quillon::config {
class IniStore;
}

namespace quillon::ui {

// Lengths are given in twips (1440 to the inch) and shown at the screen's logical
// resolution.
inline constexpr int kTwipsPerInch = 1440;
int twipsToPixels(int twips, double dpi);
int pixelsToTwips(int pixels, double dpi);
QRect twipsToPixels(const QRect& twips, double dpiX, double dpiY);

// The top-left corner that puts a window of `size` in the middle of `area`.
QPoint centredIn(QSize size, const QRect& area);
// `topLeft` moved as little as needed for a window of `size` to lie within `screen`; a
// window larger than the screen starts at its top-left corner.
QPoint keptOnScreen(QPoint topLeft, QSize size, const QRect& screen);

// The available area of the screen that shows `window` (the primary screen before it is
// placed).
QRect availableScreenOf(const QWidget* window);
// Centres a top-level window over `owner` (over the screen when there is none), kept on
// the screen.
void centreWindow(QWidget* window, const QWidget* owner = nullptr);
// The position a window had when it last closed, kept in the options file's section for it
// (":MainForm", ":OptionsForm": keys "Top" and "Left"). Restoring keeps the window on the screen
// and returns false when no position was kept.
void saveWindowPosition(const QWidget* window, const config::IniStore& ini, const QString& suffix);
bool restoreWindowPosition(QWidget* window, const config::IniStore& ini, const QString& suffix);

// Restores a window from its minimised state, shows it, raises it and gives it the focus.
void bringToFront(QWidget* window);

} // namespace quillon::ui
