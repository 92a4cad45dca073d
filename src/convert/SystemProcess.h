#pragma once

#include "ProcessCancellation.h"

#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringDecoder>
#include <QStringList>

#include <memory>

// Runs one external program synchronously on the calling thread (a worker thread) and turns
// a failure into one readable message. By default standard error is folded into standard
// output; a caller that parses the output (JSON) keeps them apart. Programs always start from
// an argument list; nothing goes through a shell. A cancellation handle, held by whoever
// started the work, ends the program early: terminate, then kill after the grace period.
class SystemProcess : public QObject
{
    Q_OBJECT
public:
    static constexpr int defaultTimeout = 600000;
    static constexpr int defaultGracePeriod = 5000;

    enum class Channels { Merged, Separate };

    explicit SystemProcess(QObject* parent = nullptr);

    // Returns true when the program started, did not crash, was not cancelled and ended
    // within the wait. A non-zero exit code is the caller's business.
    bool run(const QString& program, const QStringList& arguments, bool collectOutput);

    // Standard output, with standard error folded in unless the channels are separate.
    QString output() const { return m_output; }
    // Standard error when the channels are separate; else empty.
    QString errorOutput() const { return m_errorOutput; }
    QString errorString() const { return m_errorString; }
    // The program's exit code when it ended normally; -1 otherwise.
    int exitCode() const { return m_exitCode; }
    bool wasCancelled() const { return m_cancelled; }

    void setChannels(Channels channels) { m_channels = channels; }
    void setCancellation(std::shared_ptr<ProcessCancellation> cancellation)
    {
        m_cancellation = std::move(cancellation);
    }
    // How long run() waits for the program; tests shorten it.
    void setTimeout(int msecs) { m_timeout = msecs; }
    int timeout() const { return m_timeout; }
    // How long a terminated program may take to end before it is killed.
    void setGracePeriod(int msecs) { m_gracePeriod = msecs; }

private slots:
    void onReadyRead();
    void onError(QProcess::ProcessError error);

private:
    // Waits for the end, ending the program early when cancelled or out of time.
    void waitForEnd();
    bool isCancelRequested() const;
    QString programName() const;

    QProcess m_process;
    QString m_output;
    QString m_errorOutput;
    QString m_errorString;
    QString m_program;
    // Keep a UTF-8 sequence that is split between two reads intact.
    QStringDecoder m_outputDecoder { QStringDecoder::Utf8 };
    QStringDecoder m_errorDecoder { QStringDecoder::Utf8 };
    Channels m_channels = Channels::Merged;
    std::shared_ptr<ProcessCancellation> m_cancellation;
    int m_timeout = defaultTimeout;
    int m_exitCode = -1;
    int m_gracePeriod = defaultGracePeriod;
    bool m_cancelled = false;
    bool m_timedOut = false;
};
