#pragma once

#include <QObject>

class QAction;
class QActionGroup;
class QLabel;
class QStatusBar;
class QToolButton;

// The status bar's three widgets: the download format picker (audio or video), the page load
// status and the video size picker. The pickers write their preferences when chosen.
class StatusBarPickers : public QObject
{
    Q_OBJECT
public:
    explicit StatusBarPickers(QStatusBar* statusBar);

    QToolButton* formatPicker() const { return m_formatPicker; }
    QToolButton* sizePicker() const { return m_sizePicker; }
    QLabel* pageStatusLabel() const { return m_pageStatus; }

public slots:
    void setSizePickerValue(int videoSize);
    void setMediaType(int mediaType);
    void onAudioFormatSelected();
    void onVideoFormatSelected();
    void onSizePickerToolButtonSelected();

private:
    QToolButton* createPicker(QStatusBar* statusBar, const QString& name);
    void buildFormatPicker(QStatusBar* statusBar);
    void buildSizePicker(QStatusBar* statusBar);

    QToolButton* m_formatPicker = nullptr;
    QAction* m_audioAction = nullptr;
    QAction* m_videoAction = nullptr;
    QLabel* m_pageStatus = nullptr;
    QToolButton* m_sizePicker = nullptr;
    QActionGroup* m_sizes = nullptr;
};
