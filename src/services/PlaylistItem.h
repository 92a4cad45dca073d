#pragma once

#include <QMetaType>
#include <QString>

// One playlist of a service's user.
// A plain value, copied to whoever keeps it.
class PlaylistItem
{
public:
    PlaylistItem() = default;
    explicit PlaylistItem(const QString& serviceName);

    QString id() const { return m_id; }
    void setId(const QString& id) { m_id = id; }
    QString name() const { return m_name; }
    void setName(const QString& name) { m_name = name; }
    QString userId() const { return m_userId; }
    void setUserId(const QString& id) { m_userId = id; }
    int itemCount() const { return m_itemCount; }
    void setItemCount(int count) { m_itemCount = count; }
    QString thumbUrl() const { return m_thumbUrl; }
    void setThumbUrl(const QString& url) { m_thumbUrl = url; }
    QString permaUrl() const { return m_permaUrl; }
    void setPermaUrl(const QString& url) { m_permaUrl = url; }
    QString serviceName() const { return m_serviceName; }

private:
    QString m_id;
    QString m_name;
    QString m_userId;
    int m_itemCount = 0;
    QString m_thumbUrl;
    QString m_permaUrl;
    QString m_serviceName;
};

Q_DECLARE_METATYPE(PlaylistItem)
