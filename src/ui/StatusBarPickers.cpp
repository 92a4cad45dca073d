#include "StatusBarPickers.h"

#include "app/MediaDescriptor.h"
#include "app/Prefs.h"

#include <QActionGroup>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QToolButton>

namespace {

const QString pickerStyle = QStringLiteral(
    "QToolButton::menu-indicator {image: url(:/images/resources/images/rev-caret.png);"
    " subcontrol-position: right center;}\n"
    "QToolButton::menu-indicator:pressed, QToolButton::menu-indicator:open"
    " {image: url(:/images/resources/images/rev-caret-active.png);}\n"
    "QToolButton {padding-right: 10px;}");

QIcon formatIcon(int mediaType)
{
    return QIcon(mediaType == MediaDescriptor::Audio
            ? QStringLiteral(":/images/resources/images/statusbar-note.png")
            : QStringLiteral(":/images/resources/images/statusbar-movie.png"));
}

} // namespace

StatusBarPickers::StatusBarPickers(QStatusBar* statusBar)
    : QObject(statusBar)
{
    buildFormatPicker(statusBar);
    m_pageStatus = new QLabel(statusBar);
    m_pageStatus->setObjectName(QStringLiteral("pageStatusLabel"));
    m_pageStatus->setStyleSheet(QStringLiteral("font-size: 11px; padding-top:2px"));
    m_pageStatus->setAccessibleName(tr("Page status"));
    statusBar->addWidget(m_pageStatus, 1);
    buildSizePicker(statusBar);
}

QToolButton* StatusBarPickers::createPicker(QStatusBar* statusBar, const QString& name)
{
    auto* picker = new QToolButton(statusBar);
    picker->setObjectName(name);
    picker->setMaximumHeight(18);
    picker->setPopupMode(QToolButton::InstantPopup);
    picker->setAutoRaise(true);
    picker->setStyleSheet(pickerStyle);
    picker->setMenu(new QMenu(picker));
    return picker;
}

void StatusBarPickers::buildFormatPicker(QStatusBar* statusBar)
{
    m_formatPicker = createPicker(statusBar, QStringLiteral("formatPicker"));
    m_formatPicker->setToolTip(tr("Set download format as video or audio"));
    m_formatPicker->setAccessibleName(tr("Download format"));
    m_formatPicker->setMinimumWidth(35);
    m_formatPicker->setIconSize(QSize(16, 16));
    auto* group = new QActionGroup(m_formatPicker);
    m_audioAction = m_formatPicker->menu()->addAction(tr("Download as audio"));
    m_videoAction = m_formatPicker->menu()->addAction(tr("Download as video"));
    for (QAction* action : { m_audioAction, m_videoAction }) {
        action->setCheckable(true);
        group->addAction(action);
    }
    connect(m_audioAction, &QAction::triggered, this, &StatusBarPickers::onAudioFormatSelected);
    connect(m_videoAction, &QAction::triggered, this, &StatusBarPickers::onVideoFormatSelected);
    // Anything but audio is video; the stored value is made one of the two.
    const int type = Prefs::defaultDownloadMediaType() == MediaDescriptor::Audio
        ? MediaDescriptor::Audio
        : MediaDescriptor::Video;
    Prefs::setDefaultDownloadMediaType(type);
    setMediaType(type);
    statusBar->addWidget(m_formatPicker);
}

void StatusBarPickers::buildSizePicker(QStatusBar* statusBar)
{
    m_sizePicker = createPicker(statusBar, QStringLiteral("sizePicker"));
    m_sizePicker->setToolTip(tr("Preferred video size"));
    m_sizePicker->setAccessibleName(tr("Video size"));
    m_sizePicker->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_sizes = new QActionGroup(m_sizePicker);
    for (int size = MediaDescriptor::Medium; size <= MediaDescriptor::Biggest; ++size) {
        QAction* action = m_sizePicker->menu()->addAction(
            MediaDescriptor::videoSizeName(MediaDescriptor::VideoSize(size)));
        action->setCheckable(true);
        action->setData(size);
        m_sizes->addAction(action);
        connect(
            action, &QAction::triggered, this, &StatusBarPickers::onSizePickerToolButtonSelected);
    }
    setSizePickerValue(Prefs::preferredVideoSize());
    statusBar->addPermanentWidget(m_sizePicker);
}

void StatusBarPickers::setMediaType(int mediaType)
{
    const bool audio = mediaType == MediaDescriptor::Audio;
    m_formatPicker->setIcon(formatIcon(mediaType));
    (audio ? m_audioAction : m_videoAction)->setChecked(true);
}

void StatusBarPickers::onAudioFormatSelected()
{
    setMediaType(MediaDescriptor::Audio);
    Prefs::setDefaultDownloadMediaType(MediaDescriptor::Audio);
}

void StatusBarPickers::onVideoFormatSelected()
{
    setMediaType(MediaDescriptor::Video);
    Prefs::setDefaultDownloadMediaType(MediaDescriptor::Video);
}

void StatusBarPickers::setSizePickerValue(int videoSize)
{
    for (QAction* action : m_sizes->actions()) {
        const bool match = action->data().toInt() == videoSize;
        action->setChecked(match);
        if (match)
            m_sizePicker->setText(action->text() + QStringLiteral("  "));
    }
}

void StatusBarPickers::onSizePickerToolButtonSelected()
{
    auto* action = qobject_cast<QAction*>(sender());
    if (!action)
        return;
    setSizePickerValue(action->data().toInt());
    Prefs::setPreferredVideoSize(action->data().toInt());
}
