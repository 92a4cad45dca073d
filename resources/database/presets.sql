-- Conversion presets shipped with a new database. One statement per line.
INSERT INTO audio_conversions (id, name, ffmpeg_args, extension) VALUES (0, 'MP3', '-y -i {input} -vn -ar {audio_rate} -ac 2 -qscale:a {kbits_per_second} -acodec libmp3lame -threads {threads} {output}', 'mp3');
INSERT INTO video_conversions (id, name, resolution, ffmpeg_args, ordering, extension) VALUES (45, 'MP4', '', '-i {input} -y -c:v libx264 -preset fast -crf 23 -c:a aac -b:a 160k -movflags +faststart -threads {threads} {output}', 0, 'mp4');
