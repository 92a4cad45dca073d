"""A PeerTube instance on 127.0.0.1 for the end-to-end run and the benchmarks.

It serves the recorded answers of tests/services/fixtures/peertube, search results of any
length made from them ("Clip 01", "Clip 02", ...), a web page per clip that plays a short clip
made with ffmpeg, and the clips' thumbnails. Clip 02's page plays a copy that trickles out
slowly, so that a download of it can be seen running.
"""
import json
import os
import re
import subprocess
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

SEARCH_RESULTS = 37  # two pages of 25
SLOW_CLIP = 2


def clip_uuid(number):
    return "00000000-0000-4000-8000-%012d" % number


def make_media(work):
    """A two-second clip with sound and a thumbnail, made with ffmpeg."""
    clip, thumb = os.path.join(work, "clip.mp4"), os.path.join(work, "thumb.jpg")
    quiet = ["ffmpeg", "-loglevel", "error", "-y"]
    subprocess.run(quiet + ["-f", "lavfi", "-i", "testsrc=size=320x180:rate=25", "-f", "lavfi",
                            "-i", "sine=frequency=440", "-t", "2", "-pix_fmt", "yuv420p",
                            "-c:v", "libx264", "-c:a", "aac", clip], check=True)
    subprocess.run(quiet + ["-f", "lavfi", "-i", "testsrc=size=320x180", "-frames:v", "1",
                            thumb], check=True)
    return {"/media/clip.mp4": ("video/mp4", clip), "/media/slow.mp4": ("video/mp4", clip),
            "/thumbnail.jpg": ("image/jpeg", thumb)}


def start_instance(fixtures, media, uploads=None):
    """Serves on a free port; "uploads" clips replace the account's recorded uploads."""
    routes = {
        "/api/v1/accounts/framasoft": "account.json",
        "/api/v1/accounts/framasoft/videos": "account-videos.json",
        "/api/v1/accounts/framasoft/video-playlists": "account-playlists.json",
    }
    requests = []

    def fixture(name):
        with open(os.path.join(fixtures, name), encoding="utf-8") as f:
            return f.read().replace("{origin}", origin).replace("{domain}", "127.0.0.1")

    def clip(video, number):
        video.update(uuid=clip_uuid(number), shortUUID="clip%d" % number,
                     name="Clip %02d" % number, views=number * 10, duration=2,
                     url="%s/videos/watch/%s" % (origin, clip_uuid(number)),
                     # A picture address of its own, as a real instance has: no cache hits.
                     thumbnailPath="/lazy-static/thumbnails/clip%d.jpg" % number,
                     previewPath="/lazy-static/previews/clip%d.jpg" % number)
        return video

    def clips(query, total):
        start, count = int(query.get("start", ["0"])[0]), int(query.get("count", ["25"])[0])
        template = json.loads(fixture("search-videos.json"))["data"][0]
        data = [clip(dict(template), number)
                for number in range(start + 1, min(start + count, total) + 1)]
        return json.dumps({"total": total, "data": data}).encode()

    def answer(path, query):
        """(content type, body bytes) for a path, or None."""
        if uploads and path == "/api/v1/accounts/framasoft/videos":
            return "application/json", clips(query, uploads)
        if path in routes:
            return "application/json", fixture(routes[path]).encode()
        if re.fullmatch(r"/lazy-static/(thumbnails|previews)/clip\d+\.jpg", path):
            path = "/thumbnail.jpg"
        if path in media:
            kind, file_name = media[path]
            with open(file_name, "rb") as f:
                return kind, f.read()
        if path == "/api/v1/search/videos":
            return "application/json", clips(query, SEARCH_RESULTS)
        match = re.fullmatch(r"/api/v1/videos/%s" % clip_uuid(0)[:-12] + r"(\d{12})", path)
        if match:
            video = clip(json.loads(fixture("video.json")), int(match.group(1)))
            return "application/json", json.dumps(video).encode()
        if path.startswith("/videos/watch/"):
            source = "slow.mp4" if path.endswith(clip_uuid(SLOW_CLIP)) else "clip.mp4"
            page = ('<!DOCTYPE html><html><head><title>Clip</title></head><body>'
                    '<video controls><source src="/media/%s" type="video/mp4"></video>'
                    '</body></html>' % source)
            return "text/html", page.encode()
        return None

    class Handler(BaseHTTPRequestHandler):
        def reply(self, with_body):
            path, _, query = self.path.partition("?")
            requests.append(path)
            found = answer(path, urllib.parse.parse_qs(query))
            if found is None:
                self.send_error(404)
                return
            kind, data = found
            self.send_response(200)
            self.send_header("Content-Type", kind)
            self.send_header("Content-Length", str(len(data)))
            self.end_headers()
            if not with_body:
                return
            if path != "/media/slow.mp4":
                self.wfile.write(data)
                return
            try:
                for start in range(0, len(data), 1024):  # about 4 KiB a second
                    self.wfile.write(data[start:start + 1024])
                    self.wfile.flush()
                    time.sleep(0.25)
            except (BrokenPipeError, ConnectionResetError):
                pass  # the program quit while the slow clip was still coming

        def do_GET(self):
            self.reply(True)

        def do_HEAD(self):
            self.reply(False)

        def log_message(self, *args):
            pass

    ThreadingHTTPServer.daemon_threads = True
    server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    origin = "http://127.0.0.1:%d" % server.server_address[1]
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server, origin, requests


def install_local_plugin(plugin_source, packer, origin, data_home, work, items_per_page=None):
    """Packs the bundled PeerTube plugin aimed at the local instance into the plugin folder
    that "kestrofan-cli setup" made under data_home."""
    with open(plugin_source, encoding="utf-8") as f:
        text = f.read()
    settings = [("INSTANCE_DOMAIN", '"127.0.0.1"'), ("INSTANCE_ORIGIN", '"%s"' % origin)]
    for name, value in settings:
        text, count = re.subn(r'var %s = "[^"]*";' % name, "var %s = %s;" % (name, value), text)
        if count != 1:
            raise RuntimeError("the plugin source has no %s to aim at the local instance" % name)
    if items_per_page:
        text = re.sub(r"itemsPerPage: \d+", "itemsPerPage: %d" % items_per_page, text)
    source = os.path.join(work, "peertube-local.js")
    with open(source, "w", encoding="utf-8") as f:
        f.write(text)
    folders = [root for root, _, _ in os.walk(data_home) if os.path.basename(root) == "serviceplugins"]
    if len(folders) != 1:
        raise RuntimeError("setup made no single serviceplugins folder under %s: %s"
                           % (data_home, folders))
    subprocess.run([packer, source, os.path.join(folders[0], "peertube", "service.plugin")],
                   check=True)
