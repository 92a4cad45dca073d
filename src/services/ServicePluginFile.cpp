#include "ServicePluginFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>
#include <QtEndian>

#include <zlib.h>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("ServicePluginFile", text);
}

constexpr int headerSize = 4;

} // namespace

ServicePluginFile::Status ServicePluginFile::read(
    const QString& path, QString* text, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return Missing;
    }
    // Compressed text is never larger than the text itself by more than zlib's small overhead.
    if (file.size() > maximumTextSize + 1024) {
        *error = tr("the file is larger than %1 bytes").arg(maximumTextSize);
        return Damaged;
    }
    return unpack(file.readAll(), text, error);
}

ServicePluginFile::Status ServicePluginFile::unpack(
    const QByteArray& packed, QString* text, QString* error)
{
    text->clear();
    if (packed.isEmpty()) {
        *error = tr("the file is empty");
        return Missing;
    }
    if (packed.size() <= headerSize) {
        *error = tr("the file is too short to hold a packed program");
        return Damaged;
    }
    // qUncompress allocates the stated size up front; check it before trusting it.
    const quint32 statedSize = qFromBigEndian<quint32>(packed.constData());
    if (statedSize > quint32(maximumTextSize)) {
        *error = tr("the packed program claims %1 bytes, more than the limit of %2")
                     .arg(statedSize)
                     .arg(maximumTextSize);
        return Damaged;
    }
    QByteArray bytes;
    if (!inflateBounded(packed.mid(headerSize), statedSize, &bytes, error))
        return Damaged;
    *text = QString::fromUtf8(bytes);
    return Ok;
}

// Like qUncompress, which would also grow its buffer without limit for a stream that
// inflates beyond the stated size, but never past maximumTextSize.
bool ServicePluginFile::inflateBounded(
    const QByteArray& stream, quint32 statedSize, QByteArray* out, QString* error)
{
    z_stream zs {};
    if (inflateInit(&zs) != Z_OK) {
        *error = tr("the decompressor could not start");
        return false;
    }
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stream.constData()));
    zs.avail_in = uInt(stream.size());
    out->resize(qMax<qint64>(statedSize, 1));
    int result = Z_OK;
    while (true) {
        zs.next_out = reinterpret_cast<Bytef*>(out->data() + zs.total_out);
        zs.avail_out = uInt(out->size() - qint64(zs.total_out));
        result = inflate(&zs, Z_NO_FLUSH);
        if (result == Z_STREAM_END || (result != Z_OK && result != Z_BUF_ERROR))
            break;
        if (zs.avail_out > 0) {
            // No progress possible although there is room: the input ended early.
            result = Z_DATA_ERROR;
            break;
        }
        if (out->size() >= maximumTextSize) {
            inflateEnd(&zs);
            *error = tr("the program is larger than %1 bytes").arg(maximumTextSize);
            return false;
        }
        out->resize(qMin<qint64>(out->size() * 2, maximumTextSize));
    }
    const qint64 produced = qint64(zs.total_out);
    inflateEnd(&zs);
    if (result != Z_STREAM_END) {
        *error = tr("the packed program could not be decompressed");
        return false;
    }
    out->resize(produced);
    if (out->isEmpty()) {
        *error = tr("the packed program is empty");
        return false;
    }
    return true;
}

QByteArray ServicePluginFile::pack(const QString& text)
{
    return qCompress(text.toUtf8(), 9);
}

bool ServicePluginFile::write(const QString& path, const QString& text, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    file.write(pack(text));
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}
