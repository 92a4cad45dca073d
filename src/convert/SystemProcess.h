#pragma once

#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringDecoder>
#include <QStringList>

// Runs one external program synchronously on the calling thread (a worker thread) and turns
// a failure into one readable message. Standard error is folded into standard output.
// Programs always start from an argument list; nothing goes through a shell.
class SystemProcess : public QObject
{
    Q_OBJECT
public:
    static constexpr int defaultTimeout = 600000;

    explicit SystemProcess(QObject* parent = nullptr);

    // Returns true when the program started, did not crash and ended within the wait. A
    // non-zero exit code is the caller's business.
    bool run(const QString& program, const QStringList& arguments, bool collectOutput);

    QString output() const { return m_output; }
    QString errorString() const { return m_errorString; }
    // The program's exit code when it ended normally; -1 otherwise.
    int exitCode() const { return m_exitCode; }

    // How long run() waits for the program; tests shorten it.
    void setTimeout(int msecs) { m_timeout = msecs; }
    int timeout() const { return m_timeout; }

private slots:
    void onReadyRead();
    void onError(QProcess::ProcessError error);

private:
    QProcess m_process;
    QString m_output;
    QString m_errorString;
    QString m_program;
    // Keeps a UTF-8 sequence that is split between two reads intact.
    QStringDecoder m_decoder { QStringDecoder::Utf8 };
    int m_timeout = defaultTimeout;
    int m_exitCode = -1;
};
