#include "BookmarkDialog.h"

#include "AccessibleNames.h"
#include "BookmarksModel.h"
#include "ui_BookmarkDialog.h"

BookmarkDialog::BookmarkDialog(BookmarksModel* bookmarks, const QString& title, const QString& url,
    QWidget* parent, const QString& serviceId)
    : QDialog(parent)
    , ui(std::make_unique<Ui::BookmarkDialog>())
    , m_bookmarks(bookmarks)
    , m_url(url)
    , m_serviceId(serviceId)
{
    ui->setupUi(this);
    ui->titleInput->setText(title);
    ui->titleInput->selectAll();
    AccessibleNames::complete(this);
}

BookmarkDialog::~BookmarkDialog() = default;

void BookmarkDialog::on_cancelButton_clicked()
{
    reject();
}

void BookmarkDialog::on_addButton_clicked()
{
    const QString title = ui->titleInput->text();
    if (title.isEmpty())
        return;
    m_bookmarks->addBookmark(title, m_url, m_serviceId);
    accept();
}
