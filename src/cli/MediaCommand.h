#pragma once

#include "CliCommand.h"

// Reads a media page's data through its service, as the media page of the GUI does.
class MediaCommand : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("media"); }
    QString summary() const override;
    void configure(QCommandLineParser& parser) const override;
    int run(const QCommandLineParser& parser, const CliOutput& out) override;
};
