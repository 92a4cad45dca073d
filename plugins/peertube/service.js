// PeerTube: browses one PeerTube instance through its public REST API (no account needed).
// Addresses of the instance's web pages are recognised:
//   videos     /w/<shortUUID>, /videos/watch/<uuid>, /videos/embed/<uuid>
//   accounts   /a/<name>, /accounts/<name>        channels  /c/<name>, /video-channels/<name>
//   playlists  /w/p/<shortUUID>, /videos/watch/playlist/<uuid>, /video-playlists/<uuid>
//   search     /search?search=<words>
// A user identifier is the API's own path to the account or channel ("accounts/<name>" or
// "video-channels/<name>"), so the feeds of both are built the same way.

var INSTANCE_DOMAIN = "framatube.org";
var INSTANCE_ORIGIN = "https://framatube.org";
var API = INSTANCE_ORIGIN + "/api/v1/";

var __settings = {
    serviceName: "PeerTube",
    validDomains: [INSTANCE_DOMAIN],
    supportsSearch: true,
    supportsRelated: true,
    supportsFavorites: false,
    supportsLikes: false,
    supportsPlaylists: true,
    supportsUploads: true,
    isAudioOnly: false,
    userFeedsDependsOnUserData: false,
    feedsHasPaging: true,
    searchHttpMethod: "get",
    httpAuthMethod: "noauth",
    itemsPerPage: 25,
    supportedByAppVersion: "1.1.4",
    revision: 1
};

// ---- Addresses ---------------------------------------------------------------------------

