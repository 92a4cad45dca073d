#include "TitleInfo.h"

#include <QStringList>

namespace {

// Where artist and song usually part, most common first.
const QStringList& separators()
{
    static const QStringList list { QStringLiteral("-"), QString(QChar(0x2013)),
        QStringLiteral("~"), QStringLiteral("|"), QStringLiteral(",") };
    return list;
}

} // namespace

TitleInfo::TitleInfo(const QString& sourceTitle, bool isVideo)
    : m_sourceTitle(sourceTitle)
    , m_isVideo(isVideo)
{
    QString text = sourceTitle.simplified();
    text.replace(QLatin1Char('_'), QLatin1Char(' '));

    bool split = false;
    if (!isVideo) {
        for (const QString& separator : separators()) {
            const int count = int(text.count(separator));
            if (count == 1) {
                const QStringList parts = text.split(separator);
                m_artist = parts.at(0).trimmed();
                m_title = parts.at(1).trimmed();
                split = true;
            } else if (count > 1) {
                // "A - B - C": the artist ends at the first dash, the song keeps the rest.
                const int dash = int(text.indexOf(QLatin1Char('-')));
                if (dash > 0) {
                    m_artist = text.left(dash);
                    m_title = text.mid(dash + 1);
                    split = true;
                }
            }
            if (split)
                break;
        }
    }
    if (!split)
        m_title = text;
    m_artist = m_artist.trimmed();
    if (m_artist.isEmpty())
        m_artist = QStringLiteral("Unknown");
    m_title = m_title.trimmed();
}
