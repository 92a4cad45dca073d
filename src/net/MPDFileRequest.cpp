#include "MPDFileRequest.h"

#include <QDomDocument>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

const QStringList kRepresentationAttributes { QStringLiteral("id"), QStringLiteral("codecs"),
    QStringLiteral("width"), QStringLiteral("height"), QStringLiteral("bandwidth"),
    QStringLiteral("frameRate"), QStringLiteral("audioSamplingRate") };

QJsonObject describeRepresentation(const QDomElement& representation)
{
    QJsonObject description;
    for (const QString& attribute : kRepresentationAttributes)
        description.insert(attribute, representation.attribute(attribute));
    description.insert(QStringLiteral("baseUrl"),
        representation.firstChildElement(QStringLiteral("BaseURL")).text());
    return description;
}

} // namespace

MPDFileRequest::MPDFileRequest(QObject* parent)
    : HttpRequest(parent)
{ }

void MPDFileRequest::readManifest(const QString& address)
{
    QJsonArray representations;
    if (get(address, true) && !m_body.isEmpty())
        parseManifest(m_body, &representations);
    m_body = QJsonDocument(representations).toJson(QJsonDocument::Compact);
}

bool MPDFileRequest::parseManifest(const QByteArray& manifest, QJsonArray* representations)
{
    QDomDocument document;
    document.setContent(manifest);
    const QDomElement root = document.documentElement();
    if (root.tagName() != QLatin1String("MPD")) {
        setErrorText(QStringLiteral("Expected root element 'MPD"));
        return false;
    }
    const QString type = root.attribute(QStringLiteral("type"));
    if (type != QLatin1String("static")) {
        setErrorText(QStringLiteral("Unsupported MPD type:") + type);
        return false;
    }
    QJsonArray found;
    for (QDomElement period = root.firstChildElement(QStringLiteral("Period")); !period.isNull();
         period = period.nextSiblingElement(QStringLiteral("Period"))) {
        for (QDomElement set = period.firstChildElement(); !set.isNull();
             set = set.nextSiblingElement()) {
            if (set.tagName() != QLatin1String("AdaptationSet")) {
                setErrorText(QStringLiteral("MPD: AdaptationSet tag expected"));
                return false;
            }
            for (QDomElement representation
                 = set.firstChildElement(QStringLiteral("Representation"));
                 !representation.isNull(); representation
                 = representation.nextSiblingElement(QStringLiteral("Representation")))
                found.append(describeRepresentation(representation));
        }
    }
    *representations = found;
    return true;
}
