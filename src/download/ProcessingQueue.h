#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>

#include <functional>

class ProcessingElement;

// Decides which download jobs run: first in, first out, while fewer than the allowed number
// run and the queue is not paused. Checks the download destination before each start, counts
// outcomes and announces when the whole queue has drained. It refers to the jobs without
// owning them. Main thread only.
class ProcessingQueue : public QObject
{
    Q_OBJECT
public:
    // What the queue reads from the preferences, asked for again before each start so that a
    // changed preference counts at once.
    struct Settings
    {
        int simultaneousDownloads = 1;
        // The download location.
        QString destination;
    };
    using SettingsSource = std::function<Settings()>;

    ProcessingQueue(bool paused, SettingsSource settings, QObject* parent = nullptr);
    ~ProcessingQueue() override;

    // Queues a job that still has work to do (waiting, connecting, downloading, resuming,
    // converting or paused); finished, failed and cancelled jobs are only watched for a
    // cancel. False for a null job.
    bool addJob(ProcessingElement* job);
    // Forgets the job wherever it stands (it is being removed); nothing is counted.
    void removeJob(ProcessingElement* job);
    // Starts waiting jobs until the allowed number runs or nothing can start.
    void startNext();
    // Empty when the download location can be written to, otherwise the message to show.
    QString checkDestination() const;
    static QString checkDestination(const QString& destination);

    void setPaused(bool paused);
    bool isPaused() const { return m_paused; }
    // Every running job that is downloading makes room for other network work for a while.
    void pauseRunningDownloadsTemporarily();
    void resumeRunningDownloadsTemporarily();
    void reportStatus();

    int waitingCount() const { return int(m_waiting.size()); }
    int runningCount() const { return int(m_running.size()); }
    int finishedCount() const { return m_finished; }
    bool isIdle() const { return m_waiting.isEmpty() && m_running.isEmpty(); }
    bool contains(const ProcessingElement* job) const;

    // The queue-finished texts for these counts: title, then the message.
    static QString queueFinishedTitle();
    static QString queueFinishedMessage(int successes, int errors);

signals:
    void queueUpdated(int inQueue, int finished);
    void limitBandwidthChanged(bool doLimit);
    // The destination cannot take downloads; the queue paused itself. For the person.
    void destinationProblem(const QString& message);
    // Every job has ended and at least one finished or failed since the last notification.
    void queueFinished(const QString& title, const QString& message);

public slots:
    void downloadFinished();
    void onProcessFinished();
    void error(QString text);
    void onProcessCancelled();
    void onLimitBandwidthChanged(bool doLimitBandwidth);

private:
    // True when the job was started.
    bool startJob(ProcessingElement* job);
    // The jobs next in line extract their streams while the running ones download; two, so
    // that the process pool keeps a thread for a conversion.
    void prefetchNext();
    static constexpr int prefetchDepth = 2;
    void jobDone(ProcessingElement* job);
    void forget(ProcessingElement* job);
    void emitUpdated();

    QList<QPointer<ProcessingElement>> m_waiting;
    QSet<ProcessingElement*> m_running;
    int m_finished = 0;
    bool m_paused = false;
    int m_errorsSinceReport = 0;
    int m_successesSinceReport = 0;
    SettingsSource m_settings;
};
