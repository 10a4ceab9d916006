#include "GlTestContext.h"

#include <GL/glew.h>
#include <GL/freeglut.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

void GlTestContext::ensure(int width, int height)
{
    static int window = 0;
    if (window) {
        glutSetWindow(window);
        return;
    }
    int argc = 1;
    char name[] = "gl-test";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_ALPHA | GLUT_DEPTH);
    glutInitWindowSize(width, height);
    window = glutCreateWindow("gl-test");
    if (glewInit() != GLEW_OK) {
        std::fprintf(stderr, "GlTestContext: glewInit failed\n");
        std::abort();
    }
}

std::vector<std::uint8_t> GlTestContext::readPixels(int width, int height, const char* ppmFile)
{
    std::vector<std::uint8_t> bottomUp(static_cast<std::size_t>(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
    std::vector<std::uint8_t> topDown(bottomUp.size());
    const std::size_t row = static_cast<std::size_t>(width) * 4;
    for (int y = 0; y < height; ++y)
        std::copy_n(bottomUp.data() + (height - 1 - y) * row, row, topDown.data() + y * row);
    if (ppmFile && !writePpm(ppmFile, topDown, width, height))
        std::fprintf(stderr, "GlTestContext: cannot write %s\n", ppmFile);
    return topDown;
}

bool GlTestContext::writePpm(const char* fileName, const std::vector<std::uint8_t>& rgba, int width, int height)
{
    FILE* file = std::fopen(fileName, "wb");
    if (!file)
        return false;
    std::fprintf(file, "P6\n%d %d\n255\n", width, height);
    for (std::size_t i = 0; i + 3 < rgba.size(); i += 4)
        std::fwrite(&rgba[i], 1, 3, file);
    return std::fclose(file) == 0;
}

unsigned int GlTestContext::makeTexture(int width, int height, const std::function<void(int, int, float*)>& texel)
{
    std::vector<float> pixels(static_cast<std::size_t>(width) * height * 4);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            texel(x, y, &pixels[(static_cast<std::size_t>(y) * width + x) * 4]);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_FLOAT, pixels.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}
