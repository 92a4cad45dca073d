#pragma once

#include "CliCommand.h"

// Lists the loaded service plugins, the generic service last.
class ServicesCommand : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("services"); }
    QString summary() const override;
    void configure(QCommandLineParser& parser) const override;
    int run(const QCommandLineParser& parser, const CliOutput& out) override;
};
