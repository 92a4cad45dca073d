#include "PageListForm.h"

#include "URLTableFilterModel.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMenu>
#include <QSqlTableModel>

PageListForm::PageListForm(QWidget* parent)
    : QWidget(parent)
{ }

void PageListForm::setUpList(
    QAbstractItemView* view, QLineEdit* filterEdit, QSqlTableModel* model, Columns columns)
{
    m_view = view;
    m_model = model;
    m_columns = columns;
    m_proxy = new URLTableFilterModel(this);
    m_proxy->setSourceModel(model);
    view->setModel(m_proxy);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(
        view, &QWidget::customContextMenuRequested, this, &PageListForm::mainContextMenuTriggered);
    connect(filterEdit, &QLineEdit::textChanged, this, &PageListForm::searchFieldChanged);
}

void PageListForm::searchFieldChanged(const QString& text)
{
    m_proxy->filter(text, { m_columns.url, m_columns.title });
}

void PageListForm::mainContextMenuTriggered(const QPoint& position)
{
    const bool single = m_view->selectionModel()->selectedRows().size() <= 1;
    QMenu menu(this);
    menu.addAction(tr("Copy URL"), this, &PageListForm::copyURLSlot)->setEnabled(single);
    menu.addAction(tr("Open URL"), this, &PageListForm::openSlot)->setEnabled(single);
    menu.addAction(tr("Open URL in new tab"), this, &PageListForm::openInNewTabSlot)
        ->setEnabled(single);
    addOwnActions(&menu);
    menu.exec(m_view->viewport()->mapToGlobal(position));
}

QModelIndex PageListForm::currentRowIndex() const
{
    const QModelIndexList rows = m_view->selectionModel()->selectedRows();
    if (!rows.isEmpty())
        return rows.first();
    return m_view->currentIndex();
}

void PageListForm::copyURLSlot()
{
    const QModelIndex index = currentRowIndex();
    if (index.isValid())
        QApplication::clipboard()->setText(recordAt(index).url);
}

void PageListForm::openSlot()
{
    open(currentRowIndex(), false);
}

void PageListForm::openInNewTabSlot()
{
    open(currentRowIndex(), true);
}

PageRecord PageListForm::recordAt(const QModelIndex& index) const
{
    const int row = m_proxy->mapToSource(index).row();
    const auto text = [&](int column) { return m_model->index(row, column).data().toString(); };
    return PageRecord { text(m_columns.title), text(m_columns.url), text(m_columns.serviceId),
        QString() };
}

void PageListForm::open(const QModelIndex& index, bool newTab)
{
    if (!index.isValid())
        return;
    emit openRequested(recordAt(index), newTab);
}

QList<int> PageListForm::selectedSourceRows() const
{
    QList<int> rows;
    const QModelIndexList selected = m_view->selectionModel()->selectedRows();
    for (const QModelIndex& index : selected)
        rows.append(m_proxy->mapToSource(index).row());
    return rows;
}
