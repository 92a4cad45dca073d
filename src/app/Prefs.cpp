#include "Prefs.h"

#include "AppContext.h"

#include <QCoreApplication>
#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QThread>

#include <functional>
#include <vector>

namespace {

struct Values
{
    QString mediaPath
        = QDir::toNativeSeparators(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation)
            + QLatin1Char('/')
            //: The standard download directory name
            + QStringLiteral(QT_TRANSLATE_NOOP("Prefs", "Kestrofan Downloads")) + QLatin1Char('/'));
    QString mediaTmpDir = QStringLiteral("Temporary files");
    int preferredVideoFormat = 45;
    int preferredAudioFormat = 0;
    int defaultDownloadMediaType = 1;
    int preferredAudioConversion = 1;
    int feedViewMode = Prefs::Thumbnails;
    bool downloadQueuePaused = false;
    bool doLimitBandwidth = false;
    int preferredVideoSize = 3;
    int simultaneousDownloads = 1;
    bool showAdultContent = true;
    bool addAudioToMediaPlayerPlaylist = true;
    bool addVideoToMediaPlayerPlaylist = false;
    QString mediaPlayerAudioPlaylistName
        = QStringLiteral("Kestrofan ") + QStringLiteral(QT_TRANSLATE_NOOP("Prefs", "music"));
    QString mediaPlayerVideoPlaylistName
        = QStringLiteral("Kestrofan ") + QStringLiteral(QT_TRANSLATE_NOOP("Prefs", "video"));
    bool deleteMediaWhenAddedToMediaplayer = false;
    QString audioPlayerApp;
    QString videoPlayerApp;
    int threadsForMP4Conversion = QThread::idealThreadCount() / 2;
    QDate lastVersionCheckForPlugins;
    QString version;
    QString build;
    QStringList searchableServiceNamesOrder = { QStringLiteral("YouTube") };
    bool visualNotificationOnQueueFinished = true;
    bool audioNotificationOnQueueFinished = false;
    QStringList searchableServiceNames;
    QString updateUrl;
    QString updatePublicKey;
};

Values& values()
{
    static Values current;
    return current;
}

QString withTrailingSeparator(const QString& path)
{
    return path.endsWith(QDir::separator()) ? path : path + QDir::separator();
}

QString fullKey(const QString& key)
{
    return QStringLiteral("prefs/") + key;
}

void store(const char* key, const QVariant& value)
{
    if (QSettings* settings = AppContext::settings())
        settings->setValue(fullKey(QLatin1String(key)), value);
}

template<typename T> void assignAndStore(T Values::*member, const char* key, const T& value)
{
    values().*member = value;
    store(key, QVariant::fromValue(value));
}

// One row per key, in the order writeDefaults writes them and load reads them.
struct Entry
{
    QString key;
    QMetaType type;
    bool writtenByDefaults = true;
    std::function<QVariant()> get;
    std::function<void(const QVariant&)> assign; // load: in-memory only
    std::function<void(const QVariant&)> set; // the public setter, or empty
};

template<typename T> Entry entry(const char* key, T Values::*member, void (*setter)(T) = nullptr)
{
    Entry row;
    row.key = QLatin1String(key);
    row.type = QMetaType::fromType<T>();
    row.get = [member] { return QVariant::fromValue(values().*member); };
    row.assign = [member](const QVariant& v) { values().*member = v.value<T>(); };
    if (setter)
        row.set = [setter](const QVariant& v) { setter(v.value<T>()); };
    return row;
}

template<typename T> Entry entry(const char* key, T Values::*member, void (*setter)(const T&))
{
    Entry row = entry<T>(key, member);
    row.set = [setter](const QVariant& v) { setter(v.value<T>()); };
    return row;
}

