#include "DownloadRowTexts.h"

#include "app/UserFacingText.h"
#include "download/ProcessingStates.h"

#include <QCoreApplication>

namespace {

QString tr(const char* text, const char* disambiguation = nullptr, int n = -1)
{
    return QCoreApplication::translate("DownloadRowTexts", text, disambiguation, n);
}

QString megabytes(qint64 bytes)
{
    return QString::number(double(bytes) / 1024.0 / 1024.0, 'f', 2);
}

} // namespace

namespace DownloadRowTexts {

QString title(const QString& title)
{
    return title.left(maximumTitleLength);
}

QString typeAndSource(MediaDescriptor::MediaType type, const QUrl& pageAddress)
{
    QString typeName = MediaDescriptor::mediaTypeName(type);
    if (!typeName.isEmpty())
        typeName[0] = typeName.at(0).toUpper();
    return tr("Download Type: ") + typeName + tr(" | Source: ") + pageAddress.host();
}

QString remaining(int seconds)
{
    if (seconds < 0)
        return tr("Calculating...");
    if (seconds < 60)
        return tr("Less than a minute");
    if (seconds < 3600)
        return tr("About %Ln minute(s)", "minute", seconds / 60);
    return tr("About %Ln hour(s)", "hour", seconds / 3600) + QStringLiteral(" ") + tr("and")
        + QStringLiteral(" ") + tr("%Ln minute(s)", "minute", seconds % 3600 / 60);
}

QString remainingLine(int seconds)
{
    return tr("Remaining time:") + QStringLiteral(" ") + remaining(seconds);
}

QString progress(qint64 doneBytes, qint64 totalBytes)
{
    const QString done = doneBytes > 0 ? megabytes(doneBytes) : QStringLiteral("0");
    return tr("%1 MB of %2 MB").arg(done, megabytes(qMax<qint64>(0, totalBytes)));
}

QString speed(double bytesPerSecond)
{
    if (bytesPerSecond <= 0)
        return {};
    const double kilobytes = bytesPerSecond / 1024.0;
    if (kilobytes < 1024.0)
        return tr("%1 KB/s").arg(kilobytes, 0, 'f', 0);
    return tr("%1 MB/s").arg(kilobytes / 1024.0, 0, 'f', 1);
}

QString state(int state, bool held, const QString& errorText)
{
    if (held && ProcessingStates::isUnfinished(state) && state != ProcessingStates::Converting)
        return ProcessingStates::displayName(ProcessingStates::Paused);
    if (state == ProcessingStates::Error && !errorText.isEmpty())
        return ProcessingStates::displayName(state) + QStringLiteral(": ")
            + UserFacingText::fromRecordedError(errorText);
    return ProcessingStates::displayName(state);
}

QString spoken(const QString& title, const QString& stateText, int percent)
{
    return tr("%1 — %2 %3%").arg(title, stateText).arg(qBound(0, percent, 100));
}

} // namespace DownloadRowTexts
