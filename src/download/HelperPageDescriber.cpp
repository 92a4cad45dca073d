#include "HelperPageDescriber.h"

#include "MediaUrlReader.h"
#include "services/MediaService.h"

HelperPageDescriber::HelperPageDescriber(const BinaryHelpers* helpers)
    : m_helpers(helpers)
{ }

QString HelperPageDescriber::describe(const QString& address, QString* error) const
{
    // Describing a page selects no format, so no preferences are needed.
    MediaUrlReader reader(m_helpers, PrefsSnapshot(), MediaService::genericServiceName());
    const QString output = reader.runDownloadHelper(
        { QStringLiteral("--dump-json"), QStringLiteral("--no-call-home"), address });
    *error = reader.errorText();
    return output;
}
