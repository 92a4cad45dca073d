#pragma once

#include <QString>
#include <QStringList>

// Appends files into one. The first input grows in place and is renamed to the target, so
// only the later inputs are copied, inside the kernel where the system allows it. Nothing
// is changed unless every input is there; a copy that fails midway cuts the first input back
// to its own bytes. The inputs are removed once the target is complete.
class FileConcatenator
{
public:
    FileConcatenator() = delete;

    static bool concatenate(const QStringList& inputs, const QString& target);
};
