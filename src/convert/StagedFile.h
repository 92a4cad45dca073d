#pragma once

#include <QString>

// A file that a program writes under a hidden temporary name in the folder where the result
// will stay. Only a complete file takes its final name, so a run cut short (the program
// quits, ffmpeg fails) never leaves a half-written file under that name. An unpublished
// file is removed with the object.
class StagedFile
{
public:
    StagedFile() = default;
    ~StagedFile();
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    // Creates the empty file exclusively: never an existing file, never through a link. The
    // name ends in the extension, from which ffmpeg chooses the container.
    bool create(const QString& directory, const QString& extension, QString* error);
    QString path() const { return m_path; }
    // Whether something was written: a regular file that is not empty.
    bool isFilled() const;

    // Moves the file to directory/stem.extension, or the first free counted name; the final
    // path, or an empty string with the reason in *error.
    QString publish(const QString& stem, QString* error);
    // Puts the file in place of target, which it replaces in one step.
    bool replace(const QString& target, QString* error);

private:
    QString m_directory;
    QString m_extension;
    QString m_path;
};
