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
void __real_glNormal3fv(const GLfloat*);
void __real_glNormal3dv(const GLdouble*);
void __real_glTexCoord2f(GLfloat, GLfloat);
void __real_glTexCoord2d(GLdouble, GLdouble);
void __real_glTexCoord2fv(const GLfloat*);
void __real_glVertex3fv(const GLfloat*);
void __real_glVertex3dv(const GLdouble*);

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
void __wrap_glNormal3fv(const GLfloat* v)
{
    note(GlCall::Normal, v[0], v[1], v[2], true);
    __real_glNormal3fv(v);
}
void __wrap_glNormal3dv(const GLdouble* v)
{
    note(GlCall::Normal, v[0], v[1], v[2], false);
    __real_glNormal3dv(v);
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
void __wrap_glTexCoord2fv(const GLfloat* v)
{
    note(GlCall::TexCoord, v[0], v[1], 0, true);
    __real_glTexCoord2fv(v);
}
void __wrap_glVertex3fv(const GLfloat* v)
{
    note(GlCall::Vertex, v[0], v[1], v[2], true);
    __real_glVertex3fv(v);
}
void __wrap_glVertex3dv(const GLdouble* v)
{
    note(GlCall::Vertex, v[0], v[1], v[2], false);
    __real_glVertex3dv(v);
}
}
