#include "level/PngWriter.h"

#include <IL/il.h>

bool PngWriter::write(const std::string& path, int width, int height, int channels,
                      const std::uint8_t* pixels, bool bottomUp)
{
    if (width <= 0 || height <= 0 || (channels != 3 && channels != 4) || !pixels)
        return false;
    ilInit();
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    // DevIL copies the bytes; the origin tells its PNG writer which row is first.
    bool ok = ilTexImage(static_cast<ILuint>(width), static_cast<ILuint>(height), 1,
                         static_cast<ILubyte>(channels), channels == 4 ? IL_RGBA : IL_RGB,
                         IL_UNSIGNED_BYTE, const_cast<std::uint8_t*>(pixels)) == IL_TRUE;
    if (ok) {
        ilRegisterOrigin(bottomUp ? IL_ORIGIN_LOWER_LEFT : IL_ORIGIN_UPPER_LEFT);
        ilEnable(IL_FILE_OVERWRITE);
        ok = ilSave(IL_PNG, path.c_str()) == IL_TRUE;
    }
    ilDeleteImages(1, &image);
    while (ilGetError() != IL_NO_ERROR) {
    }
    return ok;
}
