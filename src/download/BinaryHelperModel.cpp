#include "BinaryHelperModel.h"

#include <QSqlQuery>
#include <QVariant>

namespace {

BinaryHelper helperFromQuery(const QSqlQuery& query)
{
    return BinaryHelper(query.value(0).toInt(), query.value(1).toString(),
        query.value(2).toString(), query.value(3).toString());
}

} // namespace

BinaryHelperModel::BinaryHelperModel(QObject* parent, const QSqlDatabase& db)
    : QSqlTableModel(parent, db)
{
    setTable(QStringLiteral("binary_helper"));
}

QList<BinaryHelper> BinaryHelperModel::allHelpers() const
{
    QList<BinaryHelper> helpers;
    QSqlQuery query(database());
    query.prepare(QStringLiteral("select id, name, binary_name, version from binary_helper"));
    query.exec();
    while (query.next())
        helpers.append(helperFromQuery(query));
    return helpers;
}

BinaryHelper BinaryHelperModel::helperById(int id) const
{
    QSqlQuery query(database());
    query.prepare(
        QStringLiteral("select id, name, binary_name, version from binary_helper where id=?"));
    query.addBindValue(id);
    query.exec();
    return query.next() ? helperFromQuery(query) : BinaryHelper();
}

void BinaryHelperModel::insertHelper(const BinaryHelper& helper)
{
    QSqlQuery query(database());
    query.prepare(QStringLiteral("insert into binary_helper (id, name, binary_name, version) "
                                 "values (:id, :name, :binary_name, :version)"));
    query.bindValue(QStringLiteral(":id"), helper.id);
    query.bindValue(QStringLiteral(":name"), helper.name);
    query.bindValue(QStringLiteral(":binary_name"), helper.binaryName);
    query.bindValue(QStringLiteral(":version"), helper.version);
    query.exec();
}

void BinaryHelperModel::updateHelper(const BinaryHelper& helper)
{
    QSqlQuery query(database());
    query.prepare(
        QStringLiteral("update binary_helper set name=?, binary_name=?, version=?  where id=?"));
    query.addBindValue(helper.name);
    query.addBindValue(helper.binaryName);
    query.addBindValue(helper.version);
    query.addBindValue(helper.id);
    query.exec();
}

void BinaryHelperModel::deleteHelper(int id)
{
    QSqlQuery query(database());
    query.prepare(QStringLiteral("delete from binary_helper where id=?"));
    query.addBindValue(id);
    query.exec();
}
