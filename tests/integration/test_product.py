"""The game as a player gets it: installed into a prefix and started from an
empty folder, screenshots, full screen, the level timer and best times, pausing
(by key, by controller, by losing the window), restarting, the camera's home
view, the cursor kept in the window, and a game controller (SDL's virtual one,
preloaded into the game)."""

import os
import re
import shutil
import subprocess
import tempfile
import time
import unittest

from PIL import Image

import harness
from harness import (GameSession, LevelGame, changed_fraction, is_red_text, is_white_text, rows_with,
                     wait_until)
import levels

WIDTH = 640
TIME_RE = r"Level time (\d+):(\d\d\.\d\d), best time (\d+):(\d\d\.\d\d)( \(new best\))?"


def white_pixels(image):
    return {(x, y) for x in range(image.width) for y in range(image.height)
            if is_white_text(image.getpixel((x, y)))}


def seconds(minutes, rest):
    return int(minutes) * 60 + float(rest)


class Player(LevelGame):
    """The built game with one level file and a private home."""

    def __init__(self, home, level, extra_env=None):
        env = {"HOME": home, "XDG_DATA_HOME": os.path.join(home, "data")}
        env.update(extra_env or {})
        super().__init__(level, env)
        self.finishes_read = 0

    def tap(self, name):
        # Short: a press is reported even when released before the game's next
        # frame, and a long hold on a loaded machine can reach the key repeat.
        self.key(name, hold=0.1)

    def wait_paused(self, paused, name):
        wait_until(lambda: bool(self.status(is_white_text, name)) == paused,
                   "Paused line " + ("shown" if paused else "gone") + " (" + name + ")")

    def finishes(self):
        """The times of the next timed finish: (time, best, new best)."""
        wait_until(lambda: len(re.findall(TIME_RE, self.stdout())) > self.finishes_read, "a timed finish")
        m = re.findall(TIME_RE, self.stdout())[self.finishes_read]
        self.finishes_read += 1
        return seconds(m[0], m[1]), seconds(m[2], m[3]), bool(m[4])


class Installed(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.root = tempfile.mkdtemp(prefix="pitchroll-install-")
        cls.prefix = os.path.join(cls.root, "prefix")
        subprocess.run(["cmake", "--install", os.path.dirname(harness.BINARY), "--prefix", cls.prefix],
                       check=True, stdout=subprocess.DEVNULL, timeout=300)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.root, ignore_errors=True)

    def test_desktop_entry_metainfo_and_icon_validate(self):
        share = os.path.join(self.prefix, "share")
        app_id = "io.github.pitchroll.Pitchroll"
        subprocess.run(["desktop-file-validate", os.path.join(share, "applications", app_id + ".desktop")],
                       check=True)
        subprocess.run(["appstreamcli", "validate", "--no-net",
                        os.path.join(share, "metainfo", app_id + ".metainfo.xml")],
                       check=True, stdout=subprocess.DEVNULL)
        with Image.open(os.path.join(share, "icons/hicolor/256x256/apps", app_id + ".png")) as icon:
            self.assertEqual(icon.size, (256, 256))
            rgba = icon.convert("RGBA")
            self.assertEqual(rgba.getpixel((0, 0))[3], 0, "rounded corners are transparent")
            self.assertEqual(rgba.getpixel((128, 128))[3], 255)
        self.assertTrue(os.path.isfile(os.path.join(share, "pitchroll/data/levels/jungle.xml")))

    def test_installed_game_runs_from_an_empty_folder(self):
        home = os.path.join(self.root, "home")
        pictures = os.path.join(self.root, "pictures")
        os.makedirs(os.path.join(home, ".config/pitchroll"))
        os.makedirs(pictures)
        with open(os.path.join(home, ".config/pitchroll/config.txt"), "w") as f:
            f.write("screenWidth 560 screenHeight 420\n")
        env = {"SDL_AUDIODRIVER": "dummy", "HOME": home, "XDG_PICTURES_DIR": pictures}
        with GameSession(None, extra_env=env, binary=os.path.join(self.prefix, "bin/pitchroll")) as game:
            self.assertEqual(game.window_geometry()[2:], (560, 420), "config.txt from the config folder")
            game.wait_for_picture(60)

            # F12: a PNG of the window, as the window shows it.
            game.key("F12", hold=0.1)
            path = game.wait_for_output(r"^Screenshot saved to (.+\.png)$").group(1)
            self.assertEqual(os.path.dirname(path), pictures)
            window = game.screenshot("installed-window", settle=0.0)
            with Image.open(path) as shot:
                self.assertEqual(shot.size, (560, 420))
                self.assertLess(changed_fraction(shot.convert("RGB"), window, 60), 0.1)
                self.assertGreater(max(shot.convert("L").getdata()), 40, "not a black picture")

            # F11 twice: the screen, then the window again.
            game.key("F11", hold=0.1)
            wait_until(lambda: game.window_geometry()[2:] == harness.SCREEN, "full screen")
            game.key("F11", hold=0.1)
            wait_until(lambda: game.window_geometry()[2:] == (560, 420), "the window again")
            game.key("Escape")
            self.assertEqual(game.wait_exit(20), 0)
            self.assertEqual(os.listdir(game.workdir), ["stdout.txt"], "the game wrote into the folder")
        self.assertFalse(os.path.exists(os.path.join(self.prefix, "share/pitchroll/Ogre.log")))


