#include "JobSettings.h"

#include "FfmpegExecutable.h"
#include "app/Prefs.h"

JobSettings JobSettings::fromPreferences()
{
    JobSettings settings;
    settings.temporaryDirectory = Prefs::mediaTmpLocation();
    settings.conversion = ConversionOptions::fromPrefs(FfmpegExecutable::ffmpegPath());
    return settings;
}
