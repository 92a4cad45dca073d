#pragma once

#include <QByteArray>
#include <QString>

// The packed form of a service plugin: the program's UTF-8 text in qCompress format (a 4-byte
// big-endian length of the text, then a zlib stream). Reading is bounded so that a damaged or
// hostile file cannot make us allocate without limit.
class ServicePluginFile
{
public:
    static const char* fileName() { return "service.plugin"; }
    // Larger programs than this are refused before anything is decompressed.
    static constexpr qint64 maximumTextSize = 16 * 1024 * 1024;

    enum Status { Ok, Missing, Damaged };

    // Reads and unpacks the plugin file at "path". Missing: no such file, or it cannot be read.
    // Damaged: it exists but does not hold a plugin program; "error" says why.
    static Status read(const QString& path, QString* text, QString* error);
    static Status unpack(const QByteArray& packed, QString* text, QString* error);

    static QByteArray pack(const QString& text);
    static bool write(const QString& path, const QString& text, QString* error);

private:
    static bool inflateBounded(
        const QByteArray& stream, quint32 statedSize, QByteArray* out, QString* error);
};
