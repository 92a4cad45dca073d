-- Tables of a new Kestrofan 2 database. Each statement ends with ";" at the end of a line.

CREATE TABLE downloads (
  id INTEGER PRIMARY KEY,
  title TEXT,
  date_time TEXT,
  state INTEGER,
  target_media_type INTEGER,
  thumb_url TEXT,
  service_id TEXT,
  media_id TEXT,
  part1_bytes_downloaded INTEGER,
  part2_bytes_downloaded INTEGER,
  part1_file_name TEXT,
  part2_file_name TEXT,
  finished_file_name TEXT,
  error_text TEXT,
  perma_url Varchar(100)
);

CREATE TABLE bookmarks (
  id INTEGER PRIMARY KEY,
  title TEXT,
  url TEXT,
  parent_id INTEGER,
  service_id TEXT,
  sort_id INTEGER,
  date_time TEXT
);

CREATE TABLE history (
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  title TEXT,
  url TEXT,
  date_time TEXT,
  service_id TEXT
);

CREATE TABLE audio_conversions (
  id INTEGER PRIMARY KEY,
  name TEXT,
  ffmpeg_args TEXT,
  extension TEXT
);

CREATE TABLE video_conversions (
  id INTEGER PRIMARY KEY,
  name TEXT,
  resolution TEXT,
  ffmpeg_args TEXT,
  ordering INTEGER,
  extension TEXT
);

CREATE TABLE service_plugins (
  service_key TEXT PRIMARY KEY,
  service_script_revision INTEGER,
  extract_script_revision INTEGER,
  name TEXT
);

CREATE TABLE binary_helper (
  id INTEGER,
  version TEXT,
  name TEXT,
  binary_name TEXT,
  PRIMARY KEY(id)
);
