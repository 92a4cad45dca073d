#include "Mp4Tags.h"

#include "app/SafeFile.h"

#include <QFile>
#include <QtEndian>

namespace {

// A movie box bigger than this is no ordinary file's index.
constexpr qint64 maximumMovieBoxSize = 64 * 1024 * 1024;

struct Box
{
    qint64 offset = 0;
    qint64 size = 0;
    QByteArray type;
};

QByteArray atomFor(const QString& key)
{
    const QString name = key.toLower();
    if (name == QLatin1String("title"))
        return QByteArray("\xA9nam", 4);
    if (name == QLatin1String("artist"))
        return QByteArray("\xA9"
                          "ART",
            4);
    if (name == QLatin1String("description"))
        return QByteArrayLiteral("desc");
    if (name == QLatin1String("comment"))
        return QByteArray("\xA9"
                          "cmt",
            4);
    return QByteArray();
}

QByteArray bigEndian32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

QByteArray box(const QByteArray& type, const QByteArray& payload)
{
    return bigEndian32(quint32(8 + payload.size())) + type + payload;
}

// A box with a version and flags (all zero) before its payload.
QByteArray fullBox(const QByteArray& type, const QByteArray& payload)
{
    return box(type, QByteArray(4, '\0') + payload);
}

QByteArray tagList(const QList<QPair<QString, QString>>& tags)
{
    QByteArray entries;
    for (const auto& [key, value] : tags) {
        // Type 1: UTF-8 text; locale 0.
        const QByteArray data = box("data", bigEndian32(1) + bigEndian32(0) + value.toUtf8());
        entries += box(atomFor(key), data);
    }
    const QByteArray handler
        = fullBox("hdlr", bigEndian32(0) + "mdir" + "appl" + QByteArray(9, '\0'));
    return fullBox("meta", handler + box("ilst", entries));
}

// The boxes of data[from, to); false when a size does not fit.
bool childBoxes(const QByteArray& data, qint64 from, qint64 to, QList<Box>* boxes)
{
    qint64 at = from;
    while (at < to) {
        if (to - at < 8)
            return false;
        qint64 size = qFromBigEndian<quint32>(data.constData() + at);
        qint64 header = 8;
        if (size == 1) {
            if (to - at < 16)
                return false;
            size = qint64(qFromBigEndian<quint64>(data.constData() + at + 8));
            header = 16;
        } else if (size == 0) {
            size = to - at;
        }
        if (size < header || size > to - at)
            return false;
        boxes->append({ at, size, data.mid(at + 4, 4) });
        at += size;
    }
    return true;
}

// The last box at the top of the file; false when the layout cannot be read.
bool lastTopLevelBox(QFile& file, Box* last)
{
    const qint64 end = file.size();
    qint64 at = 0;
    while (at < end) {
        if (!file.seek(at))
            return false;
        const QByteArray header = file.read(16);
        if (header.size() < 8)
            return false;
        qint64 size = qFromBigEndian<quint32>(header.constData());
        qint64 headerSize = 8;
        if (size == 1) {
            if (header.size() < 16)
                return false;
            size = qint64(qFromBigEndian<quint64>(header.constData() + 8));
            headerSize = 16;
        } else if (size == 0) {
            size = end - at;
        }
        if (size < headerSize || size > end - at)
            return false;
        *last = { at, size, header.mid(4, 4) };
        // An MP4 file begins with its file type box.
        if (at == 0 && last->type != "ftyp")
            return false;
        at += size;
    }
    return at == end && end > 0;
}

// The movie box's payload with the tag list in its user data box, which is made when missing.
QByteArray taggedMovie(const QByteArray& movie, const QByteArray& tags, bool* ok)
{
    QList<Box> children;
    *ok = childBoxes(movie, 8, movie.size(), &children);
    if (!*ok)
        return QByteArray();
    QByteArray payload;
    bool userDataSeen = false;
    for (const Box& child : std::as_const(children)) {
        if (child.type != "udta") {
            payload += movie.mid(child.offset, child.size);
            continue;
        }
        QList<Box> entries;
        if (userDataSeen
            || !childBoxes(movie, child.offset + 8, child.offset + child.size, &entries)) {
            *ok = false;
            return QByteArray();
        }
        userDataSeen = true;
        QByteArray userData;
        for (const Box& entry : std::as_const(entries)) {
            if (entry.type != "meta")
                userData += movie.mid(entry.offset, entry.size);
        }
        payload += box("udta", userData + tags);
    }
    if (!userDataSeen)
        payload += box("udta", tags);
    return box("moov", payload);
}

} // namespace

bool Mp4Tags::canWrite(const QString& key)
{
    return !atomFor(key).isEmpty();
}

bool Mp4Tags::writeInPlace(
    const QString& path, const QList<QPair<QString, QString>>& tags, QString* error)
{
    for (const auto& tag : tags) {
        if (!canWrite(tag.first)) {
            *error = QStringLiteral("No MP4 atom for the tag %1").arg(tag.first);
            return false;
        }
    }
    QFile file;
    if (!SafeFile::openForWriting(file, path, false, error))
        return false;
    Box movie;
    if (!lastTopLevelBox(file, &movie) || movie.type != "moov") {
        *error = QStringLiteral("%1: the movie box is not the last box").arg(path);
        return false;
    }
    if (movie.size > maximumMovieBoxSize || !file.seek(movie.offset)) {
        *error = QStringLiteral("%1: the movie box cannot be read").arg(path);
        return false;
    }
    const QByteArray original = file.read(movie.size);
    // A 64-bit size header is rare on a movie box; the rewrite keeps the 32-bit form.
    bool ok = original.size() == movie.size && qFromBigEndian<quint32>(original.constData()) != 1;
    const QByteArray rewritten = ok ? taggedMovie(original, tagList(tags), &ok) : QByteArray();
    if (!ok) {
        *error = QStringLiteral("%1: the movie box cannot be read").arg(path);
        return false;
    }
    if (!file.seek(movie.offset) || file.write(rewritten) != rewritten.size()
        || (rewritten.size() < movie.size && !file.resize(movie.offset + rewritten.size()))) {
        *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        // The old box may be half overwritten: put it back.
        if (file.seek(movie.offset) && file.write(original) == original.size())
            file.resize(movie.offset + original.size());
        return false;
    }
    return SafeFile::syncData(file, error);
}
