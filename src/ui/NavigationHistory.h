#pragma once

#include <QList>
#include <QString>

// One place a tab has shown, to go back or forward to.
struct NavigationEntry
{
    QString title;
    QString address;
    // Prefs::FeedViewMode, or -1 when the preference applies.
    int viewMode = -1;

    bool isEmpty() const { return address.isEmpty() && title.isEmpty(); }
};

// The back and forward list of one tab. Opening a new address after going back keeps the
// entries that were ahead: they stay reachable with "forward" after the new one.
class NavigationHistory
{
public:
    // Adds an entry after the current one, unless the current entry has the same address.
    void push(const NavigationEntry& entry);
    bool canGoBack() const;
    bool canGoForward() const;
    // Moves and returns the entry there; an empty entry when it cannot move.
    NavigationEntry back();
    NavigationEntry forward();
    // The feed view's buttons remember the chosen view for the current entry.
    void setViewMode(int viewMode);

    int currentIndex() const { return m_index; }
    const QList<NavigationEntry>& entries() const { return m_entries; }

private:
    QList<NavigationEntry> m_entries;
    int m_index = -1;
};
