#include "level/MeshFileCheck.h"

#include <OgreHardwareVertexBuffer.h>
#include <OgreMeshFileFormat.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>

namespace {

const char* const VERSION = "[MeshSerializer_v1.100]";
constexpr std::uint32_t OTHER_ENDIAN_HEADER = 0x0010; // M_HEADER written in the other byte order
constexpr std::size_t CHUNK_HEADER_SIZE = 6;          // id (2 bytes), length with header (4)
constexpr std::size_t ELEMENT_SIZE = 10;              // source, type, semantic, offset, index
constexpr std::size_t BOUNDS_SIZE = 7 * 4;            // minimum, maximum, radius
constexpr std::uint32_t TRIANGLE_LIST = 4;            // RenderOperation::OT_TRIANGLE_LIST
constexpr std::uint32_t LAST_SEMANTIC = Ogre::VES_TANGENT;
constexpr std::uint32_t LAST_TYPE = Ogre::VET_USHORT4_NORM;

using Fault = std::string;

// A stretch [position, end) of the file, read front to back in the file's
// byte order. Every read is checked against end; a read past it sets the
// fault and yields 0.
class Cursor {
public:
    Cursor(const std::string& bytes, bool swapped, std::size_t position, std::size_t end)
        : bytes(&bytes), swapped(swapped), position(position), end(end)
    {
    }

    std::size_t at() const { return position; }
    std::size_t left() const { return end - position; }
    bool done() const { return position == end; }

    std::uint32_t read(std::size_t width, Fault& fault)
    {
        if (left() < width) {
            if (fault.empty())
                fault = "truncated at byte " + std::to_string(position);
            position = end;
            return 0;
        }
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < width; ++i) {
            const auto byte = static_cast<unsigned char>((*bytes)[position + i]);
            value |= static_cast<std::uint32_t>(byte) << (8 * (swapped ? width - 1 - i : i));
        }
        position += width;
        return value;
    }

