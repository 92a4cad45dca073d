#pragma once

#include "app/MediaDescriptor.h"
#include "app/PrefsSnapshot.h"

#include <QString>
#include <QStringList>
#include <QUrl>

// The download helper's command line for one extraction, from the user's preferred format,
// size and audio conversion.
namespace HelperArguments {

// Tallest video the preferred size allows; 480 for an unknown size.
int heightLimit(int videoSize);
// Selectors as the helper reads them, without the surrounding quotes.
QString videoFormatSelector(int videoSize, int videoFormat);
QString audioFormatSelector(int audioConversion);
// The selector for the target type from the preferred size, format and audio conversion.
QString formatSelector(MediaDescriptor::MediaType targetType, const PrefsSnapshot& prefs);

// "-f", the quoted selector, the JSON and cookie options, the page address.
QStringList extractionArguments(const QUrl& pageUrl, MediaDescriptor::MediaType targetType,
    const PrefsSnapshot& prefs, const QString& cookieFile);

} // namespace HelperArguments
