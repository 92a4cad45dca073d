#include "CliCommand.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <unistd.h>

CliOutput::CliOutput(bool json)
    : m_json(json)
{ }

bool CliOutput::isTerminal() const
{
    return isatty(STDOUT_FILENO) == 1;
}

void CliOutput::line(const QString& text) const
{
    std::fputs(text.toLocal8Bit().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void CliOutput::json(const QJsonValue& value) const
{
    QJsonDocument document;
    if (value.isArray())
        document.setArray(value.toArray());
    else if (value.isObject())
        document.setObject(value.toObject());
    else
        document.setArray(QJsonArray { value });
    std::fputs(document.toJson(QJsonDocument::Indented).constData(), stdout);
    std::fflush(stdout);
}

void CliOutput::error(const QString& text) const
{
    std::fputs(text.toLocal8Bit().constData(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

void CliOutput::progress(const QString& text) const
{
    if (!isTerminal() || m_json)
        return;
    std::fprintf(stdout, "\r\033[K%s", text.toLocal8Bit().constData());
    std::fflush(stdout);
}

void CliOutput::endProgress() const
{
    if (!isTerminal() || m_json)
        return;
    std::fputc('\n', stdout);
    std::fflush(stdout);
}
