#include "ConversionModel.h"

#include <QSqlQuery>

ConversionModel::ConversionModel(QObject* parent, const QSqlDatabase& db)
    : QSqlTableModel(parent, db)
{
    setTable(QStringLiteral("video_conversions"));
    setEditStrategy(QSqlTableModel::OnRowChange);
    select();
}

ConversionPreset ConversionModel::audioPreset(int id) const
{
    QSqlQuery query(database());
    query.prepare(QStringLiteral(
        "SELECT id, name, ffmpeg_args, extension FROM audio_conversions WHERE id=?"));
    query.addBindValue(id);
    ConversionPreset preset;
    if (query.exec() && query.next()) {
        preset.id = query.value(0).toInt();
        preset.name = query.value(1).toString();
        preset.ffmpegArgs = query.value(2).toString();
        preset.extension = query.value(3).toString();
    }
    return preset;
}

ConversionPreset ConversionModel::videoPreset(int id) const
{
    QSqlQuery query(database());
    query.prepare(QStringLiteral(
        "SELECT id, name, resolution, ffmpeg_args, extension FROM video_conversions WHERE id=?"));
    query.addBindValue(id);
    ConversionPreset preset;
    if (query.exec() && query.next()) {
        preset.id = query.value(0).toInt();
        preset.name = query.value(1).toString();
        preset.resolution = query.value(2).toString();
        preset.ffmpegArgs = query.value(3).toString();
        preset.extension = query.value(4).toString();
    }
    return preset;
}

QList<ConversionPreset> ConversionModel::audioPresets() const
{
    QList<ConversionPreset> presets;
    QSqlQuery query(database());
    if (!query.exec(QStringLiteral("SELECT id, name FROM audio_conversions ORDER BY name")))
        return presets;
    while (query.next()) {
        ConversionPreset preset;
        preset.id = query.value(0).toInt();
        preset.name = query.value(1).toString();
        presets.append(preset);
    }
    return presets;
}

QList<ConversionPreset> ConversionModel::videoPresets() const
{
    QList<ConversionPreset> presets;
    QSqlQuery query(database());
    if (!query.exec(QStringLiteral(
            "SELECT id, name, resolution FROM video_conversions ORDER BY ordering ASC, name")))
        return presets;
    while (query.next()) {
        ConversionPreset preset;
        preset.id = query.value(0).toInt();
        preset.name = query.value(1).toString();
        preset.resolution = query.value(2).toString();
        presets.append(preset);
    }
    return presets;
}
