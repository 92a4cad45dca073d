#!/bin/sh
# Stands in for the download helper: describes whatever page it is given with fixed facts,
# after a warning line as the real helper often prints. Its arguments are kept beside it.
printf '%s\n' "$@" > "$0.arguments"
for address in "$@"; do :; done
echo "WARNING: this is a stand-in for the download helper"
cat <<JSON
{"id": "fake1", "title": "Sunset timelapse", "duration": 125.6, "uploader": "Ann Example",
 "uploader_id": "ann", "uploader_url": "https://example.org/ann",
 "thumbnail": "https://example.org/sunset.jpg", "description": "Filmed at dusk.",
 "upload_date": "20240131", "view_count": 4321, "like_count": 55, "height": 1080,
 "is_live": false, "webpage_url": "$address"}
JSON
