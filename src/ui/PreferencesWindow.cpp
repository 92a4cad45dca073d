#include "PreferencesWindow.h"

#include "AccessibleNames.h"
#include "ui_PreferencesWindow.h"

#include "app/MediaDescriptor.h"
#include "app/PlainName.h"
#include "app/Prefs.h"

#include <QButtonGroup>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QShortcut>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTimer>
#include <QToolButton>

namespace {

// Video presets up to this id convert for a particular device and take long.
constexpr int LastDevicePresetId = 43;

void selectItemWithData(QComboBox* box, int value)
{
    const int index = box->findData(value);
    if (index >= 0)
        box->setCurrentIndex(index);
}

QString playerText(const QString& path)
{
    return path.isEmpty() ? PreferencesWindow::tr("System default") : path;
}

} // namespace

PreferencesWindow::PreferencesWindow(
    const QSqlDatabase& presets, const QStringList& serviceNames, QWidget* parent)
    : QMainWindow(parent)
    , ui(std::make_unique<Ui::PreferencesWindow>())
{
    ui->setupUi(this);
    buildPageButtons();
    nameMediaPlayerControls();
    fillDownloadPage();
    fillServicesPage(serviceNames);
    fillMediaFormatsPage(presets);
    fillNotificationsPage();
    fillApplicationsPage();
    // Every change is stored at once, so Escape and the close keys simply close the window.
    for (const auto keys : { QKeySequence::Cancel, QKeySequence::Close })
        new QShortcut(keys, this, this, &QWidget::close);

    // Connected after filling, so that showing the stored values writes nothing.
    connect(ui->defaultDownloadTypeCombobox, &QComboBox::currentIndexChanged, this,
        &PreferencesWindow::onDefaultDownloadTypeCombobox_currentIndexChanged);
    connect(ui->audioFormatPreferConversionRadio, &QRadioButton::toggled, this,
        &PreferencesWindow::onAudioFormatPreferConversionRadioToggled);
    connect(ui->audioFormatPreferAACRadio, &QRadioButton::toggled, this,
        &PreferencesWindow::onAudioFormatPreferAACRadioToggled);
    connect(ui->audioFormatPreferVorbisRadio, &QRadioButton::toggled, this,
        &PreferencesWindow::onAudioFormatPreferVorbisRadioToggled);
    connect(ui->deleteOriginalFilesCheckbox, &QCheckBox::clicked, this,
        &PreferencesWindow::onDeleteOriginalFilesCheckboxClicked);

    AccessibleNames::complete(this);
    selectDownloadButtonPane();
}

PreferencesWindow::~PreferencesWindow() = default;

void PreferencesWindow::buildPageButtons()
{
    struct PageButton
    {
        QString text;
        const char* icon;
    };
    const PageButton buttons[] = {
        { tr("Download"), ":/images/resources/images/download.png" },
        { tr("Services"), ":/images/resources/images/services_2.png" },
        { tr("Media Formats"), ":/images/resources/images/media_formats.png" },
        { tr("Notifications"), ":/images/resources/images/prefs-notifications.png" },
        { tr("Applications"), ":/images/resources/images/media_players_2.png" },
    };
    m_pageButtons = new QButtonGroup(this);
    m_pageButtons->setExclusive(true);
    int id = 0;
    for (const PageButton& page : buttons) {
        auto* button = new QToolButton(ui->toolBar);
        button->setObjectName(QStringLiteral("pageButton%1").arg(id));
        button->setText(page.text);
        button->setIcon(QIcon(QLatin1String(page.icon)));
        button->setIconSize(QSize(32, 32));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setCheckable(true);
        button->setAutoRaise(true);
        ui->toolBar->addWidget(button);
        m_pageButtons->addButton(button, id++);
    }
    connect(m_pageButtons, &QButtonGroup::idClicked, this, &PreferencesWindow::mainButtonPressed);
}

