#pragma once

#include "CliCommand.h"

// Lists the recorded downloads as the downloads view shows them.
class DownloadsCommand : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("downloads"); }
    QString summary() const override;
    void configure(QCommandLineParser& parser) const override;
    int run(const QCommandLineParser& parser, const CliOutput& out) override;
};
