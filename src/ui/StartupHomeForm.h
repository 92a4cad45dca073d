#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class StartupHomeForm;
}

// Shown once, in the first empty page of the first run: which settings were chosen for the
// user, and the way to the preferences.
class StartupHomeForm : public QWidget
{
    Q_OBJECT
public:
    explicit StartupHomeForm(QWidget* parent = nullptr);
    ~StartupHomeForm() override;

signals:
    // The main window opens the preferences window.
    void openPreferencesRequested();

private slots:
    void on_openPreferencesButton_clicked();

private:
    std::unique_ptr<Ui::StartupHomeForm> ui;
};
