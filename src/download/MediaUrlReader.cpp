#include "MediaUrlReader.h"

#include "BinaryHelpers.h"
#include "HelperAnswerParser.h"
#include "HelperArguments.h"
#include "HelperCookieFile.h"
#include "app/WebAddress.h"
#include "convert/SystemProcess.h"
#include "net/HttpRequest.h"
#include "services/MediaItem.h"

namespace {

QString fetchPlaylist(const QUrl& url)
{
    HttpRequest request(nullptr);
    if (!request.get(url.toString(QUrl::FullyEncoded), true))
        return QString();
    return request.responseText();
}

} // namespace

MediaUrlReader::MediaUrlReader(const BinaryHelpers* helpers, const PrefsSnapshot& prefs,
    const QString& serviceName, QObject* parent)
    : QObject(parent)
    , m_helpers(helpers)
    , m_prefs(prefs)
    , m_serviceName(serviceName)
    , m_helperTimeout(SystemProcess::defaultTimeout)
{ }

MediaUrls MediaUrlReader::getMediaUrls(const MediaItem& item, MediaDescriptor::MediaType targetType)
{
    return getMediaUrls(QUrl(item.permaUrl()), targetType);
}

MediaUrls MediaUrlReader::getMediaUrls(const QUrl& pageUrl, MediaDescriptor::MediaType targetType)
{
    clearError();
    m_targetMediaType = targetType;
    m_detectedFormat = -1;
    // Only web pages go to the helper; anything else could pass as one of its options.
    if (!WebAddress::isValid(pageUrl)) {
        setErrorText(QStringLiteral("Unsupported media page address: \"%1\"")
                         .arg(pageUrl.toDisplayString()));
        return MediaUrls();
    }

    // This run's own cookie file, removed when the extraction ends.
    const HelperCookieFile cookieFile(HelperCookieFile::defaultDirectory());
    if (!cookieFile.isValid()) {
        setErrorText(QStringLiteral("Unexpected: the helper's cookie file could not be made in %1")
                         .arg(HelperCookieFile::defaultDirectory()));
        return MediaUrls();
    }
    const QString output = runDownloadHelper(
        HelperArguments::extractionArguments(pageUrl, targetType, m_prefs, cookieFile.path()));

    MediaUrls urls;
    // The helper may have stored cookies even when it failed.
    urls.cookies = cookieFile.cookies();
    // A missing helper, or one that could not start, crashed or ran out of time, has
    // already said why; a cut answer would only hide that.
    if (!errorText().isEmpty())
        return urls;
    // Standard output holds only the answer. A helper that failed explains on standard
    // error, and its first error line says more than an empty or partial answer.
    if (output.isEmpty()) {
        setErrorText(m_helperErrorLine.isEmpty() ? QStringLiteral("Service response was empty")
                                                 : m_helperErrorLine);
        return urls;
    }

    HelperAnswerParser parser(targetType, fetchPlaylist);
    parser.parse(output, urls);
    m_detectedFormat = parser.detectedFormat();
    if (!parser.errorText().isEmpty())
        setErrorText(parser.isAnswerUnreadable() && !m_helperErrorLine.isEmpty()
                ? m_helperErrorLine
                : parser.errorText());
    return urls;
}

QString MediaUrlReader::runDownloadHelper(const QStringList& arguments)
{
    m_helperErrorLine.clear();
    const QHash<int, BinaryHelper> helpers
        = m_helpers ? m_helpers->helpers() : QHash<int, BinaryHelper>();
    const QString program = helpers.contains(BinaryHelper::downloadHelperId)
        ? BinaryHelpers::helperPath(helpers.value(BinaryHelper::downloadHelperId))
        : QString();
    if (program.isEmpty()) {
        setErrorText(QStringLiteral(
            "Unexpected: Download helper not found. Restart the application to force reinstall."));
        return QString();
    }

    SystemProcess process;
    process.setTimeout(m_helperTimeout);
    process.setChannels(SystemProcess::Channels::Separate);
    process.setCancellation(m_cancellation);
    if (!process.run(program, arguments, true))
        setErrorText(process.errorString());
    m_helperErrorLine = firstErrorLine(process.errorOutput());
    return trimHelperOutput(process.output());
}

QString MediaUrlReader::firstErrorLine(const QString& errorOutput)
{
    static const QLatin1String marker("ERROR: ");
    const QStringList lines = errorOutput.split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(marker))
            return trimmed.mid(marker.size()).trimmed();
    }
    return QString();
}

QString MediaUrlReader::trimHelperOutput(const QString& output)
{
    QString text = output.trimmed();
    const qsizetype jsonStart = text.indexOf(QLatin1Char('{'));
    if ((text.startsWith(QLatin1String("WARNING")) || text.startsWith(QLatin1String("ERROR")))
        && jsonStart >= 0) {
        text = text.mid(jsonStart).trimmed();
    }
    return text;
}
