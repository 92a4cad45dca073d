#pragma once

#include "app/AppTestSupport.h"

#include <QByteArray>
#include <QString>

// Helpers of the extraction tests, on top of a CoreTestContext.
namespace ExtractionFixture {

// Writes an executable shell script into the helpers folder; returns its path.
QString writeHelperScript(const QString& fileName, const QByteArray& script);
// Row 1 of binary_helper for a file name in the helpers folder.
void registerDownloadHelper(const QString& binaryName);

} // namespace ExtractionFixture
