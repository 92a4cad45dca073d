#include "JobSettings.h"

#include "FfmpegExecutable.h"
#include "app/Prefs.h"

JobSettings JobSettings::fromPreferences()
{
    JobSettings settings;
    settings.temporaryDirectory = Prefs::mediaPath() + Prefs::mediaTmpDir();
    settings.conversion = ConversionOptions::fromPrefs(FfmpegExecutable::ffmpegPath());
    return settings;
}
