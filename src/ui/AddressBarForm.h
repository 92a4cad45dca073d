#pragma once

#include "PageData.h"

#include <QMap>
#include <QPointer>
#include <QWidget>

#include <optional>

class MainTabsForm;
class MediaService;
class MediaServices;
class QAction;
class QLineEdit;
class QMenu;
class QPushButton;
class QToolButton;

// The toolbar's address bar: back and forward, the line where addresses and search words are
// typed, and the menu of services that plain words search. Turns text into page objects
// through the service registry (off the user interface thread: a script decides).
class AddressBarForm : public QWidget
{
    Q_OBJECT
public:
    AddressBarForm(MainTabsForm* tabs, QWidget* parent = nullptr);

    // The registry arrives once the plugins are loaded; until then nothing can be opened.
    void setServices(MediaServices* services);
    QLineEdit* searchInput() const { return m_input; }
    QToolButton* servicesButton() const { return m_servicesButton; }
    QString errorText() const { return m_errorText; }
    // The services whose entries are checked, as plain search words search them.
    QStringList selectedServices() const;

public slots:
    void submitTextInput(const QString& text, const ExtraUrlData& extra, const QString& title,
        int viewMode = -1, bool newTab = false);
    // Submits what is typed in the line.
    void submitTextInput();
    void updateNavButtons();
    void addService(const QString& serviceName);
    void onServiceSelectionChanged();
    void onMediaServiceAddedAfterLaunch(MediaService* service);
    // At start-up, an address of a known service on the clipboard is opened.
    void handleClipboardAddress();
    void setText(const QString& text);
    void focusInputSoon();

signals:
    void pageInstanceReady(PageData* page, int viewMode, bool newTab);
    void signalTextInputChanged();
    // Prefs::setPageLoadStatus codes for the main window: 0 loading, 1 done, 2 failed.
    void pageLoadStatusChanged(int status);
    void errorOccurred(const QString& text);

private slots:
    void on_backButton_clicked();
    void on_forwardButton_clicked();

private:
    void makePage(const SearchParams& params, int viewMode, bool newTab);
    void deliverPage(const std::optional<PageDescriptor>& descriptor, const SearchParams& params,
        int viewMode, bool newTab);
    void fail(const QString& text);

    MainTabsForm* m_tabs;
    QPointer<MediaServices> m_services;
    QPushButton* m_backButton = nullptr;
    QPushButton* m_forwardButton = nullptr;
    QLineEdit* m_input = nullptr;
    QToolButton* m_servicesButton = nullptr;
    QMenu* m_servicesMenu = nullptr;
    QMap<QString, QAction*> m_serviceActions;
    QString m_errorText;
    // A page that replaces the current tab's is dropped when a later one was asked for; pages
    // for new tabs are all delivered.
    quint64 m_replacement = 0;
};
