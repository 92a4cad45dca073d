#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class BookmarkDialog;
}
class BookmarksModel;

// Saves the current page as a bookmark under a title the user may change.
class BookmarkDialog : public QDialog
{
    Q_OBJECT
public:
    BookmarkDialog(BookmarksModel* bookmarks, const QString& title, const QString& url,
        QWidget* parent = nullptr, const QString& serviceId = QStringLiteral("YouTube"));
    ~BookmarkDialog() override;

private slots:
    void on_cancelButton_clicked();
    void on_addButton_clicked();

private:
    std::unique_ptr<Ui::BookmarkDialog> ui;
    BookmarksModel* m_bookmarks;
    QString m_url;
    QString m_serviceId;
};
