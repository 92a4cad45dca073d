#include "HelperPageDescriber.h"

#include "MediaUrlReader.h"
#include "convert/ProcessPool.h"
#include "services/MediaService.h"

HelperPageDescriber::HelperPageDescriber(const BinaryHelpers* helpers, ProcessPool* processPool)
    : m_helpers(helpers)
    , m_processPool(processPool)
{ }

QString HelperPageDescriber::describe(const QString& address, QString* error) const
{
    // Describing a page selects no format, so no preferences are needed.
    MediaUrlReader reader(m_helpers, PrefsSnapshot(), MediaService::genericServiceName());
    const QStringList arguments { QStringLiteral("--dump-json"), QStringLiteral("--no-call-home"),
        address };
    QString output;
    if (m_processPool) {
        m_processPool->runAndWait([&](const std::shared_ptr<ProcessCancellation>& cancellation) {
            reader.setCancellation(cancellation);
            output = reader.runDownloadHelper(arguments);
        });
    } else {
        output = reader.runDownloadHelper(arguments);
    }
    *error = reader.errorText().isEmpty() ? reader.helperErrorLine() : reader.errorText();
    return output;
}
