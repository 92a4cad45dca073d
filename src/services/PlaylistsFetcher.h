#pragma once

#include "PlaylistItem.h"
#include "ReaderRun.h"
#include "SearchParams.h"

#include <QList>
#include <QObject>

class MediaServices;
class PlaylistReader;

// Reads a user's playlists on a worker thread.
class PlaylistsFetcher : public QObject
{
    Q_OBJECT
public:
    PlaylistsFetcher(const MediaServices* services, const SearchParams& params,
        const QString& serviceName, QObject* parent = nullptr);
    ~PlaylistsFetcher() override;

    void start();
    // The playlists of the last read, kept by the fetcher.
    const QList<PlaylistItem>& playlists() const { return m_playlists; }

signals:
    void ready();

private slots:
    void done();

private:
    QString m_serviceName;
    ReaderRun<QList<PlaylistItem>, PlaylistReader> m_run;
    QList<PlaylistItem> m_playlists;
};
