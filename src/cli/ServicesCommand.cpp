#include "ServicesCommand.h"

#include "BrowseSupport.h"
#include "RecordJson.h"
#include "core/AppContext.h"
#include "services/MediaService.h"
#include "services/MediaServices.h"

#include <QJsonArray>

QString ServicesCommand::summary() const
{
    return QStringLiteral("List the installed service plugins.");
}

void ServicesCommand::configure(QCommandLineParser&) const
{ }

int ServicesCommand::run(const QCommandLineParser&, const CliOutput& out)
{
    if (!BrowseSupport::loadServices(out))
        return Failed;
    const MediaServices* registry = AppContext::serviceRegistry();
    QList<std::pair<const MediaService*, bool>> listed;
    for (const MediaService* service : registry->services())
        listed.append({ service, false });
    if (registry->genericService())
        listed.append({ registry->genericService(), true });

    if (out.isJson()) {
        QJsonArray services;
        for (const auto& [service, generic] : listed)
            services.append(RecordJson::service(*service, generic));
        out.json(services);
        return Success;
    }
    for (const auto& [service, generic] : listed) {
        const QJsonObject facts = RecordJson::service(*service, generic);
        QStringList domains;
        for (const QJsonValue& domain : facts.value(QStringLiteral("validDomains")).toArray())
            domains << domain.toString();
        QStringList feeds;
        for (const QJsonValue& feed : facts.value(QStringLiteral("feeds")).toArray())
            feeds << feed.toString();
        out.line(QStringLiteral("%1 (%2, revision %3)%4")
                     .arg(service->serviceName(), service->serviceKey())
                     .arg(service->revision())
                     .arg(generic ? QStringLiteral(" - generic service") : QString()));
        out.line(QStringLiteral("    domains: ") + domains.join(QStringLiteral(", ")));
        out.line(QStringLiteral("    feeds: ")
            + (feeds.isEmpty() ? QStringLiteral("none") : feeds.join(QStringLiteral(", "))));
    }
    return Success;
}
