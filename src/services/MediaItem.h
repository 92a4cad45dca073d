#pragma once

#include <QMetaType>
#include <QString>

// One video or audio of a service, as the service's script described it. Carries the name of
// the service that made it so that downloads, history and bookmarks find the service again.
// A plain value: records are made on worker threads and every holder (a feed, a page, a
// download job) keeps its own copy, so none outlives the data it reads.
class MediaItem
{
public:
    static constexpr int maximumTitleLength = 245;

    MediaItem() = default;
    explicit MediaItem(const QString& serviceName);

    QString id() const { return m.id; }
    void setId(const QString& id);
    bool isIdSet() const { return m.idSet; }
    QString permaUrl() const { return m.permaUrl; }
    void setPermaUrl(const QString& url) { m.permaUrl = url; }
    QString title() const { return m.title.left(maximumTitleLength); }
    void setTitle(const QString& title) { m.title = title; }
    float rating() const { return m.rating; }
    void setRating(float rating) { m.rating = rating; }
    int likes() const { return m.likes; }
    void setLikes(int likes) { m.likes = likes; }
    int views() const { return m.views; }
    void setViews(int views) { m.views = views; }
    QString smallThumbUrl() const { return m.smallThumbUrl; }
    void setSmallThumbUrl(const QString& url) { m.smallThumbUrl = url; }
    QString thumbUrl() const { return m.thumbUrl; }
    void setThumbUrl(const QString& url) { m.thumbUrl = url; }
    QString hdThumbUrl() const { return m.hdThumbUrl; }
    void setHdThumbUrl(const QString& url) { m.hdThumbUrl = url; }
    QString userName() const { return m.userName; }
    void setUserName(const QString& name) { m.userName = name; }
    QString userDisplayName() const { return m.userDisplayName; }
    void setUserDisplayName(const QString& name) { m.userDisplayName = name; }
    QString userId() const { return m.userId; }
    void setUserId(const QString& id) { m.userId = id; }
    QString userPermaUrl() const { return m.userPermaUrl; }
    void setUserPermaUrl(const QString& url) { m.userPermaUrl = url; }
    int durationSeconds() const { return m.durationSeconds; }
    void setDurationSeconds(int seconds) { m.durationSeconds = seconds; }
    QString description() const { return m.description; }
    void setDescription(const QString& text) { m.description = text; }
    // "yyyy-MM-dd" when the script gave an ISO 8601 value, else its text unchanged.
    QString isoDate() const { return m.isoDate; }
    void setIsoDate(const QString& date) { m.isoDate = date; }
    int thumbHeightHQ() const { return m.thumbHeightHQ; }
    int thumbWidthHQ() const { return m.thumbWidthHQ; }
    void setThumbSizeHQ(int width, int height);
    int thumbHeight() const { return m.thumbHeight; }
    int thumbWidth() const { return m.thumbWidth; }
    void setThumbSize(int width, int height);
    int smallThumbWidth() const { return m.smallThumbWidth; }
    int smallThumbHeight() const { return m.smallThumbHeight; }
    void setSmallThumbSize(int width, int height);
    // MediaDescriptor values; -1 until a download job sets them.
    int targetMediaType() const { return m.targetMediaType; }
    void setTargetMediaType(int type) { m.targetMediaType = type; }
    int videoFormat() const { return m.videoFormat; }
    void setVideoFormat(int format) { m.videoFormat = format; }
    int audioFormat() const { return m.audioFormat; }
    void setAudioFormat(int format) { m.audioFormat = format; }
    QString serviceName() const { return m.serviceName; }
    bool hasHD() const { return m.hasHD; }
    void setHasHD(bool hd) { m.hasHD = hd; }
    bool isStreamingNow() const { return m.streamingNow; }
    void setStreamingNow(bool live) { m.streamingNow = live; }

private:
    struct Fields
    {
        QString id;
        QString permaUrl;
        QString title;
        float rating = 0;
        int likes = 0;
        int views = 0;
        QString smallThumbUrl;
        QString thumbUrl;
        QString hdThumbUrl;
        QString userName;
        QString userDisplayName;
        QString userId;
        QString userPermaUrl;
        int durationSeconds = 0;
        QString description;
        QString isoDate;
        int thumbHeightHQ = 0;
        int thumbWidthHQ = 0;
        int thumbHeight = 0;
        int thumbWidth = 0;
        int smallThumbWidth = 0;
        int smallThumbHeight = 0;
        int targetMediaType = -1;
        int videoFormat = -1;
        int audioFormat = -1;
        QString serviceName;
        bool hasHD = false;
        bool streamingNow = false;
        bool idSet = false;
    };
    Fields m;
};

Q_DECLARE_METATYPE(MediaItem)
