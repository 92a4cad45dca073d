#pragma once

#include "convert/ConversionOptions.h"

#include <QString>

class BinaryHelpers;
class DownloadsModel;
class MediaServices;
class ProcessPool;

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

// What a download job works with. records and services may be null (no record is written, no
// login can be offered); without helpers every extraction fails with the helper's message.
struct JobServices
{
    DownloadsModel* records = nullptr;
    MediaServices* services = nullptr;
    const BinaryHelpers* helpers = nullptr;
    // Where the helper, the joiners and the converters run. Required.
    ProcessPool* processPool = nullptr;
};
