#include "MediaService.h"

#include "PluginProgram.h"
#include "ScriptRecords.h"
#include "ServiceCredentials.h"
#include "ServicePluginFile.h"
#include "app/FatalStop.h"

#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>
#include <QThread>
#include <QtDebug>

namespace {

bool isWebAddress(const QString& text)
{
    return text.startsWith(QLatin1String("http://")) || text.startsWith(QLatin1String("https://"));
}

} // namespace

MediaService::MediaService(const QString& serviceKey, const QString& pluginFolderPath,
    QSettings* settings, UserInterface* userInterface, QObject* parent)
    : QObject(parent)
    , m_pluginFolderPath(pluginFolderPath)
    , m_serviceKey(serviceKey)
{
    {
        QMutexLocker lock(&m_mutex);
        loadPlugin();
    }
    m_credentials
        = std::make_unique<ServiceCredentials>(m_settings.serviceName, settings, userInterface);
}

MediaService::~MediaService() = default;

bool MediaService::loadPlugin()
{
    const QString path = m_pluginFolderPath + QDir::separator()
        + QString::fromLatin1(ServicePluginFile::fileName());
    QString text;
    QString problem;
    const ServicePluginFile::Status status = ServicePluginFile::read(path, &text, &problem);
    if (status == ServicePluginFile::Missing) {
        setErrorText(QCoreApplication::translate(
            "MediaService", "Could not find %1 service plugin, ignoring")
                         .arg(m_pluginFolderPath));
        return false;
    }
    if (status == ServicePluginFile::Damaged) {
        // Counts as not installed, so that the update check installs it again.
        setErrorText(QCoreApplication::translate("MediaService",
            "The service plugin %1 is damaged (%2), "
            "ignoring")
                         .arg(path, problem));
        return false;
    }
    m_pluginFileFound = true;
    m_programText = PluginProgram::assemble(text);

    ScriptCall call(m_programText, m_serviceKey);
    if (!call.load()) {
        m_scriptError = true;
        const ScriptCall::Outcome& outcome = call.loadOutcome();
        failFatally(QStringLiteral("Plugin error: ") + outcome.errorText
            + QStringLiteral(" at line ") + QString::number(outcome.lineNumber)
            + QStringLiteral(" in ") + m_pluginFolderPath + QStringLiteral("/")
            + QString::fromLatin1(ServicePluginFile::fileName()));
        return false;
    }
    QString settingsError;
    if (!m_settings.read(call.globalObject(), &settingsError)) {
        failFatally(
            QStringLiteral("Plugin error: ") + settingsError + QStringLiteral(" in ") + path);
        return false;
    }
    clearError();
    return true;
}

void MediaService::failFatally(const QString& message)
{
    setErrorText(message);
    FatalStop::die(message);
}

bool MediaService::isSearchInput(const QString& input) const
{
    return m_settings.supportsSearch && !isWebAddress(input.trimmed());
}

bool MediaService::canHandle(const QString& input) const
{
    if (input.isEmpty())
        return false;
    if (isSearchInput(input))
        return true;
    if (!isWebAddress(input))
        return false;
    const QUrl url(input, QUrl::TolerantMode);
    if (!url.isValid())
        return false;
    static const QRegularExpression leadingWww(QStringLiteral("^www\\."));
    const QString host = url.host().remove(leadingWww).toLower();
    return m_settings.validDomains.contains(host)
        || m_settings.validDomains.contains(QStringLiteral("*"));
}

std::optional<PageDescriptor> MediaService::createPageData(const QString& address)
{
    PageDescriptor page;
    page.serviceName = serviceName();
    page.query = address;
    page.userId = getUserIdFromURL(address);
    if (!page.userId.isEmpty()) {
        page.kind = PageDescriptor::User;
        return page;
    }
    page.mediaId = getMediaIdFromURL(address);
    if (!page.mediaId.isEmpty() || m_settings.validDomains.contains(QStringLiteral("*"))) {
        page.kind = PageDescriptor::Media;
        // A media page shows the playlist its address was opened from.
        if (m_settings.supportsPlaylists)
            page.playlistId = getPlaylistIdFromURL(address);
        return page;
    }
    if (m_settings.supportsPlaylists) {
        page.playlistId = getPlaylistIdFromURL(address);
        if (!page.playlistId.isEmpty()) {
            page.kind = PageDescriptor::Playlist;
            return page;
        }
    }
    if (m_settings.supportsSearch) {
        if (isSearchInput(address)) {
            page.kind = PageDescriptor::Search;
            page.searchQuery = address;
            return page;
        }
        QString query = getQueryStringFromSearchURL(address);
        if (!query.isEmpty()) {
            // "+" stands for a blank only before decoding; an encoded "%2B" is a real plus.
            query.replace(QLatin1Char('+'), QLatin1Char(' '));
            page.kind = PageDescriptor::Search;
            page.searchQuery = QUrl::fromPercentEncoding(query.toUtf8());
            return page;
        }
    }
    return std::nullopt;
}

