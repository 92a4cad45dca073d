#pragma once

#include <QString>

// Shows a file to the person in their file manager.
namespace FileRevealer {

// The most recently modified file directly in "folder"; empty when there is none.
QString newestFile(const QString& folder);
// Asks the desktop's file manager (org.freedesktop.FileManager1 on the session bus) to show the
// file selected, without waiting for it; where that fails, or without a bus, the file's folder
// is opened by the desktop instead. False when not even that could be asked.
bool reveal(const QString& filePath);
// Opens the file's folder with the desktop's handler.
bool openFolderOf(const QString& filePath);

} // namespace FileRevealer