const std::vector<Entry>& table()
{
    static const std::vector<Entry> rows = [] {
        std::vector<Entry> t;
        t.push_back(entry("mediaPath", &Values::mediaPath, &Prefs::setMediaPath));
        t.push_back(entry("mediaTmpDir", &Values::mediaTmpDir));
        t.push_back(entry("preferredVideoFormat", &Values::preferredVideoFormat,
            &Prefs::setPreferredVideoFormat));
        t.push_back(entry("preferredAudioFormat", &Values::preferredAudioFormat,
            &Prefs::setPreferredAudioFormat));
        t.push_back(entry("defaultDownloadMediaType", &Values::defaultDownloadMediaType,
            &Prefs::setDefaultDownloadMediaType));
        t.push_back(entry("preferredAudioConversion", &Values::preferredAudioConversion,
            &Prefs::setPreferredAudioConversion));
        t.push_back(entry("feedViewMode", &Values::feedViewMode));
        t.push_back(entry("downloadQueuePaused", &Values::downloadQueuePaused));
        t.push_back(entry("doLimitBandwidth", &Values::doLimitBandwidth));
        t.push_back(entry(
            "preferredVideoSize", &Values::preferredVideoSize, &Prefs::setPreferredVideoSize));
        t.push_back(entry("simultaneousDownloads", &Values::simultaneousDownloads));
        t.push_back(
            entry("showAdultContent", &Values::showAdultContent, &Prefs::setShowAdultContent));
        t.push_back(entry("addAudioToMediaPlayerPlaylist", &Values::addAudioToMediaPlayerPlaylist,
            &Prefs::setAddAudioToMediaPlayerPlaylist));
        t.push_back(entry("addVideoToMediaPlayerPlaylist", &Values::addVideoToMediaPlayerPlaylist,
            &Prefs::setAddVideoToMediaPlayerPlaylist));
        t.push_back(entry("mediaPlayerAudioPlaylistName", &Values::mediaPlayerAudioPlaylistName));
        t.push_back(entry("mediaPlayerVideoPlaylistName", &Values::mediaPlayerVideoPlaylistName));
        t.push_back(
            entry("deleteMediaWhenAddedToMediaplayer", &Values::deleteMediaWhenAddedToMediaplayer,
                &Prefs::setDeleteMediaWhenAddedToMediaplayer));
        t.push_back(entry("audioPlayerApp", &Values::audioPlayerApp, &Prefs::setAudioPlayerApp));
        t.push_back(entry("videoPlayerApp", &Values::videoPlayerApp, &Prefs::setVideoPlayerApp));
        t.push_back(entry("threadsForMP4Conversion", &Values::threadsForMP4Conversion,
            &Prefs::setThreadsForMP4Conversion));
        t.push_back(entry("lastVersionCheckForPlugins", &Values::lastVersionCheckForPlugins,
            &Prefs::setLastVersionCheckForPlugins));
        t.push_back(entry("version", &Values::version, &Prefs::setVersion));
        t.push_back(entry("build", &Values::build, &Prefs::setBuild));
        t.push_back(entry("searchableServiceNamesOrder", &Values::searchableServiceNamesOrder,
            &Prefs::setSearchableServiceNamesOrder));
        // Only loaded: an older store may lack them, and first runs leave them out.
        const auto loadedOnly = [](Entry row) {
            row.writtenByDefaults = false;
            return row;
        };
        t.push_back(loadedOnly(
            entry("visualNotificationOnQueueFinished", &Values::visualNotificationOnQueueFinished,
                &Prefs::setVisualNotificationOnQueueFinished)));
        t.push_back(loadedOnly(
            entry("audioNotificationOnQueueFinished", &Values::audioNotificationOnQueueFinished,
                &Prefs::setAudioNotificationOnQueueFinished)));
        t.push_back(loadedOnly(entry("searchableServiceNames", &Values::searchableServiceNames,
            &Prefs::setSearchableServiceNames)));
        // Self-hosted update servers; empty means the build's own settings apply.
        t.push_back(loadedOnly(entry("updateUrl", &Values::updateUrl, &Prefs::setUpdateUrl)));
        t.push_back(loadedOnly(
            entry("updatePublicKey", &Values::updatePublicKey, &Prefs::setUpdatePublicKey)));
        return t;
    }();
    return rows;
}

const Entry* findEntry(const QString& key)
{
    for (const Entry& row : table()) {
        if (row.key == key)
            return &row;
    }
    return nullptr;
}

// Strict text conversion for tools: "abc" is not an integer, "maybe" not a bool.
bool convertText(const QString& text, QMetaType type, QVariant* out)
{
    switch (type.id()) {
    case QMetaType::Int: {
        bool ok = false;
        const int number = text.trimmed().toInt(&ok);
        *out = number;
        return ok;
    }
    case QMetaType::Bool: {
        const QString word = text.trimmed().toLower();
        if (word == QLatin1String("true") || word == QLatin1String("1"))
            *out = true;
        else if (word == QLatin1String("false") || word == QLatin1String("0"))
            *out = false;
        else
            return false;
        return true;
    }
    case QMetaType::QDate: {
        const QDate date = text.isEmpty() ? QDate() : QDate::fromString(text, Qt::ISODate);
        *out = date;
        return text.isEmpty() || date.isValid();
    }
    case QMetaType::QStringList: {
        // "A, B" names the same two entries as "A,B".
        QStringList entries;
        for (const QString& entry : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            if (!entry.trimmed().isEmpty())
                entries << entry.trimmed();
        }
        *out = entries;
        return true;
    }
    default:
        *out = text;
        return true;
    }
}

} // namespace

