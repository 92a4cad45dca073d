#include "HelperAnswerParser.h"
#include "app/WebAddress.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

namespace {

const QString kUrl = QStringLiteral("url");
const QString kFragmentBaseUrl = QStringLiteral("fragment_base_url");
const QString kFragments = QStringLiteral("fragments");

void removeAll(QList<QUrl>& list, const QList<QUrl>& unwanted)
{
    list.removeIf([&unwanted](const QUrl& url) { return unwanted.contains(url); });
}

} // namespace

HelperAnswerParser::HelperAnswerParser(
    MediaDescriptor::MediaType targetType, PlaylistFetcher fetchPlaylist)
    : m_targetType(targetType)
    , m_fetchPlaylist(std::move(fetchPlaylist))
{ }

void HelperAnswerParser::parse(const QString& output, MediaUrls& urls)
{
    const QByteArray bytes = output.toUtf8();
    QJsonParseError parseError;
    QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    // A page with several media gets one JSON line per medium: the first one is read.
    if (parseError.error == QJsonParseError::GarbageAtEnd)
        document = QJsonDocument::fromJson(bytes.left(parseError.offset), &parseError);
    m_answerUnreadable = parseError.error != QJsonParseError::NoError || !document.isObject();
    if (parseError.error != QJsonParseError::NoError && output.startsWith(QLatin1Char('{'))) {
        // A broken answer is no message for anybody.
        m_errorText = QStringLiteral("JSON response from youtube-dl could not be read");
        return;
    }
    if (parseError.error != QJsonParseError::NoError) {
        // The helper explains a failure in plain text.
        QString reason = output;
        reason.remove(QStringLiteral("ERROR: "));
        const qsizetype lineEnd = reason.indexOf(QLatin1Char('\n'));
        m_errorText = lineEnd >= 0 ? reason.left(lineEnd) : reason;
        return;
    }
    if (!document.isObject()) {
        m_errorText = QStringLiteral("JSON response from youtube-dl could not be read");
        return;
    }

    const QJsonObject top = document.object();
    m_top = top;
    m_detectedFormat
        = MediaDescriptor::formatFromString(top.value(QStringLiteral("ext")).toString());

    QJsonArray entries = top.value(QStringLiteral("requested_formats")).toArray();
    if (entries.isEmpty())
        entries = QJsonArray { top };
    for (const QJsonValue& entry : std::as_const(entries))
        readEntry(entry, urls);

    if (!urls.videoUrls.isEmpty() && !urls.audioUrls.isEmpty())
        removeAll(urls.audioUrls, urls.videoUrls);
}

void HelperAnswerParser::readEntry(const QJsonValue& value, MediaUrls& urls)
{
    if (value.isNull()) {
        m_errorText = QStringLiteral("format entry was empty");
        return;
    }
    const QJsonObject entry = value.toObject();
    if (!entry.contains(kUrl)) {
        m_errorText
            = QStringLiteral("requested_formats[].url attribute not found in youtube-dl response");
        return;
    }

    QString addressKey = kUrl;
    QList<QUrl> entryUrls = fragmentUrls(entry, &addressKey);
    const bool fragmented = addressKey == kFragmentBaseUrl || !entryUrls.isEmpty();
    const QString url = entry.value(kUrl).toString();
    if (!fragmented && url.contains(QLatin1String(".m3u8"))) {
        const QUrl playlistUrl(url);
        const QString playlist = m_fetchPlaylist ? m_fetchPlaylist(playlistUrl) : QString();
        entryUrls = playlistSegments(playlistUrl, playlist);
    }
    if (entryUrls.isEmpty())
        entryUrls.append(QUrl(entry.value(addressKey).toString()));

    for (const QUrl& entryUrl : std::as_const(entryUrls)) {
        if (!WebAddress::isValid(entryUrl)) {
            m_errorText = QStringLiteral("Unsupported stream address in youtube-dl response: %1")
                              .arg(entryUrl.toDisplayString());
            return;
        }
    }

    const int format
        = MediaDescriptor::formatFromString(entry.value(QStringLiteral("ext")).toString());
    if (isAudioOnly(entry)) {
        urls.audioUrls.append(entryUrls);
        urls.audioFormat = format;
        urls.audioHeaders = streamHeaders(entry);
        if (m_targetType == MediaDescriptor::Audio)
            m_detectedFormat = format;
    } else {
        urls.videoUrls.append(entryUrls);
        urls.videoFormat = format;
        urls.videoHeaders = streamHeaders(entry);
        if (m_targetType == MediaDescriptor::Video)
            m_detectedFormat = format;
    }
}

HttpSemantics::HeaderList HelperAnswerParser::streamHeaders(const QJsonObject& entry) const
{
    const QString key = QStringLiteral("http_headers");
    const QJsonObject object
        = entry.value(key).isObject() ? entry.value(key).toObject() : m_top.value(key).toObject();
    HttpSemantics::HeaderList headers;
    for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
        if (!it.value().isString())
            continue;
        const QByteArray name = it.key().toLatin1();
        const QByteArray value = it.value().toString().toUtf8();
        if (HttpSemantics::isSafeHeader(name, value))
            headers.append({ name, value });
    }
    return headers;
}

QList<QUrl> HelperAnswerParser::fragmentUrls(const QJsonObject& entry, QString* addressKey) const
{
    QList<QUrl> fragmentList;
    const QJsonArray fragments = entry.value(kFragments).toArray();
    const bool hasBase = entry.contains(kFragmentBaseUrl);
    if (hasBase && entry.contains(kFragments))
        *addressKey = kFragmentBaseUrl;
    else if (!entry.contains(kFragments))
        return fragmentList;

    // Fragments name a path below the base, or (without a base) an address of their own.
    const QString base = entry.value(kFragmentBaseUrl).toString();
    for (const QJsonValue& fragment : fragments) {
        const QJsonObject object = fragment.toObject();
        if (hasBase && object.contains(QStringLiteral("path")))
            fragmentList.append(QUrl(base + object.value(QStringLiteral("path")).toString()));
        else if (object.contains(kUrl))
            fragmentList.append(QUrl(object.value(kUrl).toString()));
    }
    return fragmentList;
}

QList<QUrl> HelperAnswerParser::playlistSegments(const QUrl& playlistUrl, const QString& playlist)
{
    // Relative segment names are appended to the playlist's folder.
    QString base = playlistUrl.toString(QUrl::FullyEncoded);
    base = base.left(base.indexOf(QLatin1String(".m3u8")));
    base = base.left(base.lastIndexOf(QLatin1Char('/')) + 1);

    QList<QUrl> segments;
    static const QRegularExpression lineBreaks(QStringLiteral("[\r\n]"));
    for (const QString& rawLine : playlist.split(lineBreaks, Qt::SkipEmptyParts)) {
        const QString line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QUrl reference(line);
        // Absolute and host-relative names are resolved as addresses.
        if (!reference.scheme().isEmpty() || line.startsWith(QLatin1Char('/')))
            segments.append(playlistUrl.resolved(reference));
        else
            segments.append(QUrl(base + line));
    }
    return segments;
}

bool HelperAnswerParser::isAudioOnly(const QJsonObject& entry)
{
    const QString height = QStringLiteral("height");
    const QString width = QStringLiteral("width");
    if (entry.value(QStringLiteral("vcodec")) == QJsonValue(QStringLiteral("none")))
        return true;
    if (!entry.contains(height) && !entry.contains(width))
        return true;
    return entry.value(height).isNull() && entry.value(width).isNull();
}
