#pragma once

#include "CliCommand.h"

// Lists, reads and changes preferences.
class ConfigCommand : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("config"); }
    QString summary() const override;
    void configure(QCommandLineParser& parser) const override;
    int run(const QCommandLineParser& parser, const CliOutput& out) override;
};
