#include "NetworkAccess.h"

#include "CookieJarLink.h"
#include "TlsTrust.h"

#include <QCoreApplication>
#include <QMutex>
#include <QNetworkAccessManager>
#include <QNetworkDiskCache>
#include <QThread>
#include <QThreadStorage>

namespace {

QMutex s_cacheMutex;
QString s_cacheDirectory;

QString cacheDirectory()
{
    QMutexLocker lock(&s_cacheMutex);
    return s_cacheDirectory;
}

QNetworkAccessManager* newManager(QNetworkCookieJar* jar)
{
    TlsTrust::trustCertificatesFromEnvironment();
    auto* manager = new QNetworkAccessManager();
    manager->setCookieJar(jar);
    TlsTrust::watch(manager);
    return manager;
}

// The managers of one thread; QThreadStorage deletes it on that thread as the thread ends.
struct ThreadManagers
{
    ~ThreadManagers()
    {
        delete pages;
        delete transfers;
    }

    // A connection kept alive keeps the certificates trusted when it was made.
    void dropConnectionsOnTrustChange()
    {
        const int generation = TlsTrust::trustGeneration();
        if (generation == trustGeneration)
            return;
        trustGeneration = generation;
        for (QNetworkAccessManager* manager : { pages, transfers }) {
            if (manager)
                manager->clearConnectionCache();
        }
    }

    QNetworkAccessManager* pages = nullptr;
    QNetworkAccessManager* transfers = nullptr;
    QString cacheDirectory;
    int trustGeneration = TlsTrust::trustGeneration();
};

QThreadStorage<ThreadManagers*> s_threadManagers;

// The main thread's managers must go while the application object still exists: their
// connections need it to close.
void dropMainThreadManagers()
{
    s_threadManagers.setLocalData(nullptr);
}

ThreadManagers* threadManagers()
{
    if (!s_threadManagers.hasLocalData() || !s_threadManagers.localData()) {
        s_threadManagers.setLocalData(new ThreadManagers);
        const QCoreApplication* application = QCoreApplication::instance();
        if (application && application->thread() == QThread::currentThread())
            qAddPostRoutine(dropMainThreadManagers);
    }
    ThreadManagers* managers = s_threadManagers.localData();
    managers->dropConnectionsOnTrustChange();
    return managers;
}

} // namespace

QNetworkAccessManager* NetworkAccess::pages()
{
    ThreadManagers* managers = threadManagers();
    if (!managers->pages)
        managers->pages = newManager(new CookieJarLink());
    const QString directory = cacheDirectory();
    if (managers->cacheDirectory != directory) {
        QNetworkDiskCache* cache = nullptr;
        if (!directory.isEmpty()) {
            cache = new QNetworkDiskCache();
            cache->setCacheDirectory(directory);
        }
        // The manager takes the new cache and deletes the previous one.
        managers->pages->setCache(cache);
        managers->cacheDirectory = directory;
    }
    return managers->pages;
}

QNetworkAccessManager* NetworkAccess::transfers()
{
    ThreadManagers* managers = threadManagers();
    if (!managers->transfers)
        managers->transfers = newManager(new QNetworkCookieJar());
    return managers->transfers;
}

void NetworkAccess::setCookieJar(QNetworkCookieJar* jar)
{
    CookieJarLink::attach(jar);
}

void NetworkAccess::setCacheDirectory(const QString& directory)
{
    QMutexLocker lock(&s_cacheMutex);
    s_cacheDirectory = directory;
}
