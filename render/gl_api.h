#pragma once
// Our own small OpenGL 3.3 header: the types, the constants we use and every
// entry point as a function pointer with its standard name, so the rest of
// the game calls glClear(...) and friends as usual. No system GL header is
// included anywhere in the game; gl_load fills the pointers through gl_proc.
#include <cstddef>
#include <cstdint>

#if defined(_WIN32)
#define GL_APIENTRY __stdcall
#define GL_PTR_VISIBILITY
#else
#define GL_APIENTRY
// Our pointers must never interpose on a driver library's own gl* symbols.
#define GL_PTR_VISIBILITY __attribute__((visibility("hidden")))
#endif

typedef unsigned int GLenum;
typedef unsigned int GLuint;
typedef int GLint;
typedef int GLsizei;
typedef float GLfloat;
typedef double GLdouble;
typedef unsigned char GLboolean;
typedef unsigned int GLbitfield;
typedef char GLchar;
typedef unsigned char GLubyte;
typedef std::ptrdiff_t GLsizeiptr;
typedef std::ptrdiff_t GLintptr;
typedef void GLvoid;

// ---- Constants ---------------------------------------------------------------
enum : GLenum {
    GL_NO_ERROR = 0,
    GL_NONE = 0,
    GL_ZERO = 0,
    GL_ONE = 1,

    GL_DEPTH_BUFFER_BIT = 0x00000100,
    GL_STENCIL_BUFFER_BIT = 0x00000400,
    GL_COLOR_BUFFER_BIT = 0x00004000,

    GL_POINTS = 0x0000,
    GL_LINES = 0x0001,
    GL_LINE_STRIP = 0x0003,
    GL_TRIANGLES = 0x0004,
    GL_TRIANGLE_STRIP = 0x0005,
    GL_TRIANGLE_FAN = 0x0006,

    GL_NEVER = 0x0200,
    GL_LESS = 0x0201,
    GL_EQUAL = 0x0202,
    GL_LEQUAL = 0x0203,
    GL_GREATER = 0x0204,
    GL_NOTEQUAL = 0x0205,
    GL_GEQUAL = 0x0206,
    GL_ALWAYS = 0x0207,

    GL_SRC_COLOR = 0x0300,
    GL_ONE_MINUS_SRC_COLOR = 0x0301,
    GL_SRC_ALPHA = 0x0302,
    GL_ONE_MINUS_SRC_ALPHA = 0x0303,
    GL_DST_ALPHA = 0x0304,
    GL_ONE_MINUS_DST_ALPHA = 0x0305,
    GL_DST_COLOR = 0x0306,
    GL_ONE_MINUS_DST_COLOR = 0x0307,

    GL_FRONT = 0x0404,
    GL_BACK = 0x0405,
    GL_FRONT_AND_BACK = 0x0408,
    GL_CW = 0x0900,
    GL_CCW = 0x0901,

    GL_INVALID_ENUM = 0x0500,
    GL_INVALID_VALUE = 0x0501,
    GL_INVALID_OPERATION = 0x0502,
    GL_OUT_OF_MEMORY = 0x0505,
    GL_INVALID_FRAMEBUFFER_OPERATION = 0x0506,

    GL_CULL_FACE = 0x0B44,
    GL_DEPTH_TEST = 0x0B71,
    GL_BLEND = 0x0BE2,
    GL_SCISSOR_TEST = 0x0C11,
    GL_VIEWPORT = 0x0BA2,
    GL_UNPACK_ALIGNMENT = 0x0CF5,
    GL_PACK_ALIGNMENT = 0x0D05,
    GL_MAX_TEXTURE_SIZE = 0x0D33,
    GL_POLYGON_OFFSET_FILL = 0x8037,
    GL_MULTISAMPLE = 0x809D,
    GL_SAMPLE_ALPHA_TO_COVERAGE = 0x809E,
    GL_FRAMEBUFFER_SRGB = 0x8DB9,
    GL_DEPTH_CLAMP = 0x864F,

