#pragma once

#include "CliCommand.h"

// Downloads media pages as the address bar's download does: each address goes to the service
// that claims it (the generic service takes the rest), is recorded and queued.
class DownloadCommand : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("download"); }
    QString summary() const override;
    void configure(QCommandLineParser& parser) const override;
    int run(const QCommandLineParser& parser, const CliOutput& out) override;
};
