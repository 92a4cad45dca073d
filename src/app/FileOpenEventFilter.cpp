#include "FileOpenEventFilter.h"

#include <QFileOpenEvent>
#include <QRegularExpression>
#include <QUrl>

QString FileOpenEventFilter::addressFromUrl(const QUrl& url)
{
    QString text = QUrl::fromPercentEncoding(url.toString().toUtf8());
    // Some handlers collapse "//" after the scheme; put it back. Addresses that are already
    // whole (say, one carried in a query) are left as they are.
    const auto repair = [&text](const QString& scheme) {
        const QString prefix = QStringLiteral("file:kestrofan:") + scheme + QStringLiteral(":/");
        if (text.startsWith(prefix) && !text.startsWith(prefix + QLatin1Char('/'))) {
            text.replace(QRegularExpression(scheme + QStringLiteral(":/(?!/)")),
                scheme + QStringLiteral("://"));
            return true;
        }
        return false;
    };
    if (!repair(QStringLiteral("http")))
        repair(QStringLiteral("https"));
    return text;
}

bool FileOpenEventFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::FileOpen)
        return QObject::eventFilter(watched, event);
    const QUrl url = static_cast<QFileOpenEvent*>(event)->url();
    if (url.isEmpty())
        return false;
    emit urlOpenedByExternalURLHandler(addressFromUrl(url));
    return false;
}
