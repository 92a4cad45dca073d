#include "PresetArguments.h"

#include <QRegularExpression>

PresetArguments::PresetArguments(const QString& ffmpegArgs)
    // Two blanks in a row give an empty argument, as the template asks.
    : m_arguments(ffmpegArgs.split(QLatin1Char(' ')))
{ }

bool PresetArguments::has(const QString& placeholder) const
{
    return m_arguments.contains(placeholder);
}

void PresetArguments::fill(const QString& placeholder, const QString& value)
{
    const qsizetype index = m_arguments.indexOf(placeholder);
    if (index >= 0)
        m_arguments[index] = value;
}

void PresetArguments::insertBeforeOutput(const QStringList& arguments)
{
    insertBeforeLast(m_arguments, arguments);
}

void PresetArguments::insertBeforeLast(QStringList& list, const QStringList& arguments)
{
    for (const QString& argument : arguments)
        list.insert(qMax<qsizetype>(0, list.size() - 1), argument);
}

QString PresetArguments::lameQuality(int kbitsPerSecond)
{
    static const struct
    {
        int atMost;
        const char* quality;
    } table[] = { { 48, "9" }, { 96, "7" }, { 128, "5" }, { 192, "2" }, { 256, "1" } };
    for (const auto& row : table) {
        if (kbitsPerSecond <= row.atMost)
            return QLatin1String(row.quality);
    }
    return QStringLiteral("0");
}

QString PresetArguments::audioBitrate(int kbitsPerSecond) const
{
    const int rate = kbitsPerSecond > 0 ? kbitsPerSecond : 192;
    if (contains(QStringLiteral("libmp3lame")))
        return lameQuality(rate);
    return QString::number(rate) + QLatin1Char('k');
}

double PresetArguments::probedFrameRate(const QString& ffmpegOutput)
{
    // The whole number, fraction included: "29.97 fps" is just under 30, not 97.
    static const QRegularExpression expression(QStringLiteral("(\\d+(?:\\.\\d+)?)(k?) fps"));
    const QRegularExpressionMatch match = expression.match(ffmpegOutput);
    if (!match.hasMatch())
        return -1;
    const double rate = match.captured(1).toDouble();
    return match.captured(2) == QLatin1String("k") ? rate * 1000 : rate;
}
