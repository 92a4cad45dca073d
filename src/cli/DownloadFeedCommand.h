#pragma once

#include "CliCommand.h"

// Downloads every item of every page of a feed, as the feed view's "Download all" does.
class DownloadFeedCommand : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("download-feed"); }
    QString summary() const override;
    void configure(QCommandLineParser& parser) const override;
    int run(const QCommandLineParser& parser, const CliOutput& out) override;
};
