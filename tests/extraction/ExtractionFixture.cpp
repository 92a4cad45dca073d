#include "ExtractionFixture.h"

#include "app/AppPaths.h"
#include "core/AppContext.h"
#include "download/BinaryHelperModel.h"
#include "download/BinaryHelpers.h"

#include <QFile>

namespace ExtractionFixture {

QString writeHelperScript(const QString& fileName, const QByteArray& script)
{
    const QString path = AppPaths::helpersLocation() + fileName;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QString();
    file.write(script);
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

void registerDownloadHelper(const QString& binaryName)
{
    DbConnection database;
    BinaryHelperModel model(nullptr, database.connection(true));
    model.deleteHelper(BinaryHelper::downloadHelperId);
    model.insertHelper(BinaryHelper(BinaryHelper::downloadHelperId, QStringLiteral("helper"),
        binaryName, QStringLiteral("1.0")));
}

} // namespace ExtractionFixture
