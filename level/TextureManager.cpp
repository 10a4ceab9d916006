#include "level/TextureManager.h"

#include "level/ImageLoader.h"
#include "level/TgaLoader.h"

#include <GL/glew.h>

#include <cassert>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <type_traits>

static_assert(std::is_same_v<GLuint, unsigned int>, "texture names are handed out as unsigned int");

namespace {

using Levels = std::vector<std::vector<std::uint8_t>>;

// True when the last three characters of fileName are `extension`, any case.
bool hasExtension(const char* fileName, const char* extension)
{
    const std::size_t length = std::strlen(fileName);
    if (length < 3)
        return false;
    for (std::size_t i = 0; i < 3; ++i) {
        const auto c = static_cast<unsigned char>(fileName[length - 3 + i]);
        if (std::tolower(c) != extension[i])
            return false;
    }
    return true;
}

// Upload format for a channel count, 0 when there is none.
GLenum pixelFormat(unsigned int channels)
{
    switch (channels) {
    case 1: return GL_ALPHA;
    case 3: return GL_RGB;
    case 4: return GL_RGBA;
    default: return 0;
    }
}

bool compressionPaysHere()
{
    static const bool pays =
        TextureManager::compressionPays(reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    return pays;
}

GLint internalFormat(GLenum format, bool compress)
{
    if (!compress)
        return static_cast<GLint>(format);
    switch (format) {
    case GL_RGB: return GL_COMPRESSED_RGB_S3TC_DXT1_EXT;
    case GL_RGBA: return GL_COMPRESSED_RGBA_S3TC_DXT5_EXT;
    default: return static_cast<GLint>(format);
    }
}

// Minification filter for a filter mode (1 nearest, 2 linear) and a mipmap
// mode (0 off, 1 nearest level, 2 blend of levels).
GLint minFilter(int filterMode, int mipmapMode)
{
    const bool nearest = filterMode == 1;
    switch (mipmapMode) {
    case 1: return nearest ? GL_NEAREST_MIPMAP_NEAREST : GL_LINEAR_MIPMAP_NEAREST;
    case 2: return nearest ? GL_NEAREST_MIPMAP_LINEAR : GL_LINEAR_MIPMAP_LINEAR;
    default: return nearest ? GL_NEAREST : GL_LINEAR;
    }
}

// The rows of the levels are tightly packed; the previous alignment comes back
// when the upload is done.
class ByteUnpackAlignment {
public:
    ByteUnpackAlignment()
    {
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &saved);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    }
    ~ByteUnpackAlignment() { glPixelStorei(GL_UNPACK_ALIGNMENT, saved); }
    ByteUnpackAlignment(const ByteUnpackAlignment&) = delete;
    ByteUnpackAlignment& operator=(const ByteUnpackAlignment&) = delete;

private:
    GLint saved = 4;
};

// Makes a texture object from the levels and leaves it bound. New textures
// filter linearly whatever the current modes are.
GLuint createTexture(const Levels& levels, unsigned int width, unsigned int height,
                     GLenum format, bool compress, bool clamp)
{
    // Errors left by earlier calls would be taken for this upload's.
    while (glGetError() != GL_NO_ERROR) {
    }
    GLuint name = 0;
    glGenTextures(1, &name);
    const ByteUnpackAlignment alignment;
    glBindTexture(GL_TEXTURE_2D, name);

    const GLint wrap = clamp ? GL_CLAMP_TO_EDGE : GL_REPEAT;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
                    levels.size() > 1 ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR);
    // A file may bring fewer mipmaps than a full chain; the texture then ends
    // at its last level instead of being incomplete.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levels.size()) - 1);

    const GLint storage = internalFormat(format, compress && compressionPaysHere());
    for (std::size_t i = 0; i < levels.size(); ++i) {
        const int level = static_cast<int>(i);
        glTexImage2D(GL_TEXTURE_2D, level, storage,
                     static_cast<GLsizei>(TextureManager::levelExtent(width, level)),
                     static_cast<GLsizei>(TextureManager::levelExtent(height, level)), 0, format,
                     GL_UNSIGNED_BYTE, levels[i].data());
    }
    return name;
}

