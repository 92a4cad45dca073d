#pragma once

#include <QObject>

// Registry of the installed download helper executables (table binary_helper).
class BinaryHelpers : public QObject
{
    Q_OBJECT
public:
    explicit BinaryHelpers(QObject* parent = nullptr);

    bool isEmpty() const;
};
