#pragma once

#include <QMetaType>
#include <QString>

// A channel or account of a service. Counts are -1 until a script gave them.
// A plain value, copied to whoever keeps it.
class UserItem
{
public:
    UserItem() = default;
    explicit UserItem(const QString& serviceName);

    QString userName() const { return m_userName; }
    void setUserName(const QString& name) { m_userName = name; }
    QString userId() const { return m_userId; }
    void setUserId(const QString& id) { m_userId = id; }
    QString channelId() const { return m_channelId; }
    void setChannelId(const QString& id) { m_channelId = id; }
    int subscriberCount() const { return m_subscriberCount; }
    void setSubscriberCount(int count) { m_subscriberCount = count; }
    QString location() const { return m_location; }
    void setLocation(const QString& location) { m_location = location; }
    QString imageUrl() const { return m_imageUrl; }
    void setImageUrl(const QString& url) { m_imageUrl = url; }
    QString summary() const { return m_summary; }
    void setSummary(const QString& summary) { m_summary = summary; }
    QString serviceName() const { return m_serviceName; }
    int uploadsCount() const { return m_uploadsCount; }
    void setUploadsCount(int count) { m_uploadsCount = count; }
    int favoritesCount() const { return m_favoritesCount; }
    void setFavoritesCount(int count) { m_favoritesCount = count; }
    QString permaUrl() const { return m_permaUrl; }
    void setPermaUrl(const QString& url) { m_permaUrl = url; }

private:
    QString m_userName;
    QString m_userId;
    QString m_channelId;
    int m_subscriberCount = -1;
    QString m_location;
    QString m_imageUrl;
    QString m_summary;
    QString m_serviceName;
    int m_uploadsCount = -1;
    int m_favoritesCount = -1;
    QString m_permaUrl;
};

Q_DECLARE_METATYPE(UserItem)
