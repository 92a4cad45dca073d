#include "FileNames.h"

#include <QTextBoundaryFinder>

namespace {

// Invisible characters that change how the rest of a name reads (bidirectional overrides,
// zero-width joiners, byte order marks) fall under Format; Control covers NUL and the like.
bool isHidden(QChar::Category category)
{
    return category == QChar::Other_Control || category == QChar::Other_Format
        || category == QChar::Other_Surrogate;
}

bool breaksLine(QChar c)
{
    return c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r')
        || c == QLatin1Char('\v') || c == QLatin1Char('\f') || c == QChar::LineSeparator
        || c == QChar::ParagraphSeparator;
}

// Line breaks and tabs become blanks, other hidden characters go; a surrogate pair stays
// together (only a lone surrogate counts as hidden).
QString withoutHiddenCharacters(const QString& text)
{
    QString result;
    result.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            const char32_t codePoint = QChar::surrogateToUcs4(c, text.at(i + 1));
            if (!isHidden(QChar::category(codePoint)))
                result += QStringView(text).mid(i, 2);
            ++i;
        } else if (breaksLine(c)) {
            result += QLatin1Char(' ');
        } else if (!isHidden(c.category())) {
            result += c;
        }
    }
    return result;
}

} // namespace

QString FileNames::sanitizedTitleFileName(const QString& title)
{
    QString name = withoutHiddenCharacters(title);
    name.remove(QStringLiteral("http://"));
    name.remove(QStringLiteral("https://"));
    name.replace(QLatin1Char('&'), QLatin1Char(' '));
    for (const QChar c : { u'<', u'>', u':', u'"' })
        name.remove(c);
    name.replace(QLatin1Char('/'), QLatin1Char(' '));
    for (const QChar c : { u'\\', u'|', u'?', u'*', u'&', u'!' })
        name.remove(c);
    name.replace(QStringLiteral("   "), QStringLiteral(" "));
    name.replace(QStringLiteral("  "), QStringLiteral(" "));
    return name;
}

QString FileNames::fittedFileName(const QString& stem, const QString& tail)
{
    const int room = maximumBytes - tail.toUtf8().size();
    if (stem.toUtf8().size() <= room)
        return stem + tail;
    // Cut between user-perceived characters, so an accent never loses its letter.
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, stem);
    qsizetype fitting = 0;
    for (qsizetype next = finder.toNextBoundary(); next > 0; next = finder.toNextBoundary()) {
        if (QStringView(stem).left(next).toUtf8().size() > room)
            break;
        fitting = next;
    }
    return stem.left(fitting) + tail;
}