    GL_VENDOR = 0x1F00,
    GL_RENDERER = 0x1F01,
    GL_VERSION = 0x1F02,
    GL_EXTENSIONS = 0x1F03,
    GL_NUM_EXTENSIONS = 0x821D,
    GL_SHADING_LANGUAGE_VERSION = 0x8B8C,
    GL_MAJOR_VERSION = 0x821B,
    GL_MINOR_VERSION = 0x821C,

    GL_BYTE = 0x1400,
    GL_UNSIGNED_BYTE = 0x1401,
    GL_SHORT = 0x1402,
    GL_UNSIGNED_SHORT = 0x1403,
    GL_INT = 0x1404,
    GL_UNSIGNED_INT = 0x1405,
    GL_FLOAT = 0x1406,
    GL_HALF_FLOAT = 0x140B,
    GL_UNSIGNED_INT_24_8 = 0x84FA,

    GL_COLOR = 0x1800,
    GL_DEPTH = 0x1801,
    GL_DEPTH_COMPONENT = 0x1902,
    GL_RED = 0x1903,
    GL_ALPHA = 0x1906,
    GL_RGB = 0x1907,
    GL_RGBA = 0x1908,
    GL_BGRA = 0x80E1,
    GL_RG = 0x8227,
    GL_R8 = 0x8229,
    GL_RG8 = 0x822B,
    GL_RGB8 = 0x8051,
    GL_RGBA8 = 0x8058,
    GL_SRGB8_ALPHA8 = 0x8C43,
    GL_RGBA16F = 0x881A,
    GL_RGB16F = 0x881B,
    GL_R11F_G11F_B10F = 0x8C3A,
    GL_DEPTH_COMPONENT16 = 0x81A5,
    GL_DEPTH_COMPONENT24 = 0x81A6,
    GL_DEPTH_COMPONENT32F = 0x8CAC,
    GL_DEPTH24_STENCIL8 = 0x88F0,
    GL_DEPTH_STENCIL = 0x84F9,

    GL_NEAREST = 0x2600,
    GL_LINEAR = 0x2601,
    GL_NEAREST_MIPMAP_NEAREST = 0x2700,
    GL_LINEAR_MIPMAP_NEAREST = 0x2701,
    GL_NEAREST_MIPMAP_LINEAR = 0x2702,
    GL_LINEAR_MIPMAP_LINEAR = 0x2703,
    GL_TEXTURE_MAG_FILTER = 0x2800,
    GL_TEXTURE_MIN_FILTER = 0x2801,
    GL_TEXTURE_WRAP_S = 0x2802,
    GL_TEXTURE_WRAP_T = 0x2803,
    GL_TEXTURE_WRAP_R = 0x8072,
    GL_REPEAT = 0x2901,
    GL_CLAMP_TO_EDGE = 0x812F,
    GL_MIRRORED_REPEAT = 0x8370,
    GL_TEXTURE_BASE_LEVEL = 0x813C,
    GL_TEXTURE_MAX_LEVEL = 0x813D,
    GL_TEXTURE_MAX_ANISOTROPY = 0x84FE,
    GL_TEXTURE_COMPARE_MODE = 0x884C,
    GL_TEXTURE_COMPARE_FUNC = 0x884D,
    GL_COMPARE_REF_TO_TEXTURE = 0x884E,
    GL_TEXTURE_SWIZZLE_R = 0x8E42,
    GL_TEXTURE_SWIZZLE_G = 0x8E43,
    GL_TEXTURE_SWIZZLE_B = 0x8E44,
    GL_TEXTURE_SWIZZLE_A = 0x8E45,

