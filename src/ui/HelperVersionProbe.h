#pragma once

#include <QObject>
#include <QProcess>
#include <QTimer>

// Asks a helper program for its version ("--version") without waiting for it: the answer,
// or the reason there is none, arrives as a signal.
class HelperVersionProbe : public QObject
{
    Q_OBJECT
public:
    explicit HelperVersionProbe(QObject* parent = nullptr, int timeoutMs = 15000);
    ~HelperVersionProbe() override;

    void start(const QString& program);

signals:
    void versionFound(const QString& version);
    void failed(const QString& reason);

private:
    void onFinished(int exitCode, QProcess::ExitStatus status);
    void onErrorOccurred(QProcess::ProcessError error);
    void onTimeout();
    void finish();

    QProcess m_process;
    QTimer m_timeout;
    bool m_done = false;
};
