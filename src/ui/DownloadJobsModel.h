#pragma once

#include <QAbstractListModel>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QPixmap>
#include <QSet>
#include <QTimer>

class DownloadList;
class ProcessingElement;

// The jobs of a download list, newest first, one row each with the texts the row shows. Jobs
// report progress many times a second; their rows are refreshed together a few times a second
// instead, and every second while something downloads (the remaining time moves on its own).
// Thumbnails are loaded when a view first asks for a row's picture, so only rows that are
// painted load theirs; the pixmaps stay here.
class DownloadJobsModel : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Role {
        TitleRole = Qt::UserRole + 1,
        StateRole, // ProcessingStates::States as int
        HeldRole,
        StateTextRole,
        PercentRole,
        TypeAndSourceRole,
        ProgressTextRole, // "%1 MB of %2 MB" while downloading, else empty
        RemainingTextRole, // "Remaining time: ..." while downloading, else the state text
        SpeedTextRole,
    };

    explicit DownloadJobsModel(DownloadList* list, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    ProcessingElement* job(int row) const;
    int rowOf(const ProcessingElement* job) const;
    DownloadList* list() const { return m_list; }

    // The size thumbnails are kept at.
    static QSize thumbnailSize() { return { 96, 54 }; }

private slots:
    void addJob(ProcessingElement* job);
    void removeJob(ProcessingElement* job);
    void refreshChangedRows();
    void markDownloadingChanged();

private:
    // What a row keeps beside its job: its picture and the transfer rate.
    struct RowExtras
    {
        QPixmap thumbnail;
        bool thumbnailRequested = false;
        qint64 sampleBytes = 0;
        QElapsedTimer sampleClock;
        double bytesPerSecond = 0;
    };

    void watch(ProcessingElement* job);
    void markChanged(ProcessingElement* job);
    QVariant thumbnail(const ProcessingElement* job) const;
    void loadThumbnail(ProcessingElement* job);
    void setThumbnail(ProcessingElement* job, const QImage& image);
    void measureSpeed(const ProcessingElement* job);
    static bool showsTransfer(const ProcessingElement& job);

    DownloadList* m_list;
    QList<ProcessingElement*> m_jobs;
    QSet<ProcessingElement*> m_changed;
    // Filled as rows are asked for; data() is const for Qt, the cache is not.
    mutable QHash<const ProcessingElement*, RowExtras> m_extras;
    QTimer m_refresh;
    QTimer m_downloadingTick;
};
