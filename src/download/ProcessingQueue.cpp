#include "ProcessingQueue.h"

ProcessingQueue::ProcessingQueue(QObject* parent)
    : QObject(parent)
{ }
