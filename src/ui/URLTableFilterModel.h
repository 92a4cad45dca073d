#pragma once

#include <QMap>
#include <QSortFilterProxyModel>

// Shows the rows of a page list whose filtered columns contain a text, ignoring case.
class URLTableFilterModel : public QSortFilterProxyModel
{
    Q_OBJECT
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

public slots:
    // Filters the given source columns by one text; an empty text shows every row.
    void filter(const QString& text, const QList<int>& columns);
    void clearFilter();

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    QMap<int, QString> m_filters;
};
