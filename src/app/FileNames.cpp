#include "FileNames.h"

#include <QRegularExpression>
#include <QTextBoundaryFinder>

namespace {

bool isUnwanted(char32_t c)
{
    if (c == U'/' || c == U'\\')
        return true;
    switch (QChar::category(c)) {
    case QChar::Other_Control: // C0, DEL, C1
    case QChar::Other_Format: // bidi embeddings, overrides, isolates and marks, zero-width
                              // characters, the byte order mark, soft hyphen
    case QChar::Other_NotAssigned:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return false;
    }
}

// The longest start of text, cut between two characters (grapheme clusters), that fits in
// the bytes.
QString leftInBytes(const QString& text, int bytes)
{
    if (bytes <= 0)
        return QString();
    if (text.toUtf8().size() <= bytes)
        return text;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype fitting = 0;
    while (finder.toNextBoundary() >= 0) {
        const qsizetype position = finder.position();
        if (text.left(position).toUtf8().size() > bytes)
            break;
        fitting = position;
    }
    return text.left(fitting);
}

} // namespace

namespace FileNames {

QString cleaned(const QString& text)
{
    QString result;
    result.reserve(text.size());
    // Walks the UTF-16 units by hand: toUcs4() would turn a lone surrogate into U+FFFD.
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar unit = text.at(i);
        if (unit.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            if (!isUnwanted(QChar::surrogateToUcs4(unit, text.at(i + 1))))
                result += text.mid(i, 2);
            ++i;
        } else if (!unit.isSurrogate() && !isUnwanted(unit.unicode())) {
            result += unit;
        }
    }
    result = result.trimmed();
    while (result.startsWith(QLatin1Char('.')) || result.startsWith(QLatin1Char(' ')))
        result.remove(0, 1);
    return result;
}

QString sanitizedTitleFileName(const QString& title)
{
    static const QRegularExpression lineBreaks(
        QStringLiteral("[\\t\\n\\r\\v\\f\\x{2028}\\x{2029}]"));
    QString name = title;
    name.replace(lineBreaks, QStringLiteral(" "));
    name.remove(QStringLiteral("http://"));
    name.remove(QStringLiteral("https://"));
    name.replace(QLatin1Char('&'), QLatin1Char(' '));
    name.replace(QLatin1Char('/'), QLatin1Char(' '));
    for (const QChar c : { u'<', u'>', u':', u'"', u'\\', u'|', u'?', u'*', u'!' })
        name.remove(c);
    name = cleaned(name);
    name.replace(QStringLiteral("   "), QStringLiteral(" "));
    name.replace(QStringLiteral("  "), QStringLiteral(" "));
    return name;
}

QString fitted(const QString& stem, const QString& suffix, const QString& extension, int maxBytes)
{
    const QString tail = extension.isEmpty() ? suffix : suffix + QLatin1Char('.') + extension;
    const int tailBytes = int(tail.toUtf8().size());
    if (tailBytes >= maxBytes) {
        // Nothing left for the stem: the name is cut as a whole.
        return leftInBytes(stem + tail, maxBytes);
    }
    return leftInBytes(stem, maxBytes - tailBytes) + tail;
}

} // namespace FileNames
