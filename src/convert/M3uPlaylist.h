#pragma once

#include <QString>

// An extended M3U playlist file that entries are appended to; made with its header when
// missing. Appends from several threads go one at a time.
class M3uPlaylist
{
public:
    explicit M3uPlaylist(const QString& path);

    QString path() const { return m_path; }
    // "#EXTINF:<seconds>,<display title>" and the file's absolute path. -1 seconds stands
    // for an unknown length.
    bool append(const QString& filePath, int durationSeconds, const QString& displayTitle,
        QString* error) const;

private:
    QString m_path;
};
