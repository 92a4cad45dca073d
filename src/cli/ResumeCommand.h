#pragma once

#include "CliCommand.h"

// Restores the unfinished downloads as the GUI does at start-up and runs them to the end.
class ResumeCommand : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("resume"); }
    QString summary() const override;
    void configure(QCommandLineParser& parser) const override;
    int run(const QCommandLineParser& parser, const CliOutput& out) override;
};
