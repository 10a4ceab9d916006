"""Drives the real pitchroll binary under a private Xvfb server, in a temporary
working directory with its own config.txt (and the game data, when asked), with
xdotool; reads its output and takes screenshots. Everything started is stopped
again, also when a test fails."""

import io
import os
import re
import shutil
import signal
import subprocess
import tempfile
import time

from PIL import Image

SOURCE_DIR = os.environ.get(
    "PITCHROLL_SOURCE_DIR",
    os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..")))
BINARY = os.environ.get("PITCHROLL_BINARY", os.path.join(SOURCE_DIR, "build", "pitchroll"))
SCREEN = (1280, 1024)
# Seconds a wait for the game's state may take: generous, for a machine busy
# with other work. A wait ends as soon as the state shows.
WAIT = 60


class Xvfb:
    """A private X server on the first free display number."""

    def __init__(self):
        read_fd, write_fd = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "%dx%dx24" % SCREEN,
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        number = b""
        deadline = time.time() + 10
        with os.fdopen(read_fd, "rb") as pipe:
            while not number.endswith(b"\n") and time.time() < deadline:
                chunk = pipe.read(1)
                if not chunk:
                    break
                number += chunk
        if not number.strip():
            self.stop()
            raise RuntimeError("Xvfb did not start")
        self.display = ":" + number.decode().strip()

    def env(self):
        return dict(os.environ, DISPLAY=self.display)

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


class GameSession:
    """One run of the game. Use as a context manager."""

    def __init__(self, config="", with_data=False, data_files=None, extra_env=None, binary=None):
        """config None writes no config.txt; binary is an installed copy of the game."""
        self.config = config
        self.binary = binary or BINARY
        self.with_data = with_data
        self.data_files = data_files or {}
        self.extra_env = extra_env or {}
        self.workdir = self.xvfb = self.process = self.window = self._stdout_path = None

    def __enter__(self):
        try:
            self.start()
        except BaseException:
            self.close()
            raise
        return self

    def __exit__(self, *exc):
        self.close()
        return False

    def start(self):
        self.workdir = tempfile.mkdtemp(prefix="pitchroll-")
        if self.config is not None:
            with open(os.path.join(self.workdir, "config.txt"), "w") as f:
                f.write(self.config)
        if self.with_data:
            self._link_game_data()
        for relative, content in self.data_files.items():
            path = os.path.join(self.workdir, relative)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            # The linked game data must never be written through the link.
            if os.path.lexists(path):
                os.remove(path)
            mode = "wb" if isinstance(content, bytes) else "w"
            with open(path, mode) as f:
                f.write(content)
        self.xvfb = Xvfb()
        env = self.xvfb.env()
        # Best times, settings and screenshots stay in the run's own folder, never
        # the user's home.
        home = self.workdir + "-home"
        os.makedirs(home, exist_ok=True)
        env["HOME"] = home
        for variable in ("XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_PICTURES_DIR"):
            env.pop(variable, None)
        env.update(self.extra_env)
        self._stdout_path = os.path.join(self.workdir, "stdout.txt")
        with open(self._stdout_path, "wb") as out:
            self.process = subprocess.Popen([self.binary], cwd=self.workdir, env=env, stdout=out,
                                            stderr=subprocess.STDOUT, start_new_session=True)
        self.window = self._wait_for_window()

    def _link_game_data(self):
        """data/ as a link per file of the game's data: tests replace files, never the real ones."""
        source = os.path.join(SOURCE_DIR, "data")
        for root, _dirs, files in os.walk(source):
            relative = os.path.relpath(root, source)
            target_dir = os.path.join(self.workdir, "data", relative)
            os.makedirs(target_dir, exist_ok=True)
            for name in files:
                os.symlink(os.path.join(root, name), os.path.join(target_dir, name))

    def close(self):
        if self.process and self.process.poll() is None:
            try:
                os.killpg(self.process.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            self.process.wait()
        if self.xvfb:
            self.xvfb.stop()
        if self.workdir and os.environ.get("PITCHROLL_KEEP_RUNS") is None:
            shutil.rmtree(self.workdir, ignore_errors=True)
            shutil.rmtree(self.workdir + "-home", ignore_errors=True)

    def wait_exit(self, timeout=WAIT):
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            return None

    def running(self):
        return self.process.poll() is None

    def xdotool(self, *args, check=True):
        result = subprocess.run(["xdotool"] + [str(a) for a in args], env=self.xvfb.env(),
                                capture_output=True, text=True, timeout=30)
        if check and result.returncode != 0:
            self._check_running()
            raise RuntimeError("xdotool %s failed: %s" % (args, result.stderr))
        return result.stdout

    def _check_running(self):
        """Raises with the game's status and output when it has ended."""
        if self.process and self.process.poll() is not None:
            raise RuntimeError("the game ended with status %d; its output:\n%s"
                               % (self.process.returncode, self.stdout()))

    def _wait_for_window(self, timeout=WAIT):
        deadline = time.time() + timeout
        while time.time() < deadline:
            if self.process.poll() is not None:
                raise RuntimeError("the game exited early with status %d:\n%s"
                                   % (self.process.returncode, self.stdout()))
            # freeglut sets no pid or class on its window, but the private
            # server shows nothing else: take the visible top-level window.
            found = [w for w in self.xdotool("search", "--onlyvisible", "--maxdepth", "1",
                                             "--name", "", check=False).split()
                     if w != self._root_window()]
            if found:
                self.window = found[0]
                # freeglut maps the window at (-1, -1) and moves it to its place
                # when its main loop first runs.
                while time.time() < deadline and self.window_geometry()[:2] == (-1, -1):
                    time.sleep(0.05)
                return found[0]
            time.sleep(0.1)
        raise RuntimeError("no game window appeared:\n" + self.stdout())

    def _root_window(self):
        out = subprocess.run(["xwininfo", "-root"], env=self.xvfb.env(), capture_output=True,
                             text=True, timeout=30).stdout
        return str(int(re.search(r"Window id: (0x[0-9a-f]+)", out).group(1), 16))

    def window_geometry(self):
        """(x, y, width, height) of the game window on the screen."""
        out = self.xdotool("getwindowgeometry", "--shell", self.window)
        values = dict(line.split("=", 1) for line in out.split())
        return (int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"]))

    def window_name(self):
        return self.xdotool("getwindowname", self.window).rstrip("\n")

    def focus(self):
        # Without a window manager focus does not follow clicks; set it directly.
        self.xdotool("windowfocus", "--sync", self.window)

    def key(self, name, hold=0.4):
        """One key press, held long enough for a slow frame to see it and short of key repeat."""
        self.focus()
        self.xdotool("keydown", name)
        time.sleep(hold)
        self.xdotool("keyup", name)
        time.sleep(0.1)

    def stdout(self):
        with open(self._stdout_path, "rb") as f:
            return f.read().decode(errors="replace")

    def wait_for_output(self, pattern, timeout=WAIT, count=1):
        """The count-th match of pattern in standard output, once it is there."""
        deadline = time.time() + timeout
        while True:
            matches = list(re.finditer(pattern, self.stdout(), re.MULTILINE))
            if len(matches) >= count:
                return matches[count - 1]
            if time.time() > deadline:
                raise AssertionError("no %d lines matching %r within %ss; output was:\n%s"
                                     % (count, pattern, timeout, self.stdout()))
            time.sleep(0.1)

    def wait_for_level(self, count):
        """The file name of the count-th level loaded, once it is."""
        return self.wait_for_output(r"^Level loaded: (.*)$", count=count).group(1)

    def wait_for_screen(self, check, name, timeout=WAIT):
        """The first screenshot for which check(image) holds. When timeout passes
        first, the last one taken: the caller's assertions then say what is wrong."""
        deadline = time.time() + timeout
        while True:
            image = self.screenshot(name)
            if check(image) or time.time() > deadline:
                return image
            time.sleep(0.1)

    def wait_for_picture(self, timeout=WAIT):
        """Waits for the first frame: more than black in the window."""
        image = self.wait_for_screen(lambda i: i.getextrema() != ((0, 0), (0, 0), (0, 0)),
                                     "first-frame", timeout)
        if image.getextrema() == ((0, 0), (0, 0), (0, 0)):
            raise AssertionError("the window stayed black for %ss" % timeout)
        return image

    def watch(self, seconds, name, frames=5):
        """Screenshots for at least seconds and until frames of them showed a new
        picture: a stretch of play long enough to judge what happens in it, however
        slowly a busy machine draws. Returns the last screenshot."""
        deadline = time.time() + seconds
        image = self.screenshot(name)
        changes = 0
        while changes < frames or time.time() < deadline:
            time.sleep(0.1)
            later = self.screenshot(name)
            changes += later.tobytes() != image.tobytes()
            image = later
        return image

    def screenshot(self, name=None, settle=0.0):
        """The window as an RGB image, also saved as name.png in PITCHROLL_SCREENSHOTS."""
        time.sleep(settle)
        folder = os.environ.get("PITCHROLL_SCREENSHOTS", self.workdir)
        os.makedirs(folder, exist_ok=True)
        # The window alone, uncompressed: quick enough for states that show
        # briefly. Without the window import would wait for a click.
        self._check_running()
        try:
            pixels = subprocess.run(["import", "-window", self.window, "ppm:-"], env=self.xvfb.env(),
                                    check=True, capture_output=True, timeout=WAIT).stdout
        except subprocess.TimeoutExpired:
            self._check_running()
            raise
        image = Image.open(io.BytesIO(pixels)).convert("RGB")
        image.save(os.path.join(folder, (name or "screenshot") + ".png"), compress_level=1)
        return image


def rows_with(image, predicate, box=None):
    """The set of window rows (y) in box that hold at least one matching pixel."""
    left, top, right, bottom = box or (0, 0, image.width, image.height)
    pixels = image.load()
    return {y for y in range(top, bottom) for x in range(left, right) if predicate(pixels[x, y])}


STATUS_ROWS = set(range(28, 44))  # the status line, baseline 40


def status_rows(image, predicate):
    """The rows of the status line's text that hold a matching pixel."""
    return rows_with(image, predicate, (0, 0, 300, 60)) & STATUS_ROWS


def is_white_text(pixel):
    return min(pixel) > 200


def is_red_text(pixel):
    return pixel[0] > 200 and pixel[1] < 60 and pixel[2] < 60


def is_green_text(pixel):
    return pixel[1] > 200 and pixel[0] < 120 and pixel[2] < 120


def changed_fraction(a, b, threshold=40, box=None):
    """Share of pixels with a channel changed by more than threshold."""
    if box:
        a, b = a.crop(box), b.crop(box)
    changed = sum(1 for p, q in zip(a.getdata(), b.getdata())
                  if max(abs(p[i] - q[i]) for i in range(3)) > threshold)
    return changed / float(a.width * a.height)


def wait_until(condition, what, timeout=WAIT):
    deadline = time.time() + timeout
    while not condition():
        if time.time() > deadline:
            raise AssertionError("not within %ss: %s" % (timeout, what))
        time.sleep(0.2)


class LevelGame(GameSession):
    """The game with its data and level as the first level file, in a 640 x 480
    window, once its first frame is drawn."""

    def __init__(self, level, extra_env=None):
        env = {"SDL_AUDIODRIVER": "dummy"}
        env.update(extra_env or {})
        super().__init__("screenWidth 640 screenHeight 480\n", with_data=True,
                         data_files={"data/levels/jungle.xml": level}, extra_env=env)

    def start(self):
        super().start()
        self.wait_for_picture()

    def status(self, predicate, name):
        return status_rows(self.screenshot(name, settle=0.1), predicate)
