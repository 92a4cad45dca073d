#include "KQOverlayLabel.h"

#include "download/ProcessingStates.h"

#include <QEnterEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace {

constexpr int kButtonSize = 64;
constexpr int kFadeDelayMs = 250;
constexpr int kFadeIntervalMs = 25;
// The picture dims to 1.0 - maximum + 0.2 behind the download button.
constexpr double kMaximumFade = 0.7;

// Loaded once and shared by every label of the process; images, because a static pixmap
// would outlive the application object.
struct StatePictures
{
    QImage download { QStringLiteral(":/images/resources/images/mediaform-download.png") };
    QImage finished { QStringLiteral(":/images/resources/images/mediaform-finished.png") };
    QImage queued { QStringLiteral(":/images/resources/images/mediaform-queued.png") };
    QImage processing { QStringLiteral(":/images/resources/images/mediaform-processing.png") };
    QImage error { QStringLiteral(":/images/resources/images/mediaform-error.png") };
};

const StatePictures& statePictures()
{
    static const StatePictures pictures;
    return pictures;
}

QFont boldFont(int pixelSize)
{
    QFont font;
    font.setPixelSize(pixelSize);
    font.setBold(true);
    return font;
}

} // namespace

KQOverlayLabel::KQOverlayLabel(QWidget* parent)
    : KQLabel(parent)
{
    setMouseTracking(true);
    setFocusPolicy(Qt::TabFocus);
    m_fadeTimer.setInterval(kFadeIntervalMs);
    connect(&m_fadeTimer, &QTimer::timeout, this, &KQOverlayLabel::onFadeStep);
    updateDescription();
}

void KQOverlayLabel::setState(int state)
{
    m_state = state;
    if (!offersDownload(state))
        resetFade();
    setToolTip(state == ProcessingStates::Error ? m_errorText : QString());
    updateDescription();
    update();
}

void KQOverlayLabel::setProgress(int percent)
{
    m_progress = std::clamp(percent, 0, 100);
    updateDescription();
    update();
}

void KQOverlayLabel::setMessageText(const QString& text)
{
    m_messageText = text;
    update();
}

void KQOverlayLabel::setErrorText(const QString& text)
{
    m_errorText = text;
    if (m_state == ProcessingStates::Error)
        setToolTip(text);
    updateDescription();
}

void KQOverlayLabel::setDurationText(const QString& text)
{
    m_durationText = text;
    update();
}

void KQOverlayLabel::setHasHD(bool hd)
{
    m_hasHD = hd;
    update();
}

void KQOverlayLabel::setDecorationsEnabled(bool enabled)
{
    m_decorations = enabled;
    update();
}

void KQOverlayLabel::setPadding(int padding)
{
    m_padding = padding;
    update();
}

void KQOverlayLabel::setOverlaySize(const QSize& size)
{
    m_overlaySize = size;
    setMaximumSize(size);
    setFixedSize(size);
}

void KQOverlayLabel::setPixmap(const QPixmap& picture)
{
    const QSize bounds = maximumSize();
    if (bounds.width() >= QWIDGETSIZE_MAX || bounds.height() >= QWIDGETSIZE_MAX) {
        // No overlay size yet: the label takes the picture's size.
        m_picture = picture;
        setFixedSize(picture.size());
    } else {
        if (picture.isNull())
            m_picture = QPixmap();
        else if (picture.width() > bounds.width())
            m_picture = picture.scaledToWidth(bounds.width(), Qt::SmoothTransformation);
        else
            m_picture = picture.scaledToHeight(bounds.height(), Qt::SmoothTransformation);
        setFixedSize(bounds);
    }
    update();
}

QRect KQOverlayLabel::buttonRect() const
{
    const QSize area = maximumSize().boundedTo(size());
    return { (area.width() - kButtonSize) / 2, (area.height() - kButtonSize) / 2, kButtonSize,
        kButtonSize };
}

QString KQOverlayLabel::statusBoxText() const
{
    if (!(isMouseOverButton() && offersDownload(m_state)) && m_state == ProcessingStates::None)
        return {};
    if (m_fading && offersDownload(m_state))
        return tr("Download");
    return ProcessingStates::displayName(m_state);
}