void PreferencesWindow::nameMediaPlayerControls()
{
#ifdef Q_OS_WIN
    ui->playlistIntegrationLabel->setText(tr("iTunes integration:"));
    ui->addAudioToItunesCheckbox->setText(tr("Add downloaded audio files to iTunes library"));
    ui->addVideoToItunesCheckbox->setText(tr("Add downloaded video files to iTunes library"));
    ui->deleteOriginalFilesCheckbox->setText(
        tr("Delete original files when added to iTunes library"));
#else
    const QString where = tr("An extended M3U playlist of this name in your Music folder (%1), "
                             "created when missing.")
                              .arg(QDir::toNativeSeparators(
                                  QStandardPaths::writableLocation(QStandardPaths::MusicLocation)));
    for (QWidget* control : { static_cast<QWidget*>(ui->addAudioToItunesCheckbox),
             static_cast<QWidget*>(ui->addVideoToItunesCheckbox),
             static_cast<QWidget*>(ui->audioPlaylistNameInput),
             static_cast<QWidget*>(ui->videoPlaylistNameInput) })
        control->setToolTip(where);
    // A playlist only points at the file: deleting the file would leave a dead entry and lose
    // the download, so the file is always kept here.
    ui->deleteOriginalFilesCheckbox->setEnabled(false);
    ui->deleteOriginalFilesCheckbox->setToolTip(
        tr("A playlist only refers to the file, so the downloaded file is always kept."));
#endif
}

void PreferencesWindow::fillDownloadPage()
{
    ui->downloadLocationInput->setText(Prefs::mediaPath());
    ui->defaultDownloadTypeCombobox->addItem(tr("Video"), MediaDescriptor::Video);
    ui->defaultDownloadTypeCombobox->addItem(tr("Audio"), MediaDescriptor::Audio);
    ui->defaultDownloadTypeCombobox->setCurrentIndex(
        Prefs::defaultDownloadMediaType() == MediaDescriptor::Video ? 0 : 1);
    connect(ui->downloadLocationButton, &QPushButton::clicked, this,
        &PreferencesWindow::chooseDownloadLocation);
}

void PreferencesWindow::fillServicesPage(const QStringList& serviceNames)
{
    for (const QString& name : serviceNames) {
        auto* item = new QTreeWidgetItem(ui->servicesTree, QStringList { name });
        item->setData(0, Qt::UserRole, name);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Checked);
    }
    ui->showAdultContentCheckbox->setChecked(Prefs::showAdultContent());
}

void PreferencesWindow::fillMediaFormatsPage(const QSqlDatabase& presets)
{
    QSqlQuery query(presets);
    query.exec(QStringLiteral("SELECT id, name FROM audio_conversions ORDER BY name"));
    while (query.next())
        ui->preferredAudioFormatComboBox->addItem(
            query.value(1).toString(), query.value(0).toInt());
    selectItemWithData(ui->preferredAudioFormatComboBox, Prefs::preferredAudioFormat());

    switch (Prefs::preferredAudioConversion()) {
    case 1:
        ui->audioFormatPreferConversionRadio->setChecked(true);
        break;
    case 2:
        ui->audioFormatPreferAACRadio->setChecked(true);
        break;
    case 3:
        ui->audioFormatPreferVorbisRadio->setChecked(true);
        break;
    default:
        break;
    }

    query.exec(QStringLiteral(
        "SELECT id, name, resolution FROM video_conversions ORDER BY ordering ASC, name"));
    while (query.next()) {
        const QString name = query.value(1).toString();
        if (name == QLatin1String("-")) {
            ui->preferredVideoFormatComboBox->insertSeparator(
                ui->preferredVideoFormatComboBox->count());
            continue;
        }
        QString resolution = query.value(2).toString();
        if (resolution.isEmpty())
            resolution = tr("Keep original size");
        ui->preferredVideoFormatComboBox->addItem(
            name + QStringLiteral(" (") + resolution + QLatin1Char(')'), query.value(0).toInt());
    }
    selectItemWithData(ui->preferredVideoFormatComboBox, Prefs::preferredVideoFormat());

    for (int size = MediaDescriptor::Medium; size <= MediaDescriptor::Biggest; ++size) {
        ui->preferredVideoSizeComboBox->addItem(
            MediaDescriptor::videoSizeName(MediaDescriptor::VideoSize(size)), size);
    }
    selectItemWithData(ui->preferredVideoSizeComboBox, Prefs::preferredVideoSize());
    ui->cpuThreadsSpinBox->setValue(Prefs::threadsForMP4Conversion());
}

void PreferencesWindow::fillNotificationsPage()
{
    ui->popupNotificationCheckbox->setChecked(Prefs::visualNotificationOnQueueFinished());
    ui->soundNotificationCheckbox->setChecked(Prefs::audioNotificationOnQueueFinished());
}

