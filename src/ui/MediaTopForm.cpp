#include "MediaTopForm.h"

#include "app/Prefs.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

MediaTopForm::MediaTopForm(const MediaItem& item, QWidget* parent)
    : QWidget(parent)
    , m_item(item)
    , m_download(new QPushButton(tr("Download"), this))
    , m_menu(new QMenu(this))
{
    setObjectName(QStringLiteral("mediaTopForm"));
    setAccessibleName(tr("Media"));
    auto* title = new QLabel(item.title(), this);
    title->setObjectName(QStringLiteral("titleLabel"));
    title->setStyleSheet(QStringLiteral("font-size:14px;\nfont-weight:bold;"));
    title->setWordWrap(true);
    title->setTextInteractionFlags(Qt::TextSelectableByMouse);
    title->setAccessibleName(tr("Title"));
    const QString uploader
        = item.userDisplayName().isEmpty() ? item.userName() : item.userDisplayName();
    auto* user = new QLabel(uploader, this);
    user->setObjectName(QStringLiteral("userNameLabel"));
    user->setAccessibleName(tr("Uploader"));
    user->setVisible(!uploader.isEmpty());
    m_download->setObjectName(QStringLiteral("downloadButton"));
    m_download->setAccessibleName(tr("Download"));
    m_download->setToolTip(tr("Download"));

    auto* texts = new QVBoxLayout;
    texts->addWidget(title);
    texts->addWidget(user);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(texts, 1);
    layout->addWidget(m_download, 0, Qt::AlignTop);

    m_menu->setObjectName(QStringLiteral("mediaMenu"));
    m_menu->setAccessibleName(tr("Media actions"));
    const bool downloadable = !item.isStreamingNow();
    addMenuAction(QStringLiteral("downloadAsVideo"), tr("Download as video"), [this] {
        emit downloadRequested(m_item, MediaDescriptor::Video);
    })->setEnabled(downloadable);
    addMenuAction(QStringLiteral("downloadAsAudio"), tr("Download as audio"), [this] {
        emit downloadRequested(m_item, MediaDescriptor::Audio);
    })->setEnabled(downloadable);
    m_menu->addSeparator();
    addMenuAction(QStringLiteral("copyMediaURL"), tr("Copy video URL to clipboard"),
        [this] { QApplication::clipboard()->setText(m_item.permaUrl()); });
    m_download->setEnabled(downloadable);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
        [this](const QPoint& position) { m_menu->popup(mapToGlobal(position)); });
    connect(m_download, &QPushButton::clicked, this, [this] {
        emit downloadRequested(m_item,
            Prefs::defaultDownloadMediaType() == MediaDescriptor::Audio ? MediaDescriptor::Audio
                                                                        : MediaDescriptor::Video);
    });
}

QAction* MediaTopForm::addMenuAction(
    const QString& name, const QString& text, const std::function<void()>& run)
{
    QAction* action = m_menu->addAction(text);
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, run);
    return action;
}
