#pragma once
#include <QColor>
#include <QPalette>
#include <QPushButton>
#include <QString>

namespace quillon::ui {

// A push button known by its object name, as the tests and the focus help find controls.
inline QPushButton* namedButton(const QString& caption, const QString& name, QWidget* parent)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    return button;
}

// The theme colour behind a control: its window role, which its children take from it, and one
// role of its own (a list's base, an option button's button role).
inline void paintBackground(QWidget* widget, const QColor& colour, QPalette::ColorRole ownRole)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    palette.setColor(ownRole, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

} // namespace quillon::ui
