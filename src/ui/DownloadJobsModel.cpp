#include "DownloadJobsModel.h"

#include "DownloadRowTexts.h"

#include "download/DownloadList.h"
#include "download/ProcessingElement.h"
#include "download/ProcessingStates.h"
#include "services/FormHelper.h"

#include <QPointer>
#include <QUrl>

#include <utility>

namespace {

constexpr int refreshIntervalMs = 250;
constexpr int speedSampleMs = 1000;

// Filled to the frame, cut evenly where the picture is wider or taller.
QPixmap thumbnailFrom(const QImage& image)
{
    const QSize size = DownloadJobsModel::thumbnailSize();
    const QImage scaled
        = image.scaled(size, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    return QPixmap::fromImage(scaled.copy((scaled.width() - size.width()) / 2,
        (scaled.height() - size.height()) / 2, size.width(), size.height()));
}

// One copy for every row whose picture is missing or broken.
const QPixmap& fallbackThumbnail()
{
    static const QPixmap fallback = thumbnailFrom(QImage(FormHelper::fallbackImagePath()));
    return fallback;
}

} // namespace

DownloadJobsModel::DownloadJobsModel(DownloadList* list, QObject* parent)
    : QAbstractListModel(parent)
    , m_list(list)
{
    m_refresh.setSingleShot(true);
    m_refresh.setInterval(refreshIntervalMs);
    connect(&m_refresh, &QTimer::timeout, this, &DownloadJobsModel::refreshChangedRows);
    m_downloadingTick.setInterval(1000);
    connect(&m_downloadingTick, &QTimer::timeout, this, &DownloadJobsModel::markDownloadingChanged);
    const QList<ProcessingElement*> jobs = list->jobs();
    for (ProcessingElement* job : jobs) {
        m_jobs.prepend(job);
        watch(job);
    }
    connect(list, &DownloadList::jobAdded, this, &DownloadJobsModel::addJob);
    connect(list, &DownloadList::jobRemoved, this, &DownloadJobsModel::removeJob);
}

int DownloadJobsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_jobs.size());
}

bool DownloadJobsModel::showsTransfer(const ProcessingElement& job)
{
    return job.state() == ProcessingStates::Downloading && !job.isHeld();
}

QVariant DownloadJobsModel::data(const QModelIndex& index, int role) const
{
    const ProcessingElement* job = this->job(index.row());
    if (!job || !index.isValid() || index.column() != 0)
        return {};
    const int state = job->state();
    const int percent = state == ProcessingStates::Finished ? 100 : qBound(0, job->progress(), 100);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return DownloadRowTexts::spoken(DownloadRowTexts::title(job->mediaItem().title()),
            DownloadRowTexts::state(state, job->isHeld(), QString()), percent);
    case Qt::ToolTipRole:
        return state == ProcessingStates::Error ? data(index, StateTextRole)
                                                : QVariant(job->mediaItem().permaUrl());
    case Qt::DecorationRole:
        return thumbnail(job);
    case TitleRole:
        return DownloadRowTexts::title(job->mediaItem().title());
    case StateRole:
        return state;
    case HeldRole:
        return job->isHeld();
    case StateTextRole:
        return DownloadRowTexts::state(state, job->isHeld(), job->errorText());
    case PercentRole:
        return percent;
    case TypeAndSourceRole:
        return DownloadRowTexts::typeAndSource(
            job->targetType(), QUrl(job->mediaItem().permaUrl()));
    case ProgressTextRole:
        return showsTransfer(*job)
            ? DownloadRowTexts::progress(job->bytesReceived(), job->contentLength())
            : QString();
    case RemainingTextRole:
        return showsTransfer(*job) ? DownloadRowTexts::remainingLine(job->remainingSeconds())
                                   : data(index, StateTextRole);
    case SpeedTextRole:
        return showsTransfer(*job) ? DownloadRowTexts::speed(m_extras.value(job).bytesPerSecond)
                                   : QString();
    default:
        return {};
    }
}

ProcessingElement* DownloadJobsModel::job(int row) const
{
    return row >= 0 && row < m_jobs.size() ? m_jobs.at(row) : nullptr;
}

int DownloadJobsModel::rowOf(const ProcessingElement* job) const
{
    return int(m_jobs.indexOf(job));
}

void DownloadJobsModel::addJob(ProcessingElement* job)
{
    if (!job || m_jobs.contains(job))
        return;
    beginInsertRows({}, 0, 0);
    m_jobs.prepend(job);
    endInsertRows();
    watch(job);
}