QString Prefs::mediaPath()
{
    return values().mediaPath;
}
void Prefs::setMediaPath(const QString& path)
{
    assignAndStore(&Values::mediaPath, "mediaPath", withTrailingSeparator(path));
}
QString Prefs::mediaTmpDir()
{
    QString dir = values().mediaTmpDir;
    if (dir.endsWith(QLatin1Char('/')) || dir.endsWith(QLatin1Char('\\')))
        dir.chop(1);
    return dir;
}
int Prefs::preferredVideoFormat()
{
    return values().preferredVideoFormat;
}
void Prefs::setPreferredVideoFormat(int format)
{
    assignAndStore(&Values::preferredVideoFormat, "preferredVideoFormat", format);
}
int Prefs::preferredAudioFormat()
{
    return values().preferredAudioFormat;
}
void Prefs::setPreferredAudioFormat(int format)
{
    assignAndStore(&Values::preferredAudioFormat, "preferredAudioFormat", format);
}
int Prefs::defaultDownloadMediaType()
{
    return values().defaultDownloadMediaType;
}
void Prefs::setDefaultDownloadMediaType(int type)
{
    assignAndStore(&Values::defaultDownloadMediaType, "defaultDownloadMediaType", type);
}
int Prefs::preferredAudioConversion()
{
    return values().preferredAudioConversion;
}
void Prefs::setPreferredAudioConversion(int conversion)
{
    assignAndStore(&Values::preferredAudioConversion, "preferredAudioConversion", conversion);
}
int Prefs::feedViewMode()
{
    return values().feedViewMode;
}
bool Prefs::downloadQueuePaused()
{
    return values().downloadQueuePaused;
}
bool Prefs::doLimitBandwidth()
{
    return values().doLimitBandwidth;
}
int Prefs::preferredVideoSize()
{
    return values().preferredVideoSize;
}
void Prefs::setPreferredVideoSize(int size)
{
    assignAndStore(&Values::preferredVideoSize, "preferredVideoSize", size);
}
int Prefs::simultaneousDownloads()
{
    return values().simultaneousDownloads;
}
bool Prefs::showAdultContent()
{
    return values().showAdultContent;
}
void Prefs::setShowAdultContent(bool show)
{
    assignAndStore(&Values::showAdultContent, "showAdultContent", show);
}
bool Prefs::addAudioToMediaPlayerPlaylist()
{
    return values().addAudioToMediaPlayerPlaylist;
}
void Prefs::setAddAudioToMediaPlayerPlaylist(bool add)
{
    assignAndStore(&Values::addAudioToMediaPlayerPlaylist, "addAudioToMediaPlayerPlaylist", add);
}
bool Prefs::addVideoToMediaPlayerPlaylist()
{
    return values().addVideoToMediaPlayerPlaylist;
}
void Prefs::setAddVideoToMediaPlayerPlaylist(bool add)
{
    assignAndStore(&Values::addVideoToMediaPlayerPlaylist, "addVideoToMediaPlayerPlaylist", add);
}
QString Prefs::mediaPlayerAudioPlaylistName()
{
    return values().mediaPlayerAudioPlaylistName;
}
QString Prefs::mediaPlayerVideoPlaylistName()
{
    return values().mediaPlayerVideoPlaylistName;
}
bool Prefs::deleteMediaWhenAddedToMediaplayer()
{
    return values().deleteMediaWhenAddedToMediaplayer;
}
void Prefs::setDeleteMediaWhenAddedToMediaplayer(bool remove)
{
    assignAndStore(
        &Values::deleteMediaWhenAddedToMediaplayer, "deleteMediaWhenAddedToMediaplayer", remove);
}
QString Prefs::audioPlayerApp()
{
    return values().audioPlayerApp;
}
void Prefs::setAudioPlayerApp(const QString& app)
{
    assignAndStore(&Values::audioPlayerApp, "audioPlayerApp", app);
}
QString Prefs::videoPlayerApp()
{
    return values().videoPlayerApp;
}
void Prefs::setVideoPlayerApp(const QString& app)
{
    assignAndStore(&Values::videoPlayerApp, "videoPlayerApp", app);
}
int Prefs::threadsForMP4Conversion()
{
    return values().threadsForMP4Conversion;
}
void Prefs::setThreadsForMP4Conversion(int threads)
{
    assignAndStore(&Values::threadsForMP4Conversion, "threadsForMP4Conversion", threads);
}
QDate Prefs::lastVersionCheckForPlugins()
{
    return values().lastVersionCheckForPlugins;
}
void Prefs::setLastVersionCheckForPlugins(const QDate& date)
{
    assignAndStore(&Values::lastVersionCheckForPlugins, "lastVersionCheckForPlugins", date);
}
QString Prefs::version()
{
    return values().version;
}
void Prefs::setVersion(const QString& version)
{
    assignAndStore(&Values::version, "version", version);
}
QString Prefs::build()
{
    return values().build;
}
void Prefs::setBuild(const QString& build)
{
    assignAndStore(&Values::build, "build", build);
}
QStringList Prefs::searchableServiceNamesOrder()
{
    return values().searchableServiceNamesOrder;
}
void Prefs::setSearchableServiceNamesOrder(const QStringList& names)
{
    assignAndStore(&Values::searchableServiceNamesOrder, "searchableServiceNamesOrder", names);
}
bool Prefs::visualNotificationOnQueueFinished()
{
    return values().visualNotificationOnQueueFinished;
}
void Prefs::setVisualNotificationOnQueueFinished(bool show)
{
    assignAndStore(
        &Values::visualNotificationOnQueueFinished, "visualNotificationOnQueueFinished", show);
}
bool Prefs::audioNotificationOnQueueFinished()
{
    return values().audioNotificationOnQueueFinished;
}
void Prefs::setAudioNotificationOnQueueFinished(bool ring)
{
    assignAndStore(
        &Values::audioNotificationOnQueueFinished, "audioNotificationOnQueueFinished", ring);
}
QStringList Prefs::searchableServiceNames()
{
    return values().searchableServiceNames;
}
void Prefs::setSearchableServiceNames(const QStringList& names)
{
    assignAndStore(&Values::searchableServiceNames, "searchableServiceNames", names);
}

