#include "ConcatFileJoiner.h"

#include "FileConcatenator.h"

ConcatFileJoiner::ConcatFileJoiner()
    : FileJoinerBase(-1)
{ }

QString ConcatFileJoiner::join(const QStringList& files, const QString& target)
{
    if (files.isEmpty())
        return QString();
    if (files.size() == 1)
        return files.first();
    if (!FileConcatenator::concatenate(files, target)) {
        setErrorText(tr("Could not join file parts"));
        return QString();
    }
    return target;
}
