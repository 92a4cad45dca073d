#pragma once

#include <QString>

// Error holder shared by requests, readers, services and converters. Code 0 means the
// text is the message; codes 1 to 7 stand for fixed, translatable texts.
class KObject
{
public:
    enum ErrorCode {
        NoCode = 0,
        Unknown = 1,
        UnsupportedUrl = 2,
        InvalidUrl = 3,
        NetworkError = 4,
        Forbidden = 5,
        TimedOut = 6,
        // An answer larger than the bound for its kind.
        TooLarge = 7,
    };

    KObject() = default;
    virtual ~KObject() = default;
    KObject(const KObject&) = default;
    KObject& operator=(const KObject&) = default;

    int errorCode() const { return m_errorCode; }
    void setErrorCode(int code) { m_errorCode = code; }
    QString errorText() const { return m_errorText; }
    void setErrorText(const QString& text) { m_errorText = text; }
    void clearError();

    // What the error dialog shows: the code's fixed text, or the error text for code 0.
    QString errorMessage() const;
    static QString textForCode(int code);

private:
    int m_errorCode = 0;
    QString m_errorText;
};
