#include "Prefs.h"

#include "PlainName.h"

#include <QCoreApplication>
#include <QDir>
#include <QReadWriteLock>
#include <QSettings>
#include <QStandardPaths>
#include <QThread>
#include <QtDebug>

#include <atomic>
#include <functional>
#include <vector>

namespace {

using Values = PrefsSnapshot;

const QString kDefaultMediaTmpDir = QStringLiteral("Temporary files");

// The values, the lock that guards them, the store and the thread that owns it.
struct State
{
    QReadWriteLock lock;
    Values values;
    std::atomic<QSettings*> settings { nullptr };
    std::atomic<QThread*> owner { nullptr };
};

State& state()
{
    static State current;
    return current;
}

template<typename T> T read(T Values::*member)
{
    QReadLocker locker(&state().lock);
    return state().values.*member;
}

template<typename T> void assign(T Values::*member, const T& value)
{
    QWriteLocker locker(&state().lock);
    state().values.*member = value;
}

// The settings store is not safe across threads, and a value changed on two threads could
// leave memory and store disagreeing: only the owning thread changes preferences. Without
// an attached store the application's thread owns them.
bool mayChange(const char* key)
{
    QThread* owner = state().owner;
    if (!owner && QCoreApplication::instance())
        owner = QCoreApplication::instance()->thread();
    if (!owner || owner == QThread::currentThread())
        return true;
    qCritical().noquote() << QStringLiteral("Prefs: refused to change \"%1\" off the thread "
                                            "that owns the settings")
                                 .arg(QLatin1String(key));
    return false;
}

QString withTrailingSeparator(const QString& path)
{
    return path.endsWith(QDir::separator()) ? path : path + QDir::separator();
}

QString normalisedTmpDir(QString dir)
{
    if (dir.endsWith(QLatin1Char('/')) || dir.endsWith(QLatin1Char('\\')))
        dir.chop(1);
    // Partial downloads must stay inside the media folder: "../x" or "/tmp" would place
    // (and later clean) a folder anywhere.
    if (!dir.isEmpty() && !PlainName::isValid(dir))
        return kDefaultMediaTmpDir;
    return dir;
}

QString fullKey(const QString& key)
{
    return QStringLiteral("prefs/") + key;
}

void store(const char* key, const QVariant& value)
{
    if (QSettings* settings = state().settings)
        settings->setValue(fullKey(QLatin1String(key)), value);
}

template<typename T> void assignAndStore(T Values::*member, const char* key, const T& value)
{
    if (!mayChange(key))
        return;
    assign(member, value);
    store(key, QVariant::fromValue(value));
}

Values snapshotOfStored()
{
    QReadLocker locker(&state().lock);
    return state().values;
}

// One row per key, in the order writeDefaults writes them and load reads them.
struct Entry
{
    QString key;
    QMetaType type;
    bool writtenByDefaults = true;
    std::function<QVariant()> get;
    std::function<void(Values&, const QVariant&)> assign; // load: in-memory only
    std::function<void(const QVariant&)> set; // the public setter, or empty
};

template<typename T> Entry entry(const char* key, T Values::*member, void (*setter)(T) = nullptr)
{
    Entry row;
    row.key = QLatin1String(key);
    row.type = QMetaType::fromType<T>();
    row.get = [member] { return QVariant::fromValue(read(member)); };
    row.assign = [member](Values& target, const QVariant& v) { target.*member = v.value<T>(); };
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
        t.push_back(entry("mediaPlayerAudioPlaylistName", &Values::mediaPlayerAudioPlaylistName,
            &Prefs::setMediaPlayerAudioPlaylistName));
        t.push_back(entry("mediaPlayerVideoPlaylistName", &Values::mediaPlayerVideoPlaylistName,
            &Prefs::setMediaPlayerVideoPlaylistName));
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
    return read(&Values::mediaPath);
}
void Prefs::setMediaPath(const QString& path)
{
    assignAndStore(&Values::mediaPath, "mediaPath", withTrailingSeparator(path));
}
QString Prefs::mediaTmpDir()
{
    return normalisedTmpDir(read(&Values::mediaTmpDir));
}
QString Prefs::mediaTmpLocation()
{
    return snapshot().mediaTmpLocation();
}
int Prefs::preferredVideoFormat()
{
    return read(&Values::preferredVideoFormat);
}
void Prefs::setPreferredVideoFormat(int format)
{
    assignAndStore(&Values::preferredVideoFormat, "preferredVideoFormat", format);
}
int Prefs::preferredAudioFormat()
{
    return read(&Values::preferredAudioFormat);
}
void Prefs::setPreferredAudioFormat(int format)
{
    assignAndStore(&Values::preferredAudioFormat, "preferredAudioFormat", format);
}
int Prefs::defaultDownloadMediaType()
{
    return read(&Values::defaultDownloadMediaType);
}
void Prefs::setDefaultDownloadMediaType(int type)
{
    assignAndStore(&Values::defaultDownloadMediaType, "defaultDownloadMediaType", type);
}
int Prefs::preferredAudioConversion()
{
    return read(&Values::preferredAudioConversion);
}
void Prefs::setPreferredAudioConversion(int conversion)
{
    assignAndStore(&Values::preferredAudioConversion, "preferredAudioConversion", conversion);
}
int Prefs::feedViewMode()
{
    return read(&Values::feedViewMode);
}
bool Prefs::downloadQueuePaused()
{
    return read(&Values::downloadQueuePaused);
}
bool Prefs::doLimitBandwidth()
{
    return read(&Values::doLimitBandwidth);
}
int Prefs::preferredVideoSize()
{
    return read(&Values::preferredVideoSize);
}
void Prefs::setPreferredVideoSize(int size)
{
    assignAndStore(&Values::preferredVideoSize, "preferredVideoSize", size);
}
int Prefs::simultaneousDownloads()
{
    return read(&Values::simultaneousDownloads);
}
bool Prefs::showAdultContent()
{
    return read(&Values::showAdultContent);
}
void Prefs::setShowAdultContent(bool show)
{
    assignAndStore(&Values::showAdultContent, "showAdultContent", show);
}
bool Prefs::addAudioToMediaPlayerPlaylist()
{
    return read(&Values::addAudioToMediaPlayerPlaylist);
}
void Prefs::setAddAudioToMediaPlayerPlaylist(bool add)
{
    assignAndStore(&Values::addAudioToMediaPlayerPlaylist, "addAudioToMediaPlayerPlaylist", add);
}
bool Prefs::addVideoToMediaPlayerPlaylist()
{
    return read(&Values::addVideoToMediaPlayerPlaylist);
}
void Prefs::setAddVideoToMediaPlayerPlaylist(bool add)
{
    assignAndStore(&Values::addVideoToMediaPlayerPlaylist, "addVideoToMediaPlayerPlaylist", add);
}
QString Prefs::mediaPlayerAudioPlaylistName()
{
    return read(&Values::mediaPlayerAudioPlaylistName);
}
void Prefs::setMediaPlayerAudioPlaylistName(const QString& name)
{
    assignAndStore(&Values::mediaPlayerAudioPlaylistName, "mediaPlayerAudioPlaylistName", name);
}
QString Prefs::mediaPlayerVideoPlaylistName()
{
    return read(&Values::mediaPlayerVideoPlaylistName);
}
void Prefs::setMediaPlayerVideoPlaylistName(const QString& name)
{
    assignAndStore(&Values::mediaPlayerVideoPlaylistName, "mediaPlayerVideoPlaylistName", name);
}
bool Prefs::deleteMediaWhenAddedToMediaplayer()
{
    return read(&Values::deleteMediaWhenAddedToMediaplayer);
}
void Prefs::setDeleteMediaWhenAddedToMediaplayer(bool remove)
{
    assignAndStore(
        &Values::deleteMediaWhenAddedToMediaplayer, "deleteMediaWhenAddedToMediaplayer", remove);
}
QString Prefs::audioPlayerApp()
{
    return read(&Values::audioPlayerApp);
}
void Prefs::setAudioPlayerApp(const QString& app)
{
    assignAndStore(&Values::audioPlayerApp, "audioPlayerApp", app);
}
QString Prefs::videoPlayerApp()
{
    return read(&Values::videoPlayerApp);
}
void Prefs::setVideoPlayerApp(const QString& app)
{
    assignAndStore(&Values::videoPlayerApp, "videoPlayerApp", app);
}
int Prefs::threadsForMP4Conversion()
{
    return read(&Values::threadsForMP4Conversion);
}
void Prefs::setThreadsForMP4Conversion(int threads)
{
    assignAndStore(&Values::threadsForMP4Conversion, "threadsForMP4Conversion", threads);
}
QDate Prefs::lastVersionCheckForPlugins()
{
    return read(&Values::lastVersionCheckForPlugins);
}
void Prefs::setLastVersionCheckForPlugins(const QDate& date)
{
    assignAndStore(&Values::lastVersionCheckForPlugins, "lastVersionCheckForPlugins", date);
}
QString Prefs::version()
{
    return read(&Values::version);
}
void Prefs::setVersion(const QString& version)
{
    assignAndStore(&Values::version, "version", version);
}
QString Prefs::build()
{
    return read(&Values::build);
}
void Prefs::setBuild(const QString& build)
{
    assignAndStore(&Values::build, "build", build);
}
QStringList Prefs::searchableServiceNamesOrder()
{
    return read(&Values::searchableServiceNamesOrder);
}
void Prefs::setSearchableServiceNamesOrder(const QStringList& names)
{
    assignAndStore(&Values::searchableServiceNamesOrder, "searchableServiceNamesOrder", names);
}
bool Prefs::visualNotificationOnQueueFinished()
{
    return read(&Values::visualNotificationOnQueueFinished);
}
void Prefs::setVisualNotificationOnQueueFinished(bool show)
{
    assignAndStore(
        &Values::visualNotificationOnQueueFinished, "visualNotificationOnQueueFinished", show);
}
bool Prefs::audioNotificationOnQueueFinished()
{
    return read(&Values::audioNotificationOnQueueFinished);
}
void Prefs::setAudioNotificationOnQueueFinished(bool ring)
{
    assignAndStore(
        &Values::audioNotificationOnQueueFinished, "audioNotificationOnQueueFinished", ring);
}
QStringList Prefs::searchableServiceNames()
{
    return read(&Values::searchableServiceNames);
}
void Prefs::setSearchableServiceNames(const QStringList& names)
{
    assignAndStore(&Values::searchableServiceNames, "searchableServiceNames", names);
}

PrefsSnapshot Prefs::snapshot()
{
    PrefsSnapshot copy;
    {
        QReadLocker locker(&state().lock);
        copy = state().values;
    }
    copy.mediaTmpDir = normalisedTmpDir(copy.mediaTmpDir);
    return copy;
}

void Prefs::attach(QSettings* settings)
{
    state().settings = settings;
    state().owner = settings ? QThread::currentThread() : nullptr;
}

void Prefs::writeDefaults()
{
    if (!mayChange("prefs"))
        return;
    assign(&Values::mediaPath, withTrailingSeparator(read(&Values::mediaPath)));
    for (const Entry& row : table()) {
        if (row.writtenByDefaults)
            store(row.key.toLatin1().constData(), row.get());
    }
}

void Prefs::load()
{
    QSettings* settings = state().settings;
    if (!settings || !mayChange("prefs"))
        return;
    Values loaded = snapshotOfStored();
    settings->beginGroup(QStringLiteral("prefs"));
    for (const Entry& row : table()) {
        if (row.key == QLatin1String("mediaPath")) {
            // Read unconditionally: an absent key means an empty path, not the default.
            loaded.mediaPath = settings->value(row.key).toString();
        } else if (row.key == QLatin1String("simultaneousDownloads")) {
            loaded.simultaneousDownloads = 1;
        } else {
            const QVariant stored = settings->value(row.key);
            if (!stored.isNull())
                row.assign(loaded, stored);
        }
    }
    settings->endGroup();
    QWriteLocker locker(&state().lock);
    state().values = loaded;
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
    QWriteLocker locker(&state().lock);
    state().values = Values();
}

QString Prefs::updateUrl()
{
    return read(&Values::updateUrl);
}
void Prefs::setUpdateUrl(const QString& url)
{
    assignAndStore(&Values::updateUrl, "updateUrl", url);
}

QString Prefs::updatePublicKey()
{
    return read(&Values::updatePublicKey);
}
void Prefs::setUpdatePublicKey(const QString& key)
{
    assignAndStore(&Values::updatePublicKey, "updatePublicKey", key);
}
