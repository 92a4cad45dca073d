#pragma once

#include <QFuture>
#include <QFutureWatcher>
#include <QObject>
#include <QString>

// Asks the update server once whether a newer release of the program exists. The query runs on
// the global thread pool; newAppVersionAvailable() arrives on the checker's thread.
class AppVersionChecker : public QObject
{
    Q_OBJECT
public:
    // The running release; an empty base address skips the check.
    AppVersionChecker(const QString& baseAddress, const QString& runningVersion,
        const QString& runningBuild, QObject* parent = nullptr);

    // Whether the server's release is newer. Versions and builds compare as text, as they
    // always have: 1.10 does not count as newer than 1.9.
    static bool isNewer(const QString& runningVersion, const QString& runningBuild,
        const QString& version, const QString& build);

    QFuture<void> future() const { return m_future; }

signals:
    void newAppVersionAvailable(
        const QString& version, const QString& versionText, const QString& location);

public slots:
    void check();

private:
    void query();

    QString m_address;
    QString m_runningVersion;
    QString m_runningBuild;
    QFuture<void> m_future;
    QFutureWatcher<void> m_watcher;
};
