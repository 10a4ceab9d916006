"""Start-up, window, text overlay and exit of the real game binary."""

import unittest

from harness import GameSession, rows_with

FONT_ASCENT = 12   # 9x15 bitmap font: rows above the baseline
FONT_DESCENT = 3   # rows below it


def is_yellow(pixel):
    r, g, b = pixel
    return r > 200 and g > 200 and b < 60


def text_band(baseline):
    return set(range(baseline - FONT_ASCENT, baseline + FONT_DESCENT + 1))


class WindowFollowsConfig(unittest.TestCase):
    def test_size_and_title_come_from_config_and_unavailable_full_screen_falls_back_to_a_window(self):
        # The virtual server cannot change its mode: the game says so once and
        # opens a window of the requested size instead of dying.
        with GameSession("fullScreen 1 screenWidth 800\nscreenHeight 600 windowName Pitchroll\n") as game:
            game.wait_for_output(r"^Full-screen mode 800x600:32@60 is not available")
            self.assertEqual(game.window_geometry(), (50, 50, 800, 600))
            self.assertEqual(game.window_name(), "Pitchroll")
            game.key("Escape")
            self.assertEqual(game.wait_exit(), 0)


class TextOverlay(unittest.TestCase):
    def test_default_window_f1_help_lines_and_f2_frame_counter(self):
        with GameSession(config=None) as game:
            self.assertEqual(game.window_geometry(), (50, 50, 640, 480))
            self.assertEqual(game.window_name(), "")
            before = game.screenshot("help-off")
            self.assertEqual(rows_with(before, is_yellow), set())

            game.key("F1")
            shot = game.wait_for_screen(lambda s: rows_with(s, is_yellow, (0, 0, 640, 200)), "help-on")
            rows = rows_with(shot, is_yellow, (0, 0, 640, 200))
            expected = set().union(*(text_band(b) for b in (60, 80, 100, 120)))
            self.assertTrue(rows <= expected, "yellow outside the help lines: %s" % sorted(rows - expected))
            for baseline in (60, 80, 100, 120):
                self.assertTrue(rows & text_band(baseline), "help line at %d missing" % baseline)
            # Lines start at x = 10; the second names the right mouse button, one
            # character longer than "left" would make it.
            left = min(x for x in range(640) for y in rows if is_yellow(shot.getpixel((x, y))))
            self.assertIn(left, range(10, 13))
            second_end = max(x for x in range(640) for y in text_band(80) if is_yellow(shot.getpixel((x, y))))
            self.assertGreater(second_end, 10 + 47 * 9)

            game.key("F1")
            off = game.wait_for_screen(lambda s: not rows_with(s, is_yellow), "help-off-again")
            self.assertEqual(rows_with(off, is_yellow), set())

            game.key("F2")
            shot = game.wait_for_screen(lambda s: rows_with(s, is_yellow, (0, 0, 320, 40)) & text_band(20),
                                        "fps")
            self.assertTrue(rows_with(shot, is_yellow, (0, 0, 320, 40)) & text_band(20))

if __name__ == "__main__":
    unittest.main()
