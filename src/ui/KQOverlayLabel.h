#pragma once

#include "KQLabel.h"

#include <QPixmap>
#include <QTimer>

// The thumbnail of a media item: paints the picture with its "HD" badge and length, a
// "Download" button that fades in while the mouse rests on the picture, and the state of the
// item's download job (a state picture, a progress pie and a box with the state's name).
class KQOverlayLabel : public KQLabel
{
    Q_OBJECT
public:
    explicit KQOverlayLabel(QWidget* parent = nullptr);

    // A ProcessingStates::States value.
    void setState(int state);
    int state() const { return m_state; }
    // Percent, shown as a pie while the job downloads.
    void setProgress(int percent);
    int progress() const { return m_progress; }
    // What a disabled label says instead of offering a download.
    void setMessageText(const QString& text);
    QString messageText() const { return m_messageText; }
    void setErrorText(const QString& text);
    void setDurationText(const QString& text);
    QString durationText() const { return m_durationText; }
    void setHasHD(bool hd);
    bool hasHD() const { return m_hasHD; }
    // The "HD" badge and the length box; a page header shows those elsewhere.
    void setDecorationsEnabled(bool enabled);
    bool decorationsEnabled() const { return m_decorations; }
    void setPadding(int padding);
    // Fixes the label's size; pictures are fitted into it.
    void setOverlaySize(const QSize& size);

    // Hides QLabel::setPixmap: the label paints the picture itself, scaled once here to fill
    // the label's width or height.
    void setPixmap(const QPixmap& picture);
    bool hasPicture() const { return !m_picture.isNull(); }
    QSize pictureSize() const { return m_picture.size(); }

    // Where the download button and the state picture are, centred in the label.
    QRect buttonRect() const;
    bool isFadingIn() const { return m_fading; }
    // The text of the state box as it would be painted now; empty when no box is painted.
    QString statusBoxText() const;
    static QColor statusBoxColor(int state);
    // How a screen reader describes a download in this state, e.g. "Downloading 42%".
    static QString describeState(int state, int progress, const QString& errorText = {});
    // Error, none and cancelled: the states from which a download can be (re)started.
    static bool offersDownload(int state);

signals:
    void downloadButtonClicked();

public slots:
    // Starts the fade-in when the mouse is still over the label.
    void checkIfShouldFadeIn();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // Space downloads and Enter opens, as the button and the picture do for the mouse.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void onFadeStep();
    void resetFade();
    bool isMouseOverButton() const;
    double pictureOpacity() const;
    void updateDescription();
    void paintPicture(QPainter& painter) const;
    void paintMessage(QPainter& painter) const;
    void paintDecorations(QPainter& painter) const;
    void paintStatusBox(QPainter& painter) const;
    void paintStatePicture(QPainter& painter) const;

    QTimer m_fadeTimer;
    bool m_fading = false;
    bool m_hover = false;
    // How far the fade has gone, and how much each step of the timer adds.
    double m_fadeValue = 0;
    double m_fadeStep = 0.1;
    QString m_messageText;
    QString m_errorText;
    QString m_durationText;
    QPoint m_mousePosition { -1, -1 };
    int m_state = 0;
    int m_progress = 0;
    bool m_hasHD = false;
    bool m_decorations = true;
    QSize m_overlaySize;
    int m_padding = 0;
    QPixmap m_picture;
};
