#pragma once

#include <QCommandLineParser>
#include <QJsonValue>
#include <QString>

// Where a command's results go: plain text for people, JSON for machines.
class CliOutput
{
public:
    explicit CliOutput(bool json);

    bool isJson() const { return m_json; }
    bool isTerminal() const;
    void line(const QString& text) const;
    void json(const QJsonValue& value) const;
    void error(const QString& text) const;
    // A one-line progress display on a terminal; nothing when output is redirected.
    void progress(const QString& text) const;
    void endProgress() const;

private:
    bool m_json = false;
};

// One "kestrofan-cli" command.
class CliCommand
{
public:
    enum ExitCode { Success = 0, Failed = 1, UsageError = 2 };

    virtual ~CliCommand() = default;

    virtual QString name() const = 0;
    virtual QString summary() const = 0;
    // Whether the core start-up (settings, database) has to run before the command.
    virtual bool needsContext() const { return true; }
    // Adds the command's own options and positional arguments.
    virtual void configure(QCommandLineParser& parser) const = 0;
    virtual int run(const QCommandLineParser& parser, const CliOutput& out) = 0;
};
