#pragma once

#include <QString>
#include <QStringList>

// Makes kestrofan a desktop application for the user: a desktop entry that also handles
// "kestrofan:" addresses, the application icon in the icon theme's sizes, and the
// registration as the handler of that scheme. Safe to run again.
class DesktopIntegration
{
public:
    struct Locations
    {
        QString applicationsFolder; // where the desktop entry goes
        QString iconThemeFolder; // the hicolor theme folder
        QString guiExecutable; // absolute path of kestrofan
    };

    explicit DesktopIntegration(const Locations& locations);

    // The user's folders and the kestrofan found beside this program, in the build tree or
    // on the search path.
    static Locations userLocations();

    static QString desktopFileName() { return QStringLiteral("kestrofan.desktop"); }
    // The entry's text for an executable.
    static QString desktopEntry(const QString& guiExecutable);

    bool run(QStringList* report, QString* error) const;

private:
    bool installDesktopEntry(QStringList* report, QString* error) const;
    bool installIcons(QStringList* report, QString* error) const;
    void registerSchemeHandler(QStringList* report) const;

    Locations m_locations;
};