void Prefs::writeDefaults()
{
    values().mediaPath = withTrailingSeparator(values().mediaPath);
    for (const Entry& row : table()) {
        if (row.writtenByDefaults)
            store(row.key.toLatin1().constData(), row.get());
    }
}

void Prefs::load()
{
    QSettings* settings = AppContext::settings();
    if (!settings)
        return;
    settings->beginGroup(QStringLiteral("prefs"));
    for (const Entry& row : table()) {
        if (row.key == QLatin1String("mediaPath")) {
            // Read unconditionally: an absent key means an empty path, not the default.
            values().mediaPath = settings->value(row.key).toString();
        } else if (row.key == QLatin1String("simultaneousDownloads")) {
            values().simultaneousDownloads = 1;
        } else {
            const QVariant stored = settings->value(row.key);
            if (!stored.isNull())
                row.assign(stored);
        }
    }
    settings->endGroup();
}

QStringList Prefs::keys()
{
    QStringList names;
    for (const Entry& row : table())
        names << row.key;
    return names;
}

bool Prefs::contains(const QString& key)
{
    return findEntry(key) != nullptr;
}

bool Prefs::isWritable(const QString& key)
{
    const Entry* row = findEntry(key);
    return row && row->set;
}

QVariant Prefs::value(const QString& key)
{
    if (key == QLatin1String("mediaTmpDir"))
        return mediaTmpDir();
    const Entry* row = findEntry(key);
    return row ? row->get() : QVariant();
}

bool Prefs::setValueFromText(const QString& key, const QString& text, QString* error)
{
    const Entry* row = findEntry(key);
    if (!row) {
        *error = QCoreApplication::translate("Prefs", "Unknown preference \"%1\".").arg(key);
        return false;
    }
    if (!row->set) {
        *error = QCoreApplication::translate("Prefs", "The preference \"%1\" cannot be changed.")
                     .arg(key);
        return false;
    }
    QVariant converted;
    if (!convertText(text, row->type, &converted)) {
        *error = QCoreApplication::translate("Prefs", "\"%1\" is not a valid %2 for \"%3\".")
                     .arg(text, QLatin1String(row->type.name()), key);
        return false;
    }
    row->set(converted);
    return true;
}

void Prefs::resetToDefaults()
{
    values() = Values();
}

QString Prefs::updateUrl()
{
    return values().updateUrl;
}
void Prefs::setUpdateUrl(const QString& url)
{
    assignAndStore(&Values::updateUrl, "updateUrl", url);
}

QString Prefs::updatePublicKey()
{
    return values().updatePublicKey;
}
void Prefs::setUpdatePublicKey(const QString& key)
{
    assignAndStore(&Values::updatePublicKey, "updatePublicKey", key);
}
