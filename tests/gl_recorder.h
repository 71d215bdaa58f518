#pragma once
// Test-only recording layer over the GL calls the drawing code makes. The
// test executables that draw are linked with --wrap for these functions, so
// every call from the game's code is logged here and then passed on to the
// real GL unchanged.

#include <GL/gl.h>

#include <cstddef>
#include <vector>

struct GlCall {
    enum Kind { Bind, Begin, End, Normal, TexCoord, Vertex } kind;
    // Vertex, normal (three) or texture coordinate (two) values as sent;
    // the texture name for Bind, the primitive for Begin.
    double v[3];
    // Sent in single precision (the ...f / ...fv entry points).
    bool single;
};

struct GlRecorder {
    bool on = false;
    std::vector<GlCall> calls;
};

extern GlRecorder glRecorder;

inline void startRecording()
{
    glRecorder.calls.clear();
    glRecorder.on = true;
}

inline std::vector<GlCall> stopRecording()
{
    glRecorder.on = false;
    return glRecorder.calls;
}

inline size_t countCalls(const std::vector<GlCall>& calls, GlCall::Kind kind)
{
    size_t n = 0;
    for (const GlCall& c : calls)
        n += c.kind == kind;
    return n;
}
