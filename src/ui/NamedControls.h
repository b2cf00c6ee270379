#pragma once
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

} // namespace quillon::ui
