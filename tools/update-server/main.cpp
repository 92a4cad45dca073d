// The reference update server: answers the program's four update requests from a repository
// folder, signing what it hands out with the publisher's Ed25519 key. Also makes key pairs.

#include "UpdateRepository.h"
#include "update/UpdateSignature.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QHostAddress>
#include <QHttpServer>
#include <QHttpServerRequest>
#include <QHttpServerResponse>
#include <QSaveFile>

#include <cstdio>
#include <functional>

namespace {

using Status = QHttpServerResponse::StatusCode;

int fail(const QString& message)
{
    std::fprintf(stderr, "kestrofan-update-server: %s\n", qPrintable(message));
    return 1;
}

bool writeKeyFile(const QString& path, const QByteArray& key, QFile::Permissions permissions)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(key.toBase64() + '\n');
    return file.commit() && QFile::setPermissions(path, permissions);
}

int generateKey(const QString& path)
{
    QByteArray publicKey;
    QByteArray secretKey;
    if (!UpdateSignature::generateKeyPair(&publicKey, &secretKey))
        return fail(QStringLiteral("libsodium could not make a key pair"));
    if (!writeKeyFile(path, secretKey, QFile::ReadOwner | QFile::WriteOwner)
        || !writeKeyFile(path + QStringLiteral(".pub"), publicKey,
            QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther))
        return fail(QStringLiteral("cannot write %1").arg(path));
    std::printf("%s\n", publicKey.toBase64().constData());
    return 0;
}

QByteArray readSecretKey(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return QByteArray::fromBase64(file.readAll().trimmed());
}

QHttpServerResponse signedFile(const QString& path, const QByteArray& signature)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QHttpServerResponse(Status::NotFound);
    QHttpServerResponse response("application/octet-stream", file.readAll());
    response.setHeader(UpdateSignature::headerName, signature.toBase64());
    return response;
}

QHttpServerResponse scriptUpdate(const UpdateRepository& repository, const QUrlQuery& query)
{
    const UpdateRepository::Plugin* plugin
        = repository.plugin(query.queryItemValue(QStringLiteral("service_key")));
    const QString script = query.queryItemValue(QStringLiteral("plugin_name"));
    if (!plugin || !plugin->scripts.contains(script)
        || query.queryItemValue(QStringLiteral("revision")).toInt() != plugin->revision)
        return QHttpServerResponse(Status::NotFound);
    const UpdateRepository::Script& file = plugin->scripts.value(script);
    return signedFile(file.path, file.signature);
}

QHttpServerResponse helperUpdate(const UpdateRepository& repository, const QUrlQuery& query)
{
    const UpdateRepository::Helper* helper
        = repository.helper(query.queryItemValue(QStringLiteral("id")).toInt());
    if (!helper)
        return QHttpServerResponse(Status::NotFound);
    return signedFile(helper->file.path, helper->file.signature);
}

QHttpServerResponse appVersion(const UpdateRepository& repository)
{
    QFile file(repository.appVersionPath());
    if (!file.open(QIODevice::ReadOnly))
        return QHttpServerResponse(Status::NotFound);
    return QHttpServerResponse("application/json", file.readAll());
}

QHttpServerResponse index(const UpdateRepository& repository)
{
    const QByteArray body = repository.index();
    QHttpServerResponse response("application/json", body);
    response.setHeader(UpdateSignature::headerName, repository.sign(body).toBase64());
    return response;
}

// Every request gets one log line: method, path and query, status and size.
void serve(QHttpServer& server, const QString& path,
    std::function<QHttpServerResponse(const QHttpServerRequest&)> answer)
{
    server.route(path, [answer](const QHttpServerRequest& request) {
        QHttpServerResponse response = answer(request);
        std::fprintf(stderr, "%s %s -> %d (%lld bytes)\n",
            request.method() == QHttpServerRequest::Method::Get ? "GET" : "OTHER",
            qPrintable(request.url().toString(QUrl::RemoveScheme | QUrl::RemoveAuthority)),
            int(response.statusCode()), qint64(response.data().size()));
        std::fflush(stderr);
        return response;
    });
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Serves Kestrofan 2 plugin and helper updates "
                                                    "from a repository folder."));
    parser.addHelpOption();
    const QCommandLineOption repositoryOption(QStringLiteral("repository"),
        QStringLiteral("The repository folder."), QStringLiteral("folder"));
    const QCommandLineOption keyOption(QStringLiteral("key"),
        QStringLiteral("The secret signing key file."), QStringLiteral("file"));
    const QCommandLineOption addressOption(QStringLiteral("listen"),
        QStringLiteral("Address to listen on (default 127.0.0.1)."), QStringLiteral("address"),
        QStringLiteral("127.0.0.1"));
    const QCommandLineOption portOption(QStringLiteral("port"),
        QStringLiteral("Port to listen on (default: any free one)."), QStringLiteral("port"),
        QStringLiteral("0"));
    const QCommandLineOption generateOption(QStringLiteral("generate-key"),
        QStringLiteral("Write a new secret key to the file (and its public key to file.pub), "
                       "print the public key and stop."),
        QStringLiteral("file"));
    parser.addOptions({ repositoryOption, keyOption, addressOption, portOption, generateOption });
    parser.process(app);

    if (parser.isSet(generateOption))
        return generateKey(parser.value(generateOption));
    if (!parser.isSet(repositoryOption) || !parser.isSet(keyOption))
        return fail(QStringLiteral("--repository and --key are required (see --help)"));

    UpdateRepository repository;
    QString error;
    if (!repository.load(
            parser.value(repositoryOption), readSecretKey(parser.value(keyOption)), &error))
        return fail(error);

    QHttpServer server;
    serve(server, QStringLiteral("/kestrofan/update/getinfo_1.1.0.php"),
        [&repository](const QHttpServerRequest&) { return index(repository); });
    serve(server, QStringLiteral("/kestrofan/update/getserviceupdate_1.1.0.php"),
        [&repository](const QHttpServerRequest& request) {
            return scriptUpdate(repository, request.query());
        });
    serve(server, QStringLiteral("/kestrofan/update/gethelperupdate_1.1.0.php"),
        [&repository](const QHttpServerRequest& request) {
            return helperUpdate(repository, request.query());
        });
    serve(server, QStringLiteral("/kestrofan/update/appcheck.php"),
        [&repository](const QHttpServerRequest&) { return appVersion(repository); });

    const QHostAddress address(parser.value(addressOption));
    const quint16 port = server.listen(address, quint16(parser.value(portOption).toUInt()));
    if (port == 0)
        return fail(QStringLiteral("cannot listen on %1").arg(parser.value(addressOption)));
    // Tests and scripts read the address from this first line.
    std::printf("Listening on http://%s:%u\n", qPrintable(address.toString()), unsigned(port));
    std::fflush(stdout);
    return QCoreApplication::exec();
}
