#include "effects/GlowPass.h"

#include "effects/EffectParameter.h"
#include "effects/ShaderManager.h"

#include <GL/glew.h>

#include <cstdio>

namespace {

GLuint makeColourTexture(int size)
{
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, size, size, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    return texture;
}

// A framebuffer with a depth renderbuffer of size x size.
void makeTarget(int size, GLuint& framebuffer, GLuint& depth)
{
    glGenFramebuffersEXT(1, &framebuffer);
    glGenRenderbuffersEXT(1, &depth);
    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, depth);
    glRenderbufferStorageEXT(GL_RENDERBUFFER_EXT, GL_DEPTH_COMPONENT24, size, size);
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
    const GLuint framebuffers[] = {sceneFramebuffer, glowFramebuffer};
    const GLuint renderbuffers[] = {sceneDepth, glowDepth};
    const GLuint textures[] = {sceneTexture, glowTexture, blurTexture};
    if (sceneFramebuffer) {
        glDeleteFramebuffersEXT(2, framebuffers);
        glDeleteRenderbuffersEXT(2, renderbuffers);
        glDeleteTextures(3, textures);
    }
}

void GlowPass::create()
{
    makeTarget(SCENE_SIZE, sceneFramebuffer, sceneDepth);
    sceneTexture = makeColourTexture(SCENE_SIZE);
    makeTarget(GLOW_SIZE, glowFramebuffer, glowDepth);
    glowTexture = makeColourTexture(GLOW_SIZE);
    blurTexture = makeColourTexture(GLOW_SIZE);
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
}

void GlowPass::render(int windowWidth, int windowHeight, bool toggle)
{
    ShaderManager* shader = ShaderManager::instance();
    glDisable(GL_DEPTH_TEST);
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();

    // The bright parts of the scene, at half resolution.
    attach(glowFramebuffer, glowTexture, glowDepth);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glViewport(0, 0, GLOW_SIZE, GLOW_SIZE);
    shader->setTexture(EFFECTPARAMETER_TEXTUREMAP, sceneTexture);
    shader->setPass("glowShade");
    fullScreenQuad();
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    shader->resetPass();

    blur(glowTexture, blurTexture, BLUR_STEP, 0.0f);
    blur(blurTexture, glowTexture, 0.0f, BLUR_STEP);
    shader->resetPass();

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glViewport(0, 0, windowWidth, windowHeight);
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

// One direction of the blur from source into target; the viewport stays at the
// glow size.
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
