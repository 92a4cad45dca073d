#include "GuiUserInterface.h"

#include <QApplication>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

void GuiUserInterface::showFatalError(const QString& text)
{
    QMessageBox box(QMessageBox::Critical, QString(),
                    text + QStringLiteral("\n\n")
                        + QApplication::translate("Application", "%1 will now quit.")
                              .arg(QApplication::applicationName()),
                    QMessageBox::Ok);
    box.exec();
}

void GuiUserInterface::showError(const QString& text)
{
    QMessageBox box;
    box.setWindowModality(Qt::WindowModal);
    box.setIconPixmap(QPixmap(QStringLiteral(":/images/resources/images/KestrofanIcon64.png")));
    box.setText(QApplication::translate("KObject", "Oops..."));
    box.setInformativeText(text);
    // Keep the box wide enough for long messages.
    if (auto* layout = qobject_cast<QGridLayout*>(box.layout())) {
        layout->addItem(new QSpacerItem(400, 0, QSizePolicy::Minimum, QSizePolicy::Expanding),
                        layout->rowCount(), 0, 1, layout->columnCount());
    }
    box.exec();
}
