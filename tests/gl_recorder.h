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

// The calls draw makes.
template <typename Draw>
std::vector<GlCall> recorded(Draw draw)
{
    startRecording();
    draw();
    return stopRecording();
}

inline size_t countCalls(const std::vector<GlCall>& calls, GlCall::Kind kind)
{
    size_t n = 0;
    for (const GlCall& c : calls)
        n += c.kind == kind;
    return n;
}

// Calls of the same kinds with the same values, in the same order.
inline bool sameCalls(const std::vector<GlCall>& a, const std::vector<GlCall>& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].kind != b[i].kind || a[i].single != b[i].single || a[i].v[0] != b[i].v[0] ||
            a[i].v[1] != b[i].v[1] || a[i].v[2] != b[i].v[2])
            return false;
    return true;
}

// Bytes that differ between two read-back frames; a difference in size counts one.
inline size_t differentBytes(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b)
{
    size_t n = a.size() == b.size() ? 0 : 1;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        n += a[i] != b[i];
    return n;
}
