#pragma once

#include "PageRecord.h"

#include <QList>
#include <QWidget>

class QAbstractItemView;
class QAction;
class QLineEdit;
class QMenu;
class QSqlTableModel;
class URLTableFilterModel;

// What the bookmarks and the history page share: a filtered list of pages that opens a page
// on double-click or from its context menu, and copies its address.
class PageListForm : public QWidget
{
    Q_OBJECT
public:
    struct Columns
    {
        int title;
        int url;
        int serviceId;
    };

    explicit PageListForm(QWidget* parent = nullptr);

    URLTableFilterModel* proxyModel() const { return m_proxy; }

signals:
    // The main window opens the page, in the current tab or in a new one.
    void openRequested(const PageRecord& record, bool newTab);

public slots:
    void searchFieldChanged(const QString& text);
    void mainContextMenuTriggered(const QPoint& position);
    void copyURLSlot();
    void openSlot();
    void openInNewTabSlot();

protected:
    void setUpList(
        QAbstractItemView* view, QLineEdit* filterEdit, QSqlTableModel* model, Columns columns);
    // The record of a row of the view (proxy index).
    PageRecord recordAt(const QModelIndex& index) const;
    void open(const QModelIndex& index, bool newTab);
    // Selected rows of the source model.
    QList<int> selectedSourceRows() const;
    // Lets a page add its own entries below the shared ones.
    virtual void addOwnActions(QMenu*) { }

private:
    QModelIndex currentRowIndex() const;

    QAbstractItemView* m_view = nullptr;
    QSqlTableModel* m_model = nullptr;
    URLTableFilterModel* m_proxy = nullptr;
    Columns m_columns {};
};
