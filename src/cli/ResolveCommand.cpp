#include "ResolveCommand.h"

#include "BrowseSupport.h"
#include "RecordJson.h"
#include "services/PageDescriptor.h"

QString ResolveCommand::summary() const
{
    return QStringLiteral("Show the page an address or search text opens: resolve TEXT.");
}

void ResolveCommand::configure(QCommandLineParser& parser) const
{
    parser.addPositionalArgument(
        QStringLiteral("text"), QStringLiteral("An address, or search words."));
}

int ResolveCommand::run(const QCommandLineParser& parser, const CliOutput& out)
{
    QString text;
    if (!BrowseSupport::joinedArguments(parser, name(), out, &text))
        return UsageError;
    if (!BrowseSupport::loadServices(out))
        return Failed;
    const std::optional<PageDescriptor> page = BrowseSupport::resolve(text, out);
    if (!page)
        return Failed;
    if (out.isJson()) {
        out.json(RecordJson::page(*page));
        return Success;
    }
    const QJsonObject facts = RecordJson::page(*page);
    out.line(QStringLiteral("%1 page").arg(PageDescriptor::kindName(page->kind)));
    for (const QString& key :
        { QStringLiteral("serviceName"), QStringLiteral("userId"), QStringLiteral("mediaId"),
            QStringLiteral("playlistId"), QStringLiteral("searchQuery") }) {
        const QString value = facts.value(key).toString();
        if (!value.isEmpty())
            out.line(QStringLiteral("    %1: %2").arg(key, value));
    }
    if (page->allServices)
        out.line(QStringLiteral("    searches every service selected for search"));
    return Success;
}
