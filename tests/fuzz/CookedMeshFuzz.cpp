// Cooked collision meshes through CookedTriangleMesh::read.
#include "physics/CookedTriangleMesh.h"
#include "physics/MemoryReadStream.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > UINT32_MAX)
        return 0;
    MemoryReadStream stream(data, static_cast<std::uint32_t>(size));
    CookedTriangleMesh mesh;
    if (mesh.read(stream)) {
        for (const std::uint32_t index : mesh.triangles()) {
            if (index >= static_cast<std::uint32_t>(mesh.vertexCount()))
                __builtin_trap();
        }
    }
    return 0;
}
