#pragma once

#include <QString>

// Shows a file to the person in their file manager.
namespace FileRevealer {

// The most recently modified file directly in "folder"; empty when there is none.
QString newestFile(const QString& folder);
// Opens the file manager with the file selected (the desktop's FileManager1 service), or the
// file's folder where that service is missing. False when neither could be asked.
bool reveal(const QString& filePath);

} // namespace FileRevealer
