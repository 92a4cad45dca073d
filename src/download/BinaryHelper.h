#pragma once

#include <QString>

// One installed helper executable, as a row of binary_helper records it. The two flags belong
// to the update check alone: they are neither stored nor copied with the record.
class BinaryHelper
{
public:
    // The download helper's id.
    static constexpr int downloadHelperId = 1;

    BinaryHelper() = default;
    BinaryHelper(int id, const QString& name, const QString& binaryName, const QString& version);
    BinaryHelper(const BinaryHelper& other);
    BinaryHelper& operator=(const BinaryHelper& other);

    int id = -1;
    QString name;
    QString binaryName;
    QString version;
    bool isNew = false;
    bool isRequired = false;
};
