#pragma once

#include "MediaUrls.h"
#include "app/KObject.h"
#include "app/MediaDescriptor.h"
#include "app/PrefsSnapshot.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <memory>

class BinaryHelpers;

class MediaItem;
class ProcessCancellation;

// Asks the download helper for a media page's streams that best fit the user's preferred
// format and size. Blocking: run it on a worker thread (of the process pool).
class MediaUrlReader : public QObject, public KObject
{
    Q_OBJECT
public:
    // The helper comes from "helpers" (id 1), the format selector from "prefs": a snapshot
    // taken where the preferences live, since the reader runs on a worker.
    MediaUrlReader(const BinaryHelpers* helpers, const PrefsSnapshot& prefs,
        const QString& serviceName, QObject* parent = nullptr);

    // Extracts the streams of the item's page.
    MediaUrls getMediaUrls(const MediaItem& item, MediaDescriptor::MediaType targetType);
    MediaUrls getMediaUrls(const QUrl& pageUrl, MediaDescriptor::MediaType targetType);

    // Runs the download helper (id 1) with the arguments and returns what it printed on
    // standard output, without any warnings before its JSON. Its warnings and errors go to
    // standard error, kept apart so that they never break the JSON. Sets the error text when
    // the helper is missing, could not run or was cancelled.
    QString runDownloadHelper(const QStringList& arguments);
    // The first "ERROR: " line of the last run's standard error, without that marker; empty
    // when it reported none.
    QString helperErrorLine() const { return m_helperErrorLine; }

    // Lets the holder of the handle end a running helper.
    void setCancellation(std::shared_ptr<ProcessCancellation> cancellation)
    {
        m_cancellation = std::move(cancellation);
    }

    QString serviceName() const { return m_serviceName; }
    int detectedFormat() const { return m_detectedFormat; }
    MediaDescriptor::MediaType targetMediaType() const { return m_targetMediaType; }
    // Whether the page wants a signed-in user; the helper's answer never says so yet.
    bool loginNeeded() const { return m_loginNeeded; }

    // Replaces the wait for the helper (ten minutes).
    void setHelperTimeout(int msecs) { m_helperTimeout = msecs; }

    // The helper prints warnings before its JSON; they are dropped from the first "{".
    static QString trimHelperOutput(const QString& output);
    static QString firstErrorLine(const QString& errorOutput);

private:
    const BinaryHelpers* m_helpers;
    PrefsSnapshot m_prefs;
    QString m_serviceName;
    int m_detectedFormat = -1;
    MediaDescriptor::MediaType m_targetMediaType = MediaDescriptor::Video;
    bool m_loginNeeded = false;
    int m_helperTimeout;
    QString m_helperErrorLine;
    std::shared_ptr<ProcessCancellation> m_cancellation;
};