// The driver refuses images larger than its limit; a line says so instead of
// a GL error that nobody reads.
bool fitsDriver(const char* fileName, unsigned int width, unsigned int height)
{
    GLint limit = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &limit);
    if (limit > 0 && width <= static_cast<unsigned int>(limit) &&
        height <= static_cast<unsigned int>(limit))
        return true;
    std::printf("Texture file %s: %ux%u pixels exceed the driver's limit of %d\n", fileName, width,
                height, limit);
    return false;
}

// True when the driver took every level of the texture just made; otherwise
// the texture object is deleted and a line names the file.
bool uploaded(const char* fileName, GLuint name)
{
    const GLenum error = glGetError();
    if (error == GL_NO_ERROR)
        return true;
    while (glGetError() != GL_NO_ERROR) {
    }
    glDeleteTextures(1, &name);
    std::printf("Texture file %s: the driver refused the image (GL error 0x%x)\n", fileName, error);
    return false;
}

} // namespace

TextureManager::~TextureManager()
{
    for (const auto& entry : cache) {
        if (entry.second.name != 0)
            glDeleteTextures(1, &entry.second.name);
    }
    cache.clear();
}

unsigned int TextureManager::loadTexture(const char* fileName, bool mipmaps, bool compress,
                                         bool clamp)
{
    assert(fileName);
    const auto cached = cache.find(fileName);
    if (cached != cache.end())
        return cached->second.name;

    Levels levels;
    unsigned int width = 0, height = 0, channels = 0;
    int levelCount = 0;
    if (hasExtension(fileName, "tga")) {
        levelCount = TgaLoader::instance()->load(fileName, levels, width, height, channels, mipmaps);
    } else if (hasExtension(fileName, "dds")) {
        levelCount = ImageLoader::instance()->load(fileName, levels, width, height, channels,
                                                   mipmaps);
        compress = false;
    } else {
        std::printf("Texture file %s: only .tga and .dds images are read\n", fileName);
    }

    const GLenum format = pixelFormat(channels);
    GLuint name = 0;
    if (levelCount > 0 && format != 0 && fitsDriver(fileName, width, height))
        name = createTexture(levels, width, height, format, compress, clamp);
    if (name != 0 && !uploaded(fileName, name))
        name = 0;
    if (name == 0)
        levelCount = 0;
    cache.emplace(fileName, CacheEntry{name, levelCount});
    return name;
}

void TextureManager::setFilterMode(const int& mode)
{
    if (mode < 0 || mode > 2)
        return;
    const int newMode = mode == 2 ? 2 : 1;
    for (const auto& entry : cache) {
        const CacheEntry& texture = entry.second;
        if (texture.name == 0)
            continue;
        filterMode = newMode;
        glBindTexture(GL_TEXTURE_2D, texture.name);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER,
                        filterMode == 1 ? GL_NEAREST : GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
                        minFilter(filterMode, texture.levelCount > 1 ? mipmapMode : 0));
    }
}

void TextureManager::setMipmapMode(const int& mode)
{
    if (mode < 0 || mode > 2)
        return;
    for (const auto& entry : cache) {
        const CacheEntry& texture = entry.second;
        if (texture.levelCount <= 1)
            continue;
        mipmapMode = mode;
        glBindTexture(GL_TEXTURE_2D, texture.name);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter(filterMode, mipmapMode));
    }
}

void TextureManager::unloadTexture(const std::string& fileName)
{
    const auto entry = cache.find(fileName);
    if (entry == cache.end())
        return;
    if (entry->second.name != 0)
        glDeleteTextures(1, &entry->second.name);
    cache.erase(entry);
}

bool TextureManager::compressionPays(const char* renderer)
{
    if (!renderer)
        return true;
    for (const char* software : {"llvmpipe", "softpipe", "swrast", "Software Rasterizer"}) {
        if (std::strstr(renderer, software))
            return false;
    }
    return true;
}

unsigned int TextureManager::levelExtent(unsigned int extent, int level)
{
    const unsigned int halved = level < 32 ? extent >> level : 0;
    return halved > 0 ? halved : 1;
}
