#include "effects/GlowPass.h"

#include "effects/EffectParameter.h"
#include "effects/ShaderManager.h"

#include <GL/glew.h>

#include <cstdio>

namespace {

GLuint makeColourTexture(int width, int height)
{
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    return texture;
}

// A framebuffer with a depth renderbuffer of width x height.
void makeTarget(int width, int height, GLuint& framebuffer, GLuint& depth)
{
    glGenFramebuffersEXT(1, &framebuffer);
    glGenRenderbuffersEXT(1, &depth);
    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, depth);
    glRenderbufferStorageEXT(GL_RENDERBUFFER_EXT, GL_DEPTH_COMPONENT24, width, height);
    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, 0);
}

// The viewport-filling quad, drawn with identity matrices.
void fullScreenQuad()
{
    glBegin(GL_QUADS);
    glTexCoord2i(0, 0);
    glVertex3i(-1, -1, 0);
    glTexCoord2i(1, 0);
    glVertex3i(1, -1, 0);
    glTexCoord2i(1, 1);
    glVertex3i(1, 1, 0);
    glTexCoord2i(0, 1);
    glVertex3i(-1, 1, 0);
    glEnd();
}

}  // namespace

GlowPass::~GlowPass()
{
    release();
}

void GlowPass::release()
{
    if (!sceneFramebuffer)
        return;
    const GLuint framebuffers[] = {sceneFramebuffer, glowFramebuffer};
    const GLuint renderbuffers[] = {sceneDepth, glowDepth};
    const GLuint textures[] = {sceneTexture, glowTexture, blurTexture};
    glDeleteFramebuffersEXT(2, framebuffers);
    glDeleteRenderbuffersEXT(2, renderbuffers);
    glDeleteTextures(3, textures);
    sceneFramebuffer = 0;
}

void GlowPass::resize(int windowWidth, int windowHeight)
{
    windowWidth = windowWidth > 0 ? windowWidth : 1;
    windowHeight = windowHeight > 0 ? windowHeight : 1;
    if (sceneFramebuffer && windowWidth == width && windowHeight == height)
        return;
    release();
    width = windowWidth;
    height = windowHeight;
    makeTarget(width, height, sceneFramebuffer, sceneDepth);
    sceneTexture = makeColourTexture(width, height);
    makeTarget(glowWidth(), glowHeight(), glowFramebuffer, glowDepth);
    glowTexture = makeColourTexture(glowWidth(), glowHeight());
    blurTexture = makeColourTexture(glowWidth(), glowHeight());
    glBindTexture(GL_TEXTURE_2D, 0);
}

void GlowPass::attach(unsigned int framebuffer, unsigned int colour, unsigned int depth) const
{
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffer);
    glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D, colour, 0);
    glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT, depth);
}

void GlowPass::bindSceneTarget() const
{
    attach(sceneFramebuffer, sceneTexture, sceneDepth);
    glViewport(0, 0, width, height);
}

void GlowPass::render(bool toggle)
{
    ShaderManager* shader = ShaderManager::instance();
    glDisable(GL_DEPTH_TEST);
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();

    // The bright parts of the scene, at reduced resolution; the linear filter
    // averages the scene texels that fall on one glow texel.
    attach(glowFramebuffer, glowTexture, glowDepth);
    glViewport(0, 0, glowWidth(), glowHeight());
    shader->setTexture(EFFECTPARAMETER_TEXTUREMAP, sceneTexture);
    shader->setPass("glowShade");
    fullScreenQuad();
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    shader->resetPass();

    blur(glowTexture, blurTexture, 1.0f / static_cast<float>(glowWidth()), 0.0f);
    blur(blurTexture, glowTexture, 0.0f, 1.0f / static_cast<float>(glowHeight()));
    shader->resetPass();

    // The quad covers the whole window, so nothing needs clearing first.
    glViewport(0, 0, width, height);
    if (toggle) {
        glowEnabled = !glowEnabled;
        std::printf(glowEnabled ? "glow used\n" : "glow not used\n");
    }

    if (glowEnabled) {
        shader->setTexture(EFFECTPARAMETER_TEXTUREMAP, sceneTexture);
        shader->setTexture(EFFECTPARAMETER_GLOWMAP, glowTexture);
        shader->setPass("glow");
        fullScreenQuad();
    } else {
        // The plain scene image, unlit and untinted.
        glPushAttrib(GL_LIGHTING_BIT | GL_CURRENT_BIT);
        glDisable(GL_LIGHTING);
        glColor3f(1.0f, 1.0f, 1.0f);
        glBindTexture(GL_TEXTURE_2D, sceneTexture);
        fullScreenQuad();
        glPopAttrib();
    }
    shader->resetPass();
}

// One direction of the blur from source into target, one glow texel per step;
// the viewport stays at the glow size.
void GlowPass::blur(unsigned int source, unsigned int target, float xOffset, float yOffset) const
{
    ShaderManager* shader = ShaderManager::instance();
    shader->setTexture(EFFECTPARAMETER_GLOWMAP, source);
    shader->setFloat(EFFECTPARAMETER_XOFFSET, xOffset);
    shader->setFloat(EFFECTPARAMETER_YOFFSET, yOffset);
    attach(glowFramebuffer, target, glowDepth);
    shader->setPass("glowBlur");
    fullScreenQuad();
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
}
