#include "sim/run_compare.h"

#include <algorithm>
#include <map>
#include <utility>

#include "sim/autopilot.h"
#include "sim/race_session.h"
#include "sim/replay.h"
#include "sim/ship.h"
#include "track/track_file.h"

std::vector<Section> commonSections(const RunSplits& a, const RunSplits& b)
{
    std::map<std::pair<int32_t, int32_t>, int64_t> ticksOfB;
    for (const Split& s : b.splits)
        ticksOfB.emplace(std::make_pair(s.lap, s.segment), s.raceTick);
    std::vector<Section> sections;
    int64_t lastA = 0;
    int64_t lastB = 0;
    for (const Split& s : a.splits) {
        const auto found = ticksOfB.find({s.lap, s.segment});
        if (found == ticksOfB.end() || found->second <= lastB)
            continue;
        Section section;
        section.lap = s.lap;
        section.segment = s.segment;
        section.tickA = s.raceTick;
        section.tickB = found->second;
        section.ticksA = s.raceTick - lastA;
        section.ticksB = found->second - lastB;
        sections.push_back(section);
        lastA = s.raceTick;
        lastB = found->second;
    }
    return sections;
}

SectorLayout sectorLayout(const Track& track, double gravity)
{
    SectorLayout layout;
    layout.segmentCount = static_cast<int32_t>(track.segments.size());
    if (layout.segmentCount <= 0)
        return layout;
    layout.sectorsPerLap = std::min(maxSectorsPerLap, layout.segmentCount);
    // The rules raise the counter ahead of the segment the first tick finds
    // the ship on: that joint is where every lap begins.
    Track copy = track;
    ShipState ship;
    RaceSession session;
    beginRace(session, copy, ship, nullptr, gravity);
    const TickReport first = stepRace(session, nullptr);
    const int32_t start = first.segment < 0 ? 0 : first.segment;
    layout.startJoint = (start + 1) % layout.segmentCount;
    return layout;
}

int32_t sectorCount(const SectorLayout& layout)
{
    return layout.segmentCount <= 0 ? 0 : 1 + raceLaps * layout.sectorsPerLap;
}

int32_t sectorOf(const SectorLayout& layout, int32_t lap, int32_t segment)
{
    const int32_t n = layout.segmentCount;
    if (n <= 0 || segment < 0 || segment >= n)
        return -1;
    int32_t place = (segment - layout.startJoint + n) % n;
    int32_t lapOfJoint = lap;
    if (place == 0) {
        lapOfJoint = lap - 1;
        place = n;
    }
    if (lapOfJoint < 0 || lapOfJoint > raceLaps)
        return -1;
    if (lapOfJoint == 0)
        return 0;
    // Sector k of a lap holds the joints after k n / K up to (k + 1) n / K.
    const int64_t k = (int64_t(place) * layout.sectorsPerLap + n - 1) / n - 1;
    return 1 + (lapOfJoint - 1) * layout.sectorsPerLap + static_cast<int32_t>(k);
}

int32_t sectorLap(const SectorLayout& layout, int32_t sector)
{
    if (sector <= 0 || layout.sectorsPerLap <= 0)
        return 0;
    return 1 + (sector - 1) / layout.sectorsPerLap;
}

int32_t sectorInLap(const SectorLayout& layout, int32_t sector)
{
    if (sector <= 0 || layout.sectorsPerLap <= 0)
        return 0;
    return (sector - 1) % layout.sectorsPerLap;
}

JointKey sectorEnd(const SectorLayout& layout, int32_t sector)
{
    const int32_t n = layout.segmentCount;
    const int32_t lap = sectorLap(layout, sector);
    if (n <= 0 || lap == 0)
        return JointKey{1, layout.startJoint};
    const int64_t k = sectorInLap(layout, sector);
    const int32_t place = static_cast<int32_t>((k + 1) * n / layout.sectorsPerLap);
    if (place == n)
        return JointKey{lap + 1, layout.startJoint};
    return JointKey{lap, (layout.startJoint + place) % n};
}

std::vector<SectorRow> groupSectors(const SectorLayout& layout, const std::vector<Section>& sections)
{
    std::vector<SectorRow> rows(size_t(sectorCount(layout)));
    for (const Section& s : sections) {
        const int32_t sector = sectorOf(layout, s.lap, s.segment);
        if (sector < 0)
            continue;
        SectorRow& row = rows[size_t(sector)];
        ++row.sections;
        row.ticksA += s.ticksA;
        row.ticksB += s.ticksB;
    }
    return rows;
}

int32_t worstSector(const std::vector<SectorRow>& rows)
{
    int32_t worst = -1;
    int64_t lost = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        const int64_t d = rows[i].ticksA - rows[i].ticksB;
        if (d > lost) {
            lost = d;
            worst = static_cast<int32_t>(i);
        }
    }
    return worst;
}

