#pragma once

// The ids through which the program sets the shader effect's parameters; each names
// one parameter of data/shaders/effectShader.cgfx and fits one ShaderManager setter.
enum EffectParameter {
    EFFECTPARAMETER_MODELMATRIX = 0,        // setMatrix: the object's world matrix
    EFFECTPARAMETER_LIGHTPROJ = 1,          // setMatrix: the light's projection
    EFFECTPARAMETER_LIGHTVIEW = 2,          // setMatrix: the light's view
    EFFECTPARAMETER_NORMALMAP = 3,          // setTexture
    EFFECTPARAMETER_TEXTUREMAP = 4,         // setTexture: colour texture, or the scene image
    EFFECTPARAMETER_SHADOWMAP = 5,          // setTexture: the light's depth texture
    EFFECTPARAMETER_VIEWLIGHTPOSITION = 6,  // setVector3: the light in eye space
    EFFECTPARAMETER_LIGHTPOSITION = 7,      // setVector3: the light in the object's space
    EFFECTPARAMETER_EYEPOSITION = 8,        // setVector3: the camera in the object's space
    EFFECTPARAMETER_KA = 9,                 // setVector3: ambient colour
    EFFECTPARAMETER_KD = 10,                // setVector4: diffuse colour, alpha = opacity
    EFFECTPARAMETER_KS = 11,                // setVector3: specular colour
    EFFECTPARAMETER_SHININESS = 12,         // setFloat: specular exponent
    EFFECTPARAMETER_GLOWMAP = 13,           // setTexture
    EFFECTPARAMETER_XOFFSET = 14,           // setFloat: blur step across
    EFFECTPARAMETER_YOFFSET = 15,           // setFloat: blur step up
    EFFECTPARAMETER_COUNT = 16
};
