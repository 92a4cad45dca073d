#include "FileConcatenator.h"

#include <QFile>
#include <QFileInfo>

#include <memory>

#ifdef Q_OS_LINUX
#include <cerrno>
#include <fcntl.h>
#include <sys/sendfile.h>
#include <unistd.h>
#endif

namespace {

constexpr qint64 kCopyBufferSize = 10 * 1024 * 1024;

// Reads through one buffer per concatenation, made on first use.
bool copyThroughBuffer(QFile& from, QFile& to, std::unique_ptr<char[]>& buffer)
{
    if (!buffer)
        buffer = std::make_unique<char[]>(kCopyBufferSize);
    while (true) {
        const qint64 count = from.read(buffer.get(), kCopyBufferSize);
        if (count < 0)
            return false;
        if (count == 0)
            return true;
        if (to.write(buffer.get(), count) != count)
            return false;
    }
}

#ifdef Q_OS_LINUX
// Kernel-side copy: copy_file_range, else sendfile. Returns false when neither applies, in
// which case nothing was written.
enum class KernelCopy { Done, Unsupported, Failed };

KernelCopy copyInKernel(int in, int out, qint64 length)
{
    qint64 copied = 0;
    bool useSendfile = false;
    while (copied < length) {
        const size_t chunk = size_t(qMin<qint64>(length - copied, qint64(1) << 30));
        ssize_t count = -1;
        if (!useSendfile) {
            count = ::copy_file_range(in, nullptr, out, nullptr, chunk, 0);
            if (count < 0 && copied == 0
                && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP
                    || errno == EBADF)) {
                useSendfile = true;
                continue;
            }
        } else {
            count = ::sendfile(out, in, nullptr, chunk);
            if (count < 0 && copied == 0 && (errno == EINVAL || errno == ENOSYS))
                return KernelCopy::Unsupported;
        }
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return KernelCopy::Failed;
        copied += count;
    }
    return KernelCopy::Done;
}
#endif

bool appendFile(const QString& path, QFile& to, std::unique_ptr<char[]>& buffer)
{
    QFile from(path);
    if (!from.open(QIODevice::ReadOnly))
        return false;
#ifdef Q_OS_LINUX
    if (!to.flush())
        return false;
    const KernelCopy result = copyInKernel(from.handle(), to.handle(), from.size());
    if (result != KernelCopy::Unsupported)
        return result == KernelCopy::Done;
#endif
    // The kernel may have moved the write position behind Qt's back.
    if (!to.seek(to.size()))
        return false;
    return copyThroughBuffer(from, to, buffer);
}

} // namespace

bool FileConcatenator::concatenate(const QStringList& inputs, const QString& target)
{
    if (inputs.isEmpty())
        return false;
    for (const QString& input : inputs) {
        if (!QFileInfo(input).isFile())
            return false;
    }
    const QString& first = inputs.first();
    QFile out(first);
    // Not opened for appending: the kernel copy needs an ordinary write position.
    if (!out.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        return false;
    const qint64 firstSize = out.size();
    if (!out.seek(firstSize))
        return false;

    std::unique_ptr<char[]> buffer;
    for (qsizetype i = 1; i < inputs.size(); ++i) {
        if (!appendFile(inputs.at(i), out, buffer)) {
            out.resize(firstSize);
            return false;
        }
    }
    if (!out.flush()) {
        out.resize(firstSize);
        return false;
    }
    out.close();

    if (target != first) {
        if (QFile::exists(target))
            QFile::remove(target);
        if (!QFile::rename(first, target)) {
            QFile::resize(first, firstSize);
            return false;
        }
    }
    for (qsizetype i = 1; i < inputs.size(); ++i)
        QFile::remove(inputs.at(i));
    return QFile::exists(target);
}
