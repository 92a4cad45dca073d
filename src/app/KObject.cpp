#include "KObject.h"

#include <QCoreApplication>

void KObject::clearError()
{
    m_errorCode = 0;
    m_errorText.clear();
}

QString KObject::errorMessage() const
{
    return m_errorCode == NoCode ? m_errorText : textForCode(m_errorCode);
}

QString KObject::textForCode(int code)
{
    switch (code) {
    case UnsupportedUrl:
        return QCoreApplication::translate("KObject", "The URL is not supported.");
    case InvalidUrl:
        return QCoreApplication::translate("KObject", "The URL is not valid");
    case NetworkError:
        return QCoreApplication::translate("KObject", "A network error occurred");
    case Forbidden:
        return QCoreApplication::translate("KObject", "No data was recieved");
    case TimedOut:
        return QCoreApplication::translate("KObject", "The request timed out");
    case TooLarge:
        return QCoreApplication::translate("KObject", "The answer was too large");
    default:
        return QCoreApplication::translate("KObject", "An unknown error occurred");
    }
}
