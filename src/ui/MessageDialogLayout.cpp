#include "ui/MessageDialogLayout.h"

#include "ui/WindowPlacement.h"

#include <QStringList>

#include <algorithm>

namespace quillon::ui::dialoglayout {

int buttonWidth(int captionWidth)
{
    return std::max(captionWidth + kButtonPadding, kMinButtonWidth);
}

Layout layOut(const LayoutInput& input)
{
    Layout layout;
    int rowWidth = 0;
    std::array<int, kButtonCount> widths {};
    for (int i = 0; i < kButtonCount; ++i) {
        if (!input.captionWidths[size_t(i)])
            continue;
        widths[size_t(i)] = buttonWidth(*input.captionWidths[size_t(i)]);
        rowWidth += (layout.shownButtons > 0 ? kButtonGap : 0) + widths[size_t(i)];
        ++layout.shownButtons;
    }
    const int width = std::max(kMinDialogWidth, rowWidth + 2 * kMargin);

    layout.icon = QRect(kIconLeft, kMessageTop, kIconSize, kIconSize);
    layout.title = QRect(kMessageLeft, kTitleTop, kMessageWidth, kTitleHeight);
    layout.message = QRect(kMessageLeft, kMessageTop, kMessageWidth, std::max(0, input.messageHeight));
    int y = std::max(layout.message.bottom(), layout.icon.bottom()) + 1 + kMargin;

    const int frameWidth = width - 2 * kMargin;
    if (input.showInput) {
        layout.inputFrame = QRect(kMargin, y, frameWidth, kInputFrameHeight);
        layout.inputLabel = QRect(kMargin, 120, frameWidth - 2 * kMargin, 300);
        int boxRight = frameWidth - kMargin;
        if (input.showBrowse) {
            layout.browse = QRect(frameWidth - kMargin - kMinButtonWidth, 450, kMinButtonWidth, 405);
            boxRight = layout.browse.left() - kMargin;
        }
        layout.inputBox = QRect(kMargin, 480, boxRight - kMargin, 345);
        y += kInputFrameHeight + kMargin;
    }
    if (input.allowSuppress) {
        layout.suppressFrame = QRect(kMargin, y, frameWidth, kSuppressFrameHeight);
        for (int i = 0; i < 3; ++i)
            layout.options[size_t(i)] =
                QRect(kMargin, 300 + i * (kOptionHeight + 15), frameWidth - 2 * kMargin, kOptionHeight);
        y += kSuppressFrameHeight + kMargin;
    }

    int x = (width - rowWidth) / 2;
    for (int i = 0; i < kButtonCount; ++i) {
        if (widths[size_t(i)] == 0)
            continue;
        layout.buttons[size_t(i)] = QRect(x, y, widths[size_t(i)], kButtonHeight);
        x += widths[size_t(i)] + kButtonGap;
    }
    layout.client = QSize(width, y + kButtonHeight + kMargin);
    return layout;
}

QColor themeColor(qint64 value)
{
    if (value < 0 || value > 0xFFFFFF)
        return QColor(Qt::white);
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

QString shownCaption(const QString& caption)
{
    QString shown;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&') {
            if (i + 1 < caption.size() && caption[i + 1] == u'&')
                ++i;
            else
                continue;
        }
        shown += caption[i];
    }
    return shown;
}

QPoint dialogPosition(
    const QString& position, QSize size, const QRect& screen, const QRect& owner, double dpiX, double dpiY)
{
    const QString rule = position.trimmed().toUpper();
    const int centredX = screen.x() + (screen.width() - size.width()) / 2;
    QPoint at;
    if (rule.startsWith(QLatin1String("TOP"))) {
        at = QPoint(centredX, screen.top());
    } else if (rule.startsWith(QLatin1String("BOT"))) {
        at = QPoint(centredX, screen.top() + screen.height() - size.height());
    } else {
        const QStringList parts = rule.split(QLatin1Char('|'));
        bool topOk = false;
        bool leftOk = false;
        const double top = parts.size() == 2 ? parts[0].trimmed().toDouble(&topOk) : 0;
        const double left = parts.size() == 2 ? parts[1].trimmed().toDouble(&leftOk) : 0;
        if (topOk && leftOk)
            at = QPoint(screen.x() + twipsToPixels(int(std::clamp(left, 0.0, 1e8)), dpiX),
                screen.y() + twipsToPixels(int(std::clamp(top, 0.0, 1e8)), dpiY));
        else
            at = centredIn(size, owner.isEmpty() ? screen : owner);
    }
    return keptOnScreen(at, size, screen);
}

} // namespace quillon::ui::dialoglayout
