#include "ModalAnswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QJsonArray>
#include <QMainWindow>
#include <QMessageBox>

ModalAnswerer::ModalAnswerer(Seen* seen, int deadlineMs, QObject* parent)
    : QObject(parent)
    , m_seen(seen)
    , m_deadlineMs(deadlineMs)
{
    m_clock.start();
    connect(&m_timer, &QTimer::timeout, this, &ModalAnswerer::onTick);
    m_timer.start(20);
}

void ModalAnswerer::onTick()
{
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        QJsonArray buttons;
        for (QAbstractButton* button : box->buttons())
            buttons.append(box->standardButton(button));
        m_seen->boxes.append(QJsonObject {
            { "text", box->text() },
            { "title", box->windowTitle() },
            { "icon", int(box->icon()) },
            { "buttons", buttons },
            { "hasParent", box->parentWidget() != nullptr },
        });
        box->done(QMessageBox::Ok);
        return;
    }
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<QMainWindow*>(widget) && widget->isVisible()) {
            m_seen->mainWindowTitles << widget->windowTitle();
            widget->close();
        }
    }
    if (m_clock.elapsed() > m_deadlineMs) {
        m_seen->deadlinePassed = true;
        m_timer.stop();
        for (QWidget* widget : QApplication::topLevelWidgets())
            widget->close();
        QCoreApplication::exit(3);
    }
}

QJsonObject ModalAnswerer::Seen::toJson() const
{
    QJsonArray boxList;
    for (const QJsonObject& box : boxes)
        boxList.append(box);
    return QJsonObject {
        { "boxes", boxList },
        { "mainWindows", QJsonArray::fromStringList(mainWindowTitles) },
        { "deadlinePassed", deadlinePassed },
    };
}
