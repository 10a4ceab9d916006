#pragma once

#include "tools/MeshData.h"

// The procedural meshes of the levels, in world units (the ball's radius is
// 3). Texture coordinates run one repeat per TEXTURE_REPEAT units of surface,
// so the level's textures keep their scale on every mesh.
class MeshShapes {
public:
    static constexpr float TEXTURE_REPEAT = 16.0f;

    // "halfpipe": a half-pipe ramp 80 long with an inner radius of 18 and walls
    // 2 thick; sub-meshes "surface" (the running surface) and "shell" on
    // shared vertices.
    static MeshData halfPipe();
    // "bridge": an arched bridge 100 long and 24 wide rising 12 in the middle,
    // with low parapets; sub-meshes "deck" and "structure", each with its own vertices.
    static MeshData archBridge();
    // "trunk": a jungle tree trunk 90 high with buttress roots; one sub-mesh.
    static MeshData treeTrunk();
    // "rock": a craggy boulder about 24 across, resting on y = 0; one sub-mesh.
    static MeshData rock();
    // "crater": a volcano cone 240 across and 40 high with a crater in its top;
    // sub-meshes "crater" and "slopes" on shared vertices.
    static MeshData crater();
};
