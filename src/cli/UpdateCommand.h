#pragma once

#include "CliCommand.h"

class PluginVersionsChecker;
class UpdateServer;

// Checks the update server for newer service plugins and helpers and installs them.
class UpdateCommand : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("update"); }
    QString summary() const override;
    void configure(QCommandLineParser& parser) const override;
    int run(const QCommandLineParser& parser, const CliOutput& out) override;

private:
    // Runs the check to its end; false (with the message printed) when it failed.
    bool check(PluginVersionsChecker& checker, const CliOutput& out);
    void listPending(const CliOutput& out) const;
    bool confirmed(const QCommandLineParser& parser, const CliOutput& out) const;
    int install(const UpdateServer& server, const CliOutput& out);
};
