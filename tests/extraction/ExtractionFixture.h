#pragma once

#include "app/UserInterface.h"

#include <QString>
#include <QStringList>

#include <memory>

class AppContext;

// Messages the core would show, kept for the test to look at.
class RecordingUserInterface : public UserInterface
{
public:
    void showFatalError(const QString& text) override { fatalErrors << text; }
    void showError(const QString& text) override { errors << text; }

    QStringList fatalErrors;
    QStringList errors;
};

// A data folder with a fresh database (no helper registered) and the core context on it.
class ExtractionFixture
{
public:
    ExtractionFixture();
    ~ExtractionFixture();

    bool isReady() const { return m_context != nullptr; }
    AppContext* context() const { return m_context.get(); }

    // Writes an executable shell script into the helpers folder; returns its path.
    static QString writeHelperScript(const QString& fileName, const QByteArray& script);
    // Row 1 of binary_helper for a file name in the helpers folder.
    static void registerDownloadHelper(const QString& binaryName);

private:
    RecordingUserInterface m_ui;
    std::unique_ptr<AppContext> m_context;
};
