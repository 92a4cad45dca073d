#pragma once

#include "CliCommand.h"

// Removes every finished and cancelled download from the list, as "Clean up" does.
class CleanCommand : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("clean"); }
    QString summary() const override;
    void configure(QCommandLineParser& parser) const override;
    int run(const QCommandLineParser& parser, const CliOutput& out) override;
};
