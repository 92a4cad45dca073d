#include "ExtractionFixture.h"

#include "app/AppContext.h"
#include "app/Installation.h"
#include "download/BinaryHelperModel.h"
#include "download/BinaryHelpers.h"

#include <QDir>
#include <QFile>

ExtractionFixture::ExtractionFixture()
{
    AppContext::applyIdentity();
    QStringList report;
    QString error;
    Installation installation;
    if (!installation.ensureDataDirectory(&report, &error)
        || !installation.ensureDatabase(&report, &error)) {
        qWarning().noquote() << "Could not set up the test database:" << error;
        return;
    }
    m_context = std::make_unique<AppContext>(&m_ui);
    if (AppContext::isDying()) {
        m_context.reset();
        return;
    }
    QDir().mkpath(AppContext::helpersLocation());
}

ExtractionFixture::~ExtractionFixture() = default;

QString ExtractionFixture::writeHelperScript(const QString& fileName, const QByteArray& script)
{
    const QString path = AppContext::helpersLocation() + fileName;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QString();
    file.write(script);
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

void ExtractionFixture::registerDownloadHelper(const QString& binaryName)
{
    DbConnection database;
    BinaryHelperModel model(nullptr, database.connection(true));
    model.deleteHelper(BinaryHelper::downloadHelperId);
    model.insertHelper(BinaryHelper(BinaryHelper::downloadHelperId, QStringLiteral("helper"),
        binaryName, QStringLiteral("1.0")));
}
