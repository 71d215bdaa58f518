// The wrapped GL entry points; see gl_recorder.h.
#include "gl_recorder.h"

GlRecorder glRecorder;

namespace {
void note(GlCall::Kind kind, double a, double b, double c, bool single)
{
    if (glRecorder.on)
        glRecorder.calls.push_back(GlCall{kind, {a, b, c}, single});
}
} // namespace

extern "C" {
void __real_glBindTexture(GLenum, GLuint);
void __real_glBegin(GLenum);
void __real_glEnd();
void __real_glTexCoord2f(GLfloat, GLfloat);
void __real_glTexCoord2d(GLdouble, GLdouble);

void __wrap_glBindTexture(GLenum target, GLuint name)
{
    note(GlCall::Bind, name, 0, 0, false);
    __real_glBindTexture(target, name);
}
void __wrap_glBegin(GLenum mode)
{
    note(GlCall::Begin, mode, 0, 0, false);
    __real_glBegin(mode);
}
void __wrap_glEnd()
{
    note(GlCall::End, 0, 0, 0, false);
    __real_glEnd();
}
void __wrap_glTexCoord2f(GLfloat s, GLfloat t)
{
    note(GlCall::TexCoord, s, t, 0, true);
    __real_glTexCoord2f(s, t);
}
void __wrap_glTexCoord2d(GLdouble s, GLdouble t)
{
    note(GlCall::TexCoord, s, t, 0, false);
    __real_glTexCoord2d(s, t);
}
// The entry points that take their values by pointer: the real one declared,
// the call noted, then passed on.
#define WRAP_BY_POINTER(fn, type, kind, third, single) \
    void __real_##fn(const type*);                      \
    void __wrap_##fn(const type* v)                     \
    {                                                   \
        note(kind, v[0], v[1], third, single);          \
        __real_##fn(v);                                 \
    }
WRAP_BY_POINTER(glNormal3fv, GLfloat, GlCall::Normal, v[2], true)
WRAP_BY_POINTER(glNormal3dv, GLdouble, GlCall::Normal, v[2], false)
WRAP_BY_POINTER(glTexCoord2fv, GLfloat, GlCall::TexCoord, 0, true)
WRAP_BY_POINTER(glVertex3fv, GLfloat, GlCall::Vertex, v[2], true)
WRAP_BY_POINTER(glVertex3dv, GLdouble, GlCall::Vertex, v[2], false)
}