std::vector<int64_t> runSectorTicks(const SectorLayout& layout, const RunSplits& run)
{
    const int32_t count = sectorCount(layout);
    std::vector<int64_t> ticks(size_t(count), -1);
    int64_t from = 0;
    for (int32_t sector = 0; sector < count; ++sector) {
        const JointKey end = sectorEnd(layout, sector);
        const int64_t to = splitTickAt(run, end.lap, end.segment);
        if (from >= 0 && to > from)
            ticks[size_t(sector)] = to - from;
        from = to;
    }
    return ticks;
}

int64_t theoreticalBest(const std::vector<std::vector<int64_t>>& runs)
{
    if (runs.empty())
        return -1;
    size_t sectors = runs.front().size();
    for (const std::vector<int64_t>& r : runs)
        sectors = std::min(sectors, r.size());
    if (sectors == 0)
        return -1;
    int64_t sum = 0;
    for (size_t i = 0; i < sectors; ++i) {
        int64_t best = -1;
        for (const std::vector<int64_t>& r : runs) {
            if (r[i] >= 0 && (best < 0 || r[i] < best))
                best = r[i];
        }
        if (best < 0)
            return -1;
        sum += best;
    }
    return sum;
}

std::vector<double> jointDistances(const Track& track)
{
    const AutopilotPath path = buildAutopilotPath(track);
    std::vector<double> joints;
    if (path.distance.empty())
        return joints;
    for (size_t i = 0; i < track.segments.size(); ++i)
        joints.push_back(path.distance[i * size_t(path.samplesPerSegment)]);
    joints.push_back(path.distance.back());
    return joints;
}

std::vector<GapSample> gapOverDistance(const SectorLayout& layout, const std::vector<double>& joints,
                                       const std::vector<Section>& sections)
{
    std::vector<GapSample> samples;
    const int32_t n = layout.segmentCount;
    if (n <= 0 || joints.size() != size_t(n) + 1)
        return samples;
    const double lapLength = joints.back();
    const double origin = joints[size_t(layout.startJoint)];
    for (const Section& s : sections) {
        if (s.segment < 0 || s.segment >= n)
            continue;
        const int64_t gap = s.tickA - s.tickB;
        if (s.segment == layout.startJoint) {
            if (s.lap - 1 >= 1 && s.lap - 1 <= raceLaps)
                samples.push_back(GapSample{s.lap - 1, lapLength, gap});
            if (s.lap >= 1 && s.lap <= raceLaps)
                samples.push_back(GapSample{s.lap, 0.0, gap});
            continue;
        }
        if (s.lap < 1 || s.lap > raceLaps)
            continue;
        double distance = joints[size_t(s.segment)] - origin;
        if (distance < 0.0)
            distance += lapLength;
        samples.push_back(GapSample{s.lap, distance, gap});
    }
    return samples;
}

std::string sectorLabel(const SectorLayout& layout, int32_t sector)
{
    if (sector <= 0)
        return "start";
    return std::to_string(sectorLap(layout, sector)) + "." + std::to_string(sectorInLap(layout, sector) + 1);
}

namespace {

struct Replayed {
    ReplayResult result;
    RunSplits splits;
};

Replayed replayWithSplits(const Track& track, const std::vector<ControlInput>& records, double gravity)
{
    Replayed r;
    Track copy = track;
    resetSplits(r.splits, static_cast<int32_t>(copy.segments.size()));
    ReplaySetup setup;
    setup.controls = records;
    setup.gravity = gravity;
    setup.onTick = [&r](const TickReport& report) { noteSplitTick(r.splits, report); };
    r.result = replayRace(copy, setup);
    return r;
}

}  // namespace

RunAnalysis analyseRun(const Track& track, const std::vector<ControlInput>& run,
                       const std::vector<ControlInput>& reference, const std::vector<std::vector<int64_t>>& history,
                       double gravity)
{
    RunAnalysis a;
    a.layout = sectorLayout(track, gravity);
    const Replayed own = replayWithSplits(track, run, gravity);
    const Replayed ref = replayWithSplits(track, reference, gravity);
    a.outcome = own.result.outcome;
    a.referenceOutcome = ref.result.outcome;
    a.ticks = own.result.raceTicks;
    a.referenceTicks = ref.result.raceTicks;
    a.difference = a.ticks - a.referenceTicks;
    a.sections = commonSections(own.splits, ref.splits);
    a.sectors = groupSectors(a.layout, a.sections);
    a.worstSector = worstSector(a.sectors);
    std::vector<std::vector<int64_t>> all = history;
    all.push_back(runSectorTicks(a.layout, own.splits));
    all.push_back(runSectorTicks(a.layout, ref.splits));
    a.theoreticalBest = theoreticalBest(all);
    const std::vector<double> joints = jointDistances(track);
    a.gap = gapOverDistance(a.layout, joints, a.sections);
    a.lapLength = joints.empty() ? 0.0 : joints.back();
    return a;
}
