#!/usr/bin/python3
"""Drives the real kestrofan window under Xvfb through AT-SPI, the way a user would.

A PeerTube instance on 127.0.0.1 (peertube_instance.py) serves the recorded answers of
tests/services/fixtures and clips made with ffmpeg; the bundled PeerTube plugin, aimed at it, is
installed into a private data folder. The run opens a channel page from the address bar,
bookmarks it, finds it on the bookmarks page, changes the default download type in the
preferences and quits; a second start must bring the tab and the preference back. It then
searches, switches to the list, goes to page 2, opens a media page, downloads its clip as audio
(and a slow clip as video), sees the row reach "Finished" on the downloads page and finds the
file in the media folder.

Exits 77 (skipped) only when Xvfb or the accessibility bus cannot start.
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

from peertube_instance import install_local_plugin, make_media, start_instance

SKIPPED = 77
TIMEOUT = 30.0
SCREENSHOTS = None  # a folder to keep pictures of the windows in, when asked for


class Failure(Exception):
    pass


# ---- the local instance -------------------------------------------------------------------

# ---- the display and the accessibility bus ------------------------------------------------

def start_session(work):
    """Xvfb and a session bus for this run; returns the processes, or None to skip."""
    read_end, write_end = os.pipe()
    try:
        xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                                 "1280x900x24", "-nolisten", "tcp"],
                                pass_fds=(write_end,), stderr=subprocess.DEVNULL)
    except OSError as error:
        print("SKIP: Xvfb cannot start: %s" % error)
        return None
    os.close(write_end)
    with os.fdopen(read_end) as f:
        display = f.readline().strip()
    if not display:
        print("SKIP: Xvfb did not report a display")
        xvfb.kill()
        return None
    os.environ["DISPLAY"] = ":" + display
    # The bus's own chatter (activations, fd limits) goes to a file next to the other logs.
    bus_log = open(os.path.join(work, "dbus.log"), "w")
    bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                           stdout=subprocess.PIPE, stderr=bus_log, text=True)
    address = bus.stdout.readline().strip()
    if not address:
        print("SKIP: the session bus did not start; see %s" % bus_log.name)
        xvfb.kill()
        return None
    os.environ["DBUS_SESSION_BUS_ADDRESS"] = address
    return [xvfb, bus]


def pyatspi_module():
    import pyatspi
    return pyatspi


def accessibility():
    """pyatspi bound to this session's accessibility bus, or None."""
    try:
        import pyatspi
        pyatspi.Registry.getDesktop(0).childCount
        return pyatspi
    except Exception as error:  # the bus launcher is missing or refused to start
        print("SKIP: the AT-SPI bus cannot start: %s" % error)
        return None


# ---- finding and using widgets ------------------------------------------------------------

def children(node):
    try:
        return [node.getChildAtIndex(i) for i in range(node.childCount)]
    except Exception:
        return []


def describe(node, depth=0, limit=12):
    if node is None or depth > limit:
        return ""
    try:
        line = "  " * depth + "[%s] %r\n" % (node.getRoleName(), node.name)
    except Exception:
        return ""
    return line + "".join(describe(child, depth + 1, limit) for child in children(node))


def find_all(root, role, name=None):
    found, queue = [], [root]
    while queue:
        node = queue.pop(0)
        try:
            if re.fullmatch(role, node.getRoleName()) and (
                    name is None or re.fullmatch(name, node.name or "")):
                found.append(node)
        except Exception:
            continue
        queue.extend(children(node))
    return found


def wait_for(what, probe, dump):
    deadline = time.monotonic() + TIMEOUT
    while time.monotonic() < deadline:
        result = probe()
        if result:
            return result
        time.sleep(0.2)
    raise Failure("timed out waiting for %s; the application shows:\n%s" % (what, dump()))


def showing(app, node):
    return node.getState().contains(app.pyatspi.STATE_SHOWING)


