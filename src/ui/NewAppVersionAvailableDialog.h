#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class NewAppVersionAvailableDialog;
}

// Tells about a newer release of the program and offers to open its download page.
class NewAppVersionAvailableDialog : public QDialog
{
    Q_OBJECT
public:
    NewAppVersionAvailableDialog(const QString& version, const QString& versionText,
        const QString& location, QWidget* parent = nullptr);
    ~NewAppVersionAvailableDialog() override;

    QString location() const { return m_location; }

private slots:
    void on_cancelButton_clicked();
    void on_downloadButton_clicked();

private:
    std::unique_ptr<Ui::NewAppVersionAvailableDialog> ui;
    QString m_location;
};
