#include "game/HudText.h"

#include <GL/freeglut.h>

namespace {
void* const FONTS[HudText::FONT_COUNT] = {
    GLUT_BITMAP_8_BY_13,      GLUT_BITMAP_9_BY_15,    GLUT_BITMAP_TIMES_ROMAN_10,
    GLUT_BITMAP_TIMES_ROMAN_24, GLUT_BITMAP_HELVETICA_10, GLUT_BITMAP_HELVETICA_12,
    GLUT_BITMAP_HELVETICA_18};
}

void HudText::reshape(const int& w, const int& h)
{
    if (orthoList)
        glDeleteLists(orthoList, 1);
    orthoList = glGenLists(1);
    glNewList(orthoList, GL_COMPILE);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, w, h, 0, -100, 100);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEndList();
}

void HudText::begin()
{
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glCallList(orthoList);
}

void HudText::print(const char* text, const int& font, const int& x, const int& y, const float& r,
                    const float& g, const float& b)
{
    const bool drawable = text && font >= 0 && font < FONT_COUNT;
    // A dark rim one pixel wide keeps light text readable over a bright scene.
    if (drawable) {
        glColor3f(0.0f, 0.0f, 0.0f);
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                if (dx == 0 && dy == 0)
                    continue;
                glRasterPos2f(static_cast<float>(x + dx), static_cast<float>(y + dy));
                drawLine(text, font);
            }
        }
    }
    glColor3f(r, g, b);
    glRasterPos2f(static_cast<float>(x), static_cast<float>(y));
    if (drawable)
        drawLine(text, font);
}

void HudText::drawLine(const char* text, const int& font)
{
    for (const char* c = text; *c; ++c)
        glutBitmapCharacter(FONTS[font], static_cast<unsigned char>(*c));
}

void HudText::end()
{
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_LIGHTING);
}
