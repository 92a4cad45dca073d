#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGINT and SIGTERM into a Qt signal on the main thread, so that a download can put
// its part files in order before the program ends.
class InterruptNotifier : public QObject
{
    Q_OBJECT
public:
    explicit InterruptNotifier(QObject* parent = nullptr);
    ~InterruptNotifier() override;

    // The signal number that arrived, 0 until one did.
    int signalNumber() const { return m_signal; }

signals:
    void interrupted();

private:
    void onActivated();

    QSocketNotifier* m_notifier = nullptr;
    int m_signal = 0;
};
