#include "DownloadsForm.h"

#include "DownloadItemDelegate.h"
#include "DownloadJobsModel.h"
#include "FileRevealer.h"
#include "Milestones.h"

#include "download/DownloadList.h"
#include "download/ProcessingElement.h"
#include "download/ProcessingQueue.h"
#include "download/ProcessingStates.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QIcon>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QUrl>
#include <QVBoxLayout>

namespace {

bool isActive(int state)
{
    return state == ProcessingStates::Waiting || state == ProcessingStates::Connecting
        || state == ProcessingStates::Downloading || state == ProcessingStates::Converting;
}

bool isDone(int state)
{
    return state == ProcessingStates::Error || state == ProcessingStates::Cancelled
        || state == ProcessingStates::Finished;
}

// A conversion runs on to its end; anything before it can wait.
bool isPausable(int state)
{
    return state == ProcessingStates::Waiting || state == ProcessingStates::Connecting
        || state == ProcessingStates::Downloading || state == ProcessingStates::Resuming;
}

bool hasFile(const ProcessingElement* job)
{
    return job && job->state() == ProcessingStates::Finished
        && QFileInfo::exists(job->finishedFileName());
}

} // namespace

DownloadsForm::DownloadsForm(DownloadList* list, QWidget* parent)
    : QWidget(parent)
    , m_list(list)
    , m_model(new DownloadJobsModel(list, this))
    , m_view(new QListView(this))
    , m_menu(new QMenu(this))
{
    setAccessibleName(tr("Downloads"));
    auto* top = new QWidget(this);
    top->setObjectName(QStringLiteral("topWidget"));
    top->setStyleSheet(QStringLiteral("#topWidget {border-top: 1px solid #CCCCCC}"));
    auto* buttons = new QHBoxLayout(top);
    m_cleanButton = addButton(QStringLiteral("cleanButton"),
        QStringLiteral(":/images/resources/images/cleanup-32x32.png"), tr("Clean up"),
        tr("Remove all inactive downloads from list"));
    m_removeButton = addButton(QStringLiteral("removeButton"),
        QStringLiteral(":/images/resources/images/remove.png"), tr("Remove"),
        tr("Remove selected download(s) from list"));
    m_pauseResumeButton = addButton(QStringLiteral("pauseResumeButton"),
        QStringLiteral(":/images/resources/images/pause-all-developpers-icons.png"), tr("Pause"),
        tr("Pause/resume download(s)"));
    for (QPushButton* button : { m_cleanButton, m_removeButton, m_pauseResumeButton })
        buttons->addWidget(button);
    buttons->addStretch(1);

    m_view->setObjectName(QStringLiteral("listWidget"));
    m_view->setAccessibleName(tr("Download list"));
    m_view->setModel(m_model);
    m_view->setItemDelegate(new DownloadItemDelegate(m_view));
    // Every row has the same height: the view need not measure a thousand of them.
    m_view->setUniformItemSizes(true);
    m_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setContextMenuPolicy(Qt::CustomContextMenu);
    m_view->setDropIndicatorShown(false);
    m_view->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view, 1);
    layout->addWidget(top);

    m_menu->setObjectName(QStringLiteral("downloadMenu"));
    m_menu->setAccessibleName(tr("Download actions"));
    m_cancelAction = addMenuAction(QStringLiteral("cancelDownload"), tr("Cancel download"));
    m_removeAction = addMenuAction(QStringLiteral("remove"), tr("Remove"));
    m_openAction = addMenuAction(QStringLiteral("openFile"), tr("Open file"));
    m_showAction = addMenuAction(QStringLiteral("showFile"), tr("Show file"));
    m_copyAction
        = addMenuAction(QStringLiteral("copyPageURL"), tr("Copy video page URL to clipboard"));
    m_againAction = addMenuAction(QStringLiteral("downloadAgain"), tr("Download again"));
    m_menu->addSeparator();
    m_pauseJobAction = addMenuAction(QStringLiteral("pauseDownload"), tr("Pause"));
    connect(m_cancelAction, &QAction::triggered, this, &DownloadsForm::cancelCurrent);
    connect(m_removeAction, &QAction::triggered, this, &DownloadsForm::removeSelected);
    connect(m_openAction, &QAction::triggered, this, &DownloadsForm::openCurrent);
    connect(m_showAction, &QAction::triggered, this, &DownloadsForm::showCurrent);
    connect(m_copyAction, &QAction::triggered, this, &DownloadsForm::copyCurrentAddress);
    connect(m_againAction, &QAction::triggered, this, &DownloadsForm::downloadCurrentAgain);
    connect(m_pauseJobAction, &QAction::triggered, this, &DownloadsForm::togglePauseCurrent);

    for (const QKeySequence& keys :
        { QKeySequence(QKeySequence::Delete), QKeySequence(Qt::Key_Backspace) }) {
        auto* shortcut = new QShortcut(keys, m_view, nullptr, nullptr, Qt::WidgetShortcut);
        connect(shortcut, &QShortcut::activated, this, &DownloadsForm::removeSelected);
    }
    connect(m_view, &QListView::activated, this, &DownloadsForm::openCurrent);
    connect(m_view, &QListView::customContextMenuRequested, this,
        &DownloadsForm::onContextMenuRequested);
    connect(m_cleanButton, &QPushButton::clicked, this, &DownloadsForm::cleanUp);
    connect(m_removeButton, &QPushButton::clicked, this, &DownloadsForm::removeSelected);
    connect(m_pauseResumeButton, &QPushButton::clicked, this, &DownloadsForm::togglePause);
    connect(m_view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
        &DownloadsForm::updateButtons);
    for (auto signal : { &QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved })
        connect(m_model, signal, this, &DownloadsForm::updateButtons);
    connect(m_model, &QAbstractItemModel::dataChanged, this, &DownloadsForm::updateButtons);
    if (ProcessingQueue* queue = list->queue()) {
        connect(queue, &ProcessingQueue::queueUpdated, this, &DownloadsForm::updateButtons);
        if (queue->isPaused())
            m_pauseResumeButton->setText(tr("Resume"));
    }
    updateButtons();
    // When the list is first painted with rows.
    if (Milestones::enabled())
        m_view->viewport()->installEventFilter(this);
}

