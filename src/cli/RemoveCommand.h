#pragma once

#include "CliCommand.h"

// Removes downloads from the list, as the downloads view's remove button does.
class RemoveCommand : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("remove"); }
    QString summary() const override;
    void configure(QCommandLineParser& parser) const override;
    int run(const QCommandLineParser& parser, const CliOutput& out) override;
};
