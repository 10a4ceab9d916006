"""Playing: the key commands, losing and resetting the ball, finishing levels and
moving on through the game's three worlds, tilting the level."""

import os
import re
import time
import unittest

from harness import (SOURCE_DIR, GameSession, LevelGame, changed_fraction, is_green_text, is_red_text,
                     rows_with, status_rows, wait_until)
from test_level import project, region
import levels

MESSAGE_ROWS = set(range(128, 144))  # the settings message, baseline 140


def is_message_text(pixel):
    # Green fading to white: green is always full.
    r, g, b = pixel
    return g > 230 and abs(r - b) < 40


def message_rows(shot):
    return rows_with(shot, is_message_text, (0, 100, 400, 160)) & MESSAGE_ROWS


def sky_colour(image):
    """Mean colour of the top band of the window, where the sky box shows."""
    band = image.crop((0, 0, image.width, 30))
    channels = list(zip(*band.getdata()))
    return [sum(c) / len(c) for c in channels]


def level_start(file_name):
    """The start position given in one of the game's level files."""
    with open(os.path.join(SOURCE_DIR, "data", "levels", file_name)) as f:
        text = f.read()
    element = re.search(r"<gameElement type=startPosition .*?</gameElement>", text, re.S).group(0)
    return tuple(float(re.search(r"<position%s>([^<]*)<" % axis, element).group(1)) for axis in "XYZ")


def ball_pixels(image, start):
    """Marble-white pixels where the start camera sees the ball's start position."""
    centre = project(start, width=image.width, height=image.height)
    return sum(1 for r, g, b in region(image, centre, 8).getdata() if min(r, g, b) > 170)


# The game's own levels in playing order: file, check of the mean sky colour.
WORLDS = (
    ("jungle.xml", lambda r, g, b: g > r and g > b),
    ("vulkano.xml", lambda r, g, b: r > g and r > b),
    ("lagoon.xml", lambda r, g, b: b > r and g > r),
)


class KeyCommands(unittest.TestCase):
    def test_space_and_mouse_tilt_the_level_and_settings_keys_confirm(self):
        with LevelGame(levels.floor_level("jungle")) as game:
            game.focus()
            before = game.screenshot("tilt-before")
            game.xdotool("keydown", "space")
            for _ in range(10):
                game.xdotool("mousemove_relative", "--", 0, -30)
                time.sleep(0.1)
            game.xdotool("keyup", "space")
            # The far edge of the floor rises or sinks on screen and the ball
            # leaves its place in the middle.
            tilted = game.wait_for_screen(lambda s: changed_fraction(before, s) > 0.03, "tilt-after")
            self.assertGreater(changed_fraction(before, tilted), 0.03)

            for key in ("F3", "F4", "F5", "F6", "F7", "F8", "F9"):
                game.key(key)
                shot = game.wait_for_screen(message_rows, "setting-" + key)
                self.assertTrue(message_rows(shot), "no confirmation for " + key)
            game.key("F8")
            output = game.wait_for_output(r"View Frustum Culling: 1").string
            self.assertIn("View Frustum Culling: 0\nView Frustum Culling: 1\n", output)
            self.assertIn("RENDERMETHOD_IMMEDIATE set\n", output)
            # The message fades out after two seconds.
            shot = game.wait_for_screen(lambda s: not message_rows(s), "setting-faded")
            self.assertFalse(message_rows(shot))


class LevelProgression(unittest.TestCase):
    def test_end_and_enter_go_through_the_three_worlds_and_back(self):
        # The game's own levels: each under its own sky, a textured, lit course
        # with shadows (not flat fills), and the ball at its start.
        config = "screenWidth 800 screenHeight 600\n"
        with GameSession(config, with_data=True, extra_env={"SDL_AUDIODRIVER": "dummy"}) as game:
            for count, (file_name, sky_is_right) in enumerate(WORLDS + WORLDS[:1], 1):
                name = "world-%d-%s" % (count, os.path.splitext(file_name)[0])
                if count > 1:
                    game.key("End")
                    game.wait_for_screen(lambda s: status_rows(s, is_green_text), name + "-finished")
                    game.key("Return")
                self.assertTrue(game.wait_for_level(count).endswith(file_name))
                start = level_start(file_name)

                def shows_world(shot):
                    return (sky_is_right(*sky_colour(shot)) and len(set(shot.getdata())) > 8000
                            and ball_pixels(shot, start) > 3)
                shot = game.wait_for_screen(shows_world, name)
                self.assertTrue(sky_is_right(*sky_colour(shot)), "%s: sky colour %s" % (name, sky_colour(shot)))
                self.assertGreater(len(set(shot.getdata())), 8000, name)
                self.assertGreater(ball_pixels(shot, start), 3, "%s: no ball at its start %s" % (name, start))
                self.assertFalse(status_rows(shot, is_green_text), name + ": still finished")
            output = game.stdout()
            self.assertEqual(output.count("Level loaded: data/levels/jungle.xml"), 2)
            self.assertRegex(output, r"(?m)^Use technique \w+\.$")
            # A texture or sky box face that does not load is reported with its file name.
            for line in ("vertex_and_fragment_program", "did not validate", "No valid technique", "FMOD error",
                         "SDK says", "cannot be imported", "Not all extensions are supported!", "Textures/",
                         "skybox/"):
                self.assertNotIn(line, output)
            self.assertTrue(game.running())


class Ball(unittest.TestCase):
    def test_ball_falling_out_is_lost_until_r_puts_it_back(self):
        # The floor lies far to the side: the ball falls from high above the start,
        # for a few seconds of play.
        nowhere = levels.level(levels.sky_box("jungle"), levels.start((0, 300, 0)),
                               levels.target((60, 3, 0)),
                               levels.box(10, (400, -2, 0), (40, 4, 40), 4))
        with LevelGame(nowhere) as game:
            wait_until(lambda: game.status(is_red_text, "ball-outside"), "the ball is lost")
            game.key("Return")  # does nothing while the ball is lost
            game.key("r")
            in_play = game.wait_for_screen(lambda s: not status_rows(s, is_red_text), "ball-reset")
            self.assertFalse(status_rows(in_play, is_red_text))
            wait_until(lambda: game.status(is_red_text, "ball-outside-again"), "the ball is lost again")
            self.assertNotIn("Target reached!", game.stdout())


if __name__ == "__main__":
    unittest.main()