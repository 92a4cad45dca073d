#pragma once

#include "BinaryHelper.h"
#include "app/DbConnection.h"

#include <QHash>
#include <QObject>
#include <QReadWriteLock>
#include <QString>

// Registry of the installed helper executables (table binary_helper). Filled on the main
// thread; worker threads read it while they run the download helper.
class BinaryHelpers : public QObject
{
    Q_OBJECT
public:
    explicit BinaryHelpers(QObject* parent = nullptr);

    // Helper id to record; id 1 is the download helper.
    QHash<int, BinaryHelper> helpers() const;
    bool isEmpty() const;

    // Reads the table again, as after an installation of helpers.
    void reload();

    // Where helper executables live, ending in a separator.
    static QString helpersDirectory();
    // The executable of a record inside the helpers directory; empty when its binary name is
    // empty or would lead out of that directory.
    static QString helperPath(const BinaryHelper& helper);

private:
    QHash<int, BinaryHelper> load();

    DbConnection m_database;
    mutable QReadWriteLock m_lock;
    QHash<int, BinaryHelper> m_helpers;
};
