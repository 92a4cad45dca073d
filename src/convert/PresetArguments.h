#pragma once

#include <QString>
#include <QStringList>

// An ffmpeg argument list made from a conversion preset's template. The template is split at
// every single blank; placeholders such as "{input}" are recognised only as whole elements.
class PresetArguments
{
public:
    explicit PresetArguments(const QString& ffmpegArgs);

    bool has(const QString& placeholder) const;
    // Replaces the first element equal to the placeholder; nothing when there is none.
    void fill(const QString& placeholder, const QString& value);
    // Inserts the arguments just before the last element (the output file), in order.
    void insertBeforeOutput(const QStringList& arguments);
    static void insertBeforeLast(QStringList& list, const QStringList& arguments);
    bool contains(const QString& element) const { return m_arguments.contains(element); }
    QStringList arguments() const { return m_arguments; }

    // The LAME variable-bit-rate quality ("0" best to "9") that matches a bit rate.
    static QString lameQuality(int kbitsPerSecond);
    // "{kbits_per_second}" for this list: a LAME quality when the list encodes with
    // libmp3lame, otherwise the bit rate followed by "k". 0 or less stands for 192.
    QString audioBitrate(int kbitsPerSecond) const;
    // The first frame rate "ffmpeg -i" reported ("29.97 fps", "1k fps"); -1 when none.
    static double probedFrameRate(const QString& ffmpegOutput);

private:
    QStringList m_arguments;
};