bool MediaService::login(const QString& username, const QString& password, QString& passBackErrMsg)
{
    const TextAnswer answer = callForAnswer(QStringLiteral("login"), { username, password });
    passBackErrMsg = answer.threw ? answer.text : errorText();
    return !answer.threw && answer.text == QLatin1String("true");
}

void MediaService::cancelRunningCall()
{
    QMutexLocker lock(&m_runningMutex);
    m_cancelling = true;
    if (m_runningCall)
        m_runningCall->cancel();
}

void MediaService::runCall(const QString& function, const QJSValueList& arguments,
    const std::function<void(const ScriptCall::Outcome&)>& inspect)
{
    ScriptCall::Outcome outcome;
    // A call made from the nested event loop of this thread's own running call (a request's
    // wait) would wait for itself forever on the non-recursive lock.
    if (m_lockHolder.loadAcquire() == QThread::currentThread()) {
        outcome.kind = ScriptCall::Outcome::Threw;
        outcome.errorText = QStringLiteral("%1() was called while this thread's call into the "
                                           "service still runs")
                                .arg(function);
        inspect(outcome);
        return;
    }
    QMutexLocker lock(&m_mutex);
    m_lockHolder.storeRelease(QThread::currentThread());
    ScriptCall call(m_programText, serviceName());
    {
        QMutexLocker running(&m_runningMutex);
        m_runningCall = &call;
        if (m_cancelling)
            call.cancel();
    }
    if (!call.load())
        outcome = call.loadOutcome();
    else
        outcome = call.call(function, arguments);
    inspect(outcome);
    // Script values must not outlive their engine.
    outcome = ScriptCall::Outcome();
    {
        QMutexLocker running(&m_runningMutex);
        m_runningCall = nullptr;
    }
    m_lockHolder.storeRelease(nullptr);
}

MediaService::TextAnswer MediaService::callForAnswer(
    const QString& function, const QJSValueList& arguments)
{
    TextAnswer answer;
    runCall(function, arguments, [&answer](const ScriptCall::Outcome& outcome) {
        switch (outcome.kind) {
        case ScriptCall::Outcome::Missing:
            return;
        case ScriptCall::Outcome::Threw:
            answer = { outcome.errorText, true };
            return;
        case ScriptCall::Outcome::Returned:
            break;
        }
        // A function that forgot to return must not read as the identifier "undefined".
        if (!outcome.value.isUndefined() && !outcome.value.isNull())
            answer = { outcome.value.toString(), false };
    });
    return answer;
}

QString MediaService::callForText(const QString& function, const QJSValueList& arguments)
{
    return callForAnswer(function, arguments).text;
}

QString MediaService::callForIdentifier(const QString& function, const QString& address)
{
    const TextAnswer answer = callForAnswer(function, { address });
    if (!answer.threw)
        return answer.text;
    // Taken as an identifier, the exception would decide what kind of page the address is.
    qWarning().noquote() << QStringLiteral("Script error: %1() in service '%2': %3")
                                .arg(function, serviceName(), answer.text);
    return QString();
}

QUrl MediaService::callForUrl(const QString& function, const QJSValueList& arguments)
{
    return QUrl(callForText(function, arguments), QUrl::TolerantMode);
}

QJSValueList MediaService::feedArguments(
    const QString& query, int pageNo, int pageSize, const QString& pageToken) const
{
    return { query, pageNo, pageSize, pageToken };
}

template<typename Record, typename Reader>
std::optional<Record> MediaService::callForRecord(
    const char* function, const char* logName, const QString& content, Reader read)
{
    std::optional<Record> record;
    runCall(QString::fromLatin1(function), { content }, [&](const ScriptCall::Outcome& outcome) {
        QString problem;
        if (outcome.kind == ScriptCall::Outcome::Missing)
            problem = QStringLiteral("the function is not defined");
        else if (!outcome.ok())
            problem = outcome.errorText;
        else if (outcome.value.isError())
            problem = outcome.value.toString();
        else if (!outcome.value.isObject())
            problem = QStringLiteral("the function returned no object");
        if (!problem.isEmpty()) {
            qCritical().noquote() << QStringLiteral("Script error: %1() in service '%2': %3")
                                         .arg(QLatin1String(logName), serviceName(), problem);
            return;
        }
        // The engine still lives here: its objects are read now.
        record = read(outcome.value);
    });
    return record;
}

QUrl MediaService::getSearchFeedURL(
    const SearchParams& params, int pageNo, int pageSize, const QString& pageToken)
{
    const QString query = QString::fromLatin1(QUrl::toPercentEncoding(params.query()));
    return callForUrl(
        QStringLiteral("getSearchFeedURL"), feedArguments(query, pageNo, pageSize, pageToken));
}

QByteArray MediaService::getSearchPOSTBody(const SearchParams& params)
{
    return callForText(QStringLiteral("getSearchPOSTBody"), { params.query() }).toUtf8();
}

