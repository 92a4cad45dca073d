#include "TestHttpSite.h"

#include <QFileInfo>
#include <QMutexLocker>

namespace {

enum class RangeResult { None, Satisfiable, Unsatisfiable };

// Reads a single "bytes=first-last", "bytes=first-" or "bytes=-suffix" range. Anything else
// (several ranges, other units, garbage) is ignored and the whole body is served.
RangeResult parseRange(const QByteArray& header, qint64 size, qint64* first, qint64* last)
{
    const QByteArray spec = header.trimmed();
    if (!spec.startsWith("bytes=") || spec.contains(','))
        return RangeResult::None;
    const QByteArray range = spec.mid(6).trimmed();
    const int dash = range.indexOf('-');
    if (dash < 0)
        return RangeResult::None;
    const QByteArray firstText = range.left(dash).trimmed();
    const QByteArray lastText = range.mid(dash + 1).trimmed();
    bool firstOk = false;
    bool lastOk = false;
    const qint64 firstValue = firstText.toLongLong(&firstOk);
    const qint64 lastValue = lastText.toLongLong(&lastOk);
    if (firstText.isEmpty()) {
        if (!lastOk || lastValue <= 0 || size == 0)
            return lastOk ? RangeResult::Unsatisfiable : RangeResult::None;
        *first = qMax<qint64>(0, size - lastValue);
        *last = size - 1;
        return RangeResult::Satisfiable;
    }
    if (!firstOk || firstValue < 0 || (!lastText.isEmpty() && !lastOk))
        return RangeResult::None;
    if (firstValue >= size || (lastOk && lastValue < firstValue))
        return RangeResult::Unsatisfiable;
    *first = firstValue;
    *last = lastOk ? qMin(lastValue, size - 1) : size - 1;
    return RangeResult::Satisfiable;
}

TestHttpReply emptyReply(int status)
{
    TestHttpReply reply;
    reply.status = status;
    return reply;
}

bool appliesNow(int times, int* done)
{
    if (times >= 0 && *done >= times)
        return false;
    ++*done;
    return true;
}

} // namespace

TestHttpReply replyFromResponse(const TestHttpRequest& request, const TestHttpResponse& response)
{
    TestHttpReply reply;
    reply.status = response.status;
    reply.headers = response.headers;
    reply.body = response.body;
    reply.bodyLength = response.body.size();
    reply.sendBody = request.method != QLatin1String("HEAD");
    reply.omitContentLength = response.omitContentLength;
    reply.closeConnection = response.closeConnection;
    reply.dropAfterBytes = response.dropAfterBytes;
    reply.stallAfterBytes = response.stallAfterBytes;
    reply.stallMs = response.stallMs;
    reply.bytesPerSecond = response.bytesPerSecond;
    reply.silent = response.silent;
    return reply;
}

void TestHttpSite::setFile(const QString& path, const QByteArray& body, const QString& filePath,
    const QByteArray& contentType)
{
    QMutexLocker locker(&m_mutex);
    m_files.insert(path, File { body, filePath, contentType });
}

void TestHttpSite::setOptions(const QString& path, const TestHttpFileOptions& options)
{
    QMutexLocker locker(&m_mutex);
    m_options.insert(path, options);
    m_counters.remove(path);
}

void TestHttpSite::setRoute(const QString& path, const Handler& handler)
{
    QMutexLocker locker(&m_mutex);
    m_routes.insert(path, handler);
}

QList<TestHttpRequest> TestHttpSite::requests() const
{
    QMutexLocker locker(&m_mutex);
    return m_requests;
}

void TestHttpSite::clearRequests()
{
    QMutexLocker locker(&m_mutex);
    m_requests.clear();
}

TestHttpSite::Handler TestHttpSite::findRoute(const QString& path) const
{
    if (m_routes.contains(path))
        return m_routes.value(path);
    // "/prefix/*" answers every path below the prefix; the longest prefix wins.
    Handler best;
    int bestLength = -1;
    for (auto it = m_routes.cbegin(); it != m_routes.cend(); ++it) {
        const QString& key = it.key();
        if (!key.endsWith(QLatin1Char('*')))
            continue;
        const QString prefix = key.chopped(1);
        if (path.startsWith(prefix) && prefix.size() > bestLength) {
            best = it.value();
            bestLength = prefix.size();
        }
    }
    return best;
}

