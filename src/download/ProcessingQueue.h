#pragma once

#include <QObject>

// The one download queue of the process. Jobs arrive with the download engine.
class ProcessingQueue : public QObject
{
    Q_OBJECT
public:
    explicit ProcessingQueue(QObject* parent = nullptr);
};
