#include "test_tracks.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "sim/autopilot.h"

Track straightTrack(int count)
{
    Track track;
    track.name = "straight";
    track.segments.resize(size_t(count));
    const double railX[4] = {-10.0, -5.0, 5.0, 10.0};
    for (int i = 0; i < count; ++i) {
        TrackSegment& s = track.segments[size_t(i)];
        for (int r = 0; r < 4; ++r) {
            s.rails[r].x = Cubic{railX[r], 0.0, 0.0, 0.0};
            s.rails[r].y = Cubic{100.0 * i, 100.0, 0.0, 0.0};
            s.rails[r].z = Cubic{0.0, 0.0, 0.0, 0.0};
        }
        s.center = Vec3{0.0, 100.0 * i + 50.0, 0.0};
    }
    return track;
}

std::vector<ControlPoint> ringPoints(int count, double radius, double width, double hillHeight, int hills)
{
    const double pi = 3.141592653589793;
    std::vector<ControlPoint> points(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        // Half a segment before angle 0, so the origin is mid-segment 0.
        double angle = 2.0 * pi * (i - 0.5) / count;
        double z = hillHeight * 0.5 * (1.0 - std::cos(hills * angle));
        for (int r = 0; r < 4; ++r) {
            // Rail 0 on the inside: on the left when driving counter-clockwise.
            double rr = radius + width * (r / 3.0 - 0.5);
            points[size_t(i)].p[r][0] = float(-radius + rr * std::cos(angle));
            points[size_t(i)].p[r][1] = float(rr * std::sin(angle));
            points[size_t(i)].p[r][2] = float(z);
        }
    }
    return points;
}

Track ringTrack(int count, double radius, double width, double hillHeight, int hills)
{
    std::vector<ControlPoint> points = ringPoints(count, radius, width, hillHeight, hills);
    Track track;
    track.name = "ring";
    track.segments.assign(points.size(), TrackSegment{});
    buildSegments(points, track.segments);
    return track;
}

void writeTrackFile(const std::string& root, const std::string& name, const std::vector<ControlPoint>& points)
{
    std::string dir = root + "/tracks/" + name;
    std::string cmd = "mkdir -p '" + dir + "'";
    if (std::system(cmd.c_str()) != 0)
        std::abort();
    std::ofstream out(dir + "/track.track", std::ios::binary);
    int32_t count = static_cast<int32_t>(points.size());
    out.write(reinterpret_cast<const char*>(&count), 4);
    for (const ControlPoint& p : points) {
        for (int r = 0; r < 4; ++r) {
            for (int a = 0; a < 3; ++a) {
                float fileUnits = p.p[r][a] / 100.0f;
                out.write(reinterpret_cast<const char*>(&fileUnits), 4);
            }
        }
    }
}

std::vector<ControlInput> drivenRun(const Track& track, float throttleCap, int64_t capFrom, int64_t capTo)
{
    Track copy = track;
    const AutopilotPath path = buildAutopilotPath(copy);
    std::vector<ControlInput> records;
    ReplaySetup setup;
    setup.maxTicks = 60000;
    setup.driver = [&](const ShipState& state, int64_t raceTick) {
        ControlInput c = autopilotControl(path, state, AutopilotSettings{});
        if (raceTick >= capFrom && raceTick < capTo && c.throttle > throttleCap)
            c.throttle = throttleCap;
        records.push_back(c);
        return c;
    };
    replayRace(copy, setup);
    return records;
}

void writeControls(const std::string& path, const std::vector<ControlInput>& records)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(records.data()), std::streamsize(records.size() * sizeof(ControlInput)));
}

std::string makeTempFolder()
{
    char pattern[] = "/tmp/vantor-sim-test-XXXXXX";
    if (!mkdtemp(pattern))
        std::abort();
    return pattern;
}

void removeFolder(const std::string& path)
{
    std::string cmd = "rm -rf '" + path + "'";
    if (std::system(cmd.c_str()) != 0)
        std::abort();
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::vector<std::string> gunzipLines(const std::string& path)
{
    std::FILE* pipe = popen(("gzip -dc '" + path + "'").c_str(), "r");
    if (!pipe)
        return {};
    std::string text;
    for (int ch; (ch = std::fgetc(pipe)) != EOF;)
        text.push_back(char(ch));
    pclose(pipe);
    return linesOf(text);
}
