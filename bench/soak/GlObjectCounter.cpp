// Preloaded into the game by soak.py: counts the GL objects the game holds
// (made minus deleted, by kind) and writes them to the file named by
// PITCHROLL_GL_COUNTS at every buffer swap. Extension entry points are
// wrapped where GLEW asks glXGetProcAddress for them.
#include <GL/gl.h>
#include <GL/glx.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>

namespace {

enum Kind { TEXTURES, BUFFERS, LISTS, FRAMEBUFFERS, RENDERBUFFERS, PROGRAMS, SHADERS, KIND_COUNT };
const char* const KIND_NAMES[KIND_COUNT] = {"textures", "buffers", "lists", "framebuffers",
                                            "renderbuffers", "programs", "shaders"};
std::atomic<long> held[KIND_COUNT];

template <typename Function> Function next(const char* name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

void countNames(Kind kind, GLsizei n, const GLuint* names, long sign)
{
    for (GLsizei i = 0; i < n; ++i)
        held[kind] += names[i] != 0 ? sign : 0;
}

using GenFunction = void (*)(GLsizei, GLuint*);
using DeleteFunction = void (*)(GLsizei, const GLuint*);
using CreateFunction = GLuint (*)();
using CreateShaderFunction = GLuint (*)(GLenum);
using DeleteOneFunction = void (*)(GLuint);

// The real extension entry points, filled when GLEW looks them up.
GenFunction realGenBuffers, realGenFramebuffers, realGenRenderbuffers;
DeleteFunction realDeleteBuffers, realDeleteFramebuffers, realDeleteRenderbuffers;
CreateFunction realCreateProgram;
CreateShaderFunction realCreateShader;
DeleteOneFunction realDeleteProgram, realDeleteShader;

void genBuffers(GLsizei n, GLuint* names) { realGenBuffers(n, names); countNames(BUFFERS, n, names, 1); }
void deleteBuffers(GLsizei n, const GLuint* names) { countNames(BUFFERS, n, names, -1); realDeleteBuffers(n, names); }
void genFramebuffers(GLsizei n, GLuint* names) { realGenFramebuffers(n, names); countNames(FRAMEBUFFERS, n, names, 1); }
void deleteFramebuffers(GLsizei n, const GLuint* names)
{
    countNames(FRAMEBUFFERS, n, names, -1);
    realDeleteFramebuffers(n, names);
}
void genRenderbuffers(GLsizei n, GLuint* names)
{
    realGenRenderbuffers(n, names);
    countNames(RENDERBUFFERS, n, names, 1);
}
void deleteRenderbuffers(GLsizei n, const GLuint* names)
{
    countNames(RENDERBUFFERS, n, names, -1);
    realDeleteRenderbuffers(n, names);
}
GLuint createProgram()
{
    const GLuint name = realCreateProgram();
    held[PROGRAMS] += name != 0;
    return name;
}
GLuint createShader(GLenum type)
{
    const GLuint name = realCreateShader(type);
    held[SHADERS] += name != 0;
    return name;
}
void deleteProgram(GLuint name) { held[PROGRAMS] -= name != 0; realDeleteProgram(name); }
void deleteShader(GLuint name) { held[SHADERS] -= name != 0; realDeleteShader(name); }

struct Wrapper {
    const char* name;
    void** real;
    void* wrapper;
};

#define WRAP(glName, realPointer, function) \
    {glName, reinterpret_cast<void**>(&realPointer), reinterpret_cast<void*>(&function)}
const Wrapper WRAPPERS[] = {
    WRAP("glGenBuffers", realGenBuffers, genBuffers),
    WRAP("glGenBuffersARB", realGenBuffers, genBuffers),
    WRAP("glDeleteBuffers", realDeleteBuffers, deleteBuffers),
    WRAP("glDeleteBuffersARB", realDeleteBuffers, deleteBuffers),
    WRAP("glGenFramebuffersEXT", realGenFramebuffers, genFramebuffers),
    WRAP("glGenFramebuffers", realGenFramebuffers, genFramebuffers),
    WRAP("glDeleteFramebuffersEXT", realDeleteFramebuffers, deleteFramebuffers),
    WRAP("glDeleteFramebuffers", realDeleteFramebuffers, deleteFramebuffers),
    WRAP("glGenRenderbuffersEXT", realGenRenderbuffers, genRenderbuffers),
    WRAP("glGenRenderbuffers", realGenRenderbuffers, genRenderbuffers),
    WRAP("glDeleteRenderbuffersEXT", realDeleteRenderbuffers, deleteRenderbuffers),
    WRAP("glDeleteRenderbuffers", realDeleteRenderbuffers, deleteRenderbuffers),
    WRAP("glCreateProgram", realCreateProgram, createProgram),
    WRAP("glCreateProgramObjectARB", realCreateProgram, createProgram),
    WRAP("glCreateShader", realCreateShader, createShader),
    WRAP("glDeleteProgram", realDeleteProgram, deleteProgram),
    WRAP("glDeleteShader", realDeleteShader, deleteShader),
};

using ProcAddressFunction = void (*(*)(const GLubyte*))();

void (*lookUp(ProcAddressFunction real, const GLubyte* name))()
{
    void (*found)() = real(name);
    for (const Wrapper& w : WRAPPERS) {
        if (found && std::strcmp(reinterpret_cast<const char*>(name), w.name) == 0) {
            *w.real = reinterpret_cast<void*>(found);
            return reinterpret_cast<void (*)()>(w.wrapper);
        }
    }
    return found;
}

}  // namespace

extern "C" {

void (*glXGetProcAddressARB(const GLubyte* name))()
{
    static auto real = next<ProcAddressFunction>("glXGetProcAddressARB");
    return lookUp(real, name);
}

void (*glXGetProcAddress(const GLubyte* name))()
{
    static auto real = next<ProcAddressFunction>("glXGetProcAddress");
    return lookUp(real, name);
}

void glGenTextures(GLsizei n, GLuint* names)
{
    static auto real = next<GenFunction>("glGenTextures");
    real(n, names);
    countNames(TEXTURES, n, names, 1);
}

void glDeleteTextures(GLsizei n, const GLuint* names)
{
    static auto real = next<DeleteFunction>("glDeleteTextures");
    countNames(TEXTURES, n, names, -1);
    real(n, names);
}

GLuint glGenLists(GLsizei range)
{
    static auto real = next<GLuint (*)(GLsizei)>("glGenLists");
    const GLuint first = real(range);
    held[LISTS] += first != 0 ? range : 0;
    return first;
}

void glDeleteLists(GLuint list, GLsizei range)
{
    static auto real = next<void (*)(GLuint, GLsizei)>("glDeleteLists");
    held[LISTS] -= list != 0 ? range : 0;
    real(list, range);
}

void glXSwapBuffers(Display* display, GLXDrawable drawable)
{
    static auto real = next<void (*)(Display*, GLXDrawable)>("glXSwapBuffers");
    static const char* path = std::getenv("PITCHROLL_GL_COUNTS");
    if (path) {
        if (std::FILE* file = std::fopen(path, "w")) {
            for (int k = 0; k < KIND_COUNT; ++k)
                std::fprintf(file, "%s %ld\n", KIND_NAMES[k], held[k].load());
            std::fclose(file);
        }
    }
    real(display, drawable);
}

}  // extern "C"
