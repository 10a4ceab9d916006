"""Bad data on the real game: each file the first level needs, missing and then
damaged in turn. The game keeps running, prints a line naming the file, and Esc
still ends it with status 0."""

import os
import shutil
import struct
import unittest

from harness import GameSession, SOURCE_DIR

CONFIG = "screenWidth 640 screenHeight 480 windowName Pitchroll\n"
DATA = os.path.join(SOURCE_DIR, "data")


def original(relative):
    with open(os.path.join(SOURCE_DIR, relative), "rb") as f:
        return f.read()


def cut(relative, length=None):
    """The file cut to length bytes, or to half its size."""
    data = original(relative)
    return data[:len(data) // 2 if length is None else length]


def patched(relative, offset, value):
    """The file with one little-endian dword replaced."""
    data = bytearray(original(relative))
    struct.pack_into("<I", data, offset, value)
    return bytes(data)


LEVEL = "data/levels/jungle.xml"
MATERIALS = "data/util/materials.xml"
TEXTURE = "data/Textures/jungle_grass.tga"
DDS = "data/Textures/jungle_leaves.dds"
SKY = "data/skybox/jungle/left.tga"
PARTICLES = "data/Textures/particle.tga"
MESH = "data/meshes/trunk.mesh"
EFFECT = "data/shaders/effectShader.cgfx"
EFFECT_SOUND = "data/sound/endLevel.wav"
MUSIC = "data/sound/backgroundJungle01.mp3"

# (name, file, content: None for missing, else the damaged bytes, the line that
# must name the file).
# One row per file kind and failure the game reports differently; a missing level
# is the no-data test's, a missing sky box face the texture's, a damaged sound the
# missing one's. Every cut of a Targa file is TgaLoaderTest's; a cut materials
# file, which no line reports, MaterialManagerTest's.
CASES = [
    # Cut before its start and target: it used to finish at once.
    ("level cut", LEVEL, lambda: cut(LEVEL, 200), "Level file data/levels/jungle.xml has no start or no target"),
    ("materials missing", MATERIALS, None, "Materials file data/util/materials.xml is missing"),
    ("texture missing", TEXTURE, None, "Targa file " + TEXTURE + " is missing"),
    ("dds missing", DDS, None, "Image file " + DDS + " is missing"),
    # A width of 65536 in the header: DevIL's size arithmetic wrapped.
    ("dds header", DDS, lambda: patched(DDS, 16, 65536), "Image file " + DDS + ": size 65536x"),
    ("sky box cut", SKY, lambda: cut(SKY), "Targa file " + SKY + ": truncated"),
    ("particles missing", PARTICLES, None, "Targa file " + PARTICLES + " is missing"),
    ("mesh missing", MESH, None, "Mesh " + MESH + " cannot be imported: the file is missing"),
    ("mesh cut", MESH, lambda: cut(MESH), "Mesh " + MESH + " cannot be imported"),
    ("effect missing", EFFECT, None, "effectShader.cgfx"),
    ("effect cut", EFFECT, lambda: cut(EFFECT), "effectShader.cgfx"),
    ("sound missing", EFFECT_SOUND, None, "Sound file " + EFFECT_SOUND + " could not be loaded"),
    ("music missing", MUSIC, None, "Sound file " + MUSIC + " could not be loaded"),
]


class BadDataGame(GameSession):
    """The game with its data, less the files in missing (a folder goes whole)."""

    def __init__(self, missing=(), data_files=None, config=CONFIG):
        super().__init__(config, with_data=True, data_files=data_files,
                         extra_env={"SDL_AUDIODRIVER": "dummy"})
        self.missing = missing

    def _link_game_data(self):
        super()._link_game_data()
        for relative in self.missing:
            path = os.path.join(self.workdir, relative)
            if os.path.isdir(path):
                shutil.rmtree(path)
            else:
                os.remove(path)


class BadDataTest(unittest.TestCase):

    def expect_survives(self, game, line, name):
        """The game prints line and reaches its level, keeps drawing, and ends with status 0 on Esc."""
        game.wait_for_output("^.*" + line.replace("(", r"\(").replace(".", r"\.") + ".*$")
        game.wait_for_level(1)
        # Frames keep coming: the HUD at least is drawn, whatever data is gone.
        image = game.wait_for_screen(lambda i: i.getextrema() != ((0, 0), (0, 0), (0, 0)),
                                     name.replace(" ", "-"))
        self.assertNotEqual(image.getextrema(), ((0, 0), (0, 0), (0, 0)), name)
        self.assertTrue(game.running(), game.stdout())
        self.assertNotIn("Target reached!", game.stdout())
        game.key("Escape")
        self.assertEqual(game.wait_exit(), 0, game.stdout())

    def test_each_file_missing_or_damaged(self):
        for name, relative, content, line in CASES:
            with self.subTest(name):
                if content is None:
                    game = BadDataGame(missing=[relative])
                else:
                    game = BadDataGame(data_files={relative: content()})
                with game:
                    self.expect_survives(game, line, name)

    def test_without_data_and_with_a_huge_window_the_game_runs_in_the_display(self):
        with BadDataGame(missing=["data"], config="screenWidth 100000 screenHeight 100000\n") as game:
            game.wait_for_output(r"config\.txt: window size 100000x100000 does not fit")
            width, height = game.window_geometry()[2:]
            self.assertLessEqual(width, 1280)
            self.assertLessEqual(height, 1024)
            self.expect_survives(game, "Level file data/levels/jungle.xml cannot be read", "no-data")
            # The ball had nowhere to go but the origin, where the target was.
            self.assertNotIn("Level finished", game.stdout())


if __name__ == "__main__":
    unittest.main()
