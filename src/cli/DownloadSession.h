#pragma once

#include "CliCommand.h"
#include "JobProgressView.h"
#include "app/DbConnection.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QList>
#include <QObject>
#include <QTimer>

class DownloadList;
class DownloadsModel;
class ProcessingElement;

// What the download commands share: the download list over the application's database and
// queue, as the downloads view has it, and a run of the queue until every job the command
// started has ended, with progress on the terminal. Ctrl-C pauses the queue: part files stay
// and the records keep their unfinished states for "resume".
class DownloadSession : public QObject
{
    Q_OBJECT
public:
    DownloadSession(const QString& command, const CliOutput& out, QObject* parent = nullptr);
    ~DownloadSession() override;

    DownloadList* downloads() const { return m_downloads; }
    DownloadsModel* records() const { return m_records; }

    // The job's end counts for the command's result.
    void track(ProcessingElement* job);
    // Work that will add jobs is still under way (resolving addresses, reading feed pages).
    void setPendingWork(int count);
    // Something the command wanted could not be queued.
    void addFailure(const QString& text);

    // The "--audio" and "--video" options, and the type they choose; without either, the
    // default download media type preference. False (reported) when both are given.
    static void addTypeOptions(QCommandLineParser& parser);
    static bool targetType(
        const QCommandLineParser& parser, const QString& command, const CliOutput& out, int* type);

    // Runs the queue until every tracked job ended and no work is pending. Success only when
    // every tracked job finished and nothing failed.
    int run();

private:
    void onStateOrEnd();
    void onInterrupted(int signalNumber);
    void checkDone();
    bool hasEnded(const ProcessingElement* job) const;

    DbConnection m_db;
    QString m_command;
    const CliOutput& m_out;
    DownloadsModel* m_records = nullptr;
    DownloadList* m_downloads = nullptr;
    QList<ProcessingElement*> m_jobs;
    QList<ProcessingElement*> m_reported;
    int m_pendingWork = 0;
    int m_failures = 0;
    bool m_destinationProblem = false;
    QEventLoop m_loop;
    QTimer m_ticker;
    JobProgressView m_view;
    QJsonArray m_results;
};
