#include "BinaryHelpers.h"

#include "BinaryHelperModel.h"
#include "app/AppPaths.h"
#include "app/PlainName.h"

#include <QFileInfo>

BinaryHelpers::BinaryHelpers(QObject* parent)
    : QObject(parent)
{
    reload();
}

QHash<int, BinaryHelper> BinaryHelpers::helpers() const
{
    QReadLocker locker(&m_lock);
    return m_helpers;
}

bool BinaryHelpers::isEmpty() const
{
    QReadLocker locker(&m_lock);
    return m_helpers.isEmpty();
}

void BinaryHelpers::reload()
{
    QHash<int, BinaryHelper> loaded = load();
    QWriteLocker locker(&m_lock);
    m_helpers = std::move(loaded);
}

QHash<int, BinaryHelper> BinaryHelpers::load()
{
    QHash<int, BinaryHelper> loaded;
    const QSqlDatabase db = m_database.connection(true);
    if (!db.isOpen())
        return loaded;
    BinaryHelperModel model(nullptr, db);
    for (const BinaryHelper& helper : model.allHelpers()) {
        // A helper that is gone from disk is forgotten, so the next update check installs
        // it again.
        if (!QFileInfo::exists(helperPath(helper))) {
            model.deleteHelper(helper.id);
            continue;
        }
        loaded.insert(helper.id, helper);
    }
    return loaded;
}

QString BinaryHelpers::helpersDirectory()
{
    return AppPaths::helpersLocation();
}

QString BinaryHelpers::helperPath(const BinaryHelper& helper)
{
    if (!PlainName::isValid(helper.binaryName))
        return QString();
    return helpersDirectory() + helper.binaryName;
}
