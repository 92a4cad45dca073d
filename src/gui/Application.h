#pragma once

#include <QApplication>
#include <memory>

class AppContext;
class FileOpenEventFilter;
class GuiUserInterface;

// The GUI's application object: a QApplication that owns the core context.
class Application : public QApplication
{
    Q_OBJECT
public:
    Application(int& argc, char** argv);
    ~Application() override;

    // Settings, preferences, queue and database. Kept out of the constructor so that a
    // second instance can hand its address over without touching any of them.
    void startCore();

    // Connects external "kestrofan:" addresses to the receiver's setExternalOpenURL(QString).
    void installFileOpenFilter(QObject* receiver);

    bool notify(QObject* receiver, QEvent* event) override;

private:
    std::unique_ptr<GuiUserInterface> m_ui;
    std::unique_ptr<AppContext> m_context;
    FileOpenEventFilter* m_fileOpenFilter = nullptr;
};
