#include "HistoryForm.h"

#include "AccessibleNames.h"
#include "DatetimeTableColumnDelegate.h"
#include "HistoryModel.h"
#include "ui_HistoryForm.h"

#include <QHeaderView>

HistoryForm::HistoryForm(HistoryModel* model, QWidget* parent)
    : PageListForm(parent)
    , ui(std::make_unique<Ui::HistoryForm>())
{
    ui->setupUi(this);
    setUpList(ui->treeView, ui->filterEdit, model,
        { HistoryModel::Title, HistoryModel::Url, HistoryModel::ServiceId });
    ui->treeView->setItemDelegateForColumn(
        HistoryModel::DateTime, new DatetimeTableColumnDelegate(ui->treeView));
    ui->treeView->hideColumn(HistoryModel::Id);
    ui->treeView->hideColumn(HistoryModel::ServiceId);
    ui->treeView->header()->resizeSection(HistoryModel::Title, 300);
    ui->treeView->header()->resizeSection(HistoryModel::Url, 300);
    AccessibleNames::complete(this);
}

HistoryForm::~HistoryForm() = default;

void HistoryForm::on_treeView_doubleClicked(const QModelIndex& index)
{
    open(index, false);
}