    GL_TEXTURE_2D = 0x0DE1,
    GL_TEXTURE_3D = 0x806F,
    GL_TEXTURE_2D_ARRAY = 0x8C1A,
    GL_TEXTURE_2D_MULTISAMPLE = 0x9100,
    GL_TEXTURE_BINDING_2D = 0x8069,
    GL_TEXTURE0 = 0x84C0,
    GL_TEXTURE1 = 0x84C1,
    GL_TEXTURE2 = 0x84C2,
    GL_TEXTURE3 = 0x84C3,
    GL_TEXTURE4 = 0x84C4,
    GL_TEXTURE5 = 0x84C5,
    GL_TEXTURE6 = 0x84C6,
    GL_TEXTURE7 = 0x84C7,
    GL_ACTIVE_TEXTURE = 0x84E0,

    GL_ARRAY_BUFFER = 0x8892,
    GL_COPY_READ_BUFFER = 0x8F36,
    GL_TEXTURE_BUFFER = 0x8C2A,
    GL_MAX_TEXTURE_BUFFER_SIZE = 0x8C2B,
    GL_RGBA32F = 0x8814,
    GL_COPY_WRITE_BUFFER = 0x8F37,
    GL_ELEMENT_ARRAY_BUFFER = 0x8893,
    GL_ARRAY_BUFFER_BINDING = 0x8894,
    GL_STREAM_DRAW = 0x88E0,
    GL_STATIC_DRAW = 0x88E4,
    GL_DYNAMIC_DRAW = 0x88E8,
    GL_BUFFER_SIZE = 0x8764,

    GL_FRAGMENT_SHADER = 0x8B30,
    GL_VERTEX_SHADER = 0x8B31,
    GL_COMPILE_STATUS = 0x8B81,
    GL_LINK_STATUS = 0x8B82,
    GL_VALIDATE_STATUS = 0x8B83,
    GL_INFO_LOG_LENGTH = 0x8B84,
    GL_CURRENT_PROGRAM = 0x8B8D,

    GL_FRAMEBUFFER = 0x8D40,
    GL_READ_FRAMEBUFFER = 0x8CA8,
    GL_DRAW_FRAMEBUFFER = 0x8CA9,
    GL_FRAMEBUFFER_BINDING = 0x8CA6,
    GL_READ_FRAMEBUFFER_BINDING = 0x8CAA,
    GL_RENDERBUFFER = 0x8D41,
    GL_COLOR_ATTACHMENT0 = 0x8CE0,
    GL_DEPTH_ATTACHMENT = 0x8D00,
    GL_STENCIL_ATTACHMENT = 0x8D20,
    GL_DEPTH_STENCIL_ATTACHMENT = 0x821A,
    GL_FRAMEBUFFER_COMPLETE = 0x8CD5,
    GL_MAX_SAMPLES = 0x8D57,
    GL_SAMPLES = 0x80A9,
    GL_SAMPLE_BUFFERS = 0x80A8,
    GL_MAX_COLOR_ATTACHMENTS = 0x8CDF,

    GL_TEXTURE_WIDTH = 0x1000,
    GL_TIME_ELAPSED = 0x88BF,
    GL_QUERY_RESULT = 0x8866,
    GL_QUERY_RESULT_AVAILABLE = 0x8867,
};
// GL_TRUE/GL_FALSE as GLboolean values.
constexpr GLboolean GL_TRUE = 1;
constexpr GLboolean GL_FALSE = 0;

