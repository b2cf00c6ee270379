#include "ui/WindowPlacement.h"

#include "config/Options.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace quillon::ui {

int twipsToPixels(int twips, double dpi)
{
    return int(std::lround(double(twips) * dpi / kTwipsPerInch));
}

int pixelsToTwips(int pixels, double dpi)
{
    return dpi > 0 ? int(std::lround(double(pixels) * kTwipsPerInch / dpi)) : 0;
}

QRect twipsToPixels(const QRect& twips, double dpiX, double dpiY)
{
    return QRect(twipsToPixels(twips.x(), dpiX), twipsToPixels(twips.y(), dpiY), twipsToPixels(twips.width(), dpiX),
        twipsToPixels(twips.height(), dpiY));
}

QPoint centredIn(QSize size, const QRect& area)
{
    return QPoint(area.x() + (area.width() - size.width()) / 2, area.y() + (area.height() - size.height()) / 2);
}

QPoint keptOnScreen(QPoint topLeft, QSize size, const QRect& screen)
{
    const int x = std::max(screen.left(), std::min(topLeft.x(), screen.left() + screen.width() - size.width()));
    const int y = std::max(screen.top(), std::min(topLeft.y(), screen.top() + screen.height() - size.height()));
    return QPoint(x, y);
}

QRect availableScreenOf(const QWidget* window)
{
    QScreen* screen = window ? window->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

void centreWindow(QWidget* window, const QWidget* owner)
{
    if (!window)
        return;
    const QRect screen = availableScreenOf(owner ? owner : window);
    const QRect area = owner && owner->isVisible() ? owner->frameGeometry() : screen;
    const QSize size = window->frameGeometry().size();
    window->move(keptOnScreen(centredIn(size, area), size, screen));
}

void bringToFront(QWidget* window)
{
    if (!window)
        return;
    window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window->show();
    window->raise();
    window->activateWindow();
}

void saveWindowPosition(const QWidget* window, const config::IniStore& ini, const QString& suffix)
{
    const QString section = config::sectionName(suffix);
    ini.write(section, QStringLiteral("Top"), QString::number(window->pos().y()));
    ini.write(section, QStringLiteral("Left"), QString::number(window->pos().x()));
}

bool restoreWindowPosition(QWidget* window, const config::IniStore& ini, const QString& suffix)
{
    const QString section = config::sectionName(suffix);
    bool topOk = false;
    bool leftOk = false;
    const double top = ini.read(section, QStringLiteral("Top"), QString()).toDouble(&topOk);
    const double left = ini.read(section, QStringLiteral("Left"), QString()).toDouble(&leftOk);
    if (!topOk || !leftOk)
        return false;
    window->move(keptOnScreen(QPoint(int(left), int(top)), window->size(), availableScreenOf(window)));
    return true;
}

} // namespace quillon::ui
