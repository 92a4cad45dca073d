#pragma once

#include "MediaFeed.h"
#include "MediaItem.h"
#include "PageDescriptor.h"
#include "PlaylistFeed.h"
#include "ScriptCall.h"
#include "SearchParams.h"
#include "ServiceSettings.h"
#include "UserItem.h"
#include "app/KObject.h"

#include <QAtomicPointer>
#include <QJSValueList>
#include <QMutex>
#include <QObject>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

class QSettings;
class QThread;
class ServiceCredentials;
class UserInterface;

// One media service: its plugin's program and declared settings. Everything else asks it for
// request addresses, for what an address is, and for records made from fetched pages, each
// answer coming from a call into the program. Calls are serialised by the service's lock, so
// it may be used from several worker threads. Every call may wait on the network (the
// program fetches through "scriptInterface"), so the user interface thread never calls these
// directly: it goes through the asynchronous forms of MediaServices.
class MediaService : public QObject, public KObject
{
    Q_OBJECT
public:
    // Loads the plugin in "pluginFolderPath" at once. Loaded when errorText() is empty. The
    // settings and the user interface serve the service's login (credentials()).
    MediaService(const QString& serviceKey, const QString& pluginFolderPath, QSettings* settings,
        UserInterface* userInterface, QObject* parent = nullptr);
    ~MediaService() override;

    bool supportsSearch() const { return m_settings.supportsSearch; }
    bool supportsRelated() const { return m_settings.supportsRelated; }
    bool supportsFavorites() const { return m_settings.supportsFavorites; }
    bool supportsLikes() const { return m_settings.supportsLikes; }
    bool supportsPlaylists() const { return m_settings.supportsPlaylists; }
    bool supportsUploads() const { return m_settings.supportsUploads; }
    bool isAudioOnly() const { return m_settings.isAudioOnly; }
    bool isWebpageContentNeededForExtraction() const
    {
        return m_settings.isWebpageContentNeededForExtraction;
    }
    // ServiceSettings::Get or ::Post.
    int searchHttpMethod() const { return m_settings.searchHttpMethod; }
    // ServiceSettings::FormData or ::Json.
    int searchRequestContentType() const { return m_settings.searchRequestContentType; }
    bool feedsHasPaging() const { return m_settings.feedsHasPaging; }
    bool isPluginFileFound() const { return m_pluginFileFound; }
    int itemsPerPage() const { return m_settings.itemsPerPage; }
    QString supportedByAppVersion() const { return m_settings.supportedByAppVersion; }
    bool userFeedsDependsOnUserData() const { return m_settings.userFeedsDependsOnUserData; }
    QSet<QString> validDomains() const { return m_settings.validDomains; }
    QString httpAuthMethodName() const { return m_settings.httpAuthMethod; }
    int httpAuthMethod() const { return m_settings.authMethodNumber(); }
    QString additionalQueryParams() const { return m_settings.additionalQueryParams; }
    int revision() const { return m_settings.revision; }
    bool hasScriptError() const { return m_scriptError; }
    QString pluginFolderPath() const { return m_pluginFolderPath; }
    QString serviceName() const { return m_settings.serviceName; }
    QString serviceKey() const { return m_serviceKey; }
    QString oaToken() const { return m_settings.oaToken; }
    ServiceCredentials* credentials() const { return m_credentials.get(); }
    bool isAddedAfterLaunch() const { return m_addedAfterLaunch; }
    void setAddedAfterLaunch(bool added) { m_addedAfterLaunch = added; }

    // Plain words (no http:// or https://) for a service that searches.
    bool isSearchInput(const QString& input) const;
    bool canHandle(const QString& input) const;
    // The page an address opens here, or none. Blocking.
    std::optional<PageDescriptor> createPageData(const QString& address);
    // Calls the plugin's "login"; true when it answered "true". Blocking.
    bool login(const QString& username, const QString& password, QString& passBackErrMsg);

    // Stops the call that runs now and every later one (the program is quitting): each fails
    // like a script error, its pending request aborted. Thread-safe.
    void cancelRunningCall();

