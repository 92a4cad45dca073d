#include "UserFacingText.h"

#include <QRegularExpression>

namespace UserFacingText {

QString fromRecordedError(const QString& recorded)
{
    // "Class::function()" with an optional colon; whatever stands before it ("Error: ",
    // "Unexpected in ") belongs to the developer's wording too.
    static const QRegularExpression functionName(
        QStringLiteral("[A-Za-z_]\\w*(?:::~?[A-Za-z_]\\w*)+\\(\\)\\s*:?\\s*"));
    const QRegularExpressionMatch match = functionName.match(recorded);
    if (!match.hasMatch())
        return recorded;
    QString rest = recorded.mid(match.capturedEnd()).trimmed();
    if (rest.isEmpty())
        return recorded;
    rest[0] = rest.at(0).toUpper();
    return rest;
}

} // namespace UserFacingText