bool DownloadsForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_view->viewport() && event->type() == QEvent::Paint
        && m_model->rowCount() > 0) {
        m_view->viewport()->removeEventFilter(this);
        // Once this paint is done.
        QMetaObject::invokeMethod(
            this, [] { Milestones::log("downloads view painted"); }, Qt::QueuedConnection);
    }
    return QWidget::eventFilter(watched, event);
}

QPushButton* DownloadsForm::addButton(
    const QString& name, const QString& icon, const QString& text, const QString& toolTip)
{
    auto* button = new QPushButton(QIcon(icon), text, this);
    button->setObjectName(name);
    button->setToolTip(toolTip);
    button->setAccessibleName(text);
    button->setAccessibleDescription(toolTip);
    button->setStyleSheet(QStringLiteral("border: none;"));
    return button;
}

QAction* DownloadsForm::addMenuAction(const QString& name, const QString& text)
{
    QAction* action = m_menu->addAction(text);
    action->setObjectName(name);
    return action;
}

ProcessingElement* DownloadsForm::currentJob() const
{
    return m_model->job(m_view->currentIndex().row());
}

void DownloadsForm::prepareMenuFor(int row)
{
    const ProcessingElement* job = m_model->job(row);
    if (!job)
        return;
    m_view->setCurrentIndex(m_model->index(row));
    const int state = job->state();
    // Resuming and the other passing states leave the actions as they were.
    if (isActive(state) || isDone(state)) {
        m_cancelAction->setEnabled(isActive(state));
        m_removeAction->setEnabled(isDone(state));
        m_openAction->setEnabled(state == ProcessingStates::Finished);
        m_showAction->setEnabled(state == ProcessingStates::Finished);
        m_againAction->setEnabled(isDone(state));
    }
    m_copyAction->setEnabled(true);
    m_pauseJobAction->setEnabled(isPausable(state));
    m_pauseJobAction->setText(job->isHeld() ? tr("Resume") : tr("Pause"));
}

void DownloadsForm::onContextMenuRequested(const QPoint& position)
{
    const QModelIndex index = m_view->indexAt(position);
    const int row = index.isValid() ? index.row() : m_view->currentIndex().row();
    if (!m_model->job(row))
        return;
    prepareMenuFor(row);
    m_menu->popup(m_view->viewport()->mapToGlobal(position));
}

void DownloadsForm::cancelCurrent()
{
    ProcessingElement* job = currentJob();
    if (job && ProcessingStates::isUnfinished(job->state()))
        job->cancel();
}

void DownloadsForm::removeSelected()
{
    QList<ProcessingElement*> jobs;
    const QModelIndexList rows = m_view->selectionModel()->selectedRows();
    for (const QModelIndex& index : rows) {
        if (ProcessingElement* job = m_model->job(index.row()))
            jobs.append(job);
    }
    if (jobs.isEmpty() && currentJob())
        jobs.append(currentJob());
    for (ProcessingElement* job : std::as_const(jobs))
        m_list->remove(job);
}

void DownloadsForm::openCurrent()
{
    const ProcessingElement* job = currentJob();
    if (hasFile(job))
        QDesktopServices::openUrl(QUrl::fromLocalFile(job->finishedFileName()));
}

void DownloadsForm::showCurrent()
{
    const ProcessingElement* job = currentJob();
    if (hasFile(job))
        FileRevealer::reveal(job->finishedFileName());
}

void DownloadsForm::copyCurrentAddress()
{
    if (const ProcessingElement* job = currentJob())
        QApplication::clipboard()->setText(job->mediaItem().permaUrl());
}

void DownloadsForm::downloadCurrentAgain()
{
    ProcessingElement* job = currentJob();
    if (!job || !isDone(job->state()))
        return;
    // A fresh job from the start; the old row and its record go.
    const MediaItem item = job->mediaItem();
    const MediaDescriptor::MediaType type = job->targetType();
    m_list->remove(job);
    m_list->startDownload(item, type);
}

void DownloadsForm::cleanUp()
{
    m_list->cleanUp();
    updateButtons();
}

void DownloadsForm::togglePause()
{
    ProcessingQueue* queue = m_list->queue();
    if (!queue)
        return;
    const bool wasPaused = queue->isPaused();
    m_pauseResumeButton->setText(wasPaused ? tr("Pause") : tr("Resume"));
    m_pauseResumeButton->setAccessibleName(m_pauseResumeButton->text());
    queue->setPaused(!wasPaused);
}

void DownloadsForm::togglePauseCurrent()
{
    ProcessingElement* job = currentJob();
    if (job && isPausable(job->state()))
        job->pause(!job->isHeld());
}

void DownloadsForm::updateButtons()
{
    bool anyInactive = false;
    bool anyActive = false;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        const int state = m_model->job(row)->state();
        anyInactive = anyInactive || state == ProcessingStates::Finished
            || state == ProcessingStates::Cancelled;
        anyActive = anyActive || ProcessingStates::isUnfinished(state);
    }
    m_cleanButton->setEnabled(anyInactive);
    m_removeButton->setEnabled(m_view->selectionModel()->hasSelection());
    const ProcessingQueue* queue = m_list->queue();
    m_pauseResumeButton->setEnabled(queue && (anyActive || queue->isPaused()));
}
