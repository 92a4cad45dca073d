#include "ConfigCommand.h"

#include "app/Prefs.h"

#include <QJsonObject>
#include <QJsonValue>

namespace {

QString asText(const QVariant& value)
{
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    if (value.typeId() == QMetaType::QDate)
        return value.toDate().toString(Qt::ISODate);
    return value.toString();
}

QJsonValue asJson(const QVariant& value)
{
    if (value.typeId() == QMetaType::QDate)
        return value.toDate().isValid() ? QJsonValue(value.toDate().toString(Qt::ISODate))
                                        : QJsonValue();
    return QJsonValue::fromVariant(value);
}

} // namespace

QString ConfigCommand::summary() const
{
    return QStringLiteral("Show or change preferences: config [KEY [VALUE]].");
}

void ConfigCommand::configure(QCommandLineParser& parser) const
{
    parser.addPositionalArgument(QStringLiteral("key"),
        QStringLiteral("The preference to show or change."), QStringLiteral("[KEY"));
    parser.addPositionalArgument(QStringLiteral("value"),
        QStringLiteral("The new value (lists are comma-separated, dates yyyy-MM-dd)."),
        QStringLiteral("[VALUE]]"));
}

int ConfigCommand::run(const QCommandLineParser& parser, const CliOutput& out)
{
    const QStringList args = parser.positionalArguments();
    if (args.size() > 2) {
        out.error(QStringLiteral("kestrofan-cli config: too many arguments"));
        return UsageError;
    }
    const QStringList keys = args.isEmpty() ? Prefs::keys() : QStringList { args.first() };
    if (!Prefs::contains(keys.first())) {
        out.error(
            QStringLiteral("kestrofan-cli config: unknown preference \"%1\"").arg(keys.first()));
        return UsageError;
    }
    if (args.size() == 2) {
        QString error;
        if (!Prefs::setValueFromText(args.at(0), args.at(1), &error)) {
            out.error(QStringLiteral("kestrofan-cli config: ") + error);
            return UsageError;
        }
    }
    if (out.isJson()) {
        QJsonObject object;
        for (const QString& key : keys)
            object.insert(key, asJson(Prefs::value(key)));
        out.json(object);
    } else {
        for (const QString& key : keys)
            out.line(key + QStringLiteral(" = ") + asText(Prefs::value(key)));
    }
    return Success;
}
