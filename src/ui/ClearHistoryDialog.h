#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class ClearHistoryDialog;
}

// Asks before the browsing history is cleared; accepted means clear it.
class ClearHistoryDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ClearHistoryDialog(QWidget* parent = nullptr);
    ~ClearHistoryDialog() override;

private:
    std::unique_ptr<Ui::ClearHistoryDialog> ui;
};
