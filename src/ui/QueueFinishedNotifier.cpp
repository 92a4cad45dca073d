#include "QueueFinishedNotifier.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QSoundEffect>
#include <QSystemTrayIcon>
#include <QUrl>

namespace {

const QString NotificationsService = QStringLiteral("org.freedesktop.Notifications");
const QString NotificationsPath = QStringLiteral("/org/freedesktop/Notifications");
constexpr int MessageDurationMs = 10000;

} // namespace

QueueFinishedNotifier::QueueFinishedNotifier(QObject* parent)
    : QObject(parent)
    , m_tray(new QSystemTrayIcon(
          QIcon(QStringLiteral(":/images/resources/images/KestrofanIcon2-16.png")), this))
{
    connect(m_tray, &QSystemTrayIcon::messageClicked, this, &QueueFinishedNotifier::messageClicked);
    QDBusConnection::sessionBus().connect(NotificationsService, NotificationsPath,
        NotificationsService, QStringLiteral("ActionInvoked"), this,
        SLOT(onNotificationAction(uint, QString)));
}

void QueueFinishedNotifier::notify(
    const QString& title, const QString& text, bool showMessage, bool ringBell)
{
    if (ringBell)
        ring();
    if (!showMessage)
        return;
    if (QSystemTrayIcon::isSystemTrayAvailable())
        showTrayMessage(title, text);
    else
        showDesktopNotification(title, text);
}

void QueueFinishedNotifier::ring()
{
    // Made on first use: most users never turn the bell on.
    if (!m_bell) {
        m_bell = new QSoundEffect(this);
        m_bell->setSource(QUrl(QStringLiteral("qrc:/sounds/resources/sounds/bell.wav")));
        m_bell->setVolume(1.0);
    }
    m_bell->play();
}

void QueueFinishedNotifier::showTrayMessage(const QString& title, const QString& text)
{
    m_tray->setToolTip(QApplication::applicationName());
    m_tray->setVisible(true);
    m_tray->showMessage(title, text, QSystemTrayIcon::Information, MessageDurationMs);
}

void QueueFinishedNotifier::showDesktopNotification(const QString& title, const QString& text)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        qInfo("QueueFinishedNotifier: no tray and no session bus; the message is not shown");
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        NotificationsService, NotificationsPath, NotificationsService, QStringLiteral("Notify"));
    call << QApplication::applicationName() << uint(0) << QStringLiteral("kestrofan") << title
         << text << QStringList { QStringLiteral("default"), tr("Show") } << QVariantMap()
         << int(MessageDurationMs);
    // Never wait for the desktop: the answer only tells which notification is ours.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
        [this](QDBusPendingCallWatcher* finished) {
            QDBusPendingReply<uint> reply = *finished;
            if (reply.isError())
                qInfo("QueueFinishedNotifier: no desktop notification: %s",
                    qPrintable(reply.error().message()));
            else
                m_notificationId = reply.value();
            finished->deleteLater();
        });
}

void QueueFinishedNotifier::onNotificationAction(uint id, const QString& actionKey)
{
    if (id == m_notificationId && id != 0 && actionKey == QLatin1String("default"))
        emit messageClicked();
}
