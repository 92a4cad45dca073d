#pragma once

#include "services/PageDescriptor.h"
#include "services/SearchParams.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class FeedDataFetcher;
class MediaDataFetcher;
class MediaServices;
class UserDataFetcher;

// Two texts that travel with an address from whoever opens it into the page's search
// parameters (what a view already knows about the page, such as its title or owner).
struct ExtraUrlData
{
    QString first;
    QString second;
};

// What one tab shows: the page an address or search text opened, with the fetchers that read
// its feeds. Owns its fetchers. The subclasses differ in what load() starts.
class PageData : public QObject
{
    Q_OBJECT
public:
    // The page for a classified text; "searchServices" are the services selected for search in
    // the address bar (plain search words search each of them). Never null.
    static PageData* create(const PageDescriptor& descriptor, const SearchParams& params,
        const MediaServices* services, const QStringList& searchServices,
        QObject* parent = nullptr);

    PageDescriptor::Kind kind() const { return m_descriptor.kind; }
    const PageDescriptor& descriptor() const { return m_descriptor; }
    QString serviceName() const { return m_descriptor.serviceName; }
    const SearchParams& searchParams() const { return m_params; }
    QString query() const { return m_params.query(); }
    QString title() const { return m_title; }
    void setTitle(const QString& title) { m_title = title; }
    const QList<FeedDataFetcher*>& feedFetchers() const { return m_feedFetchers; }
    // The media page's item reader and the user page's user reader; null for the other kinds.
    virtual MediaDataFetcher* mediaFetcher() const { return nullptr; }
    virtual UserDataFetcher* userFetcher() const { return nullptr; }

    // Starts the page's fetchers; dataReady() tells when the feed fetchers are all there.
    virtual void load() = 0;

signals:
    void dataReady();

protected:
    PageData(const PageDescriptor& descriptor, const SearchParams& params,
        const MediaServices* services, QObject* parent);

    void addFeedFetcher(const QString& serviceName, int feedKind);
    const MediaServices* services() const { return m_services; }

private:
    PageDescriptor m_descriptor;
    SearchParams m_params;
    const MediaServices* m_services;
    QString m_title;
    QList<FeedDataFetcher*> m_feedFetchers;
};
