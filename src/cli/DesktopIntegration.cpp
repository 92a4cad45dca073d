#include "DesktopIntegration.h"

#include "Artwork.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("DesktopIntegration", text);
}

// One argument of an Exec line: quoted, with the characters that quoting does not protect
// escaped, then escaped once more as a desktop entry string value.
QString execArgument(const QString& argument)
{
    QString quoted;
    for (const QChar c : argument) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$')
            || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    quoted.replace(QLatin1Char('%'), QLatin1String("%%"));
    quoted.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

// Written under another name and renamed: never through a link someone left in its place.
bool writeFile(const QString& path, const QByteArray& contents, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size()
        || !file.commit()) {
        *error = tr("Could not write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

QString dataHome()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

} // namespace

DesktopIntegration::DesktopIntegration(const Locations& locations)
    : m_locations(locations)
{ }

DesktopIntegration::Locations DesktopIntegration::userLocations()
{
    Locations locations;
    locations.applicationsFolder
        = QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation);
    locations.iconThemeFolder = dataHome() + QStringLiteral("/icons/hicolor");
    const QStringList candidates {
        QCoreApplication::applicationDirPath() + QStringLiteral("/kestrofan"),
#ifdef KESTROFAN_GUI_BUILD_PATH
        QStringLiteral(KESTROFAN_GUI_BUILD_PATH),
#endif
        QStandardPaths::findExecutable(QStringLiteral("kestrofan")),
    };
    for (const QString& candidate : candidates) {
        const QFileInfo info(candidate);
        if (!candidate.isEmpty() && info.isFile() && info.isExecutable()) {
            locations.guiExecutable = info.absoluteFilePath();
            break;
        }
    }
    return locations;
}

QString DesktopIntegration::desktopEntry(const QString& guiExecutable)
{
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Version=1.0\n"
                          "Name=Kestrofan 2\n"
                          "GenericName=Media Downloader\n"
                          "Comment=Browse media services and download their videos and audio\n"
                          "Exec=%1 %u\n"
                          "Icon=kestrofan\n"
                          "Terminal=false\n"
                          "Categories=AudioVideo;Network;\n"
                          "MimeType=x-scheme-handler/kestrofan;\n"
                          "StartupWMClass=kestrofan\n")
        .arg(execArgument(guiExecutable));
}

bool DesktopIntegration::run(QStringList* report, QString* error) const
{
    if (m_locations.guiExecutable.isEmpty()) {
        report->append(tr("kestrofan was not found beside kestrofan-cli or on the search path; "
                          "no desktop entry was made."));
        return true;
    }
    if (!installDesktopEntry(report, error) || !installIcons(report, error))
        return false;
    registerSchemeHandler(report);
    return true;
}

bool DesktopIntegration::installDesktopEntry(QStringList* report, QString* error) const
{
    const QString folder = m_locations.applicationsFolder;
    if (!QDir().mkpath(folder)) {
        *error = tr("Could not create the folder %1.").arg(folder);
        return false;
    }
    const QString path = folder + QLatin1Char('/') + desktopFileName();
    if (!writeFile(path, desktopEntry(m_locations.guiExecutable).toUtf8(), error))
        return false;
    report->append(tr("Desktop entry %1 starts %2.").arg(path, m_locations.guiExecutable));
    return true;
}

bool DesktopIntegration::installIcons(QStringList* report, QString* error) const
{
    const QList<int> sizes = Artwork::applicationIconSizes();
    for (int size : sizes) {
        QFile icon(Artwork::applicationIcon(size));
        if (!icon.open(QIODevice::ReadOnly)) {
            *error = tr("The application icon of %1 pixels is missing from the program.").arg(size);
            return false;
        }
        const QString folder
            = m_locations.iconThemeFolder + QStringLiteral("/%1x%1/apps").arg(size);
        if (!QDir().mkpath(folder)) {
            *error = tr("Could not create the folder %1.").arg(folder);
            return false;
        }
        if (!writeFile(folder + QStringLiteral("/kestrofan.png"), icon.readAll(), error))
            return false;
    }
    report->append(tr("Application icon installed in %1.").arg(m_locations.iconThemeFolder));
    return true;
}

void DesktopIntegration::registerSchemeHandler(QStringList* report) const
{
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty()) {
        report->append(tr("xdg-mime is not installed; kestrofan: addresses were not "
                          "registered."));
        return;
    }
    QProcess process;
    process.start(xdgMime,
        { QStringLiteral("default"), desktopFileName(),
            QStringLiteral("x-scheme-handler/kestrofan") });
    const bool finished = process.waitForFinished(30000);
    if (!finished)
        process.kill();
    if (finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        report->append(tr("kestrofan: addresses open in Kestrofan 2."));
    else
        report->append(tr("xdg-mime could not register kestrofan: addresses: %1")
                           .arg(QString::fromLocal8Bit(process.readAllStandardError()).trimmed()));
}
