#include "render/Camera.h"

#include "GlTestContext.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

// apply() builds on the GL matrix stack what viewMatrix() computes; the frustum,
// the render objects and the shadow pass rely on the two agreeing.
TEST(Camera, ApplyLoadsTheViewMatrix)
{
    GlTestContext::ensure(64, 64);
    glMatrixMode(GL_MODELVIEW);
    Camera camera;
    camera.reset();
    for (const Vector3 pose : {Vector3(250, 25, 0), Vector3(15, 85, 359), Vector3(400, 5, 123.5f)}) {
        camera.distance = pose.x;
        camera.pitch = pose.y;
        camera.yaw = pose.z;
        glLoadMatrixf(Matrix4::translation({1, 2, 3}).data());  // apply() starts from identity
        camera.apply();
        Matrix4 loaded;
        glGetFloatv(GL_MODELVIEW_MATRIX, loaded.data());
        const Matrix4 computed = camera.viewMatrix();
        for (int i = 0; i < 16; ++i)
            EXPECT_NEAR(loaded[i], computed[i], 1e-4f * pose.x) << "element " << i << " at yaw " << pose.z;
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
