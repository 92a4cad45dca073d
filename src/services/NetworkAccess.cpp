#include "NetworkAccess.h"

#include "CookieJarLink.h"
#include "TlsTrust.h"

#include <QMutex>
#include <QNetworkAccessManager>
#include <QNetworkDiskCache>
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

    QNetworkAccessManager* pages = nullptr;
    QNetworkAccessManager* transfers = nullptr;
    QString cacheDirectory;
};

QThreadStorage<ThreadManagers*> s_threadManagers;

ThreadManagers* threadManagers()
{
    if (!s_threadManagers.hasLocalData())
        s_threadManagers.setLocalData(new ThreadManagers);
    return s_threadManagers.localData();
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