function pathOf(address) {
    var match = /^https?:\/\/[^\/?#]+([^?#]*)/.exec(String(address));
    return match ? match[1] : "";
}

function pageWindow(pageNo, pageSize) {
    var size = pageSize > 0 ? pageSize : __settings.itemsPerPage;
    var start = (Math.max(pageNo, 1) - 1) * size;
    return "start=" + start + "&count=" + size;
}

var ID_PATTERN = "([0-9A-Za-z][0-9A-Za-z-]*)";

function getMediaIdFromURL(address) {
    var path = pathOf(address);
    if (/^\/w\/p\//.test(path))
        return "";
    return t_getRegExMatch(path, new RegExp("^/(?:w|videos/watch|videos/embed)/" + ID_PATTERN + "/?$"), 1);
}

function getUserIdFromURL(address) {
    var path = pathOf(address);
    var account = t_getRegExMatch(path, /^\/(?:a|accounts)\/([^\/]+)/, 1);
    if (account)
        return "accounts/" + decodeURIComponent(account);
    var channel = t_getRegExMatch(path, /^\/(?:c|video-channels)\/([^\/]+)/, 1);
    if (channel)
        return "video-channels/" + decodeURIComponent(channel);
    return "";
}

function getPlaylistIdFromURL(address) {
    var path = pathOf(address);
    return t_getRegExMatch(path,
        new RegExp("^/(?:w/p|videos/watch/playlist|video-playlists)/" + ID_PATTERN + "/?$"), 1);
}

function getQueryStringFromSearchURL(address) {
    if (pathOf(address) !== "/search")
        return "";
    return t_getRegExMatch(String(address), /[?&]search=([^&#]*)/, 1);
}

// A feed's query is the page's address, or already an identifier.
function userIdOf(query) {
    return /^(accounts|video-channels)\//.test(query) ? query : getUserIdFromURL(query);
}

function mediaIdOf(query) {
    return /^https?:/.test(query) ? getMediaIdFromURL(query) : query;
}

function getSearchFeedURL(query, pageNo, pageSize, pageToken) {
    return API + "search/videos?search=" + query + "&" + pageWindow(pageNo, pageSize)
        + "&sort=-match";
}

function getUploadsFeedURL(query, pageNo, pageSize, pageToken) {
    return API + userIdOf(query) + "/videos?" + pageWindow(pageNo, pageSize)
        + "&sort=-publishedAt";
}

// Videos that share a tag with the video; the uploader's videos when it has no tags.
function getRelatedFeedURL(query, pageNo, pageSize, pageToken) {
    var id = mediaIdOf(query);
    var details = scriptInterface.httpGet(API + "videos/" + id);
    var video = {};
    try {
        video = JSON.parse(details);
    } catch (e) {
        video = {};
    }
    var tags = video.tags || [];
    if (tags.length > 0) {
        var filter = "";
        for (var i = 0; i < tags.length; ++i)
            filter += "&tagsOneOf=" + encodeURIComponent(tags[i]);
        return API + "search/videos?" + pageWindow(pageNo, pageSize) + filter
            + "&sort=-publishedAt";
    }
    if (video.account)
        return API + "accounts/" + handleOf(video.account) + "/videos?"
            + pageWindow(pageNo, pageSize) + "&sort=-publishedAt";
    return "";
}

function getPlaylistsFeedURL(query) {
    return API + userIdOf(query) + "/video-playlists?start=0&count=100";
}

function getPlaylistFeedURL(playlistId, userId, pageNo, pageSize, pageToken) {
    return API + "video-playlists/" + playlistId + "/videos?" + pageWindow(pageNo, pageSize);
}

function getPlaylistPlayPageURL(playlistId, startItemId, userId) {
    return INSTANCE_ORIGIN + "/w/p/" + playlistId;
}

function getUserDataURL(query) {
    return API + userIdOf(query);
}

function getMediaDataURL(query) {
    return API + "videos/" + mediaIdOf(query);
}

// ---- Records -----------------------------------------------------------------------------

function absolute(path) {
    if (!path)
        return "";
    return /^https?:/.test(path) ? path : INSTANCE_ORIGIN + path;
}

// "name" for the instance's own accounts, "name@host" for federated ones.
function handleOf(actor) {
    if (!actor || !actor.name)
        return "";
    return (!actor.host || actor.host === INSTANCE_DOMAIN) ? actor.name
                                                           : actor.name + "@" + actor.host;
}

function largestAvatar(actor) {
    var avatars = (actor && actor.avatars) || [];
    var best = null;
    for (var i = 0; i < avatars.length; ++i) {
        if (!best || (avatars[i].width || 0) > (best.width || 0))
            best = avatars[i];
    }
    return best ? absolute(best.fileUrl || best.path) : "";
}

function highestResolution(video) {
    var files = (video.files || []).slice();
    var playlists = video.streamingPlaylists || [];
    for (var i = 0; i < playlists.length; ++i)
        files = files.concat(playlists[i].files || []);
    var highest = 0;
    for (var j = 0; j < files.length; ++j) {
        var resolution = files[j].resolution ? files[j].resolution.id : 0;
        if (resolution > highest)
            highest = resolution;
    }
    return highest;
}

function mediaObject(video) {
    if (!video || typeof video !== "object")
        return { error: "No video in the answer" };
    var id = video.shortUUID || video.uuid || String(video.id || "");
    var likes = video.likes || 0;
    var dislikes = video.dislikes || 0;
    var account = video.account || {};
    return {
        id: id,
        permaURL: video.url || (INSTANCE_ORIGIN + "/w/" + id),
        title: video.name,
        rating: likes + dislikes > 0 ? (5 * likes / (likes + dislikes)).toFixed(1) : 0,
        likes: likes,
        views: video.views || 0,
        smallThumbURL: absolute(video.thumbnailPath),
        thumbURL: absolute(video.thumbnailPath),
        hdThumbURL: absolute(video.previewPath || video.thumbnailPath),
        userName: account.name,
        userDisplayName: account.displayName,
        userId: account.name ? "accounts/" + handleOf(account) : "",
        userPermaURL: account.url,
        durationSeconds: video.duration || 0,
        description: video.truncatedDescription || video.description,
        isoDate: video.originallyPublishedAt || video.publishedAt,
        hasHD: highestResolution(video) >= 720,
        streamingNow: video.isLive === true
    };
}

function parse(content) {
    var answer = JSON.parse(content);
    if (answer && answer.error)
        throw new Error(answer.error);
    return answer;
}

// Search results, uploads, related videos, and a playlist's elements (which wrap their video).
function getMediaFeed(content) {
    var answer = parse(content);
    var entries = answer.data || [];
    var feed = [];
    var isPlaylist = false;
    for (var i = 0; i < entries.length; ++i) {
        if (entries[i].video !== undefined) {
            isPlaylist = true;
            if (entries[i].video === null)
                continue; // removed or private video, kept by the playlist as a hole
            feed.push(mediaObject(entries[i].video));
        } else {
            feed.push(mediaObject(entries[i]));
        }
    }
    return {
        feedTitle: isPlaylist ? "Playlist" : "",
        totalResults: answer.total || 0,
        nextPageToken: "",
        prevPageToken: "",
        feed: feed
    };
}

function getMediaData(content) {
    return mediaObject(parse(content));
}

function getUserData(content) {
    var actor = parse(content);
    var isChannel = actor.ownerAccount !== undefined;
    var id = (isChannel ? "video-channels/" : "accounts/") + handleOf(actor);
    return {
        userName: actor.displayName || actor.name,
        userId: id,
        channelId: isChannel ? handleOf(actor) : "",
        subscriberCount: actor.followersCount || 0,
        location: actor.host || "",
        imageURL: largestAvatar(actor),
        summary: actor.description || "",
        permaURL: actor.url || ""
    };
}

function getPlayLists(content) {
    var answer = parse(content);
    var entries = answer.data || [];
    var feed = [];
    for (var i = 0; i < entries.length; ++i) {
        var playlist = entries[i];
        feed.push({
            id: playlist.shortUUID || playlist.uuid,
            name: playlist.displayName,
            itemCount: playlist.videoLength || 0,
            thumbURL: absolute(playlist.thumbnailPath),
            permaURL: playlist.url || (INSTANCE_ORIGIN + "/w/p/" + (playlist.shortUUID || playlist.uuid)),
            userId: playlist.ownerAccount ? "accounts/" + handleOf(playlist.ownerAccount) : ""
        });
    }
    return { itemCount: answer.total || entries.length, feed: feed };
}
