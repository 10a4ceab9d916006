"""Small level files written by the tests, in the game's level format."""


def _vector(wrapper, prefix, v):
    x, y, z = v
    return ("<%s><%sX>%g</%sX><%sY>%g</%sY><%sZ>%g</%sZ></%s>"
            % (wrapper, prefix, x, prefix, prefix, y, prefix, prefix, z, prefix, wrapper))


def sky_box(world, element_id=1):
    faces = "".join("<texture%s>data/skybox/%s/%s.tga</texture%s>" % (face.capitalize(), world, face,
                                                                      face.capitalize())
                    for face in ("left", "right", "top", "bottom", "front", "back"))
    return ("<gameElement type=skyBox id=%d ballTest=false><elementTextureFileNames>%s"
            "</elementTextureFileNames></gameElement>" % (element_id, faces))


def start(position, element_id=2):
    return ("<gameElement type=startPosition id=%d ballTest=false>%s</gameElement>"
            % (element_id, _vector("elementPosition", "position", position)))


def target(position, element_id=3):
    return ("<gameElement type=targetPosition id=%d ballTest=false>%s</gameElement>"
            % (element_id, _vector("elementPosition", "position", position)))


def box(element_id, position, size, material, texture_repeat=10, ball_test=False):
    return ("<gameElement type=box id=%d ballTest=%s>%s%s%s%s<elementMaterial><materialId>%d"
            "</materialId></elementMaterial></gameElement>"
            % (element_id, "true" if ball_test else "false",
               _vector("elementPosition", "position", position),
               "<elementMeasures><width>%g</width><height>%g</height><depth>%g</depth>"
               "</elementMeasures>" % size,
               _vector("elementUTex", "uTex", (texture_repeat, 0, 0)),
               _vector("elementVTex", "vTex", (0, 0, 0)), material))


def level(*elements):
    return "<level>\n" + "\n".join(elements) + "\n</level>\n"


def floor_level(world, start_at=(0, 4, 0), target_at=(60, 3, 0), material=4):
    """A 160 x 120 floor at y = 0 under the given sky."""
    return level(sky_box(world), start(start_at), target(target_at),
                 box(10, (0, -2, 0), (160, 4, 120), material))
