#pragma once

#include <QString>

// What a page is about: the search words, or the user, media or playlist address or identifier.
// Only the query reaches the scripts; the other texts travel with the page for its own use.
class SearchParams
{
public:
    SearchParams() = default;
    explicit SearchParams(const QString& query)
        : m_query(query)
    { }

    QString query() const { return m_query; }
    void setQuery(const QString& query) { m_query = query; }
    QString extraFirst() const { return m_extraFirst; }
    void setExtraFirst(const QString& text) { m_extraFirst = text; }
    QString extraSecond() const { return m_extraSecond; }
    void setExtraSecond(const QString& text) { m_extraSecond = text; }
    QString title() const { return m_title; }
    void setTitle(const QString& title) { m_title = title; }

private:
    QString m_query;
    QString m_extraFirst;
    QString m_extraSecond;
    QString m_title;
};
