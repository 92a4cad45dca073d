// Generic Service: the fallback for every address that no other service claims. Its media data
// is not read from the page but from the download helper's JSON description of it, which the
// application hands to getMediaData.

var __settings = {
    serviceName: "Generic Service",
    validDomains: ["*"],
    supportsSearch: false,
    supportsRelated: false,
    supportsFavorites: false,
    supportsLikes: false,
    supportsPlaylists: false,
    supportsUploads: false,
    feedsHasPaging: false,
    itemsPerPage: 50,
    supportedByAppVersion: "1.1.4",
    revision: 1
};

// The helper reads the page address itself.
function getMediaDataURL(query) {
    return query;
}

// Every address is a media page; there are no identifiers to find.
function getMediaIdFromURL(address) {
    return "";
}

function getUserIdFromURL(address) {
    return "";
}

function getPlaylistIdFromURL(address) {
    return "";
}

// "20240131" becomes "2024-01-31"; anything else is passed on as it is.
function helperDateToIso(date) {
    var parts = /^(\d{4})(\d{2})(\d{2})$/.exec(String(date || ""));
    return parts ? parts[1] + "-" + parts[2] + "-" + parts[3] : String(date || "");
}

function firstText() {
    for (var i = 0; i < arguments.length; ++i) {
        if (arguments[i] !== undefined && arguments[i] !== null && arguments[i] !== "")
            return String(arguments[i]);
    }
    return "";
}

// The largest picture the helper lists, when it gives no single thumbnail.
function bestThumbnail(info) {
    if (info.thumbnail)
        return info.thumbnail;
    var best = "";
    var bestWidth = -1;
    var thumbnails = info.thumbnails || [];
    for (var i = 0; i < thumbnails.length; ++i) {
        var width = thumbnails[i].width || 0;
        if (thumbnails[i].url && width >= bestWidth) {
            best = thumbnails[i].url;
            bestWidth = width;
        }
    }
    return best;
}

function getMediaData(content) {
    var info;
    try {
        info = JSON.parse(content);
    } catch (e) {
        return { error: "The download helper's answer is not JSON: " + e };
    }
    var thumbnail = bestThumbnail(info);
    var uploaderId = firstText(info.uploader_id, info.channel_id);
    return {
        id: firstText(info.id),
        permaURL: firstText(info.webpage_url, info.original_url, info.url),
        title: firstText(info.title, info.fulltitle),
        durationSeconds: Math.round(Number(info.duration) || 0),
        userName: firstText(info.uploader, info.channel, uploaderId),
        userDisplayName: firstText(info.uploader, info.channel),
        userId: uploaderId,
        userPermaURL: firstText(info.uploader_url, info.channel_url),
        thumbURL: thumbnail,
        hdThumbURL: thumbnail,
        smallThumbURL: thumbnail,
        description: firstText(info.description),
        isoDate: info.upload_date || !info.timestamp
            ? helperDateToIso(info.upload_date)
            : new Date(info.timestamp * 1000).toISOString(),
        views: Number(info.view_count) || 0,
        likes: Number(info.like_count) || 0,
        hasHD: (Number(info.height) || 0) >= 720,
        streamingNow: info.is_live === true
    };
}
