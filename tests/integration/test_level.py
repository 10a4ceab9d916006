"""A level on screen: the test course drawn by the real game under Xvfb."""

import math
import os
import unittest

from harness import GameSession, SOURCE_DIR, changed_fraction

WIDTH, HEIGHT = 800, 600
CONFIG = "screenWidth %d screenHeight %d windowName Pitchroll\n" % (WIDTH, HEIGHT)
COURSE = os.path.join(SOURCE_DIR, "tests", "data", "levels", "course.xml")
BALL_START = (-40.0, 4.0, 30.0)
HUB = (0.0, 4.0, -5.0)       # the rotating arm's hub
FENCE_OPEN_TAG = "<gameElement type=box id=15 ballTest=true>"


def course(text=None):
    with open(COURSE) as f:
        return f.read() if text is None else text(f.read())


class session(GameSession):
    """The game with its data and the given level file as the first level, once
    its first frame is on the screen."""

    def __init__(self, level_text):
        super().__init__(CONFIG, with_data=True, data_files={"data/levels/jungle.xml": level_text},
                         extra_env={"SDL_AUDIODRIVER": "dummy"})

    def start(self):
        super().start()
        self.wait_for_level(1)
        self.wait_for_picture()


def project(point, distance=250.0, pitch=25.0, yaw=0.0, width=WIDTH, height=HEIGHT):
    """Window pixel of a world point seen by the camera at its start pose."""
    x, y, z = point
    a = math.radians(yaw)
    x, z = math.cos(a) * x + math.sin(a) * z, -math.sin(a) * x + math.cos(a) * z
    b = math.radians(pitch)
    y, z = math.cos(b) * y - math.sin(b) * z, math.sin(b) * y + math.cos(b) * z
    z -= distance
    f = 1.0 / math.tan(math.radians(20.0))
    ndc_x = f / (width / height) * x / -z
    ndc_y = f * y / -z
    return int((ndc_x + 1.0) / 2.0 * width), int((1.0 - ndc_y) / 2.0 * height)


def region(image, center, radius):
    cx, cy = center
    return image.crop((cx - radius, cy - radius, cx + radius + 1, cy + radius + 1))


def mean_brightness(image):
    pixels = list(image.getdata())
    return sum(sum(p) / 3.0 for p in pixels) / len(pixels)


class LevelOnScreen(unittest.TestCase):
    def test_wall_between_camera_and_ball_fades_and_the_rotating_element_moves(self):
        ball = project(BALL_START)
        opaque_course = course(lambda text: text.replace(
            FENCE_OPEN_TAG, FENCE_OPEN_TAG.replace("ballTest=true", "ballTest=false")))
        with session(opaque_course) as game:
            opaque = game.watch(2.0, "fence-opaque")
        hidden = mean_brightness(region(opaque, ball, 4))
        # The marble is white and red: bright through the faded planks, hidden by
        # the brown planks where the fence may not fade.
        with session(course()) as game:
            faded = game.wait_for_screen(lambda s: mean_brightness(region(s, ball, 4)) > hidden + 20,
                                         "fence-fading")
            self.assertGreater(mean_brightness(region(faded, ball, 4)), hidden + 20)

            hub_x, hub_y = project(HUB)
            near_arm = (hub_x - 60, hub_y - 40, hub_x + 60, hub_y + 40)
            # Falling leaves change any region a little, and more as they thicken
            # after the start; the arm changes its own far more. It turns back
            # to a look-alike pose every half turn, so a few later moments are
            # compared, however slowly a busy machine takes them.
            static_floor = (hub_x + 20, hub_y + 70, hub_x + 140, hub_y + 150)
            first = game.screenshot("arm-first")
            changes = []
            for _ in range(6):
                later = game.watch(0.3, "arm-later", frames=1)
                changes.append((changed_fraction(first, later, box=near_arm),
                                changed_fraction(first, later, box=static_floor)))
            self.assertTrue(any(arm > 0.02 and arm > 2.0 * floor for arm, floor in changes), changes)

if __name__ == "__main__":
    unittest.main()
