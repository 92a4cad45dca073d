#pragma once

#include <QObject>

class QSoundEffect;
class QSystemTrayIcon;

// Tells the user that the download queue has run empty: the tray message where the desktop
// has a tray, a desktop notification otherwise, and the bell when wanted.
class QueueFinishedNotifier : public QObject
{
    Q_OBJECT
public:
    explicit QueueFinishedNotifier(QObject* parent = nullptr);

    void notify(const QString& title, const QString& text, bool showMessage, bool ringBell);

    QSystemTrayIcon* trayIcon() const { return m_tray; }

signals:
    // The user clicked the message (the main window reveals the newest download).
    void messageClicked();

private slots:
    void onNotificationAction(uint id, const QString& actionKey);

private:
    void ring();
    void showTrayMessage(const QString& title, const QString& text);
    void showDesktopNotification(const QString& title, const QString& text);

    QSystemTrayIcon* m_tray = nullptr;
    QSoundEffect* m_bell = nullptr;
    uint m_notificationId = 0;
};
