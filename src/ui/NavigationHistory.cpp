#include "NavigationHistory.h"

void NavigationHistory::push(const NavigationEntry& entry)
{
    if (!m_entries.isEmpty() && m_entries.at(m_index).address == entry.address)
        return;
    ++m_index;
    m_entries.insert(m_index, entry);
}

bool NavigationHistory::canGoBack() const
{
    return m_index >= 1 && !m_entries.at(m_index - 1).address.isEmpty();
}

bool NavigationHistory::canGoForward() const
{
    return m_entries.size() > 1 && m_index < m_entries.size() - 1;
}

NavigationEntry NavigationHistory::back()
{
    if (!canGoBack())
        return {};
    return m_entries.at(--m_index);
}

NavigationEntry NavigationHistory::forward()
{
    if (!canGoForward())
        return {};
    return m_entries.at(++m_index);
}

void NavigationHistory::setViewMode(int viewMode)
{
    if (m_index >= 0)
        m_entries[m_index].viewMode = viewMode;
}
