#pragma once

#include "CliCommand.h"

struct MediaUrls;
class MediaURLFetcher;

// Runs the stream address extraction of a download job on one page and shows what the
// download helper found.
class ExtractCommand : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("extract"); }
    QString summary() const override;
    void configure(QCommandLineParser& parser) const override;
    int run(const QCommandLineParser& parser, const CliOutput& out) override;

private:
    static void printText(
        const QString& page, int targetType, const MediaURLFetcher& fetcher, const CliOutput& out);
    static void printJson(
        const QString& page, int targetType, const MediaURLFetcher& fetcher, const CliOutput& out);
};