    static QString genericServiceName() { return QStringLiteral("Generic Service"); }
    static QString genericServiceKey() { return QStringLiteral("generic_service"); }

public slots:
    QUrl getSearchFeedURL(
        const SearchParams& params, int pageNo, int pageSize, const QString& pageToken);
    QByteArray getSearchPOSTBody(const SearchParams& params);
    QUrl getRelatedFeedURL(
        const SearchParams& params, int pageNo, int pageSize, const QString& pageToken);
    QUrl getFavoritesFeedURL(
        const SearchParams& params, int pageNo, int pageSize, const QString& pageToken);
    QUrl getPopularFeedURL(
        const SearchParams& params, int pageNo, int pageSize, const QString& pageToken);
    QUrl getLikesFeedURL(
        const SearchParams& params, int pageNo, int pageSize, const QString& pageToken);
    QUrl getUploadsFeedURL(
        const SearchParams& params, int pageNo, int pageSize, const QString& pageToken);
    QUrl getPlaylistsFeedURL(const SearchParams& params);
    QUrl getPlaylistFeedURL(const QString& playlistId, const QString& userId, int pageNo,
        int pageSize, const QString& pageToken);
    // Finds the playlist identifier in the query first.
    QUrl getPlaylistFeedURL(
        const SearchParams& params, int pageNo, int pageSize, const QString& pageToken);
    QUrl getPlaylistPlayPageURL(
        const QString& playlistId, const QString& startItemId, const QString& userId);
    QUrl getUserDataURL(const SearchParams& params);
    QUrl getMediaDataURL(const QString& queryOrAddress);
    QUrl getMediaDataURL(const SearchParams& params);
    QString getMediaIdFromURL(const QString& address);
    QString getUserIdFromURL(const QString& address);
    QString getPlaylistIdFromURL(const QString& address);
    QString getQueryStringFromSearchURL(const QString& address);

    // Records from fetched page text; none when the script failed (logged).
    std::optional<MediaFeed> getMediaFeed(
        const QString& content, int pageNo, int pageSize, bool singleEntry);
    std::optional<MediaFeed> getMediaFeed(const QString& content, int pageNo, int pageSize);
    std::optional<MediaItem> getMediaData(const QString& content);
    std::optional<UserItem> getUserData(const QString& content);
    std::optional<PlaylistFeed> getPlaylistsData(const QString& content);

private:
    bool loadPlugin();
    void failFatally(const QString& message);
    struct TextAnswer
    {
        QString text;
        bool threw = false;
    };
    // The script's answer as text: a thrown exception's text, empty for a missing function
    // or an undefined answer.
    TextAnswer callForAnswer(const QString& function, const QJSValueList& arguments);
    QString callForText(const QString& function, const QJSValueList& arguments);
    // Like callForText, but an exception gives no identifier (and a warning).
    QString callForIdentifier(const QString& function, const QString& address);
    QUrl callForUrl(const QString& function, const QJSValueList& arguments);
    QJSValueList feedArguments(
        const QString& query, int pageNo, int pageSize, const QString& pageToken) const;
    // One call under the service's lock; "inspect" sees the outcome while the engine lives.
    void runCall(const QString& function, const QJSValueList& arguments,
        const std::function<void(const ScriptCall::Outcome&)>& inspect);
    // Runs a record function and hands its object to "read" while the engine still lives.
    template<typename Record, typename Reader>
    std::optional<Record> callForRecord(
        const char* function, const char* logName, const QString& content, Reader read);

    ServiceSettings m_settings;
    bool m_pluginFileFound = false;
    QString m_programText;
    bool m_scriptError = false;
    QString m_pluginFolderPath;
    QString m_serviceKey;
    QMutex m_mutex;
    // The thread that holds m_mutex, to refuse a call from its own nested event loop.
    QAtomicPointer<QThread> m_lockHolder;
    QMutex m_runningMutex;
    ScriptCall* m_runningCall = nullptr;
    bool m_cancelling = false;
    std::unique_ptr<ServiceCredentials> m_credentials;
    bool m_addedAfterLaunch = false;
};