QColor KQOverlayLabel::statusBoxColor(int state)
{
    switch (state) {
    case ProcessingStates::Connecting:
    case ProcessingStates::Downloading:
    case ProcessingStates::Converting:
        return QColor(QStringLiteral("#0056b8"));
    case ProcessingStates::Error:
        return QColor(QStringLiteral("#b82b00"));
    case ProcessingStates::Finished:
        return QColor(QStringLiteral("#0c8100"));
    default:
        return QColor(QStringLiteral("#000000"));
    }
}

QString KQOverlayLabel::describeState(int state, int progress, const QString& errorText)
{
    if (state == ProcessingStates::None)
        return tr("Not downloaded");
    const QString name = ProcessingStates::displayName(state);
    if (state == ProcessingStates::Downloading)
        return tr("%1 %2%").arg(name).arg(progress);
    if (state == ProcessingStates::Error && !errorText.isEmpty())
        return tr("%1: %2").arg(name, errorText);
    return name;
}

bool KQOverlayLabel::offersDownload(int state)
{
    return state == ProcessingStates::None || state == ProcessingStates::Cancelled
        || state == ProcessingStates::Error;
}

void KQOverlayLabel::checkIfShouldFadeIn()
{
    if (!m_hover || !isEnabled() || !offersDownload(m_state) || m_fading)
        return;
    m_fading = true;
    m_fadeValue = 0;
    m_fadeTimer.start();
    update();
}

void KQOverlayLabel::onFadeStep()
{
    m_fadeValue = std::min(kMaximumFade, m_fadeValue + m_fadeStep);
    if (m_fadeValue >= kMaximumFade)
        m_fadeTimer.stop();
    update();
}

void KQOverlayLabel::resetFade()
{
    m_fadeTimer.stop();
    m_fading = false;
    m_fadeValue = 0;
}

bool KQOverlayLabel::isMouseOverButton() const
{
    return m_hover && buttonRect().contains(m_mousePosition);
}

double KQOverlayLabel::pictureOpacity() const
{
    if (m_fading)
        return std::min(1.0, 1.0 - m_fadeValue + 0.2);
    return m_state != ProcessingStates::None ? 0.3 : 1.0;
}

void KQOverlayLabel::updateDescription()
{
    setAccessibleDescription(describeState(m_state, m_progress, m_errorText));
}

void KQOverlayLabel::enterEvent(QEnterEvent* event)
{
    KQLabel::enterEvent(event);
    m_hover = true;
    m_mousePosition = event->position().toPoint();
    if (isEnabled() && offersDownload(m_state))
        QTimer::singleShot(kFadeDelayMs, this, &KQOverlayLabel::checkIfShouldFadeIn);
}

void KQOverlayLabel::leaveEvent(QEvent* event)
{
    KQLabel::leaveEvent(event);
    m_hover = false;
    m_mousePosition = { -1, -1 };
    resetFade();
    update();
}

void KQOverlayLabel::mouseMoveEvent(QMouseEvent* event)
{
    KQLabel::mouseMoveEvent(event);
    m_hover = true;
    m_mousePosition = event->position().toPoint();
    setCursor(buttonRect().contains(m_mousePosition) ? Qt::PointingHandCursor : Qt::ArrowCursor);
    if (offersDownload(m_state))
        update();
}

void KQOverlayLabel::mouseReleaseEvent(QMouseEvent* event)
{
    // The right button belongs to the context menu.
    if (event->button() == Qt::RightButton || !isEnabled())
        return;
    const QPoint where = event->position().toPoint();
    if (buttonRect().contains(where)) {
        if (offersDownload(m_state))
            emit downloadButtonClicked();
    } else if (rect().contains(where)) {
        emit clicked(event);
    }
}

void KQOverlayLabel::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Space:
        if (offersDownload(m_state))
            emit downloadButtonClicked();
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        emit clicked(nullptr);
        break;
    default:
        KQLabel::keyPressEvent(event);
    }
}

void KQOverlayLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    paintPicture(painter);
    if (!isEnabled()) {
        paintMessage(painter);
        return;
    }
    if (m_decorations)
        paintDecorations(painter);
    paintStatusBox(painter);
    if (hasPicture())
        paintStatePicture(painter);
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect().adjusted(1, 1, -1, -1));
    }
}

