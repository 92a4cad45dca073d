#pragma once

#include "CliCommand.h"

// Tells which service and which kind of page an address or search text opens.
class ResolveCommand : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("resolve"); }
    QString summary() const override;
    void configure(QCommandLineParser& parser) const override;
    int run(const QCommandLineParser& parser, const CliOutput& out) override;
};