class BestTimes(unittest.TestCase):
    # A damaged times file is BestTimesTest's: reported once, replaced by the next record.
    def test_best_time_survives_a_restart(self):
        home = tempfile.mkdtemp(prefix="pitchroll-home-")
        self.addCleanup(shutil.rmtree, home, True)
        times_file = os.path.join(home, "data/pitchroll/besttimes.txt")
        at_target = levels.floor_level("jungle", start_at=(60, 4, 0), target_at=(60, 3, 0))

        with Player(home, at_target) as game:
            first, best, new = game.finishes()
            self.assertEqual((best, new), (first, True))
            # Backspace restarts the finished level: the ball is back at the target at once.
            game.tap("BackSpace")
            second, best, _ = game.finishes()
            self.assertEqual(best, min(first, second))
            self.assertEqual(game.stdout().count("Target reached!"), 2)
        with open(times_file) as f:
            self.assertRegex(f.read(), r"^jungle \d+\.\d{3}\n$")

        with Player(home, at_target) as game:
            third, best_after_restart, _ = game.finishes()
            self.assertEqual(best_after_restart, min(first, second, third))


class Controls(unittest.TestCase):
    def test_pause_focus_loss_home_view_cursor_in_the_window_and_a_controller(self):
        home = tempfile.mkdtemp(prefix="pitchroll-home-")
        self.addCleanup(shutil.rmtree, home, True)
        pad = os.path.join(home, "pad")

        def set_pad(left=(0, 0), right=(0, 0), a=0, b=0, start=0):
            with open(pad + ".new", "w") as f:
                f.write("%d %d %d %d %d %d %d\n" % (left + right + (a, b, start)))
            os.replace(pad + ".new", pad)

        set_pad()
        env = {"LD_PRELOAD": os.environ["PITCHROLL_VIRTUAL_PAD"], "PITCHROLL_TEST_PAD": pad}
        with Player(home, levels.floor_level("jungle"), env) as game:
            timer_box = (WIDTH - 150, 6, WIDTH, 24)
            shot = game.screenshot("timer", settle=0.5)
            self.assertTrue(rows_with(shot, is_white_text, timer_box), "the level time at the top right")

            # Enter pauses with a line, and the time stands still.
            game.tap("Return")
            game.wait_paused(True, "paused")
            a = white_pixels(game.screenshot("paused-a", settle=0.0).crop(timer_box))
            b = white_pixels(game.screenshot("paused-b", settle=1.0).crop(timer_box))
            self.assertTrue(a)
            self.assertEqual(a, b)
            game.tap("Return")
            game.wait_paused(False, "resumed")

            # Losing the focus pauses, and so does hiding the window.
            game.xdotool("windowfocus", "--sync", game._root_window())
            game.wait_paused(True, "focus-lost")
            game.tap("Return")
            game.wait_paused(False, "refocused")
            game.xdotool("windowunmap", "--sync", game.window)
            game.xdotool("windowmap", "--sync", game.window)
            game.wait_paused(True, "unmapped")
            game.tap("Return")
            game.wait_paused(False, "mapped")

            # Home brings the camera back after the mouse turned it.
            game.focus()
            start = game.screenshot("view-start", settle=0.3)
            for _ in range(12):
                game.xdotool("mousemove_relative", "--", 10, 0)
                time.sleep(0.05)
            turned = game.screenshot("view-turned", settle=0.3)
            game.tap("Home")
            back = game.screenshot("view-home", settle=0.3)
            self.assertGreater(changed_fraction(start, turned), 0.05)
            # The level's moving parts and weather differ between any two frames
            # (about 4 % of the pixels); a camera left turned differs three times that.
            self.assertLess(changed_fraction(start, back), changed_fraction(start, turned) / 2)

            # A cursor taken past the window's right edge comes back in at its left.
            x, y, w, h = game.window_geometry()
            game.focus()
            game.xdotool("mousemove", x + w + 20, y + h // 2)

            def pointer_x():
                return int(re.search(r"x:(-?\d+)", game.xdotool("getmouselocation")).group(1))
            wait_until(lambda: x <= pointer_x() < x + w // 2, "the cursor wrapped into the window")

            # SDL's virtual controller, preloaded into the game, from the home view
            # (the cursor's wrap turned the camera; the sky's clouds would cover the status line).
            game.tap("Home")
            before = game.screenshot("pad-before", settle=1.0)
            set_pad(left=(0, -32767))  # full forward, held: the ball rolls off the far edge
            wait_until(lambda: changed_fraction(before, game.screenshot("pad-tilted")) > 0.03,
                       "the level tilts")
            wait_until(lambda: game.status(is_red_text, "pad-ball-out"), "the ball rolls out")
            set_pad()
            time.sleep(0.3)
            set_pad(b=1)  # B is r: the ball is back
            wait_until(lambda: not game.status(is_red_text, "pad-ball-back"), "B puts the ball back")

            set_pad()
            steady = game.screenshot("pad-steady", settle=1.0)
            set_pad(right=(32767, 0))
            orbited = game.screenshot("pad-orbit", settle=1.0)
            set_pad()
            self.assertGreater(changed_fraction(steady, orbited), 0.05)

            set_pad(start=1)
            game.wait_paused(True, "pad-paused")
            set_pad()
            time.sleep(0.3)
            set_pad(a=1)  # A is Enter: play goes on
            game.wait_paused(False, "pad-resumed")


if __name__ == "__main__":
    unittest.main()
