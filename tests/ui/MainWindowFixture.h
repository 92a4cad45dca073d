#pragma once

#include "services/ServiceTestSupport.h"

#include <QMap>
#include <QString>

#include <memory>

class MainWindow;
class QTabWidget;

// The main window as kestrofan builds it, over a registry of exactly the given plugins
// (key -> program), shown and past its first turn of the event loop.
class MainWindowFixture
{
public:
    MainWindowFixture();
    ~MainWindowFixture();

    // Null when the window did not come up with its first tab.
    MainWindow* open(const QMap<QString, QString>& plugins);
    void close();
    MainWindow* window() const { return m_window.get(); }
    QTabWidget* tabs() const;
    ServiceFixture& services() { return m_services; }

    static QStringList tabTexts(const QTabWidget* tabs);

private:
    ServiceFixture m_services;
    std::unique_ptr<MainWindow> m_window;
};
