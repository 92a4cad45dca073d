#pragma once

#include "PageListForm.h"

#include <memory>

namespace Ui {
class HistoryForm;
}
class HistoryModel;

// The history page: visited pages, newest first, filtered and opened again.
class HistoryForm : public PageListForm
{
    Q_OBJECT
public:
    explicit HistoryForm(HistoryModel* model, QWidget* parent = nullptr);
    ~HistoryForm() override;

private slots:
    void on_treeView_doubleClicked(const QModelIndex& index);

private:
    std::unique_ptr<Ui::HistoryForm> ui;
};