    float readFloat(Fault& fault)
    {
        const std::uint32_t bits = read(4, fault);
        float value = 0;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

    // OGRE copies bool bytes into bools: anything but 0 or 1 is undefined.
    bool readBool(const char* what, Fault& fault)
    {
        const std::uint32_t value = read(1, fault);
        if (value > 1 && fault.empty())
            fault = std::string(what) + " is neither 0 nor 1";
        return value == 1;
    }

    // A string ends at a line break, which must lie inside the stretch.
    void skipString(Fault& fault)
    {
        const std::size_t lineEnd = bytes->find('\n', position);
        if (lineEnd == std::string::npos || lineEnd >= end) {
            if (fault.empty())
                fault = "unterminated string at byte " + std::to_string(position);
            position = end;
            return;
        }
        position = lineEnd + 1;
    }

    void skip(std::size_t count) { position += count; }

    // The next chunk header: id and the stretch of its contents, which must
    // lie inside this one. Moves past the whole chunk.
    bool nextChunk(std::uint32_t& id, Cursor& contents, Fault& fault)
    {
        const std::size_t start = position;
        id = read(2, fault);
        const std::uint32_t length = read(4, fault);
        if (!fault.empty())
            return false;
        if (length < CHUNK_HEADER_SIZE || length - CHUNK_HEADER_SIZE > left()) {
            fault = "chunk 0x" + hex(id) + " at byte " + std::to_string(start) + " runs past its parent";
            return false;
        }
        contents = Cursor(*bytes, swapped, position, start + length);
        position = start + length;
        return true;
    }

    static std::string hex(std::uint32_t value)
    {
        static const char DIGITS[] = "0123456789abcdef";
        std::string text;
        for (int shift = 12; shift >= 0; shift -= 4)
            text += DIGITS[(value >> shift) & 0xf];
        return text;
    }

private:
    const std::string* bytes;
    bool swapped;
    std::size_t position;
    std::size_t end;
};

Fault unexpected(std::uint32_t id, const char* where)
{
    return "chunk 0x" + Cursor::hex(id) + " is not read in " + where;
}

// Vertex elements: per buffer source, the bytes its elements take.
using SourceSizes = std::map<std::uint32_t, std::size_t>;

Fault checkDeclaration(Cursor declaration, SourceSizes& sizes)
{
    Fault fault;
    while (fault.empty() && !declaration.done()) {
        std::uint32_t id = 0;
        Cursor element = declaration;
        if (!declaration.nextChunk(id, element, fault))
            break;
        if (id != Ogre::M_GEOMETRY_VERTEX_ELEMENT)
            return unexpected(id, "a vertex declaration");
        if (element.left() != ELEMENT_SIZE)
            return "vertex element of " + std::to_string(element.left()) + " bytes";
        const std::uint32_t source = element.read(2, fault);
        const std::uint32_t type = element.read(2, fault);
        const std::uint32_t semantic = element.read(2, fault);
        if (type > LAST_TYPE || semantic < Ogre::VES_POSITION || semantic > LAST_SEMANTIC)
            return "vertex element of unknown type " + std::to_string(type) + " or meaning " +
                   std::to_string(semantic);
        sizes[source] += Ogre::VertexElement::getTypeSize(static_cast<Ogre::VertexElementType>(type));
    }
    return fault;
}

// One vertex buffer: its binding, its vertex size (that of its declared
// elements) and exactly vertexCount vertices of data.
Fault checkVertexBuffer(Cursor buffer, std::uint32_t vertexCount, const SourceSizes& sizes)
{
    Fault fault;
    const std::uint32_t source = buffer.read(2, fault);
    const std::uint32_t vertexSize = buffer.read(2, fault);
    std::uint32_t id = 0;
    Cursor data = buffer;
    if (!fault.empty() || !buffer.nextChunk(id, data, fault))
        return fault.empty() ? "vertex buffer without data" : fault;
    if (id != Ogre::M_GEOMETRY_VERTEX_BUFFER_DATA || !buffer.done())
        return unexpected(id, "a vertex buffer");
    const auto declared = sizes.find(source);
    if (declared == sizes.end() || declared->second != vertexSize || vertexSize == 0)
        return "vertex buffer " + std::to_string(source) + " of " + std::to_string(vertexSize) +
               "-byte vertices does not match its declaration";
    if (data.left() != std::uint64_t{vertexCount} * vertexSize)
        return std::to_string(vertexCount) + " vertices of " + std::to_string(vertexSize) +
               " bytes in a buffer of " + std::to_string(data.left());
    return {};
}

// Geometry: a vertex count, then the declaration before any buffer.
Fault checkGeometry(Cursor geometry)
{
    Fault fault;
    const std::uint32_t vertexCount = geometry.read(4, fault);
    SourceSizes sizes;
    bool declared = false;
    while (fault.empty() && !geometry.done()) {
        std::uint32_t id = 0;
        Cursor part = geometry;
        if (!geometry.nextChunk(id, part, fault))
            break;
        if (id == Ogre::M_GEOMETRY_VERTEX_DECLARATION && !declared) {
            fault = checkDeclaration(part, sizes);
            declared = true;
        } else if (id == Ogre::M_GEOMETRY_VERTEX_BUFFER && declared) {
            fault = checkVertexBuffer(part, vertexCount, sizes);
        } else {
            return unexpected(id, "geometry");
        }
    }
    return fault;
}

// A sub-mesh: material name, shared flag, its indices, its own geometry
// first when it has some, and at most an operation that must be a triangle list.
Fault checkSubMesh(Cursor subMesh, bool sharedGeometry)
{
    Fault fault;
    subMesh.skipString(fault);
    const bool shared = subMesh.readBool("the shared-vertices flag", fault);
    const std::uint32_t indexCount = subMesh.read(4, fault);
    const bool wide = subMesh.readBool("the 32-bit index flag", fault);
    if (!fault.empty())
        return fault;
    if (shared && !sharedGeometry)
        return "a sub-mesh uses shared vertices the mesh does not have before it";
    const std::uint64_t indexBytes = std::uint64_t{indexCount} * (wide ? 4 : 2);
    if (indexBytes > subMesh.left())
        return std::to_string(indexCount) + " indices in " + std::to_string(subMesh.left()) + " bytes";
    subMesh.skip(static_cast<std::size_t>(indexBytes));

    bool first = true;
    bool geometry = false;
    while (fault.empty() && !subMesh.done()) {
        std::uint32_t id = 0;
        Cursor part = subMesh;
        if (!subMesh.nextChunk(id, part, fault))
            break;
        if (id == Ogre::M_GEOMETRY && first && !shared) {
            fault = checkGeometry(part);
            geometry = true;
        } else if (id == Ogre::M_SUBMESH_OPERATION && (shared || geometry)) {
            const std::uint32_t operation = part.read(2, fault);
            if (fault.empty() && (!part.done() || operation != TRIANGLE_LIST))
                return "a sub-mesh draws operation " + std::to_string(operation) +
                       ", only triangle lists are read";
        } else {
            return unexpected(id, "a sub-mesh");
        }
        first = false;
    }
    if (fault.empty() && !shared && !geometry)
        return "a sub-mesh has neither shared nor own vertices";
    return fault;
}

Fault checkBounds(Cursor bounds)
{
    if (bounds.left() != BOUNDS_SIZE)
        return "bounds of " + std::to_string(bounds.left()) + " bytes";
    Fault fault;
    float values[7];
    for (float& value : values) {
        value = bounds.readFloat(fault);
        if (!std::isfinite(value))
            return "bounds that are not finite";
    }
    for (int axis = 0; axis < 3; ++axis) {
        if (values[axis] > values[3 + axis])
            return "bounds with a minimum above the maximum";
    }
    return fault;
}

Fault checkNameTable(Cursor table, std::uint32_t subMeshCount)
{
    Fault fault;
    while (fault.empty() && !table.done()) {
        std::uint32_t id = 0;
        Cursor entry = table;
        if (!table.nextChunk(id, entry, fault))
            break;
        if (id != Ogre::M_SUBMESH_NAME_TABLE_ELEMENT)
            return unexpected(id, "the sub-mesh name table");
        const std::uint32_t index = entry.read(2, fault);
        entry.skipString(fault);
        if (fault.empty() && (index >= subMeshCount || !entry.done()))
            return "a name for sub-mesh " + std::to_string(index) + " of " + std::to_string(subMeshCount);
    }
    return fault;
}

Fault checkExtremes(Cursor extremes, std::uint32_t subMeshCount)
{
    Fault fault;
    const std::uint32_t index = extremes.read(2, fault);
    if (fault.empty() && (index >= subMeshCount || extremes.left() % 12 != 0))
        return "extremes for sub-mesh " + std::to_string(index) + " of " + std::to_string(subMeshCount);
    return fault;
}

// The mesh: the skeletal-animation flag, then its chunks in file order.
Fault checkMesh(Cursor mesh)
{
    Fault fault;
    mesh.readBool("the skeletal-animation flag", fault);
    bool sharedGeometry = false;
    std::uint32_t subMeshCount = 0;
    while (fault.empty() && !mesh.done()) {
        std::uint32_t id = 0;
        Cursor part = mesh;
        if (!mesh.nextChunk(id, part, fault))
            break;
        switch (id) {
        case Ogre::M_GEOMETRY:
            if (sharedGeometry)
                return "two shared geometries";
            sharedGeometry = true;
            fault = checkGeometry(part);
            break;
        case Ogre::M_SUBMESH:
            fault = checkSubMesh(part, sharedGeometry);
            ++subMeshCount;
            break;
        case Ogre::M_MESH_BOUNDS: fault = checkBounds(part); break;
        case Ogre::M_SUBMESH_NAME_TABLE: fault = checkNameTable(part, subMeshCount); break;
        case Ogre::M_TABLE_EXTREMES: fault = checkExtremes(part, subMeshCount); break;
        default: return unexpected(id, "the mesh");
        }
        if (!fault.empty() && id == Ogre::M_SUBMESH)
            return "sub-mesh " + std::to_string(subMeshCount - 1) + ": " + fault;
    }
    return fault;
}

} // namespace

std::string MeshFileCheck::check(const std::string& bytes)
{
    const std::uint32_t header =
        bytes.size() < 2 ? 0 : static_cast<unsigned char>(bytes[0]) | static_cast<unsigned char>(bytes[1]) << 8;
    if (header != Ogre::M_HEADER && header != OTHER_ENDIAN_HEADER)
        return "not an OGRE mesh file";
    const std::size_t versionEnd = bytes.find('\n', 2);
    if (versionEnd == std::string::npos || bytes.compare(2, versionEnd - 2, VERSION) != 0)
        return std::string("not of format version ") + VERSION;

    Cursor file(bytes, header == OTHER_ENDIAN_HEADER, versionEnd + 1, bytes.size());
    Fault fault;
    bool mesh = false;
    while (fault.empty() && !file.done()) {
        std::uint32_t id = 0;
        Cursor part = file;
        if (!file.nextChunk(id, part, fault))
            break;
        if (id != Ogre::M_MESH || mesh)
            return unexpected(id, "the file");
        mesh = true;
        fault = checkMesh(part);
    }
    if (fault.empty() && !mesh)
        return "no mesh in the file";
    return fault;
}
