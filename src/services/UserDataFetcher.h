#pragma once

#include "PlaylistItem.h"
#include "ReaderRun.h"
#include "SearchParams.h"
#include "UserItem.h"

#include <QList>
#include <QObject>

#include <optional>

class MediaServices;
class PlaylistsFetcher;
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
    // The records of the last read, kept by the fetcher; callers copy what they keep.
    const std::optional<UserItem>& userItem() const { return m_user; }
    const QList<PlaylistItem>& playlists() const { return m_playlists; }
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
    ReaderRun<std::optional<UserItem>, UserReader> m_run;
    PlaylistsFetcher* m_playlistsFetcher = nullptr;
    std::optional<UserItem> m_user;
    QList<PlaylistItem> m_playlists;
    QString m_errorText;
};
