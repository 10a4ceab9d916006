#include "effects/ShadowMapper.h"

#include "render/Light.h"

#include <GL/glew.h>

ShadowMapper::~ShadowMapper()
{
    if (framebuffer)
        glDeleteFramebuffersEXT(1, &framebuffer);
    if (depthTexture)
        glDeleteTextures(1, &depthTexture);
}

void ShadowMapper::init(Camera* camera_, Light* light_)
{
    camera = camera_;
    light = light_;
    // Every level start asks again; one texture and framebuffer serve them all.
    if (framebuffer)
        return;

    glGenTextures(1, &depthTexture);
    glBindTexture(GL_TEXTURE_2D, depthTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT, SIZE, SIZE, 0, GL_DEPTH_COMPONENT,
                 GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glTexParameteri(GL_TEXTURE_2D, GL_DEPTH_TEXTURE_MODE, GL_LUMINANCE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_MODE, GL_COMPARE_R_TO_TEXTURE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_FUNC, GL_LEQUAL);
    // Drivers without the extension reject the value; the effect then applies the
    // same floor itself.
    if (GLEW_ARB_shadow_ambient) {
        const float fail[4] = {FAIL_VALUE, FAIL_VALUE, FAIL_VALUE, 1.0f};
        glTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_FAIL_VALUE_ARB, fail);
    }
    glBindTexture(GL_TEXTURE_2D, 0);

    glGenFramebuffersEXT(1, &framebuffer);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffer);
    glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_TEXTURE_2D,
                              depthTexture, 0);
    glDrawBuffer(GL_NONE);
    glReadBuffer(GL_NONE);
    glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
}

void ShadowMapper::beginShadowPass()
{
    if (!enabled || !light)
        return;
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(light->projection().data());
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(light->view().data());

    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffer);
    glViewport(0, 0, SIZE, SIZE);
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glShadeModel(GL_FLAT);
    glDisable(GL_LIGHTING);
    // Only depth is written: without texturing the driver carries no texture
    // coordinates through the pass.
    glActiveTextureARB(GL_TEXTURE0_ARB);
    glDisable(GL_TEXTURE_2D);
    glPolygonOffset(POLYGON_OFFSET, POLYGON_OFFSET);
    glEnable(GL_POLYGON_OFFSET_FILL);
}

void ShadowMapper::endShadowPass()
{
    glViewport(0, 0, windowWidth, windowHeight);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_LIGHTING);
    glActiveTextureARB(GL_TEXTURE0_ARB);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_POLYGON_OFFSET_FILL);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, 0);
}

void ShadowMapper::setWindowSize(int width, int height)
{
    windowWidth = width;
    windowHeight = height;
}