void DownloadJobsModel::removeJob(ProcessingElement* job)
{
    const int row = rowOf(job);
    m_changed.remove(job);
    m_extras.remove(job);
    if (row < 0)
        return;
    disconnect(job, nullptr, this, nullptr);
    beginRemoveRows({}, row, row);
    m_jobs.removeAt(row);
    endRemoveRows();
}

void DownloadJobsModel::watch(ProcessingElement* job)
{
    connect(job, &ProcessingElement::stateChanged, this, [this, job] { markChanged(job); });
    connect(job, &ProcessingElement::progressUpdate, this, [this, job] { markChanged(job); });
    connect(job, &ProcessingElement::pauseStateChanged, this, [this, job] { markChanged(job); });
    // A job deleted without passing through the list must not leave a dangling row.
    connect(job, &QObject::destroyed, this, [this, job] { removeJob(job); });
}

void DownloadJobsModel::markChanged(ProcessingElement* job)
{
    m_changed.insert(job);
    if (!m_refresh.isActive())
        m_refresh.start();
    if (job->state() == ProcessingStates::Downloading && !m_downloadingTick.isActive())
        m_downloadingTick.start();
}

void DownloadJobsModel::markDownloadingChanged()
{
    bool any = false;
    for (ProcessingElement* job : std::as_const(m_jobs)) {
        if (job->state() == ProcessingStates::Downloading) {
            markChanged(job);
            any = true;
        }
    }
    if (!any)
        m_downloadingTick.stop();
}

void DownloadJobsModel::refreshChangedRows()
{
    const QSet<ProcessingElement*> changed = std::exchange(m_changed, {});
    for (ProcessingElement* job : changed) {
        const int row = rowOf(job);
        if (row < 0)
            continue;
        measureSpeed(job);
        emit dataChanged(index(row), index(row));
    }
}

void DownloadJobsModel::measureSpeed(const ProcessingElement* job)
{
    RowExtras& extras = m_extras[job];
    if (!showsTransfer(*job)) {
        extras.bytesPerSecond = 0;
        extras.sampleClock.invalidate();
        return;
    }
    if (!extras.sampleClock.isValid()) {
        extras.sampleClock.start();
        extras.sampleBytes = job->bytesReceived();
        return;
    }
    const qint64 elapsed = extras.sampleClock.elapsed();
    if (elapsed < speedSampleMs)
        return;
    extras.bytesPerSecond
        = double(qMax<qint64>(0, job->bytesReceived() - extras.sampleBytes)) * 1000.0 / elapsed;
    extras.sampleBytes = job->bytesReceived();
    extras.sampleClock.restart();
}

QVariant DownloadJobsModel::thumbnail(const ProcessingElement* job) const
{
    RowExtras& extras = m_extras[job];
    if (!extras.thumbnail.isNull())
        return extras.thumbnail;
    if (!extras.thumbnailRequested) {
        extras.thumbnailRequested = true;
        // Not while the view paints: the load may answer at once and change the row.
        QPointer<ProcessingElement> pending(const_cast<ProcessingElement*>(job));
        QMetaObject::invokeMethod(
            const_cast<DownloadJobsModel*>(this),
            [this, pending] {
                if (pending && rowOf(pending) >= 0)
                    const_cast<DownloadJobsModel*>(this)->loadThumbnail(pending);
            },
            Qt::QueuedConnection);
    }
    return {};
}

void DownloadJobsModel::loadThumbnail(ProcessingElement* job)
{
    const QUrl address(job->mediaItem().thumbUrl());
    if (address.scheme() != QLatin1String("http") && address.scheme() != QLatin1String("https")) {
        setThumbnail(job, QImage());
        return;
    }
    auto* loader = new FormHelper(this);
    QPointer<ProcessingElement> target(job);
    connect(loader, &FormHelper::finished, this, [this, loader, target](const QImage& image) {
        loader->deleteLater();
        if (target)
            setThumbnail(target, image);
    });
    loader->loadImage(address);
}

void DownloadJobsModel::setThumbnail(ProcessingElement* job, const QImage& image)
{
    const int row = rowOf(job);
    if (row < 0)
        return;
    m_extras[job].thumbnail = image.isNull() ? fallbackThumbnail() : thumbnailFrom(image);
    emit dataChanged(index(row), index(row), { Qt::DecorationRole });
}
