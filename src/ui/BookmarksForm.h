#pragma once

#include "PageListForm.h"

#include <memory>

namespace Ui {
class BookmarksForm;
}
class BookmarksModel;

// The bookmarks page: the saved pages in the user's order, filtered, opened and deleted.
class BookmarksForm : public PageListForm
{
    Q_OBJECT
public:
    explicit BookmarksForm(BookmarksModel* model, QWidget* parent = nullptr);
    ~BookmarksForm() override;

public slots:
    void deleteSelectedRows();
    void deleteSlot();

private slots:
    void on_tableView_doubleClicked(const QModelIndex& index);

protected:
    void addOwnActions(QMenu* menu) override;

private:
    std::unique_ptr<Ui::BookmarksForm> ui;
    BookmarksModel* m_model;
};
