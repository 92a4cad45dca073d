#include "MessageBoxAnswerer.h"

#include <QApplication>
#include <QMessageBox>

MessageBoxAnswerer::MessageBoxAnswerer(QObject* parent)
    : QObject(parent)
{
    connect(&m_timer, &QTimer::timeout, this, [this] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            texts << box->text();
            box->done(QMessageBox::Ok);
        }
    });
    m_timer.start(10);
}
