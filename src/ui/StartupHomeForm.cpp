#include "StartupHomeForm.h"

#include "AccessibleNames.h"
#include "ui_StartupHomeForm.h"

#include "app/MediaDescriptor.h"
#include "app/Prefs.h"
#include "core/AppContext.h"

StartupHomeForm::StartupHomeForm(QWidget* parent)
    : QWidget(parent)
    , ui(std::make_unique<Ui::StartupHomeForm>())
{
    ui->setupUi(this);
#ifdef Q_OS_WIN
    ui->playlistLabel->setText(tr("Add downloaded audio files to iTunes:"));
#endif
    ui->downloadLocationValue->setText(Prefs::mediaPath());
    QString type = MediaDescriptor::mediaTypeName(
        MediaDescriptor::MediaType(Prefs::defaultDownloadMediaType()));
    if (!type.isEmpty())
        type[0] = type[0].toUpper();
    ui->downloadTypeValue->setText(type);
    ui->audioFormatValue->setText(MediaDescriptor::formatName(Prefs::preferredAudioFormat()));
    ui->videoFormatValue->setText(MediaDescriptor::formatName(Prefs::preferredVideoFormat()));
    ui->playlistValue->setText(Prefs::addAudioToMediaPlayerPlaylist() ? tr("Yes") : tr("No"));
    AccessibleNames::complete(this);
    // Later empty pages stay blank, even when the program is closed before one opens.
    AppContext::setFirstRun(false);
}

StartupHomeForm::~StartupHomeForm() = default;

void StartupHomeForm::on_openPreferencesButton_clicked()
{
    emit openPreferencesRequested();
}
