#include "DownloadJobsModel.h"

#include "download/DownloadList.h"
#include "download/ProcessingElement.h"
#include "download/ProcessingStates.h"

#include <utility>

namespace {

constexpr int refreshIntervalMs = 250;

} // namespace

DownloadJobsModel::DownloadJobsModel(DownloadList* list, QObject* parent)
    : QAbstractTableModel(parent)
    , m_list(list)
{
    m_refresh.setSingleShot(true);
    m_refresh.setInterval(refreshIntervalMs);
    connect(&m_refresh, &QTimer::timeout, this, &DownloadJobsModel::refreshChangedRows);
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

int DownloadJobsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant DownloadJobsModel::data(const QModelIndex& index, int role) const
{
    const ProcessingElement* job = this->job(index.row());
    if (!job || !index.isValid())
        return {};
    if (role == Qt::ToolTipRole && index.column() == TitleColumn)
        return job->mediaItem().permaUrl();
    if (role == Qt::ToolTipRole && index.column() == ErrorColumn)
        return job->errorText();
    if (role == Qt::TextAlignmentRole
        && (index.column() == ProgressColumn || index.column() == SizeColumn))
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)
        return {};
    switch (index.column()) {
    case TitleColumn:
        return job->mediaItem().title();
    case StateColumn:
        return job->isHeld() && ProcessingStates::isUnfinished(job->state())
            ? ProcessingStates::displayName(ProcessingStates::Paused)
            : ProcessingStates::displayName(job->state());
    case ProgressColumn:
        return job->state() == ProcessingStates::Finished
            ? QStringLiteral("100 %")
            : QStringLiteral("%1 %").arg(qBound(0, job->progress(), 100));
    case SizeColumn:
        return sizeText(*job);
    case ErrorColumn:
        return job->state() == ProcessingStates::Error ? job->errorText() : QString();
    default:
        return {};
    }
}

QVariant DownloadJobsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case TitleColumn:
        return tr("Title");
    case StateColumn:
        return tr("State");
    case ProgressColumn:
        return tr("Progress");
    case SizeColumn:
        return tr("Size");
    case ErrorColumn:
        return tr("Error");
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

QString DownloadJobsModel::sizeText(const ProcessingElement& job)
{
    const double mib
        = job.contentLength() > 0 ? double(job.contentLength()) / 1024.0 / 1024.0 : job.sizeInMiB();
    return mib > 0 ? tr("%1 MB").arg(mib, 0, 'f', 2) : QString();
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
}

void DownloadJobsModel::refreshChangedRows()
{
    const QSet<ProcessingElement*> changed = std::exchange(m_changed, {});
    for (ProcessingElement* job : changed) {
        const int row = rowOf(job);
        if (row >= 0)
            emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
    }
}
