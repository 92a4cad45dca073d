#pragma once

#include "FileJoinerBase.h"

#include <QCoreApplication>

// Joins the segments of an HLS stream into one transport stream and remuxes it with ffmpeg
// into the container of the stream's format.
class HLSFileJoiner : public FileJoinerBase
{
    Q_DECLARE_TR_FUNCTIONS(HLSFileJoiner)
public:
    explicit HLSFileJoiner(int format);

    // The target is not used: the output sits beside the first segment.
    QString join(const QStringList& files, const QString& target) override;

    static QStringList ffmpegArguments(const QString& joined, const QString& output, int format);
};