QUrl MediaService::getRelatedFeedURL(
    const SearchParams& params, int pageNo, int pageSize, const QString& pageToken)
{
    return callForUrl(QStringLiteral("getRelatedFeedURL"),
        feedArguments(params.query(), pageNo, pageSize, pageToken));
}

QUrl MediaService::getFavoritesFeedURL(
    const SearchParams& params, int pageNo, int pageSize, const QString& pageToken)
{
    return callForUrl(QStringLiteral("getFavoritesFeedURL"),
        feedArguments(params.query(), pageNo, pageSize, pageToken));
}

QUrl MediaService::getPopularFeedURL(
    const SearchParams& params, int pageNo, int pageSize, const QString& pageToken)
{
    return callForUrl(QStringLiteral("getPopularFeedURL"),
        feedArguments(params.query(), pageNo, pageSize, pageToken));
}

QUrl MediaService::getLikesFeedURL(
    const SearchParams& params, int pageNo, int pageSize, const QString& pageToken)
{
    return callForUrl(QStringLiteral("getLikesFeedURL"),
        feedArguments(params.query(), pageNo, pageSize, pageToken));
}

QUrl MediaService::getUploadsFeedURL(
    const SearchParams& params, int pageNo, int pageSize, const QString& pageToken)
{
    return callForUrl(QStringLiteral("getUploadsFeedURL"),
        feedArguments(params.query(), pageNo, pageSize, pageToken));
}

QUrl MediaService::getPlaylistsFeedURL(const SearchParams& params)
{
    return callForUrl(QStringLiteral("getPlaylistsFeedURL"), { params.query() });
}

QUrl MediaService::getPlaylistFeedURL(const QString& playlistId, const QString& userId, int pageNo,
    int pageSize, const QString& pageToken)
{
    return callForUrl(
        QStringLiteral("getPlaylistFeedURL"), { playlistId, userId, pageNo, pageSize, pageToken });
}

QUrl MediaService::getPlaylistFeedURL(
    const SearchParams& params, int pageNo, int pageSize, const QString& pageToken)
{
    return getPlaylistFeedURL(
        getPlaylistIdFromURL(params.query()), QString(), pageNo, pageSize, pageToken);
}

QUrl MediaService::getPlaylistPlayPageURL(
    const QString& playlistId, const QString& startItemId, const QString& userId)
{
    return callForUrl(
        QStringLiteral("getPlaylistPlayPageURL"), { playlistId, startItemId, userId });
}

QUrl MediaService::getUserDataURL(const SearchParams& params)
{
    return callForUrl(QStringLiteral("getUserDataURL"), { params.query() });
}

QUrl MediaService::getMediaDataURL(const QString& queryOrAddress)
{
    return callForUrl(QStringLiteral("getMediaDataURL"), { queryOrAddress });
}

QUrl MediaService::getMediaDataURL(const SearchParams& params)
{
    return getMediaDataURL(params.query());
}

QString MediaService::getMediaIdFromURL(const QString& address)
{
    return callForIdentifier(QStringLiteral("getMediaIdFromURL"), address);
}

QString MediaService::getUserIdFromURL(const QString& address)
{
    return callForIdentifier(QStringLiteral("getUserIdFromURL"), address);
}

QString MediaService::getPlaylistIdFromURL(const QString& address)
{
    return callForIdentifier(QStringLiteral("getPlaylistIdFromURL"), address);
}

QString MediaService::getQueryStringFromSearchURL(const QString& address)
{
    return callForIdentifier(QStringLiteral("getQueryStringFromSearchURL"), address);
}

std::optional<MediaFeed> MediaService::getMediaFeed(
    const QString& content, int pageNo, int pageSize, bool singleEntry)
{
    Q_UNUSED(singleEntry)
    const QString name = serviceName();
    const bool paged = m_settings.feedsHasPaging;
    return callForRecord<MediaFeed>(
        "getMediaFeed", "getMediaFeed", content, [&](const QJSValue& object) {
            return ScriptRecords::mediaFeed(object, name, paged, pageNo, pageSize);
        });
}

std::optional<MediaFeed> MediaService::getMediaFeed(
    const QString& content, int pageNo, int pageSize)
{
    return getMediaFeed(content, pageNo, pageSize, false);
}

std::optional<MediaItem> MediaService::getMediaData(const QString& content)
{
    const QString name = serviceName();
    return callForRecord<MediaItem>("getMediaData", "getMediaData", content,
        [&](const QJSValue& object) { return ScriptRecords::mediaItem(object, name); });
}

std::optional<UserItem> MediaService::getUserData(const QString& content)
{
    const QString name = serviceName();
    return callForRecord<UserItem>("getUserData", "getUserData", content,
        [&](const QJSValue& object) { return ScriptRecords::userItem(object, name); });
}

std::optional<PlaylistFeed> MediaService::getPlaylistsData(const QString& content)
{
    const QString name = serviceName();
    return callForRecord<PlaylistFeed>("getPlayLists", "getPlaylists", content,
        [&](const QJSValue& object) { return ScriptRecords::playlistFeed(object, name); });
}
