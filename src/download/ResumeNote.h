#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

// What a restarted download needs to know about the earlier run of the same file: which file
// it was (its identity: length, part layout, the server's validator) and how far each part
// got. The note may lag behind the data, never run ahead of it: bytes past a part's noted
// progress are simply fetched again.
class ResumeNote
{
public:
    explicit ResumeNote(const QString& path = QString());

    void setPath(const QString& path) { m_path = path; }
    QString path() const { return m_path; }

    // Reads the note; true when it describes the file with this identity. Otherwise the
    // progress is cleared.
    bool load(const QByteArray& identity);
    void save(const QByteArray& identity) const;
    void remove() const;

    qint64 progress(int part) const { return m_progress.value(part, 0); }
    void setProgress(int part, qint64 bytes) { m_progress.insert(part, bytes); }
    void clear() { m_progress.clear(); }

private:
    QString m_path;
    QMap<int, qint64> m_progress;
};
