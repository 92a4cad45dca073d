#pragma once

#include <QObject>

// Registry of the loaded service plugins.
class MediaServices : public QObject
{
    Q_OBJECT
public:
    explicit MediaServices(QObject* parent = nullptr);

    bool isEmpty() const;
};
