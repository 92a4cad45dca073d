#include "BookmarksForm.h"

#include "AccessibleNames.h"
#include "BookmarksModel.h"
#include "ui_BookmarksForm.h"

#include <QHeaderView>
#include <QMenu>
#include <QShortcut>

BookmarksForm::BookmarksForm(BookmarksModel* model, QWidget* parent)
    : PageListForm(parent)
    , ui(std::make_unique<Ui::BookmarksForm>())
    , m_model(model)
{
    ui->setupUi(this);
    setUpList(ui->tableView, ui->filterEdit, model,
        { BookmarksModel::Title, BookmarksModel::Url, BookmarksModel::ServiceId });
    for (int column : { BookmarksModel::Id, BookmarksModel::ParentId, BookmarksModel::ServiceId,
             BookmarksModel::SortId, BookmarksModel::DateTime })
        ui->tableView->hideColumn(column);
    ui->tableView->horizontalHeader()->resizeSection(BookmarksModel::Title, 300);
    for (const QKeySequence& keys :
        { QKeySequence(QKeySequence::Delete), QKeySequence(Qt::Key_Backspace) }) {
        auto* shortcut = new QShortcut(keys, ui->tableView, nullptr, nullptr, Qt::WidgetShortcut);
        connect(shortcut, &QShortcut::activated, this, &BookmarksForm::deleteSelectedRows);
    }
    AccessibleNames::complete(this);
}

BookmarksForm::~BookmarksForm() = default;

void BookmarksForm::deleteSelectedRows()
{
    m_model->removeBookmarks(selectedSourceRows());
}

void BookmarksForm::deleteSlot()
{
    deleteSelectedRows();
}

void BookmarksForm::on_tableView_doubleClicked(const QModelIndex& index)
{
    open(index, false);
}

void BookmarksForm::addOwnActions(QMenu* menu)
{
    menu->addAction(tr("Delete bookmark"), this, &BookmarksForm::deleteSlot);
}
