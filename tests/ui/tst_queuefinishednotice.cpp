#include "PrivateSessionBus.h"
#include "TestEnvironment.h"

#include "ui/QueueFinishedNotifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QSystemTrayIcon>

namespace {

// Stands in for the desktop's notification service on a private session bus.
class NotificationService : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QList<QVariantList> calls;

public slots:
    uint Notify(const QString& appName, uint replacesId, const QString& icon,
        const QString& summary, const QString& body, const QStringList& actions, const QVariantMap&,
        int timeout)
    {
        calls << QVariantList { appName, replacesId, icon, summary, body, actions, timeout };
        return 7;
    }
};

// Counts a marker signal that the service sends after the ones under test.
class MarkerReceiver : public QObject
{
    Q_OBJECT
public:
    int count = 0;

public slots:
    void done() { ++count; }
};

} // namespace

// Without a tray the queue-finished message goes to the desktop's notification service.
class QueueFinishedNoticeTest : public QObject
{
    Q_OBJECT

    PrivateSessionBus m_bus;
    NotificationService m_service;

private slots:
    void initTestCase()
    {
        QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
        QVERIFY(m_bus.start());
        QDBusConnection bus = PrivateSessionBus::services();
        QVERIFY(bus.registerService("org.freedesktop.Notifications"));
        QVERIFY(bus.registerObject(
            "/org/freedesktop/Notifications", &m_service, QDBusConnection::ExportAllSlots));
    }

    void desktopNotification_data()
    {
        testColumns<bool>("showMessage");
        testRow("wanted", true);
        testRow("turned off", false);
    }

    void desktopNotification()
    {
        QFETCH(bool, showMessage);
        m_service.calls.clear();
        QueueFinishedNotifier notifier;
        QSignalSpy clicked(&notifier, &QueueFinishedNotifier::messageClicked);
        notifier.notify("Downloads finished", "3 files are ready", showMessage, false);
        // A second notice that is always shown: messages arrive in order, so once it is there a
        // first one would have arrived too.
        notifier.notify("Later", "Done", true, false);
        QTRY_COMPARE(m_service.calls.size(), showMessage ? 2 : 1);
        if (!showMessage)
            return;
        const QVariantList call = m_service.calls.first();
        QCOMPARE(call.at(3).toString(), "Downloads finished");
        QCOMPARE(call.at(4).toString(), "3 files are ready");
        QVERIFY(call.at(5).toStringList().contains("default"));
        QCOMPARE(call.at(6).toInt(), 10000);

        // The user clicks somebody else's notification, then ours.
        QDBusConnection service = PrivateSessionBus::services();
        MarkerReceiver marker;
        QVERIFY(QDBusConnection::sessionBus().connect(
            QString(), "/marker", "test.Marker", "Done", &marker, SLOT(done())));
        for (uint id : { 8u, 7u }) {
            QDBusMessage signal = QDBusMessage::createSignal(
                "/org/freedesktop/Notifications", "org.freedesktop.Notifications", "ActionInvoked");
            signal << id << QString("default");
            QVERIFY(service.send(signal));
        }
        // Signals from one sender arrive in order: after the marker, both clicks were handled.
        QVERIFY(service.send(QDBusMessage::createSignal("/marker", "test.Marker", "Done")));
        QTRY_COMPARE(marker.count, 1);
        QCOMPARE(clicked.size(), 1);
    }
};

KESTROFAN_TEST_MAIN(QueueFinishedNoticeTest)
#include "tst_queuefinishednotice.moc"
