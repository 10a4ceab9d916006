#pragma once

#include "app/Singleton.h"

#include <map>
#include <string>

// Turns image files into OpenGL texture objects, each file once: the first
// request decodes and uploads the image, every later request with the same
// name (spelled byte for byte the same) returns the cached texture. Textures
// live until the manager is destroyed at program end. Needs a current GL
// context. Texture names are GLuint values; this header keeps GL out so that
// code which only stores them need not include it.
class TextureManager : public Singleton<TextureManager> {
    friend class Singleton<TextureManager>;

public:
    // Deletes every cached texture object.
    ~TextureManager() override;

    // The texture of an image file (".tga" through TgaLoader, ".dds" through
    // ImageLoader, extension case ignored), or 0 when none could be made: an
    // unreadable file, another extension, an image larger than the driver
    // takes; a line names the file then. A failure is cached too, so a bad
    // file is read once. mipmaps: load or build
    // all levels; compress: store RGB/RGBA Targa images S3TC-compressed;
    // clamp: clamp texture coordinates to the edge instead of repeating.
    unsigned int loadTexture(const char* fileName, bool mipmaps, bool compress, bool clamp);

    // Magnification and minification filter of every cached texture:
    // 0 or 1 nearest, 2 linear; other values are ignored.
    void setFilterMode(const int& mode);
    // Mipmap selection of every cached mipmapped texture: 0 off, 1 nearest
    // level, 2 blend of the two nearest levels; other values are ignored.
    void setMipmapMode(const int& mode);

    int getFilterMode() const { return filterMode; }
    int getMipmapMode() const { return mipmapMode; }

    // Width or height of mipmap level `level` of an image whose level 0 has
    // `extent`: halved per level, never below 1 so non-square chains end at 1x1.
    static unsigned int levelExtent(unsigned int extent, int level);
    // Whether S3TC compression pays on the GL renderer of that name. A software
    // rasterizer decodes a compressed texel from its block on every sample, which
    // takes twice the time of an uncompressed one; there, textures asked to be
    // compressed stay uncompressed. Graphics cards save memory and bandwidth.
    static bool compressionPays(const char* renderer);
    // Deletes the texture of fileName and forgets it, so a later load reads the
    // file again; nothing for a file not loaded.
    void unloadTexture(const std::string& fileName);

private:
    struct CacheEntry {
        unsigned int name; // GL texture name, 0 = no texture
        int levelCount;    // mipmap levels uploaded
    };

    TextureManager() = default;

    std::map<std::string, CacheEntry> cache;
    int filterMode = 2; // 1 nearest, 2 linear
    int mipmapMode = 2; // 0 off, 1 nearest level, 2 blend of levels
};
