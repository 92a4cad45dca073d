#pragma once

#include <QList>
#include <QString>

class ProcessingElement;

// The terminal's picture of running downloads: one line per job (state, percent, MB of MB,
// remaining time), redrawn in place. Lines printed meanwhile (finished files, errors) go
// above the block. Draws nothing when standard output is not a terminal.
class JobProgressView
{
public:
    explicit JobProgressView(bool enabled);

    void setJobs(const QList<ProcessingElement*>& jobs) { m_jobs = jobs; }
    void redraw();
    // Prints a line of its own above the progress block.
    void printAbove(const QString& text, bool toError);
    // Leaves the last picture on screen.
    void finish();

    // "Downloading  45%  12.30 MB of 27.00 MB  About 2 minutes" and so on.
    static QString lineFor(const ProcessingElement& job);
    // The downloads view's remaining-time words for an estimate in seconds.
    static QString remainingText(int seconds);

private:
    void clear();

    bool m_enabled;
    int m_linesShown = 0;
    QList<ProcessingElement*> m_jobs;
};
