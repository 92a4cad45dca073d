#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>

// Reads and closes every modal message box while it lives, as a person clicking OK would.
class MessageBoxAnswerer : public QObject
{
    Q_OBJECT
public:
    explicit MessageBoxAnswerer(QObject* parent = nullptr);

    QStringList texts;

private:
    QTimer m_timer;
};
