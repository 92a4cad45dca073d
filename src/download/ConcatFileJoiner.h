#pragma once

#include "FileJoinerBase.h"

#include <QCoreApplication>

// Joins the byte-range parts of one plain download.
class ConcatFileJoiner : public FileJoinerBase
{
    Q_DECLARE_TR_FUNCTIONS(ConcatFileJoiner)
public:
    ConcatFileJoiner();

    // One part is the result itself; several are appended into the target.
    QString join(const QStringList& files, const QString& target) override;
};
