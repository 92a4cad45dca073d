#pragma once

#include "CliCommand.h"

// Prepares the per-user data folder and database; safe to run again.
class SetupCommand : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("setup"); }
    QString summary() const override;
    bool needsContext() const override { return false; }
    void configure(QCommandLineParser& parser) const override;
    int run(const QCommandLineParser& parser, const CliOutput& out) override;
};