void PreferencesWindow::fillApplicationsPage()
{
    ui->addAudioToItunesCheckbox->setChecked(Prefs::addAudioToMediaPlayerPlaylist());
    ui->addVideoToItunesCheckbox->setChecked(Prefs::addVideoToMediaPlayerPlaylist());
    ui->deleteOriginalFilesCheckbox->setChecked(Prefs::deleteMediaWhenAddedToMediaplayer());
    ui->audioPlaylistNameInput->setText(Prefs::mediaPlayerAudioPlaylistName());
    ui->videoPlaylistNameInput->setText(Prefs::mediaPlayerVideoPlaylistName());
    setPlaylistControlsEnabled();
    ui->audioPlayerNameInput->setText(playerText(Prefs::audioPlayerApp()));
    ui->videoPlayerNameInput->setText(playerText(Prefs::videoPlayerApp()));
}

void PreferencesWindow::setPlaylistControlsEnabled()
{
    const bool audio = ui->addAudioToItunesCheckbox->isChecked();
    const bool video = ui->addVideoToItunesCheckbox->isChecked();
    ui->audioPlaylistNameLabel->setEnabled(audio);
    ui->audioPlaylistNameInput->setEnabled(audio);
    ui->videoPlaylistNameLabel->setEnabled(video);
    ui->videoPlaylistNameInput->setEnabled(video);
}

void PreferencesWindow::selectDownloadButtonPane()
{
    m_pageButtons->button(DownloadPage)->setChecked(true);
    ui->stackedWidget->setCurrentWidget(ui->downloadPage);
}

void PreferencesWindow::mainButtonPressed(int buttonId)
{
    if (buttonId >= 0 && buttonId < ui->stackedWidget->count())
        ui->stackedWidget->setCurrentIndex(buttonId);
}

void PreferencesWindow::chooseDownloadLocation()
{
    const QString directory = QFileDialog::getExistingDirectory(this,
        tr("Select directory for downloaded files"), QDir::homePath(), QFileDialog::ShowDirsOnly);
    if (directory.isEmpty())
        return;
    const QString path = QDir::toNativeSeparators(directory);
    Prefs::setMediaPath(path);
    ui->downloadLocationInput->setText(Prefs::mediaPath());
}

void PreferencesWindow::on_downloadLocationInput_editingFinished()
{
    const QString typed = ui->downloadLocationInput->text();
    // Return and the focus leaving both finish editing; the warning box takes the focus.
    if (m_checkingLocation || typed == Prefs::mediaPath())
        return;
    if (QFileInfo(typed).isDir()) {
        Prefs::setMediaPath(QDir::toNativeSeparators(typed));
        ui->downloadLocationInput->setText(Prefs::mediaPath());
        return;
    }
    m_checkingLocation = true;
    ui->downloadLocationInput->setText(Prefs::mediaPath());
    QMessageBox::warning(this, windowTitle(), tr("The path does not exist"));
    m_checkingLocation = false;
    QTimer::singleShot(0, this, &PreferencesWindow::selectDownloadButtonPane);
}

void PreferencesWindow::onDefaultDownloadTypeCombobox_currentIndexChanged(int index)
{
    const int type
        = ui->defaultDownloadTypeCombobox->itemData(index).toInt() == MediaDescriptor::Video
        ? MediaDescriptor::Video
        : MediaDescriptor::Audio;
    Prefs::setDefaultDownloadMediaType(type);
    emit defaultDownloadMediaTypeChanged(type);
}

void PreferencesWindow::on_preferredAudioFormatComboBox_activated(int index)
{
    Prefs::setPreferredAudioFormat(ui->preferredAudioFormatComboBox->itemData(index).toInt());
}

void PreferencesWindow::on_preferredVideoFormatComboBox_activated(int index)
{
    const QVariant id = ui->preferredVideoFormatComboBox->itemData(index);
    if (!id.isValid())
        return;
    if (id.toInt() <= LastDevicePresetId) {
        QMessageBox box(this);
        box.setWindowModality(Qt::WindowModal);
        box.setIconPixmap(
            QPixmap(QStringLiteral(":/images/resources/images/KestrofanIcon2-64.png")));
        box.setText(tr("Conversion to specific devices may take a very long time.\n\nUnless you "
                       "have specific needs (limited storage on your device, for example), you are "
                       "almost always better off using the \"Keep Original Size\" formats in the "
                       "beginning of this option list.\n\nNewer devices can easily handle and "
                       "scale HD videos, and there's no need to convert the size."));
        box.exec();
    }
    Prefs::setPreferredVideoFormat(id.toInt());
}

