#include "ui/PrinterChoice.h"

#include "model/TextPrimitives.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QVBoxLayout>

namespace quillon::ui {

QString choosePrinterWithDialog(
    QWidget* parent, const std::vector<platform::PrinterInfo>& printers, const QString& current, const QString& title)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(title);
    auto* layout = new QVBoxLayout(&dialog);
    auto* list = new QListWidget(&dialog);
    list->setObjectName(QStringLiteral("lstPrinters"));
    for (const platform::PrinterInfo& printer : printers) {
        auto* item =
            new QListWidgetItem(printer.deviceName + QStringLiteral("  (") + printer.port + QLatin1Char(')'), list);
        item->setData(Qt::UserRole, printer.deviceName);
        if (model::equalsNoCase(printer.deviceName, current))
            list->setCurrentItem(item);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    layout->addWidget(list);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, &QDialog::accept);
    dialog.resize(420, 260);
    if (dialog.exec() != QDialog::Accepted || !list->currentItem())
        return QString();
    return list->currentItem()->data(Qt::UserRole).toString();
}

} // namespace quillon::ui
