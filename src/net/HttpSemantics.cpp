#include "HttpSemantics.h"

#include <QRegularExpression>

namespace HttpSemantics {

bool isRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

ContentRange ContentRange::parse(const QByteArray& header)
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*bytes\\s+(?:(\\d+)-(\\d+)|\\*)/(\\d+|\\*)\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    ContentRange range;
    const QRegularExpressionMatch match = pattern.match(QString::fromLatin1(header));
    if (!match.hasMatch())
        return range;
    if (match.capturedLength(1) > 0) {
        range.first = match.captured(1).toLongLong();
        range.last = match.captured(2).toLongLong();
    }
    if (match.captured(3) != QLatin1String("*"))
        range.total = match.captured(3).toLongLong();
    return range;
}

bool isSafeHeader(const QByteArray& name, const QByteArray& value)
{
    static const QByteArray separators = QByteArrayLiteral("()<>@,;:\\\"/[]?={} \t");
    if (name.isEmpty() || name.size() > 256 || value.size() > 8192)
        return false;
    for (const char c : name) {
        if (uchar(c) <= 32 || uchar(c) >= 127 || separators.contains(c))
            return false;
    }
    for (const char c : value) {
        if (c == '\r' || c == '\n' || c == '\0')
            return false;
    }
    return true;
}

} // namespace HttpSemantics