// ---- Entry points ------------------------------------------------------------
// X(return type, name, parameter list). The first table holds the functions the
// game cannot run without, in the order they are looked up and checked.
#define GL_CORE_FUNCTIONS(X)                                                                     \
    X(void, glClear, (GLbitfield mask))                                                          \
    X(void, glClearColor, (GLfloat r, GLfloat g, GLfloat b, GLfloat a))                          \
    X(void, glViewport, (GLint x, GLint y, GLsizei w, GLsizei h))                                \
    X(void, glEnable, (GLenum cap))                                                              \
    X(void, glDisable, (GLenum cap))                                                             \
    X(void, glBlendFunc, (GLenum sfactor, GLenum dfactor))                                       \
    X(void, glDepthFunc, (GLenum func))                                                          \
    X(void, glDepthMask, (GLboolean flag))                                                       \
    X(void, glCullFace, (GLenum mode))                                                           \
    X(void, glScissor, (GLint x, GLint y, GLsizei w, GLsizei h))                                 \
    X(GLenum, glGetError, (void))                                                                \
    X(const GLubyte*, glGetString, (GLenum name))                                                \
    X(void, glGetIntegerv, (GLenum pname, GLint * data))                                         \
    X(void, glPixelStorei, (GLenum pname, GLint param))                                          \
    X(void, glReadPixels,                                                                        \
      (GLint x, GLint y, GLsizei w, GLsizei h, GLenum format, GLenum type, void* pixels))        \
    X(void, glPolygonOffset, (GLfloat factor, GLfloat units))                                    \
    X(void, glColorMask, (GLboolean r, GLboolean g, GLboolean b, GLboolean a))                   \
    X(void, glGenTextures, (GLsizei n, GLuint * textures))                                       \
    X(void, glBindTexture, (GLenum target, GLuint texture))                                      \
    X(void, glTexParameteri, (GLenum target, GLenum pname, GLint param))                         \
    X(void, glTexParameterf, (GLenum target, GLenum pname, GLfloat param))                       \
    X(void, glTexImage2D,                                                                        \
      (GLenum target, GLint level, GLint internalformat, GLsizei w, GLsizei h, GLint border,     \
       GLenum format, GLenum type, const void* pixels))                                          \
    X(void, glTexImage3D,                                                                        \
      (GLenum target, GLint level, GLint internalformat, GLsizei w, GLsizei h, GLsizei d,        \
       GLint border, GLenum format, GLenum type, const void* pixels))                            \
    X(void, glDeleteTextures, (GLsizei n, const GLuint* textures))                               \
    X(void, glDrawArrays, (GLenum mode, GLint first, GLsizei count))                             \
    X(void, glDrawElements, (GLenum mode, GLsizei count, GLenum type, const void* indices))      \
    X(void, glActiveTexture, (GLenum texture))                                                   \
    X(void, glGenerateMipmap, (GLenum target))                                                   \
    X(void, glGenBuffers, (GLsizei n, GLuint * buffers))                                         \
    X(void, glBindBuffer, (GLenum target, GLuint buffer))                                        \
    X(void, glBufferData, (GLenum target, GLsizeiptr size, const void* data, GLenum usage))      \
    X(void, glBufferSubData, (GLenum target, GLintptr offset, GLsizeiptr size, const void* data)) \
    X(void, glDeleteBuffers, (GLsizei n, const GLuint* buffers))                                 \
    X(void, glGenVertexArrays, (GLsizei n, GLuint * arrays))                                     \
    X(void, glBindVertexArray, (GLuint array))                                                   \
    X(void, glDeleteVertexArrays, (GLsizei n, const GLuint* arrays))                             \
    X(void, glEnableVertexAttribArray, (GLuint index))                                           \
    X(void, glVertexAttribPointer,                                                               \
      (GLuint index, GLint size, GLenum type, GLboolean normalized, GLsizei stride,              \
       const void* pointer))                                                                     \
    X(void, glVertexAttribDivisor, (GLuint index, GLuint divisor))                               \
    X(void, glVertexAttrib4f, (GLuint index, GLfloat x, GLfloat y, GLfloat z, GLfloat w))        \
    X(void, glDrawElementsInstanced,                                                             \
      (GLenum mode, GLsizei count, GLenum type, const void* indices, GLsizei instancecount))     \
    X(void, glDrawElementsInstancedBaseVertex,                                                   \
      (GLenum mode, GLsizei count, GLenum type, const void* indices, GLsizei instancecount,      \
       GLint basevertex))                                                                        \
    X(void, glMultiDrawElementsBaseVertex,                                                       \
      (GLenum mode, const GLsizei* count, GLenum type, const void* const* indices,                \
       GLsizei drawcount, const GLint* basevertex))                                              \
    X(void, glTexBuffer, (GLenum target, GLenum internalformat, GLuint buffer))                  \
    X(void, glCopyBufferSubData,                                                                 \
      (GLenum read_target, GLenum write_target, GLintptr read_offset, GLintptr write_offset,     \
       GLsizeiptr size))                                                                         \
    X(GLuint, glCreateShader, (GLenum type))                                                     \
    X(void, glShaderSource,                                                                      \
      (GLuint shader, GLsizei count, const GLchar* const* strings, const GLint* lengths))        \
    X(void, glCompileShader, (GLuint shader))                                                    \
    X(void, glGetShaderiv, (GLuint shader, GLenum pname, GLint * params))                        \
    X(void, glGetShaderInfoLog, (GLuint shader, GLsizei cap, GLsizei * length, GLchar * log))    \
    X(GLuint, glCreateProgram, (void))                                                           \
    X(void, glAttachShader, (GLuint program, GLuint shader))                                     \
    X(void, glLinkProgram, (GLuint program))                                                     \
    X(void, glGetProgramiv, (GLuint program, GLenum pname, GLint * params))                      \
    X(void, glGetProgramInfoLog, (GLuint program, GLsizei cap, GLsizei * length, GLchar * log))  \
    X(void, glUseProgram, (GLuint program))                                                      \
    X(GLint, glGetUniformLocation, (GLuint program, const GLchar* name))                         \
    X(void, glBindAttribLocation, (GLuint program, GLuint index, const GLchar* name))            \
    X(void, glUniform1i, (GLint location, GLint v0))                                             \
    X(void, glUniform1f, (GLint location, GLfloat v0))                                           \
    X(void, glUniform2f, (GLint location, GLfloat v0, GLfloat v1))                               \
    X(void, glUniform3f, (GLint location, GLfloat v0, GLfloat v1, GLfloat v2))                   \
    X(void, glUniform4f, (GLint location, GLfloat v0, GLfloat v1, GLfloat v2, GLfloat v3))       \
    X(void, glUniform3fv, (GLint location, GLsizei count, const GLfloat* value))                 \
    X(void, glUniform4fv, (GLint location, GLsizei count, const GLfloat* value))                 \
    X(void, glUniformMatrix3fv,                                                                  \
      (GLint location, GLsizei count, GLboolean transpose, const GLfloat* value))                \
    X(void, glUniformMatrix4fv,                                                                  \
      (GLint location, GLsizei count, GLboolean transpose, const GLfloat* value))                \
    X(void, glGenFramebuffers, (GLsizei n, GLuint * framebuffers))                               \
    X(void, glBindFramebuffer, (GLenum target, GLuint framebuffer))                              \
    X(void, glFramebufferTexture2D,                                                              \
      (GLenum target, GLenum attachment, GLenum textarget, GLuint texture, GLint level))         \
    X(GLenum, glCheckFramebufferStatus, (GLenum target))                                         \
    X(void, glDeleteFramebuffers, (GLsizei n, const GLuint* framebuffers))                       \
    X(void, glGenRenderbuffers, (GLsizei n, GLuint * renderbuffers))                             \
    X(void, glBindRenderbuffer, (GLenum target, GLuint renderbuffer))                            \
    X(void, glRenderbufferStorageMultisample,                                                    \
      (GLenum target, GLsizei samples, GLenum internalformat, GLsizei w, GLsizei h))             \
    X(void, glFramebufferRenderbuffer,                                                           \
      (GLenum target, GLenum attachment, GLenum rbtarget, GLuint renderbuffer))                  \
    X(void, glDeleteRenderbuffers, (GLsizei n, const GLuint* renderbuffers))                     \
    X(void, glBlitFramebuffer,                                                                   \
      (GLint sx0, GLint sy0, GLint sx1, GLint sy1, GLint dx0, GLint dy0, GLint dx1, GLint dy1,   \
       GLbitfield mask, GLenum filter))                                                          \
    X(void, glDrawBuffer, (GLenum buf))                                                          \
    X(void, glReadBuffer, (GLenum src))

