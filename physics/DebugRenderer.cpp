#include "physics/DebugRenderer.h"

#include "physics/DebugData.h"

#include <GL/gl.h>

#include <cstdint>
#include <vector>

namespace {

// Saves every server and client attribute and restores them when it ends.
class SavedGlState {
public:
    SavedGlState()
    {
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
    }
    ~SavedGlState()
    {
        glPopClientAttrib();
        glPopAttrib();
    }
    SavedGlState(const SavedGlState&) = delete;
    SavedGlState& operator=(const SavedGlState&) = delete;
};

// Vertex positions and RGBA colours for one glDrawArrays call.
struct VertexArrays {
    std::vector<float> positions;  // 3 per vertex
    std::vector<float> colours;    // 4 per vertex

    void add(const Vector3& p, std::uint32_t colour)
    {
        positions.insert(positions.end(), {p.x, p.y, p.z});
        colours.insert(colours.end(), {float((colour >> 16) & 0xff) / 255.0f, float((colour >> 8) & 0xff) / 255.0f,
                                       float(colour & 0xff) / 255.0f, 1.0f});
    }

    void draw(GLenum mode) const
    {
        if (positions.empty())
            return;
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_COLOR_ARRAY);
        glVertexPointer(3, GL_FLOAT, 0, positions.data());
        glColorPointer(4, GL_FLOAT, 0, colours.data());
        glDrawArrays(mode, 0, GLsizei(positions.size() / 3));
        glDisableClientState(GL_VERTEX_ARRAY);
        glDisableClientState(GL_COLOR_ARRAY);
    }
};

}  // namespace

void DebugRenderer::render(const DebugData& data)
{
    const SavedGlState saved;
    glLineWidth(1.0f);
    glColor4f(0.7f, 0.7f, 0.7f, 1.0f);
    glDisable(GL_LIGHTING);

    VertexArrays points;
    for (const DebugData::Point& point : data.points)
        points.add(point.position, point.colour);
    points.draw(GL_POINTS);

    VertexArrays lines;
    for (const DebugData::Line& line : data.lines) {
        lines.add(line.from, line.colour);
        lines.add(line.to, line.colour);
    }
    lines.draw(GL_LINES);

    VertexArrays triangles;
    for (const DebugData::Triangle& triangle : data.triangles)
        for (const Vector3& corner : triangle.corners)
            triangles.add(corner, triangle.colour);
    triangles.draw(GL_TRIANGLES);
}
