#pragma once

#include "CliCommand.h"

#include <QList>
#include <QUrl>

// Downloads one file, a list of segments, or a video with a separate audio stream into a
// folder. Part files are named from the addresses, so running the same command again after
// an interruption continues where the last run stopped.
class FetchCommand : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("fetch"); }
    QString summary() const override;
    bool needsContext() const override { return false; }
    void configure(QCommandLineParser& parser) const override;
    int run(const QCommandLineParser& parser, const CliOutput& out) override;

    // The part-file base name of a download of these addresses.
    static QString baseNameFor(const QList<QUrl>& video, const QList<QUrl>& audio);
    // A plain file name for the result, taken from the first address.
    static QString outputName(const QUrl& url, const QString& extension);
};