// Further entry points that some code finds handy; they are looked up too, but
// a missing one only leaves its pointer null (callers test it).
#define GL_EXTRA_FUNCTIONS(X)                                                                    \
    X(void, glTexSubImage2D,                                                                     \
      (GLenum target, GLint level, GLint xoff, GLint yoff, GLsizei w, GLsizei h, GLenum format,  \
       GLenum type, const void* pixels))                                                         \
    X(void, glTexSubImage3D,                                                                     \
      (GLenum target, GLint level, GLint xoff, GLint yoff, GLint zoff, GLsizei w, GLsizei h,     \
       GLsizei d, GLenum format, GLenum type, const void* pixels))                               \
    X(void, glDeleteShader, (GLuint shader))                                                     \
    X(void, glDeleteProgram, (GLuint program))                                                   \
    X(void, glUniform1fv, (GLint location, GLsizei count, const GLfloat* value))                 \
    X(void, glUniform2fv, (GLint location, GLsizei count, const GLfloat* value))                 \
    X(void, glUniform1iv, (GLint location, GLsizei count, const GLint* value))                   \
    X(void, glDrawArraysInstanced,                                                               \
      (GLenum mode, GLint first, GLsizei count, GLsizei instancecount))                          \
    X(void, glBlendFuncSeparate,                                                                 \
      (GLenum srcRGB, GLenum dstRGB, GLenum srcAlpha, GLenum dstAlpha))                          \
    X(void, glFinish, (void))                                                                    \
    X(void, glFlush, (void))                                                                     \
    X(void, glLineWidth, (GLfloat width))                                                        \
    X(void, glClearDepth, (GLdouble depth))                                                      \
    X(void, glDrawBuffers, (GLsizei n, const GLenum* bufs))                                      \
    X(void, glFrontFace, (GLenum mode))                                                          \
    X(GLboolean, glIsEnabled, (GLenum cap))                                                      \
    X(void, glGetFloatv, (GLenum pname, GLfloat * data))                                         \
    X(GLboolean, glIsBuffer, (GLuint buffer))                                                    \
    X(void, glGetTexImage,                                                                       \
      (GLenum target, GLint level, GLenum format, GLenum type, void* pixels))                    \
    X(void, glGenQueries, (GLsizei n, GLuint * ids))                                             \
    X(void, glDeleteQueries, (GLsizei n, const GLuint* ids))                                     \
    X(void, glBeginQuery, (GLenum target, GLuint id))                                            \
    X(void, glEndQuery, (GLenum target))                                                         \
    X(void, glGetQueryObjectiv, (GLuint id, GLenum pname, GLint * params))                       \
    X(void, glGetQueryObjectui64v, (GLuint id, GLenum pname, uint64_t * params))                \
    X(void, glGetTexLevelParameteriv, (GLenum target, GLint level, GLenum pname, GLint * params)) \
    X(const GLubyte*, glGetStringi, (GLenum name, GLuint index))                                \
    X(void, glMaxShaderCompilerThreadsKHR, (GLuint count))                                       \
    X(void, glMaxShaderCompilerThreadsARB, (GLuint count))

#define GL_DECLARE_POINTER(ret, name, params)         \
    typedef ret(GL_APIENTRY* PFN_##name##_t) params; \
    extern GL_PTR_VISIBILITY PFN_##name##_t name;
GL_CORE_FUNCTIONS(GL_DECLARE_POINTER)
GL_EXTRA_FUNCTIONS(GL_DECLARE_POINTER)
#undef GL_DECLARE_POINTER

// Number of entry points the game needs; a missing one stops the start-up.
constexpr int GL_CORE_COUNT = 80;

// Looks every entry point up through gl_proc; logs "OpenGL : fonction absente %s"
// for each missing required one and returns false if any was missing.
bool gl_load();
// The same with another lookup (tests feed a fake driver through it).
bool gl_load_with(void* (*lookup)(const char* name));
// Name of required entry point i (0 .. GL_CORE_COUNT - 1), or null.
const char* gl_core_name(int index);
