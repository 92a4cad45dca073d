#pragma once

#include "MediaUrls.h"
#include "app/MediaDescriptor.h"

#include <QJsonObject>
#include <QString>
#include <QUrl>

#include <functional>

// Turns the download helper's JSON answer into stream addresses: the requested formats (or
// the answer itself), fragmented streams, HLS playlists split into segments, and the
// audio-only or video role of each stream.
class HelperAnswerParser
{
public:
    // Returns the playlist text, or an empty text when it cannot be fetched. Blocking.
    using PlaylistFetcher = std::function<QString(const QUrl&)>;

    HelperAnswerParser(MediaDescriptor::MediaType targetType, PlaylistFetcher fetchPlaylist);

    // Adds lists and formats to "urls". A failing entry leaves its error text and the
    // following entries are still read.
    void parse(const QString& output, MediaUrls& urls);

    // The format of the stream that matches the target type; -1 until known.
    int detectedFormat() const { return m_detectedFormat; }
    QString errorText() const { return m_errorText; }
    // Whether the answer was no JSON object at all (rather than one with faulty entries).
    bool isAnswerUnreadable() const { return m_answerUnreadable; }

    // Segment addresses of an HLS media playlist, in playlist order.
    static QList<QUrl> playlistSegments(const QUrl& playlistUrl, const QString& playlist);
    static bool isAudioOnly(const QJsonObject& entry);

private:
    void readEntry(const QJsonValue& value, MediaUrls& urls);
    // The entry's "http_headers", else those of the whole answer; unsafe ones are dropped.
    HttpSemantics::HeaderList streamHeaders(const QJsonObject& entry) const;
    QList<QUrl> fragmentUrls(const QJsonObject& entry, QString* addressKey) const;

    MediaDescriptor::MediaType m_targetType;
    PlaylistFetcher m_fetchPlaylist;
    int m_detectedFormat = -1;
    QString m_errorText;
    QJsonObject m_top;
    bool m_answerUnreadable = false;
};
