#pragma once

#include "CliCommand.h"

// Reads a user (channel, account) and the user's playlists, as the GUI's user page does.
class UserCommand : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("user"); }
    QString summary() const override;
    void configure(QCommandLineParser& parser) const override;
    int run(const QCommandLineParser& parser, const CliOutput& out) override;
};
