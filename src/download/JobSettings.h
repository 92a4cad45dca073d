#pragma once

#include "convert/ConversionOptions.h"

#include <QString>

// The preferences a download job needs, read on the thread that owns the settings when the
// job is made, so that nothing the job starts on a worker thread reads the settings store.
struct JobSettings
{
    // Where part files and unconverted downloads live: the download location followed by the
    // temporary folder name.
    QString temporaryDirectory;
    // What the converters need.
    ConversionOptions conversion;

    // From the preferences, on the settings' own thread.
    static JobSettings fromPreferences();
};
