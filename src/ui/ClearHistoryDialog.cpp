#include "ClearHistoryDialog.h"

#include "AccessibleNames.h"
#include "ui_ClearHistoryDialog.h"

ClearHistoryDialog::ClearHistoryDialog(QWidget* parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::ClearHistoryDialog>())
{
    ui->setupUi(this);
    AccessibleNames::complete(this);
}

ClearHistoryDialog::~ClearHistoryDialog() = default;
