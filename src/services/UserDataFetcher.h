#pragma once

#include "ReaderRun.h"
#include "SearchParams.h"

#include <QList>
#include <QObject>

class MediaServices;
class PlaylistItem;
class PlaylistsFetcher;
class UserItem;
class UserReader;

// Reads a user and, when the service has playlists, the user's playlists, each on a worker
// thread; the two signals come in either order.
class UserDataFetcher : public QObject
{
    Q_OBJECT
public:
    UserDataFetcher(const MediaServices* services, const SearchParams& params,
        const QString& serviceName, QObject* parent = nullptr);
    ~UserDataFetcher() override;

    void start();
    // Owned by the fetcher until taken.
    UserItem* userItem() const { return m_user; }
    UserItem* takeUserItem();
    QList<PlaylistItem*> playlists() const { return m_playlists; }
    QList<PlaylistItem*> takePlaylists();
    // The reader's message when the user could not be read.
    QString errorText() const { return m_errorText; }

signals:
    void userDataReady();
    void playlistsReady();

private slots:
    void userDataFinished();
    void playlistsFinished();

private:
    QString m_serviceName;
    ReaderRun<UserItem*, UserReader> m_run;
    PlaylistsFetcher* m_playlistsFetcher = nullptr;
    UserItem* m_user = nullptr;
    QList<PlaylistItem*> m_playlists;
    QString m_errorText;
};
