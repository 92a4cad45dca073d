#include "ResponseMemoryCache.h"

#include <QHash>
#include <QList>
#include <QMutex>
#include <QMutexLocker>

namespace {

struct CacheStore
{
    QMutex mutex;
    QHash<QString, ResponseMemoryCache::Entry> entries;
    QList<QString> insertionOrder;
};

CacheStore& store()
{
    static CacheStore instance;
    return instance;
}

} // namespace

bool ResponseMemoryCache::lookup(const QString& address, Entry* entry)
{
    CacheStore& cache = store();
    QMutexLocker locker(&cache.mutex);
    const auto it = cache.entries.constFind(address);
    if (it == cache.entries.constEnd() || it->body.isEmpty())
        return false;
    *entry = *it;
    return true;
}

void ResponseMemoryCache::insert(const QString& address, const QString& body, int status)
{
    if (status != 200)
        return;
    CacheStore& cache = store();
    QMutexLocker locker(&cache.mutex);
    if (cache.entries.contains(address))
        return;
    if (cache.insertionOrder.size() >= kCapacity)
        cache.entries.remove(cache.insertionOrder.takeFirst());
    cache.entries.insert(address, Entry { body, status, QDateTime::currentDateTime() });
    cache.insertionOrder.append(address);
}

int ResponseMemoryCache::size()
{
    CacheStore& cache = store();
    QMutexLocker locker(&cache.mutex);
    return int(cache.entries.size());
}

void ResponseMemoryCache::clear()
{
    CacheStore& cache = store();
    QMutexLocker locker(&cache.mutex);
    cache.entries.clear();
    cache.insertionOrder.clear();
}
