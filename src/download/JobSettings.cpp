#include "JobSettings.h"

#include "app/Prefs.h"

JobSettings JobSettings::fromPreferences()
{
    JobSettings settings;
    settings.temporaryDirectory = Prefs::mediaPath() + Prefs::mediaTmpDir();
    return settings;
}
