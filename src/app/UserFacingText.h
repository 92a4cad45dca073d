#pragma once

#include <QString>

// Recorded error texts keep the developer's wording, which may begin with the C++ function
// that failed ("MediaFileRequest::headReplyFinished(): Too many redirects; giving up"). The
// log and the download records keep that; a person is shown what follows the function name.
namespace UserFacingText {

QString fromRecordedError(const QString& recorded);

} // namespace UserFacingText
