#include "FileNames.h"

#include <QList>
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
    case QChar::Other_Surrogate: // a lone surrogate is no character at all
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
    const QList<uint> codePoints = text.toUcs4();
    for (const uint c : codePoints) {
        const char32_t codePoint = c;
        if (!isUnwanted(codePoint))
            result += QString::fromUcs4(&codePoint, 1);
    }
    result = result.trimmed();
    while (result.startsWith(QLatin1Char('.')) || result.startsWith(QLatin1Char(' ')))
        result.remove(0, 1);
    return result;
}

QString sanitizedTitleFileName(const QString& title)
{
    QString name = title;
    for (const QChar c : { u'\t', u'\n', u'\r', u'\v', u'\f', QChar(QChar::LineSeparator),
             QChar(QChar::ParagraphSeparator) })
        name.replace(c, QLatin1Char(' '));
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
