#include "ExternalDownloadAddress.h"

#include <QStringList>

namespace {

const QString scheme = QStringLiteral("kestrofan:");

QStringList suffixesFor(const QString& kind)
{
    return { QStringLiteral("%23") + kind, QStringLiteral("%2523") + kind,
        QLatin1Char('#') + kind };
}

bool endsWithAny(const QString& text, const QStringList& suffixes)
{
    for (const QString& suffix : suffixes) {
        if (text.endsWith(suffix))
            return true;
    }
    return false;
}

} // namespace

std::optional<ExternalDownloadAddress> ExternalDownloadAddress::parse(const QString& text)
{
    QString address = text;
    address.replace(QStringLiteral("file:") + scheme, scheme);
    const QStringList video = suffixesFor(QStringLiteral("video"));
    const QStringList audio = suffixesFor(QStringLiteral("audio"));
    const bool isVideo = endsWithAny(address, video);
    if (!address.startsWith(scheme) || !(isVideo || endsWithAny(address, audio)))
        return std::nullopt;

    address.remove(scheme);
    for (const QString& suffix : isVideo ? video : audio)
        address.remove(suffix);
    address = address.trimmed();
    if (address.isEmpty())
        return std::nullopt;
    return ExternalDownloadAddress { address,
        isVideo ? MediaDescriptor::Video : MediaDescriptor::Audio };
}
