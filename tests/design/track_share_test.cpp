// Shared tracks: a true file is offered, and one whose plan, run or layout has
// been touched is refused with a reason, hostile sizes included.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "design/track_package.h"
#include "design/track_share.h"
#include "ridge_plan.h"

namespace {

// The ridge plan as a shared file holds it, shared by every test here.
const SharedTrack& ridgeShared()
{
    static const SharedTrack shared{formatPlan(ridgePackage().plan), ridgePackage().author};
    return shared;
}

// What the check of a shared file says, and what it hands back.
struct Verified {
    std::string reason;
    SharedTrack shared;
    TrackPlan plan;
    BuiltTrack built;
};

Verified verify(const std::vector<uint8_t>& bytes)
{
    Verified v;
    v.reason = verifySharedTrack(bytes.data(), bytes.size(), v.shared, v.plan, v.built);
    return v;
}

void putU32At(std::vector<uint8_t>& bytes, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

} // namespace

TEST(SharedTrack, ATrueFileIsOfferedWithItsRoad)
{
    ASSERT_FALSE(ridgeShared().author.records.empty()) << "the ridge plan did not build";
    const std::vector<uint8_t> bytes = encodeSharedTrack(ridgeShared());
    const Verified v = verify(bytes);
    EXPECT_EQ(v.reason, "");
    EXPECT_EQ(v.plan.name, "ridge");
    EXPECT_FALSE(v.built.segments.empty());
    EXPECT_EQ(encodeSharedTrack(v.shared), bytes);
    EXPECT_EQ(sharedTrackFileName(v.plan), "ridge.vtrack");
}

TEST(SharedTrack, TamperedFilesAreRefused)
{
    ASSERT_FALSE(ridgeShared().author.records.empty());
    auto withPlan = [](const std::string& from, const std::string& to) {
        SharedTrack s = ridgeShared();
        s.planText.replace(s.planText.find(from), from.size(), to);
        return encodeSharedTrack(s);
    };
    auto withRun = [](const std::function<void(GhostFile&)>& change) {
        SharedTrack s = ridgeShared();
        change(s.author);
        return encodeSharedTrack(s);
    };
    const std::vector<uint8_t> good = encodeSharedTrack(ridgeShared());
    const size_t planSizeAt = 12, ghostSizeAt = 16 + ridgeShared().planText.size();
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* words;
    };
    std::vector<Case> cases = {
        {"a radius changed", withPlan("corner 900 0 90", "corner 900 0 95"), "differs"},
        {"the plan renamed", withPlan("name ridge", "name ridge2"), "another track"},
        {"a plan that makes no road", withPlan("corner 900 0 90 5 10", "corner 900 0 90 5 99"), "its plan, line 8"},
        {"a record changed", withRun([](GhostFile& g) { g.records[g.records.size() / 2].steer = 1.0f; }), "replay"},
        {"a faster time claimed", withRun([](GhostFile& g) { g.ticks -= 100; }), "replay"},
        {"a record cut", withRun([](GhostFile& g) { g.records.pop_back(); }), "replay"},
        {"empty", {}, "not a shared track"},
        {"a ghost file alone", encodeGhost(ridgeShared().author), "not a shared track"},
        {"truncated", std::vector<uint8_t>(good.begin(), good.end() - 1), "truncated"},
        {"a byte added", [&] { auto b = good; b.push_back(0); return b; }(), "after the author run"},
        {"another version", [&] { auto b = good; putU32At(b, 8, 2); return b; }(), "another version"},
        {"a huge plan size", [&] { auto b = good; putU32At(b, planSizeAt, 0xffffffffu); return b; }(), "64 KiB"},
        {"a plan past the end", std::vector<uint8_t>(good.begin(), good.begin() + 40), "truncated"},
        {"a huge run size", [&] { auto b = good; putU32At(b, ghostSizeAt, 0xfffffff0u); return b; }(), "too large"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string reason = verify(c.bytes).reason;
        EXPECT_NE(reason.find(c.words), std::string::npos) << reason;
        EXPECT_EQ(reason.find('\n'), std::string::npos) << reason;
    }
}

TEST(SharedTrack, AnOfferedFileMakesTheFilesItsAuthorBuilt)
{
    ASSERT_FALSE(ridgeShared().author.records.empty());
    TrackPlan plan;
    PlanFault fault;
    TrackPackage original;
    ASSERT_TRUE(readPlan(ridgePlan, plan, fault));
    ASSERT_TRUE(buildTrackPackage(plan, original, fault)) << describeFault(fault);

    const Verified received = verify(encodeSharedTrack(ridgeShared()));
    ASSERT_EQ(received.reason, "");
    TrackPackage imported;
    ASSERT_TRUE(packageWithAuthor(received.plan, received.built, received.shared.author, imported, fault))
        << describeFault(fault);
    ASSERT_EQ(imported.files.size(), original.files.size());
    for (size_t i = 0; i < original.files.size(); ++i) {
        EXPECT_EQ(imported.files[i].name, original.files[i].name);
        EXPECT_TRUE(imported.files[i].bytes == original.files[i].bytes) << original.files[i].name;
    }
    EXPECT_TRUE(imported.scenery.atlas.pixels.size() == original.scenery.atlas.pixels.size() &&
                std::memcmp(imported.scenery.atlas.pixels.data(), original.scenery.atlas.pixels.data(),
                            imported.scenery.atlas.pixels.size() * sizeof(Rgba)) == 0);
}
