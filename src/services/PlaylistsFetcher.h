#pragma once

#include "ReaderRun.h"
#include "SearchParams.h"

#include <QList>
#include <QObject>

class MediaServices;
class PlaylistItem;
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
    // Owned by the fetcher until taken.
    QList<PlaylistItem*> playlists() const { return m_playlists; }
    QList<PlaylistItem*> takePlaylists();

signals:
    void ready();

private slots:
    void done();

private:
    QString m_serviceName;
    ReaderRun<QList<PlaylistItem*>, PlaylistReader> m_run;
    QList<PlaylistItem*> m_playlists;
};
