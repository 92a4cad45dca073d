#include "URLTableFilterModel.h"

void URLTableFilterModel::filter(const QString& text, const QList<int>& columns)
{
    m_filters.clear();
    for (int column : columns)
        m_filters.insert(column, text);
    invalidateFilter();
}

void URLTableFilterModel::clearFilter()
{
    m_filters.clear();
    invalidateFilter();
}

bool URLTableFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    if (m_filters.isEmpty())
        return true;
    for (auto it = m_filters.cbegin(); it != m_filters.cend(); ++it) {
        const QModelIndex index = sourceModel()->index(sourceRow, it.key(), sourceParent);
        if (index.data().toString().contains(it.value(), Qt::CaseInsensitive))
            return true;
    }
    return false;
}
