#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QSqlTableModel>
#include <QString>

// One row of audio_conversions or video_conversions. The id is a MediaDescriptor format
// value; ffmpegArgs is a template whose placeholders ("{input}", "{output}", ...) stand as
// whole blank-separated elements.
struct ConversionPreset
{
    int id = 0;
    QString name;
    QString resolution;
    QString ffmpegArgs;
    QString extension;
};

// The only reader of the conversion preset tables. Open it on the calling thread's own
// connection and discard it after the query; a missing row or a failed query gives a
// default ConversionPreset.
class ConversionModel : public QSqlTableModel
{
    Q_OBJECT
public:
    ConversionModel(QObject* parent, const QSqlDatabase& db);

    ConversionPreset audioPreset(int id) const;
    ConversionPreset videoPreset(int id) const;
    // Id and name only, by name.
    QList<ConversionPreset> audioPresets() const;
    // Id, name and resolution, by display order and then name.
    QList<ConversionPreset> videoPresets() const;
};
