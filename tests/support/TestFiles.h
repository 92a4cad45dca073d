#pragma once

#include <QByteArray>
#include <QString>

// Reading and writing whole files in tests. Writing makes the file's folder first.

QByteArray readFile(const QString& path); // empty when the file cannot be read
bool writeFile(const QString& path, const QByteArray& data);
// Writes a program only its owner may read, write and run.
bool writeExecutable(const QString& path, const QByteArray& data);
