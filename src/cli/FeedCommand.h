#pragma once

#include "CliCommand.h"

// Reads one page of a user's, a media item's or a playlist's feed.
class FeedCommand : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("feed"); }
    QString summary() const override;
    void configure(QCommandLineParser& parser) const override;
    int run(const QCommandLineParser& parser, const CliOutput& out) override;
};