void PreferencesWindow::on_preferredVideoSizeComboBox_activated(int index)
{
    const int size = ui->preferredVideoSizeComboBox->itemData(index).toInt();
    Prefs::setPreferredVideoSize(size);
    emit preferredVideoSizeChanged(size);
}

void PreferencesWindow::onAudioFormatPreferConversionRadioToggled(bool checked)
{
    if (checked)
        Prefs::setPreferredAudioConversion(1);
}

void PreferencesWindow::onAudioFormatPreferAACRadioToggled(bool checked)
{
    if (checked)
        Prefs::setPreferredAudioConversion(2);
}

void PreferencesWindow::onAudioFormatPreferVorbisRadioToggled(bool checked)
{
    if (checked)
        Prefs::setPreferredAudioConversion(3);
}

void PreferencesWindow::on_cpuThreadsSpinBox_editingFinished()
{
    Prefs::setThreadsForMP4Conversion(ui->cpuThreadsSpinBox->value());
}

void PreferencesWindow::on_popupNotificationCheckbox_clicked(bool checked)
{
    Prefs::setVisualNotificationOnQueueFinished(checked);
}

void PreferencesWindow::on_soundNotificationCheckbox_clicked(bool checked)
{
    Prefs::setAudioNotificationOnQueueFinished(checked);
}

void PreferencesWindow::on_showAdultContentCheckbox_clicked(bool checked)
{
    Prefs::setShowAdultContent(checked);
}

void PreferencesWindow::onDeleteOriginalFilesCheckboxClicked(bool checked)
{
    Prefs::setDeleteMediaWhenAddedToMediaplayer(checked);
}

void PreferencesWindow::on_addAudioToItunesCheckbox_clicked(bool checked)
{
    Prefs::setAddAudioToMediaPlayerPlaylist(checked);
    ui->addAudioToItunesCheckbox->setChecked(checked);
    setPlaylistControlsEnabled();
}

void PreferencesWindow::on_addVideoToItunesCheckbox_clicked(bool checked)
{
    Prefs::setAddVideoToMediaPlayerPlaylist(checked);
    ui->addVideoToItunesCheckbox->setChecked(checked);
    setPlaylistControlsEnabled();
}

void PreferencesWindow::on_audioPlaylistNameInput_editingFinished()
{
    applyPlaylistName(ui->audioPlaylistNameInput, &Prefs::mediaPlayerAudioPlaylistName,
        &Prefs::setMediaPlayerAudioPlaylistName);
}

void PreferencesWindow::on_videoPlaylistNameInput_editingFinished()
{
    applyPlaylistName(ui->videoPlaylistNameInput, &Prefs::mediaPlayerVideoPlaylistName,
        &Prefs::setMediaPlayerVideoPlaylistName);
}

void PreferencesWindow::applyPlaylistName(
    QLineEdit* input, QString (*current)(), void (*store)(const QString&))
{
    const QString name = input->text().trimmed();
    // The name becomes a file in the Music folder: it must not reach any other folder.
    if (PlainName::isValid(name))
        store(name);
    input->setText(current());
}

QString PreferencesWindow::choosePlayerApplication(const QString& title)
{
#ifdef Q_OS_WIN
    const QString start = QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation);
    const QString filter = tr("Application") + QStringLiteral(" (*.exe)");
#else
    // Programs live on the search path here; the applications folder holds only their
    // desktop entries.
    const QString start = QStringLiteral("/usr/bin");
    const QString filter = tr("Application") + QStringLiteral(" (*)");
#endif
    const QString file = QFileDialog::getOpenFileName(this, title, start, filter);
    if (file.isEmpty())
        return {};
    return QDir::toNativeSeparators(QFileInfo(file).absoluteFilePath());
}

void PreferencesWindow::on_selectVideoPlayerAppButton_clicked()
{
    const QString path = choosePlayerApplication(tr("Select video player application"));
    if (path.isEmpty())
        return;
    ui->videoPlayerNameInput->setText(path);
    Prefs::setVideoPlayerApp(path);
}

void PreferencesWindow::on_selactAudioPlayerButton_clicked()
{
    const QString path = choosePlayerApplication(tr("Select audio player application"));
    if (path.isEmpty())
        return;
    ui->audioPlayerNameInput->setText(path);
    Prefs::setAudioPlayerApp(path);
}
