#include "BinaryHelper.h"

BinaryHelper::BinaryHelper(int helperId, const QString& helperName, const QString& helperBinaryName,
    const QString& helperVersion)
    : id(helperId)
    , name(helperName)
    , binaryName(helperBinaryName)
    , version(helperVersion)
{ }

BinaryHelper::BinaryHelper(const BinaryHelper& other)
    : id(other.id)
    , name(other.name)
    , binaryName(other.binaryName)
    , version(other.version)
{ }

BinaryHelper& BinaryHelper::operator=(const BinaryHelper& other)
{
    id = other.id;
    name = other.name;
    binaryName = other.binaryName;
    version = other.version;
    return *this;
}
