#include "StagedFile.h"

#include "FilePlacement.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

StagedFile::~StagedFile()
{
    if (!m_path.isEmpty())
        QFile::remove(m_path);
}

bool StagedFile::create(const QString& directory, const QString& extension, QString* error)
{
    m_directory = directory;
    m_extension = extension;
    const QString suffix = extension.isEmpty() ? QString() : QLatin1Char('.') + extension;
    QFile file;
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QString name
            = QStringLiteral(".kestrofan-%1.part%2")
                  .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'))
                  .arg(suffix);
        file.setFileName(QDir(directory).filePath(name));
        // NewOnly: O_EXCL, which also refuses a symbolic link planted under the name.
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            m_path = file.fileName();
            return true;
        }
        if (!FilePlacement::isTaken(file.fileName()))
            break;
    }
    *error = QCoreApplication::translate("StagedFile", "Unable to save the file %1: %2.")
                 .arg(file.fileName(), file.errorString());
    return false;
}

bool StagedFile::isFilled() const
{
    const QFileInfo info(m_path);
    return !m_path.isEmpty() && info.isFile() && !info.isSymLink() && info.size() > 0;
}

QString StagedFile::publish(const QString& stem, QString* error)
{
    const QString finalPath
        = FilePlacement::moveToFreeName(m_path, m_directory, stem, m_extension, error);
    if (!finalPath.isEmpty())
        m_path.clear();
    return finalPath;
}

bool StagedFile::replace(const QString& target, QString* error)
{
    if (!FilePlacement::replace(m_path, target, error))
        return false;
    m_path.clear();
    return true;
}
