#pragma once

#include <QDateTime>
#include <QString>

// The process-wide memory of recent successful responses, keyed by address. Requests on any
// thread use it, so every access takes its lock. Holds at most 50 entries; the oldest
// inserted address leaves first.
class ResponseMemoryCache
{
public:
    struct Entry
    {
        QString body;
        int status = 0;
        QDateTime stored;
    };

    static constexpr int kCapacity = 50;

    // True with the entry when the address is held with a non-empty body.
    static bool lookup(const QString& address, Entry* entry);
    // Keeps status-200 bodies only; an address already held keeps its first body.
    static void insert(const QString& address, const QString& body, int status);
    static int size();
    static void clear();
};