TestHttpReply TestHttpSite::answer(const TestHttpRequest& request)
{
    Handler handler;
    {
        QMutexLocker locker(&m_mutex);
        m_requests.append(request);
        handler = findRoute(request.path);
        if (!handler) {
            if (!m_files.contains(request.path)) {
                TestHttpReply reply = emptyReply(404);
                reply.body = "Not found";
                reply.bodyLength = reply.body.size();
                reply.sendBody = request.method != QLatin1String("HEAD");
                return reply;
            }
            return answerFile(request, m_files.value(request.path), m_options.value(request.path),
                m_counters[request.path]);
        }
    }
    return replyFromResponse(request, handler(request));
}

TestHttpReply TestHttpSite::answerFile(const TestHttpRequest& request, const File& file,
    const TestHttpFileOptions& options, Counters& counters) const
{
    const bool isHead = request.method == QLatin1String("HEAD");
    if (counters.silenced < options.silentTimes) {
        ++counters.silenced;
        TestHttpReply reply;
        reply.silent = true;
        return reply;
    }
    if (options.status != 0 && appliesNow(options.failTimes, &counters.failed))
        return emptyReply(options.status);
    if (isHead && options.refuseHead) {
        TestHttpReply reply = emptyReply(405);
        reply.headers.emplace_back("Allow", "GET");
        if (options.allowMethodsHeader)
            reply.headers.emplace_back("Access-Control-Allow-Methods", "GET, OPTIONS");
        return reply;
    }
    if (!isHead && request.method != QLatin1String("GET")) {
        TestHttpReply reply = emptyReply(405);
        reply.headers.emplace_back("Allow", "GET, HEAD");
        return reply;
    }

    const qint64 size
        = file.filePath.isEmpty() ? file.body.size() : QFileInfo(file.filePath).size();
    TestHttpReply reply;
    reply.headers.emplace_back("Content-Type", file.contentType);
    if (!options.ignoreRanges)
        reply.headers.emplace_back("Accept-Ranges", "bytes");
    if (!options.etag.isEmpty())
        reply.headers.emplace_back("ETag", options.etag);
    if (!options.lastModified.isEmpty())
        reply.headers.emplace_back("Last-Modified", options.lastModified);
    reply.headers.append(options.extraHeaders);

    const bool etagMatches
        = !options.etag.isEmpty() && request.header("if-none-match") == options.etag;
    const bool dateMatches = !options.lastModified.isEmpty()
        && request.header("if-modified-since") == options.lastModified;
    if (etagMatches || dateMatches) {
        reply.status = 304;
        return reply;
    }

    qint64 first = 0;
    qint64 last = size - 1;
    const QByteArray range = request.header("range");
    const QByteArray ifRange = request.header("if-range");
    const bool sameVersion = ifRange.isEmpty() || options.ignoreIfRange
        || (!options.etag.isEmpty() && ifRange == options.etag)
        || (!options.lastModified.isEmpty() && ifRange == options.lastModified);
    if (!range.isEmpty() && !options.ignoreRanges && sameVersion) {
        switch (parseRange(range, size, &first, &last)) {
        case RangeResult::Satisfiable:
            reply.status = 206;
            reply.headers.emplace_back("Content-Range",
                QByteArray("bytes ") + QByteArray::number(first) + '-' + QByteArray::number(last)
                    + '/' + QByteArray::number(size));
            break;
        case RangeResult::Unsatisfiable: {
            TestHttpReply refused = emptyReply(416);
            refused.headers.emplace_back("Content-Range", "bytes */" + QByteArray::number(size));
            return refused;
        }
        case RangeResult::None:
            break;
        }
    }

    reply.bodyLength = qMax<qint64>(0, last - first + 1);
    if (file.filePath.isEmpty())
        reply.body = file.body.mid(first, reply.bodyLength);
    else {
        reply.filePath = file.filePath;
        reply.fileOffset = first;
    }
    reply.sendBody = !isHead;
    reply.omitContentLength = options.omitContentLength && !isHead;
    reply.bytesPerSecond = options.bytesPerSecond;
    if (!isHead && options.dropAfterBytes >= 0 && options.dropAfterBytes < reply.bodyLength
        && appliesNow(options.dropTimes, &counters.dropped))
        reply.dropAfterBytes = options.dropAfterBytes;
    if (!isHead && options.stallAfterBytes >= 0 && options.stallAfterBytes < reply.bodyLength
        && appliesNow(options.stallTimes, &counters.stalled)) {
        reply.stallAfterBytes = options.stallAfterBytes;
        reply.stallMs = options.stallMs;
    }
    return reply;
}
