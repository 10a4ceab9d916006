"""The game's own three levels in the real game: each loads cleanly, shows its
course under its own sky from the start camera, and keeps the ball resting at
its start while the player does nothing."""

import os
import re
import unittest

from harness import GameSession, SOURCE_DIR, rows_with
from test_level import project, region

WIDTH, HEIGHT = 800, 600
CONFIG = "screenWidth %d screenHeight %d\n" % (WIDTH, HEIGHT)
STATUS_ROWS = set(range(28, 44))  # the status line, baseline 40
ERROR_LINES = ("vertex_and_fragment_program", "FMOD error", "SDK says", "cannot be imported")
STANDING_STILL = 4.0  # seconds of play: the ball has long come to rest by then


def level_start(file_name):
    """The start position given in one of the game's level files."""
    with open(os.path.join(SOURCE_DIR, "data", "levels", file_name)) as f:
        text = f.read()
    element = re.search(r"<gameElement type=startPosition .*?</gameElement>", text, re.S).group(0)
    return tuple(float(re.search(r"<position%s>([^<]*)<" % axis, element).group(1)) for axis in "XYZ")


def sky_colour(image):
    """Mean colour of the top band of the window, where only the sky box shows."""
    band = image.crop((0, 0, image.width, 40))
    return [sum(c) / len(c) for c in zip(*band.getdata())]


def ball_pixels(image, start):
    """Marble-white pixels where the start camera sees the ball's start position."""
    x, y = project((start[0], start[1], start[2]), width=WIDTH, height=HEIGHT)
    return sum(1 for r, g, b in region(image, (x, y), 8).getdata() if min(r, g, b) > 170)


def is_red_text(pixel):
    r, g, b = pixel
    return r > 200 and g < 60 and b < 60


def is_green_text(pixel):
    r, g, b = pixel
    return g > 200 and r < 120 and b < 120


# In the order the game plays them: file, sky check (mean r, g, b of the sky).
WORLDS = (
    ("jungle.xml", lambda r, g, b: g > r and g > b),
    ("vulkano.xml", lambda r, g, b: r > g and r > b),
    ("lagoon.xml", lambda r, g, b: b > r and g > r),
)


class GameLevels(unittest.TestCase):
    def check_level(self, game, file_name, sky_is_right):
        name = os.path.splitext(file_name)[0]
        start = level_start(file_name)
        first = game.wait_for_screen(lambda shot: sky_is_right(*sky_colour(shot))
                                     and len(set(shot.getdata())) > 8000
                                     and ball_pixels(shot, start) > 3, "level-" + name)
        self.assertTrue(sky_is_right(*sky_colour(first)), "%s: sky colour %s" % (name, sky_colour(first)))
        # A textured, lit course with shadows, not flat fills or a blank window.
        self.assertGreater(len(set(first.getdata())), 8000, name)
        self.assertGreater(ball_pixels(first, start), 3, "%s: no ball at its start %s" % (name, start))

        later = game.watch(STANDING_STILL, "level-%s-later" % name)
        self.assertGreater(ball_pixels(later, start), 3, "%s: the ball left its start" % name)
        self.assertFalse(rows_with(later, is_red_text, (0, 0, WIDTH, 60)) & STATUS_ROWS,
                         "%s: the ball is lost" % name)
        output = game.stdout()
        for line in ERROR_LINES:
            self.assertNotIn(line, output, name)
        self.assertNotIn("Ball jumped to high", output, name)
        self.assertNotIn("Target reached", output, name)

    def test_each_level_loads_shows_its_world_and_keeps_the_ball_at_rest(self):
        with GameSession(CONFIG, with_data=True, extra_env={"SDL_AUDIODRIVER": "dummy"}) as game:
            for index, (file_name, sky_is_right) in enumerate(WORLDS):
                if index > 0:
                    game.key("End")
                    game.wait_for_screen(lambda shot: rows_with(shot, is_green_text, (0, 0, WIDTH, 60))
                                         & STATUS_ROWS, "level-%d-finished" % index)
                    game.key("Return")
                self.assertTrue(game.wait_for_level(index + 1).endswith(file_name))
                with self.subTest(level=file_name):
                    self.check_level(game, file_name, sky_is_right)
            self.assertTrue(game.running())


if __name__ == "__main__":
    unittest.main()
