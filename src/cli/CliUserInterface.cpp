#include "CliUserInterface.h"

#include "app/UserFacingText.h"

#include <QCoreApplication>

#include <cstdio>

void CliUserInterface::showFatalError(const QString& text)
{
    const QString message = QStringLiteral("kestrofan-cli: ")
        + UserFacingText::fromRecordedError(text) + QStringLiteral("\n\n")
        + QCoreApplication::translate("Application", "%1 will now quit.")
              .arg(QCoreApplication::applicationName())
        + QLatin1Char('\n');
    std::fputs(message.toLocal8Bit().constData(), stderr);
}

void CliUserInterface::showError(const QString& text)
{
    std::fputs((QStringLiteral("kestrofan-cli: ") + UserFacingText::fromRecordedError(text)
                   + QLatin1Char('\n'))
                   .toLocal8Bit()
                   .constData(),
        stderr);
}
