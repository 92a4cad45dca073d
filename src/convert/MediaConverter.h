#pragma once

#include "ConversionItem.h"
#include "ConversionOptions.h"
#include "TitleInfo.h"
#include "app/KObject.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class ProcessCancellation;
class StagedFile;

// Turns a downloaded file into the file the user keeps: re-encoded through a conversion
// preset, or with its streams kept and only tagged; placed in the media folder under a free
// name; listed in the player's playlist when the options ask for it. Made for one download
// on the job's thread; convert() runs once on a worker thread and only reads the values it
// was given.
class MediaConverter : public QObject, public KObject
{
    Q_OBJECT
public:
    MediaConverter(const ConversionItem& item, const QString& filePath,
        const ConversionOptions& options, QObject* parent = nullptr);

    // The finished file's path; empty when there is none. Failures also go out through
    // errorSignal() and the error text.
    virtual QString convert() = 0;
    // Inserts the "-metadata" pairs just before the last argument (the output file).
    virtual void addMetadata(QStringList& arguments) const = 0;

    // Ends the ffmpeg of convert() when cancelled (the program quits, the job is cancelled);
    // the conversion then fails and leaves no file under a final name.
    void setCancellation(std::shared_ptr<ProcessCancellation> cancellation)
    {
        m_cancellation = std::move(cancellation);
    }

    const TitleInfo& titleInfo() const { return m_titleInfo; }
    // The title as a file name, without extension.
    QString baseName() const { return m_baseName; }
    QString outputPath() const { return m_outputPath; }

    // Titles longer than this are cut before they name or tag anything.
    static constexpr int maximumTitleLength = 245;

    // The usual extension of a downloaded format ("m4a" for AAC, ...); empty when unknown.
    static QString formatExtension(int format);

signals:
    void errorSignal(QString errMsg);

protected:
    struct FfmpegRun
    {
        bool ran = false; // started, did not crash, ended in time
        int exitCode = -1;
        QString output;
        QString error;
    };

    // The one place where ffmpeg starts; a way to stop it belongs here.
    FfmpegRun runFfmpeg(const QStringList& arguments) const;
    // Runs ffmpeg to write the staged file; false, with ffmpeg's last words in the error
    // text, unless ffmpeg succeeded and wrote something.
    bool produce(StagedFile& output, const QStringList& arguments);

    // Moves the downloaded file itself into the media folder (streams kept).
    bool renameInput();
    // Gives the staged result its free name in the media folder.
    bool publishOutput(StagedFile& output);
    // Rewrites the output with the tags; the untagged file stays when that fails.
    bool addTags();
    // Writes the tags into the downloaded file where it lies, when its layout allows that
    // without copying it (an MP4 with its index at the end); false leaves it untouched.
    bool tagInputInPlace();
    // Creates the staged file in the media folder.
    bool stageOutput(StagedFile& output, const QString& extension);
    void addToPlaylist(const QString& playlistName, bool enabled) const;
    // Sets the error text and sends it out.
    void fail(const QString& text);

    QString commentText() const;
    // Where finished files go.
    QString mediaDirectory() const;
    // The extension the kept streams get: the format's, else the downloaded file's.
    QString keptExtension() const;

    ConversionItem m_item;
    ConversionOptions m_options;
    QString m_inputPath;
    QString m_outputPath;
    QString m_baseName;
    QString m_workDirectory;
    int m_mediaType;
    int m_targetFormat;
    TitleInfo m_titleInfo;
    std::shared_ptr<ProcessCancellation> m_cancellation;
};