void KQOverlayLabel::paintPicture(QPainter& painter) const
{
    if (!hasPicture()) {
        QFont font(QStringLiteral("Courier"));
        font.setPixelSize(16);
        font.setBold(true);
        painter.setFont(font);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(rect(), Qt::AlignCenter, text());
        return;
    }
    painter.setOpacity(pictureOpacity());
    const QRect area = rect().adjusted(m_padding, m_padding, -m_padding, -m_padding);
    if (m_picture.width() < width()) {
        painter.fillRect(area, QColor(QStringLiteral("#000000")));
        painter.drawPixmap(
            (width() - m_picture.width()) / 2, (height() - m_picture.height()) / 2, m_picture);
    } else {
        // Cropped to the middle of the picture.
        const QRect source((m_picture.width() - area.width()) / 2,
            (m_picture.height() - area.height()) / 2, area.width(), area.height());
        painter.drawPixmap(area, m_picture, source);
    }
    painter.setOpacity(1.0);
}

void KQOverlayLabel::paintMessage(QPainter& painter) const
{
    if (m_messageText.isEmpty())
        return;
    painter.setFont(boldFont(12));
    const QRect textRect = painter.fontMetrics().boundingRect(m_messageText);
    QRect box(0, 0, textRect.width() + 20, textRect.height() + 10);
    box.moveCenter(rect().center());
    painter.setOpacity(0.8);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    painter.drawRoundedRect(box, 5, 5);
    painter.setPen(Qt::white);
    painter.drawText(box, Qt::AlignCenter, m_messageText);
    painter.setOpacity(1.0);
}

void KQOverlayLabel::paintDecorations(QPainter& painter) const
{
    painter.setFont(boldFont(9));
    painter.setPen(Qt::NoPen);
    const auto box = [&painter](const QRect& where, const QString& label) {
        painter.setOpacity(0.7);
        painter.fillRect(where, Qt::black);
        painter.setOpacity(1.0);
        painter.setPen(Qt::white);
        painter.drawText(where, Qt::AlignCenter, label);
    };
    if (m_hasHD)
        box(QRect(m_padding, m_padding, 19, 13), tr("HD"));
    if (!m_durationText.isEmpty()) {
        const int boxWidth = m_durationText.size() < 6 ? 32 : 47;
        box(QRect(m_padding, height() - m_padding - 13, boxWidth, 13), m_durationText);
    }
}

void KQOverlayLabel::paintStatusBox(QPainter& painter) const
{
    const QString label = statusBoxText();
    if (label.isEmpty())
        return;
    painter.setFont(boldFont(12));
    const QFontMetrics metrics = painter.fontMetrics();
    const QRect button = buttonRect();
    const int baseline = button.bottom() + 20;
    QRect box(0, baseline - metrics.ascent() - 4, metrics.horizontalAdvance(label) + 20,
        metrics.height() + 8);
    box.moveLeft(button.center().x() - box.width() / 2);
    painter.setOpacity(0.8);
    painter.setPen(Qt::NoPen);
    painter.setBrush(statusBoxColor(m_state));
    painter.drawRoundedRect(box, 10, 15);
    painter.setPen(Qt::white);
    painter.drawText(box, Qt::AlignCenter, label);
    painter.setOpacity(1.0);
}

void KQOverlayLabel::paintStatePicture(QPainter& painter) const
{
    const StatePictures& pictures = statePictures();
    const QRect button = buttonRect();
    if (m_fading) {
        painter.setOpacity(isMouseOverButton() ? 1.0 : 0.7);
        painter.drawImage(button, pictures.download);
        painter.setOpacity(1.0);
        return;
    }
    painter.setOpacity(0.8);
    switch (m_state) {
    case ProcessingStates::Finished:
        painter.drawImage(button, pictures.finished);
        break;
    case ProcessingStates::Waiting:
    case ProcessingStates::Connecting:
        painter.drawImage(button, pictures.queued);
        break;
    case ProcessingStates::Converting:
        painter.drawImage(button, pictures.processing);
        break;
    case ProcessingStates::Error:
    case ProcessingStates::Cancelled:
        painter.drawImage(button, pictures.error);
        break;
    case ProcessingStates::Downloading:
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::black);
        painter.drawEllipse(button);
        painter.setBrush(Qt::white);
        painter.drawEllipse(button.adjusted(8, 8, -8, -8));
        painter.setBrush(Qt::black);
        // From twelve o'clock, clockwise; Qt counts sixteenths of a degree.
        painter.drawPie(button.adjusted(16, 16, -16, -16), 90 * 16, -m_progress * 360 * 16 / 100);
        break;
    default:
        break;
    }
    painter.setOpacity(1.0);
}
