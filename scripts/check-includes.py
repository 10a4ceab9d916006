#!/usr/bin/env python3
"""Fails when a file includes a header outside what its CMake target links.

Every target includes project headers from the top of the tree, so the
compiler accepts any "folder/Header.h" anywhere. This check holds the includes
to the link graph instead: a file of target T may include the headers of T and
of every library whose usage requirements reach T (its direct links, and what
those pass on PUBLIC or INTERFACE), and the headers of a third-party library
(OpenGL, GLUT, Bullet, OGRE, SDL, DevIL, X11, ...) only where that library is
linked the same way.

A header belongs to the target that compiles the .cpp of the same name, or to
the target that lists it among its sources (headers without a .cpp). A header
of the game's folders that belongs to no target is an error too.

Usage: check-includes.py [build-dir]   (default: build; configured by CMake)
"""

import glob
import json
import os
import re
import subprocess
import sys

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), ".."))
# Folders whose files are not the game's own code: their headers may be
# unowned, but their includes of the game's headers are still checked.
TEST_FOLDERS = ("tests/", "bench/")

# Third-party headers by include prefix, with the link-graph nodes (labels of
# CMake's graph: imported targets or library files) that provide them.
EXTERNAL = [
    (r"GL/glew\.h$", r"^GLEW::GLEW$"),
    (r"GL/(freeglut|glut)", r"^GLUT::GLUT$"),
    (r"GL/glu\.h$", r"^OpenGL::GLU$"),
    (r"GL/glx", r"^OpenGL::(GLX|GL)$"),
    (r"GL/", r"^OpenGL::GL$"),
    (r"X11/", r"^X11::X11$"),
    (r"(SDL2/)?SDL_mixer\.h$", r"SDL2_mixer|MIXER"),
    (r"SDL2?/|SDL\.h$", r"SDL2"),
    (r"IL/", r"^DevIL::IL$|libIL\.so$"),
    (r"OGRE/|Ogre[A-Z]\w*\.h$", r"OgreMain|^PkgConfig::OGRE$"),
    (r"bullet/|btBullet|Bullet(Collision|Dynamics)/|LinearMath/", r"libBullet|libLinearMath|^PkgConfig::BULLET$"),
    (r"lame/", r"mp3lame|^PkgConfig::LAME$"),
    (r"gtest/|gmock/", r"^GTest::"),
    (r"benchmark/", r"^benchmark::"),
]

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.MULTILINE)
NODE = re.compile(r'^\s*"(node\d+)" \[ label = "([^"]*)"', re.MULTILINE)
EDGE = re.compile(r'^\s*"(node\d+)" -> "(node\d+)"(?: \[ style = (\w+) \])?', re.MULTILINE)


def configure(build):
    """Re-runs CMake on the build tree with the file API's code model and the
    target graph requested; returns (code model targets, graph)."""
    query = os.path.join(build, ".cmake", "api", "v1", "query", "codemodel-v2")
    os.makedirs(os.path.dirname(query), exist_ok=True)
    open(query, "a").close()
    graph_dir = os.path.join(build, "include-check")
    os.makedirs(graph_dir, exist_ok=True)
    dot = os.path.join(graph_dir, "targets.dot")
    subprocess.run(["cmake", "-S", ROOT, "-B", build, "--graphviz=" + dot],
                   check=True, stdout=subprocess.DEVNULL)
    reply = os.path.join(build, ".cmake", "api", "v1", "reply")
    index = json.load(open(max(glob.glob(os.path.join(reply, "index-*.json")), key=os.path.getmtime)))
    model = json.load(open(os.path.join(reply, index["reply"]["codemodel-v2"]["jsonFile"])))
    targets = {}
    for entry in model["configurations"][0]["targets"]:
        target = json.load(open(os.path.join(reply, entry["jsonFile"])))
        if target["type"] == "UTILITY":
            continue
        targets[target["name"]] = [s["path"] for s in target.get("sources", [])
                                   if not s.get("isGenerated") and not os.path.isabs(s["path"])]
    with open(dot) as f:
        text = f.read()
    labels = dict(NODE.findall(text))
    edges = {}
    for source, target, style in EDGE.findall(text):
        if source in labels and target in labels:
            # solid: PUBLIC, dashed: INTERFACE, dotted: PRIVATE
            edges.setdefault(labels[source], set()).add((labels[target], style != "dotted"))
    return targets, edges


def visible_libraries(edges):
    """Per target: every node whose headers it may use."""
    passed_on = {}

    def exported(name, seen=()):
        if name not in passed_on:
            found = {name}
            for dep, public in edges.get(name, ()):
                if public and dep not in seen:
                    found |= exported(dep, seen + (name,))
            passed_on[name] = found
        return passed_on[name]

    visible = {}
    for name in edges:
        found = exported(name)
        for dep, _public in edges[name]:
            found = found | exported(dep)
        visible[name] = found
    return visible


def resolve(including, name):
    """The project file a quoted include names, relative to the source root
    path; None for a header outside the project."""
    for base in (os.path.dirname(including), "", "tests/support"):
        path = os.path.normpath(os.path.join(base, name))
        if os.path.isfile(os.path.join(ROOT, path)):
            return path
    return None


def project_headers():
    """Every header of the source tree, build trees left out."""
    for folder, dirs, files in os.walk(ROOT):
        dirs[:] = [d for d in dirs if folder != ROOT or not d.startswith(("build", "."))]
        for name in files:
            if name.endswith(".h"):
                yield os.path.relpath(os.path.join(folder, name), ROOT)


def main():
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build"))
    targets, edges = configure(build)
    visible = visible_libraries(edges)

    owners = {}
    for name, sources in targets.items():
        for source in sources:
            stem, ext = os.path.splitext(source)
            if ext == ".cpp":
                owners.setdefault(stem + ".h", set()).add(name)
            owners.setdefault(source, set()).add(name)

    problems = []
    for header in project_headers():
        if not header.startswith(TEST_FOLDERS) and header not in owners:
            problems.append("%s: belongs to no target; list it among its library's sources" % header)

    for name, sources in sorted(targets.items()):
        allowed = visible.get(name, {name})
        files = [f for f, who in owners.items() if name in who and os.path.isfile(os.path.join(ROOT, f))]
        for path in sorted(set(files)):
            with open(os.path.join(ROOT, path), errors="replace") as f:
                text = f.read()
            for quote, include in INCLUDE.findall(text):
                if quote == '"':
                    header = resolve(path, include)
                    if header is None or header not in owners:
                        continue  # third-party or an unowned test helper
                    if not owners[header] & allowed:
                        problems.append("%s (target %s) includes %s of %s, which it does not link"
                                        % (path, name, include, " or ".join(sorted(owners[header]))))
                    continue
                for pattern, provider in EXTERNAL:
                    if re.match(pattern, include):
                        if not any(re.search(provider, node) for node in allowed):
                            problems.append("%s (target %s) includes <%s>, whose library it does not link"
                                            % (path, name, include))
                        break

    for line in sorted(set(problems)):
        print(line)
    if problems:
        print("check-includes: %d problem(s)" % len(set(problems)))
        return 1
    print("check-includes: every include is within its target's links (%d targets)" % len(targets))
    return 0


if __name__ == "__main__":
    sys.exit(main())
