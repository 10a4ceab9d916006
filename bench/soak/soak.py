#!/usr/bin/env python3
"""Soak test, not part of CI: plays 200 level switches (End, then Enter) in the
real game under Xvfb and prints the game's resident memory and the GL objects it
holds every 10 switches. Both should stay flat after the first cycle of three
levels: the GL counts at each level the same every time it comes round. Usage: bench/soak/soak.py [game binary] [switches]"""

import os
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE_DIR = os.path.abspath(os.path.join(HERE, "..", ".."))
sys.path.insert(0, os.path.join(SOURCE_DIR, "tests", "integration"))
from harness import GameSession  # noqa: E402


def build_counter(folder):
    """The preloaded GL object counter, compiled for this run."""
    library = os.path.join(folder, "glcount.so")
    subprocess.run(["c++", "-std=c++17", "-shared", "-fPIC", "-O1",
                    os.path.join(HERE, "GlObjectCounter.cpp"), "-o", library, "-ldl"], check=True)
    return library


def resident_mb(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024.0
    return 0.0


def gl_counts(path):
    # The file is rewritten at every buffer swap; a read may meet it half written.
    for _ in range(50):
        with open(path) as f:
            pairs = [line.split() for line in f if line.strip()]
        if len(pairs) == 7:
            return {name: int(value) for name, value in pairs}
        time.sleep(0.02)
    return {}


def main():
    binary = sys.argv[1] if len(sys.argv) > 1 else os.path.join(SOURCE_DIR, "build", "pitchroll")
    switches = int(sys.argv[2]) if len(sys.argv) > 2 else 200
    folder = tempfile.mkdtemp(prefix="pitchroll-soak-")
    counts = os.path.join(folder, "gl-counts.txt")
    env = {"LD_PRELOAD": build_counter(folder), "PITCHROLL_GL_COUNTS": counts,
           "SDL_AUDIODRIVER": "dummy"}
    with GameSession("screenWidth 640 screenHeight 480 windowName soak\n", with_data=True,
                     extra_env=env, binary=binary) as game:
        game.wait_for_level(1)
        game.wait_for_picture()
        print("%8s %-24s %8s %9s %8s %6s %13s %14s %9s %8s" % (
            "switches", "level", "rss MB", "textures", "buffers", "lists", "framebuffers",
            "renderbuffers", "programs", "shaders"))
        for done in range(1, switches + 1):
            # End finishes the level, Enter starts the next; a key a slow frame
            # missed is pressed again.
            while True:
                game.key("End")
                game.key("Return")
                try:
                    level = game.wait_for_output(r"^Level loaded: (.*)$", timeout=10,
                                                 count=done + 1).group(1)
                    break
                except AssertionError:
                    continue
            if done % 10 == 0:
                game.watch(0.5, "soak", frames=2)
                c = gl_counts(counts)
                print("%8d %-24s %8.1f %9d %8d %6d %13d %14d %9d %8d" % (
                    done, os.path.basename(level), resident_mb(game.process.pid), c.get("textures", -1), c.get("buffers", -1),
                    c.get("lists", -1), c.get("framebuffers", -1), c.get("renderbuffers", -1),
                    c.get("programs", -1), c.get("shaders", -1)), flush=True)
        game.key("Escape")
        game.wait_exit()


if __name__ == "__main__":
    main()
