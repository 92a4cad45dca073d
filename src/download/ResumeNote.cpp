#include "ResumeNote.h"

#include "app/SafeFile.h"

#include <QFile>

namespace {

const QByteArray kProgressKey = QByteArrayLiteral("done=");

} // namespace

ResumeNote::ResumeNote(const QString& path)
    : m_path(path)
{ }

bool ResumeNote::load(const QByteArray& identity)
{
    m_progress.clear();
    QFile file(m_path);
    if (m_path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = file.readAll();
    if (!text.startsWith(identity))
        return false;
    for (const QByteArray& line : text.mid(identity.size()).split('\n')) {
        if (!line.startsWith(kProgressKey))
            continue;
        for (const QByteArray& entry : line.mid(kProgressKey.size()).split(',')) {
            const int colon = entry.indexOf(':');
            bool partOk = false;
            bool bytesOk = false;
            const int part = entry.left(colon).toInt(&partOk);
            const qint64 bytes = entry.mid(colon + 1).toLongLong(&bytesOk);
            if (colon > 0 && partOk && bytesOk && bytes > 0)
                m_progress.insert(part, bytes);
        }
    }
    return true;
}

void ResumeNote::save(const QByteArray& identity) const
{
    if (m_path.isEmpty())
        return;
    QByteArray text = identity + kProgressKey;
    for (auto it = m_progress.cbegin(); it != m_progress.cend(); ++it) {
        if (it != m_progress.cbegin())
            text += ',';
        text += QByteArray::number(it.key()) + ':' + QByteArray::number(it.value());
    }
    text += '\n';
    // Replaced whole, through a file made exclusively beside it: a note cut short by a crash
    // would describe no file at all, and a link under the note's name is replaced, never
    // written through. The data the note claims has been synced by the caller.
    SafeFile::replaceContent(m_path, text, false, nullptr);
}

void ResumeNote::remove() const
{
    if (!m_path.isEmpty())
        QFile::remove(m_path);
}