def xdo(*arguments):
    subprocess.run(["xdotool", *arguments], check=True)


def click(node, button=1, at=None):
    """Clicks the node's middle, or the point "at" (x, y) inside it."""
    box = node.queryComponent().getExtents(0)  # screen coordinates
    x, y = at or (box.width // 2, box.height // 2)
    xdo("mousemove", "--sync", str(box.x + x), str(box.y + y), "click", str(button))


def largest(nodes):
    def area(node):
        box = node.queryComponent().getExtents(0)
        return box.width * box.height
    return max(nodes, key=area)


def window_of(node):
    while node is not None and node.getRoleName() not in ("frame", "dialog", "window"):
        node = node.parent
    return node


def shoot(name, node):
    """Keeps a picture of the window that shows the node, when pictures are asked for."""
    if SCREENSHOTS is None:
        return
    box = window_of(node).queryComponent().getExtents(0)
    subprocess.run(["import", "-window", "root", "-crop",
                    "%dx%d+%d+%d" % (box.width, box.height, box.x, box.y), "+repage",
                    os.path.join(SCREENSHOTS, name + ".png")], check=True)


class App:
    """One run of kestrofan, found on the accessibility bus by its process id."""

    def __init__(self, pyatspi, args, env, log):
        self.pyatspi = pyatspi
        self.process = subprocess.Popen([args.gui], env=env, stdout=log, stderr=log)
        self.root = wait_for("the application on the accessibility bus", self._find,
                             lambda: describe(pyatspi.Registry.getDesktop(0), limit=1))

    def _find(self):
        if self.process.poll() is not None:
            raise Failure("kestrofan ended at start-up with %s" % self.process.returncode)
        for app in children(self.pyatspi.Registry.getDesktop(0)):
            try:
                if app.get_process_id() == self.process.pid:
                    return app
            except Exception:
                continue
        return None

    def wait(self, what, role, name=None, root=None):
        return wait_for(what, lambda: find_all(root or self.root, role, name),
                        lambda: describe(self.root))[0]

    def keys(self, combination):
        # Shortcuts reach the active window: a click on a quiet spot activates it.
        click(self.wait("the status bar", "status bar"))
        xdo("key", combination)

    def quit(self):
        self.keys("ctrl+q")
        try:
            code = self.process.wait(TIMEOUT)
        except subprocess.TimeoutExpired:
            self.process.kill()
            raise Failure("kestrofan did not quit on Ctrl+Q")
        if code != 0:
            raise Failure("kestrofan quit with %d" % code)


def download_type_combo(app):
    """Opens the preferences; returns the window and its download type box."""
    app.keys("ctrl+comma")
    label = app.wait("the preferences' download type label", "label", "Default download type:?")
    for relation in label.getRelationSet():
        if relation.getRelationType() == app.pyatspi.RELATION_LABEL_FOR:
            return relation.getTarget(0)
    raise Failure("the download type label names no box:\n%s" % describe(app.root))


def close_window_of(node):
    window = window_of(node)
    for _ in range(3):
        click(window)
        xdo("key", "Escape")
        try:
            if not window.getState().contains(pyatspi_module().STATE_SHOWING):
                return
        except Exception:  # gone from the bus altogether
            return
        time.sleep(0.5)
    raise Failure("the window %r did not close on Escape" % window.name)


# ---- the run ------------------------------------------------------------------------------

def first_run(app, origin, title):
    address = app.wait("the address bar", "text", "Address or search keywords")
    shoot("main-window", address)
    click(address)
    address.queryEditableText().setTextContents(origin + "/a/framasoft")
    xdo("key", "Return")
    tab = app.wait("a tab titled %r" % title, "page tab", re.escape(title))
    wait_for_uploads(app)
    shoot("user-page", tab)

    app.keys("ctrl+d")
    dialog = app.wait("the bookmark dialog", "dialog", "Add Bookmark")
    add = app.wait("the dialog's add button", "push button", "Add Bookmark", root=dialog)
    add.queryAction().doAction(0)
    # The window takes no clicks while the modal dialog is up.
    wait_for("the bookmark dialog to close", lambda: not find_all(app.root, "dialog"),
             lambda: describe(app.root))
    sections = app.wait("the sections", "tree", "Sections")
    click(app.wait("the bookmarks section", "table cell|tree item", "Bookmarks", root=sections))
    table = app.wait("the bookmarks table", "table", "Bookmarks")
    wait_for("the bookmarks page to show", lambda: showing(app, table), lambda: describe(app.root))
    app.wait("the bookmark in the table", "table cell", re.escape(title), root=table)
    shoot("bookmarks-page", table)

    combo = download_type_combo(app)
    before = combo.name
    shoot("preferences", combo)
    click(combo)  # opens the list, which takes the keys
    xdo("key", "Down" if before == "Video" else "Up", "Return")
    wait_for("the download type to change from %r" % before,
             lambda: combo.name != before and combo.name, lambda: describe(app.root))
    changed = combo.name
    close_window_of(combo)
    app.quit()
    return changed


def wait_for_uploads(app):
    # The restored tab need not be the one in front.
    app.wait("the channel's uploads", "label", re.escape("What is PeerTube?"))


def picture_of(app, title):
    """Where a media item's picture is: of the cards, rows and labels named after the item, the
    largest; the picture fills their top left corner."""
    return largest(wait_for("the picture of %r" % title,
                            lambda: [node for node in find_all(app.root, "label|list item",
                                                               re.escape(title))
                                     if showing(app, node)], lambda: describe(app.root)))


# The entries of an item's menu, in order; the separators take no key presses.
ITEM_MENU = ("Open video in new tab", "Open video in web browser", "Copy video URL to clipboard",
             "Bookmark video", "Download as video", "Download as audio")


def choose_from_menu(node, entry):
    """Opens the item menu on the node's picture and picks the entry with the keyboard, as the
    menu's own window does not reach the accessibility bus in time to be clicked."""
    click(node, button=3, at=(12, 12))
    time.sleep(0.3)
    xdo("key", *(["Down"] * (ITEM_MENU.index(entry) + 1)), "Return")


def shown(app, what, role, name):
    """The one node of the role and name on screen (tabs behind keep theirs)."""
    return wait_for(what, lambda: [node for node in find_all(app.root, role, name)
                                   if showing(app, node)], lambda: describe(app.root))[0]


def wait_for_feed_page(app, text):
    return wait_for("the feed to show %r" % text,
                    lambda: [node for node in find_all(app.root, "label", re.escape(text))
                             if showing(app, node)], lambda: describe(app.root))[0]


def browse_and_download(app, origin, home):
    """Searches, pages the list, opens a media page and downloads its clip as audio (and a
    slow clip as video, to be seen running) and waits for the downloads page to show it done."""
    address = app.wait("the address bar", "text", "Address or search keywords")
    click(address)
    address.queryEditableText().setTextContents(origin + "/search?search=clip")
    xdo("key", "Return")
    app.wait("the search tab titled by its words", "page tab", "clip")
    status = wait_for_feed_page(app, "Page 1 of 2, 37 results in total")
    picture_of(app, "Clip 01")
    shoot("search-results", status)
    click(shown(app, "the list view button", ".*", "List view"))
    click(shown(app, "the next page arrow", ".*", "Next page"))
    wait_for_feed_page(app, "Page 2 of 2, 37 results in total")
    # Away from the download button in the middle of the picture.
    click(picture_of(app, "Clip 26"), at=(12, 12))
    tab = app.wait("the media page's tab", "page tab", "Clip 26")
    picture_of(app, "Clip 26")
    shoot("media-page", tab)
    # The first run made audio the default type: the header's button downloads audio.
    click(shown(app, "the header's download button", "push button", "Download"))
    choose_from_menu(picture_of(app, "Clip 02"), "Download as video")
    sections = app.wait("the sections", "tree", "Sections")
    click(app.wait("the downloads section", "table cell|tree item", "Downloads", root=sections))
    done = app.wait("the audio download finished", "list item", r"Clip 26 .* Finished.*")
    running = app.wait("the video download running", "list item", r"Clip 02 .* Downloading.*")
    shoot("downloads-page", done)
    files = [name for _, _, names in os.walk(home) for name in names
             if re.fullmatch(r"Clip 26.*\.mp3", name)]
    if not files:
        raise Failure("no Clip 26 .mp3 in the media folder under %s" % home)
    return files[0]


def second_run(app, title, download_type, origin):
    app.wait("the restored tab titled %r" % title, "page tab", re.escape(title))
    wait_for_uploads(app)
    combo = download_type_combo(app)
    if combo.name != download_type:
        raise Failure("the download type is %r after a restart, not %r" % (combo.name, download_type))
    close_window_of(combo)
    downloaded = browse_and_download(app, origin, os.environ["HOME"])
    app.quit()
    return downloaded


def main():
    parser = argparse.ArgumentParser()
    for option in ("--gui", "--cli", "--packer", "--plugin-source", "--fixtures"):
        parser.add_argument(option, required=True)
    parser.add_argument("--screenshots", help="a folder for pictures of the windows")
    args = parser.parse_args()
    global SCREENSHOTS
    SCREENSHOTS = args.screenshots
    work = tempfile.mkdtemp(prefix="kestrofan-e2e-")
    for name, sub in (("HOME", "home"), ("XDG_CONFIG_HOME", "config"), ("XDG_DATA_HOME", "data"),
                      ("XDG_CACHE_HOME", "cache"), ("XDG_RUNTIME_DIR", "runtime")):
        os.environ[name] = os.path.join(work, sub)
        os.makedirs(os.environ[name], mode=0o700)
    session = start_session(work)
    if session is None:
        return SKIPPED
    pyatspi = accessibility()
    if pyatspi is None:
        return SKIPPED
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb",
               QT_ACCESSIBILITY="1")
    env.pop("KESTROFAN_UPDATE_URL", None)
    server, origin, requests = start_instance(args.fixtures, make_media(work))
    log_path = os.path.join(work, "kestrofan.log")
    app = None
    try:
        subprocess.run([args.cli, "setup"], env=env, check=True, stdout=subprocess.DEVNULL)
        install_local_plugin(args.plugin_source, args.packer, origin, os.environ["XDG_DATA_HOME"],
                             work)
        with open(log_path, "w") as log:
            app = App(pyatspi, args, env, log)
            changed = first_run(app, origin, "Framasoft")
            print("first run: page, bookmark and download type %r done" % changed)
            app = App(pyatspi, args, env, log)
            downloaded = second_run(app, "Framasoft", changed, origin)
            print("second run: tab and download type restored; searched, paged, downloaded %r"
                  % downloaded)
        shutil.rmtree(work, ignore_errors=True)  # kept only when something failed
        return 0
    except (Failure, RuntimeError, subprocess.CalledProcessError) as error:
        print("FAIL: %s" % error)
        shot = os.path.join(work, "failure.png")
        if subprocess.run(["import", "-window", "root", shot]).returncode == 0:
            print("the screen at the failure: %s" % shot)
        print("requests served: %s" % requests)
        with open(log_path) as log:
            print("kestrofan's output:\n" + log.read())
        print("the session bus's log: %s" % os.path.join(work, "dbus.log"))
        return 1
    finally:
        if app is not None and app.process.poll() is None:
            app.process.kill()
        server.shutdown()
        for process in reversed(session):
            process.kill()
            process.wait()


if __name__ == "__main__":
    sys.exit(main())
