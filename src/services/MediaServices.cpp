#include "MediaServices.h"

#include "MediaService.h"
#include "PluginFileSwap.h"
#include "ServiceModel.h"
#include "app/PlainName.h"
#include "app/Prefs.h"

#include <QDir>
#include <QtDebug>

namespace {

std::optional<PageDescriptor> pageFor(
    const QString& text, const QMap<QString, MediaService*>& services, MediaService* generic)
{
    const QString query = text.trimmed();
    if (query.isEmpty())
        return PageDescriptor();
    for (MediaService* candidate : services) {
        if (!candidate->canHandle(query))
            continue;
        std::optional<PageDescriptor> page = candidate->createPageData(query);
        if (page && page->kind == PageDescriptor::Search && candidate->isSearchInput(query)) {
            page->allServices = true;
            page->serviceName.clear();
        }
        return page;
    }
    if (generic && generic->canHandle(query))
        return generic->createPageData(query);
    return std::nullopt;
}

} // namespace

MediaServices::MediaServices(const ServiceEnvironment& environment, QObject* parent)
    : QObject(parent)
    , m_environment(environment)
{
    // A few at a time: these are short classifications and logins; feed reads use the
    // global pool.
    m_callPool.setMaxThreadCount(4);
    const QStringList folders
        = QDir(m_environment.pluginsDirectory)
              .entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString& key : folders) {
        if (key == QLatin1String("__templates"))
            continue;
        // An update that never got to load must not stop the program now.
        PluginFileSwap::settle(pluginFolder(key));
        MediaService* service = loadService(key);
        if (!service)
            continue;
        if (key == MediaService::genericServiceKey())
            m_genericService = service;
        else
            registerService(service);
    }
    removeStaleTableRows();
    if (Prefs::searchableServiceNames().isEmpty())
        Prefs::setSearchableServiceNames(m_services.keys());
}

MediaServices::~MediaServices()
{
    m_callPool.clear();
    for (MediaService* service : std::as_const(m_services))
        service->cancelRunningCall();
    for (MediaService* service : std::as_const(m_retired))
        service->cancelRunningCall();
    if (m_genericService)
        m_genericService->cancelRunningCall();
    m_callPool.waitForDone();
    qDeleteAll(m_retired);
}

QString MediaServices::pluginFolder(const QString& serviceKey) const
{
    return m_environment.pluginsDirectory + QDir::separator() + serviceKey;
}

MediaService* MediaServices::loadService(const QString& serviceKey)
{
    auto* service = new MediaService(serviceKey, pluginFolder(serviceKey), m_environment.settings,
        m_environment.userInterface, this);
    ServiceModel model(nullptr, m_db.connection(true));
    if (!service->errorText().isEmpty()) {
        if (!service->isPluginFileFound())
            model.remove(serviceKey);
        qCritical().noquote() << service->errorText();
        delete service;
        return nullptr;
    }
    ServicePluginInfo info;
    info.serviceKey = serviceKey;
    info.serviceScriptRevision = service->revision();
    info.name = service->serviceName();
    model.store(info);
    return service;
}

void MediaServices::registerService(MediaService* service)
{
    // A later plugin of the same name replaces the earlier one.
    if (MediaService* earlier = m_services.value(service->serviceName())) {
        earlier->setParent(nullptr);
        m_retired.append(earlier);
    }
    m_services.insert(service->serviceName(), service);
}

void MediaServices::removeStaleTableRows()
{
    ServiceModel model(nullptr, m_db.connection(true));
    for (const ServicePluginInfo& info : model.allRecords()) {
        if (info.name != MediaService::genericServiceName() && !m_services.contains(info.name))
            model.remove(info.serviceKey);
    }
}

MediaService* MediaServices::service(const QString& serviceName) const
{
    if (m_genericService && serviceName == m_genericService->serviceName())
        return m_genericService;
    return m_services.value(serviceName);
}

bool MediaServices::isEmpty() const
{
    return m_services.isEmpty() && !m_genericService;
}

bool MediaServices::isSupportedAddress(const QString& input) const
{
    for (MediaService* candidate : m_services) {
        if (candidate->hasScriptError())
            continue;
        if (candidate->canHandle(input) && !candidate->isSearchInput(input))
            return true;
    }
    return m_genericService && m_genericService->canHandle(input);
}

std::optional<PageDescriptor> MediaServices::createPageData(const QString& text)
{
    return pageFor(text, m_services, m_genericService);
}

QFuture<std::optional<PageDescriptor>> MediaServices::createPageDataAsync(const QString& text)
{
    // The worker reads a copy of the map: this thread may add services meanwhile.
    return runAsync([text, services = m_services, generic = m_genericService] {
        return pageFor(text, services, generic);
    });
}

QFuture<LoginResult> MediaServices::loginAsync(
    const QString& serviceName, const QString& username, const QString& password)
{
    // Looked up now: the map belongs to this thread.
    MediaService* target = service(serviceName);
    return runAsync([target, serviceName, username, password] {
        LoginResult result;
        if (!target) {
            result.errorText
                = QStringLiteral("No service named \"%1\" is loaded.").arg(serviceName);
            return result;
        }
        result.loggedIn = target->login(username, password, result.errorText);
        return result;
    });
}

bool MediaServices::addServiceAfterLaunch(const QString& serviceKey)
{
    if (!PlainName::isValid(serviceKey)) {
        qCritical().noquote() << QStringLiteral("Refusing service key '%1': not a plain folder "
                                                "name")
                                     .arg(serviceKey);
        return false;
    }
    MediaService* service = loadService(serviceKey);
    if (!service)
        return false;
    if (serviceKey == MediaService::genericServiceKey()) {
        if (m_genericService) {
            m_genericService->setParent(nullptr);
            m_retired.append(m_genericService);
        }
        m_genericService = service;
    } else {
        registerService(service);
    }
    service->setAddedAfterLaunch(true);
    QStringList searchable = Prefs::searchableServiceNames();
    if (!searchable.contains(service->serviceName())) {
        searchable.append(service->serviceName());
        Prefs::setSearchableServiceNames(searchable);
    }
    emit mediaServiceAddedAfterLaunch(service);
    return true;
}
