#pragma once

#include <QElapsedTimer>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QTimer>

// Watches a GUI that runs modal message boxes and main windows, as a person would: every
// message box is read and answered, every main window is noted and closed. After a
// deadline every dialog and window is closed, so a test never hangs on one.
class ModalAnswerer : public QObject
{
    Q_OBJECT
public:
    struct Seen
    {
        QList<QJsonObject> boxes;
        QStringList mainWindowTitles;
        bool deadlinePassed = false;
        QJsonObject toJson() const;
    };

    // "seen" must outlive the answerer (a process may keep it in a global while its
    // application object comes and goes).
    ModalAnswerer(Seen* seen, int deadlineMs, QObject* parent = nullptr);

private:
    void onTick();

    Seen* m_seen;
    int m_deadlineMs;
    QElapsedTimer m_clock;
    QTimer m_timer;
};
