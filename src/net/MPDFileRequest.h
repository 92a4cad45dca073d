#pragma once

#include "HttpRequest.h"

#include <QJsonArray>

class QDomElement;

// Reads a DASH manifest for a service script: fetches it, checks that it is a static MPD and
// lists every representation with its attributes. The JSON array text becomes the response
// text (an empty array on any failure); the status is the manifest's.
class MPDFileRequest : public HttpRequest
{
    Q_OBJECT
public:
    explicit MPDFileRequest(QObject* parent = nullptr);

    void readManifest(const QString& address);

    // The representations of a manifest text; false with the error text set when the manifest
    // is not one we can read.
    bool parseManifest(const QByteArray& manifest, QJsonArray* representations);
};
