#pragma once

#include <QMainWindow>
#include <QSqlDatabase>
#include <QStringList>

#include <memory>

namespace Ui {
class PreferencesWindow;
}
class QButtonGroup;
class QCheckBox;
class QLineEdit;

// Edits the user's preferences; every control writes its preference the moment it changes,
// so there is nothing to confirm or cancel.
class PreferencesWindow : public QMainWindow
{
    Q_OBJECT
public:
    enum Page {
        DownloadPage = 0,
        ServicesPage,
        MediaFormatsPage,
        NotificationsPage,
        ApplicationsPage
    };

    // "presets" is the database that holds the conversion presets; "serviceNames" the
    // registered services in name order.
    PreferencesWindow(
        const QSqlDatabase& presets, const QStringList& serviceNames, QWidget* parent = nullptr);
    ~PreferencesWindow() override;

signals:
    // The main window's status bar pickers follow these.
    void defaultDownloadMediaTypeChanged(int mediaType);
    void preferredVideoSizeChanged(int videoSize);

public slots:
    void selectDownloadButtonPane();
    void mainButtonPressed(int buttonId);
    void chooseDownloadLocation();
    void onAudioFormatPreferConversionRadioToggled(bool checked);
    void onAudioFormatPreferAACRadioToggled(bool checked);
    void onAudioFormatPreferVorbisRadioToggled(bool checked);
    void onDefaultDownloadTypeCombobox_currentIndexChanged(int index);
    void onDeleteOriginalFilesCheckboxClicked(bool checked);

private slots:
    void on_showAdultContentCheckbox_clicked(bool checked);
    void on_preferredVideoFormatComboBox_activated(int index);
    void on_preferredVideoSizeComboBox_activated(int index);
    void on_preferredAudioFormatComboBox_activated(int index);
    void on_addAudioToItunesCheckbox_clicked(bool checked);
    void on_addVideoToItunesCheckbox_clicked(bool checked);
    void on_selectVideoPlayerAppButton_clicked();
    void on_selactAudioPlayerButton_clicked();
    void on_cpuThreadsSpinBox_editingFinished();
    void on_downloadLocationInput_editingFinished();
    void on_popupNotificationCheckbox_clicked(bool checked);
    void on_soundNotificationCheckbox_clicked(bool checked);
    void on_audioPlaylistNameInput_editingFinished();
    void on_videoPlaylistNameInput_editingFinished();

private:
    void buildPageButtons();
    void fillDownloadPage();
    void fillServicesPage(const QStringList& serviceNames);
    void fillMediaFormatsPage(const QSqlDatabase& presets);
    void fillNotificationsPage();
    void fillApplicationsPage();
    void nameMediaPlayerControls();
    void setPlaylistControlsEnabled();
    // A file dialog for a player program; empty when cancelled.
    QString choosePlayerApplication(const QString& title);
    // Stores a typed playlist name when it can name a file; otherwise shows the stored one.
    void applyPlaylistName(QLineEdit* input, QString (*current)(), void (*store)(const QString&));

    std::unique_ptr<Ui::PreferencesWindow> ui;
    QButtonGroup* m_pageButtons = nullptr;
    bool m_checkingLocation = false;
};
