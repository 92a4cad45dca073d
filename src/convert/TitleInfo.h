#pragma once

#include <QString>

// A media title split for tagging: "Artist - Song" gives artist and song. Video titles are
// never split.
class TitleInfo
{
public:
    TitleInfo() = default;
    TitleInfo(const QString& sourceTitle, bool isVideo);

    QString sourceTitle() const { return m_sourceTitle; }
    QString title() const { return m_title; }
    // "Unknown" when the title names none.
    QString artist() const { return m_artist; }
    bool isVideo() const { return m_isVideo; }

private:
    QString m_sourceTitle;
    QString m_title;
    QString m_artist;
    bool m_isVideo = false;
};
