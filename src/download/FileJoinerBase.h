#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class ProcessCancellation;

// Turns the downloaded pieces of one file into that file. A joiner is owned by its request,
// used once, and runs on a worker thread; the owner reads the error text afterwards.
class FileJoinerBase
{
public:
    explicit FileJoinerBase(int format = -1);
    virtual ~FileJoinerBase();
    FileJoinerBase(const FileJoinerBase&) = delete;
    FileJoinerBase& operator=(const FileJoinerBase&) = delete;

    // Returns the path of the joined file; empty on failure, with the error text set.
    virtual QString join(const QStringList& files, const QString& target) = 0;

    QString errorText() const { return m_errorText; }
    int format() const { return m_format; }

    // The ffmpeg the joiner runs; FfmpegExecutable's unless set.
    QString ffmpegPath() const;
    void setFfmpegPath(const QString& path) { m_ffmpegPath = path; }
    // Lets the holder of the handle end a running ffmpeg.
    void setCancellation(std::shared_ptr<ProcessCancellation> cancellation)
    {
        m_cancellation = std::move(cancellation);
    }

    // The file extension of a stream format: "m4a" for AAC, "ogg" for Vorbis, "mp4", "webm",
    // "flv", "mp3", "opus"; Matroska ("mkv") for anything else, which holds every codec.
    static QString formatExtension(int format);

protected:
    void setErrorText(const QString& text) { m_errorText = text; }
    const std::shared_ptr<ProcessCancellation>& cancellation() const { return m_cancellation; }

private:
    QString m_errorText;
    int m_format = -1;
    QString m_ffmpegPath;
    std::shared_ptr<ProcessCancellation> m_cancellation;
};
