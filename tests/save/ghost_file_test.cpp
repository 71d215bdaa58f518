// Ghost files: the SHA-256 under them, the byte layout of docs/ghost-format.md,
// the distrustful reader, the replay check, and the shelf of files the play
// menu offers as rivals.
#include <fcntl.h>
#include <sys/stat.h>

#include "save/ghost_shelf.h"
#include "save/rival_choice.h"
#include "save_test_util.h"
#include "sim/replay.h"

namespace {

const std::string reference = VANTOR_REFERENCE_DIR;

std::string hex(const std::string& text)
{
    return hexDigest(sha256(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

// The reference track with the best run of the reference save as its ghost file.
struct ReferenceGhost {
    Track track;
    Sha256Digest hash{};
    GhostFile ghost = referenceGhost();

    ReferenceGhost()
    {
        EXPECT_TRUE(readTrackRoad(track, reference, "refa"));
        EXPECT_TRUE(hashTrackFile(reference, "refa", hash));
    }
};

GhostFile smallGhost()
{
    GhostFile g;
    g.trackName = "ab";
    for (size_t i = 0; i < 32; ++i)
        g.trackHash[i] = static_cast<uint8_t>(i);
    g.playerName = "kim";
    g.date = 0x0102030405060708;
    g.ticks = 2;
    g.startState.fill(0x5a);
    g.records = {ControlInput{0.5f, 0.0f, 1.0f}, ControlInput{-0.25f, 1.0f, 0.0f}};
    return g;
}

std::string decodeReason(const std::vector<uint8_t>& bytes)
{
    GhostFile g;
    std::string reason;
    if (decodeGhost(bytes.data(), bytes.size(), g, reason))
        return "";
    return reason;
}

}  // namespace

TEST(Sha256, MatchesTheStandardTestVectors)
{
    EXPECT_EQ(hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(hex("abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrst"
                  "nopqrstu"),
              "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1");
    EXPECT_EQ(hex(std::string(1000000, 'a')), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
    // Lengths around the padding boundary: 55 bytes fit one last block, 56 need two.
    EXPECT_EQ(hex(std::string(55, 'a')), "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318");
    EXPECT_EQ(hex(std::string(56, 'a')), "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a");
    EXPECT_EQ(hex(std::string(64, 'a')), "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb");
}

TEST(GhostFile, TheBytesFollowTheFormatDocument)
{
    SaveBytes b;
    b.raw("VNTGHOST").i32(1).i32(1).str("ab");
    for (int i = 0; i < 32; ++i)
        b.v.push_back(static_cast<uint8_t>(i));
    b.str("kim").i32(0x05060708).i32(0x01020304).i32(2).fill(200, 0x5a).i32(2);
    // 0.5, 0, 1 and -0.25, 1, 0 as little-endian IEEE singles.
    b.i32(0x3f000000).i32(0).i32(0x3f800000).i32(int32_t(0xbe800000)).i32(0x3f800000).i32(0);
    ASSERT_EQ(b.v.size(), 301u);
    EXPECT_EQ(encodeGhost(smallGhost()), b.v);

    GhostFile back;
    std::string reason;
    ASSERT_TRUE(decodeGhost(b.v.data(), b.v.size(), back, reason)) << reason;
    EXPECT_EQ(encodeGhost(back), b.v);
    EXPECT_EQ(back.playerName, "kim");
    EXPECT_EQ(back.date, 0x0102030405060708);
    EXPECT_EQ(back.records[1].steer, -0.25f);
}

TEST(GhostFile, WritesAndReadsBackThroughTheDisk)
{
    TempDir dir;
    GhostFile g = smallGhost();
    g.playerName = std::string("a\0b", 3);
    g.date = -5;
    ASSERT_TRUE(writeGhostFile(dir / "deep/er/x.vghost", g));
    GhostFile back;
    std::string reason;
    ASSERT_TRUE(readGhostFile(dir / "deep/er/x.vghost", back, reason)) << reason;
    EXPECT_EQ(encodeGhost(back), encodeGhost(g));
    EXPECT_EQ(back.playerName.size(), 3u) << "names are carried byte for byte";
    EXPECT_FALSE(readGhostFile(dir / "none.vghost", back, reason));
    EXPECT_EQ(reason, "unreadable");
    EXPECT_FALSE(readGhostFile(dir.path, back, reason)) << "a folder is no file";
}

TEST(GhostFile, EveryCutAndEveryBadFieldIsRejected)
{
    const std::vector<uint8_t> good = encodeGhost(smallGhost());
    for (size_t n = 0; n < good.size(); ++n) {
        std::string reason = decodeReason(std::vector<uint8_t>(good.begin(), good.begin() + n));
        EXPECT_EQ(reason, n < 8 ? "not a ghost file" : "truncated") << n;
    }
    std::vector<uint8_t> longer = good;
    longer.push_back(0);
    EXPECT_EQ(decodeReason(longer), "bytes after the last record");

    auto patched = [&](size_t at, uint32_t value) {
        std::vector<uint8_t> v = good;
        for (int i = 0; i < 4; ++i)
            v[at + i] = static_cast<uint8_t>(value >> (8 * i));
        return v;
    };
    EXPECT_EQ(decodeReason(patched(8, 2)), "format version 2");
    EXPECT_EQ(decodeReason(patched(16, 0xffffffffu)), "name too long");
    EXPECT_EQ(decodeReason(patched(16, 65)), "name too long");
    EXPECT_EQ(decodeReason(patched(54, 0x7fffffffu)), "name too long");
    const size_t countAt = 301 - 24 - 4;
    EXPECT_EQ(decodeReason(patched(countAt, 0xffffffffu)), "too many records");
    EXPECT_EQ(decodeReason(patched(countAt, maxGhostRecords)), "truncated");
    EXPECT_EQ(decodeReason(patched(countAt, 1)), "bytes after the last record");
    EXPECT_EQ(decodeReason(patched(countAt + 4, 0x7fc00000u)), "record not a number");
    EXPECT_EQ(decodeReason(patched(countAt + 8, 0x7f800000u)), "record not a number");

    // Track names become folder names: nothing that leaves "tracks/".
    for (const std::string& name : std::vector<std::string>{"..", ".x", "a/b", "", std::string(65, 'a'), std::string("a\0", 2)}) {
        GhostFile g = smallGhost();
        g.trackName = name;
        std::string reason = decodeReason(encodeGhost(g));
        EXPECT_TRUE(reason == "bad track name" || reason == "name too long") << name << ": " << reason;
    }
    EXPECT_TRUE(isTrackName("refa"));
    EXPECT_TRUE(isTrackName("a.b-c_9"));
}

TEST(GhostFile, OnlyARunThatReplaysToItsStatedFinishHolds)
{
    ReferenceGhost ref;
    ASSERT_FALSE(ref.track.segments.empty());
    EXPECT_EQ(checkGhost(ref.ghost, ref.hash, ref.track), "");

    GhostFile steered = ref.ghost;
    for (size_t i = 2000; i < 2100; ++i)
        steered.records[i].steer += 0.5f;
    EXPECT_NE(checkGhost(steered, ref.hash, ref.track), "");

    GhostFile claimed = ref.ghost;
    claimed.ticks = 5425;
    EXPECT_EQ(checkGhost(claimed, ref.hash, ref.track), "replay finishes at 5426, not 5425");

    GhostFile cut = ref.ghost;
    cut.records.resize(3000);
    EXPECT_EQ(checkGhost(cut, ref.hash, ref.track), "replay ends unfinished 3000, not finish 5426");

    GhostFile padded = ref.ghost;
    padded.records.resize(padded.records.size() + 5);
    EXPECT_EQ(checkGhost(padded, ref.hash, ref.track), "records after the finish");

    Sha256Digest other;
    ASSERT_TRUE(hashTrackFile(reference, "refb", other));
    EXPECT_EQ(checkGhost(ref.ghost, other, ref.track), "track refa differs from the one the run was driven on");

    // Finite but absurd records send the ship anywhere; the replay still ends
    // with the records and rejects the run.
    GhostFile wild = ref.ghost;
    for (size_t i = 10; i < wild.records.size(); i += 7)
        wild.records[i] = ControlInput{3e38f, -3e38f, 3e38f};
    EXPECT_NE(checkGhost(wild, ref.hash, ref.track), "");

    GhostFile future = ref.ghost;
    future.physics = physicsVersion + 1;
    EXPECT_NE(checkGhost(future, ref.hash, ref.track).find("physics version"), std::string::npos);
}

namespace {

struct Shelf : ::testing::Test {
    ReferenceGhost ref;
    TempDir dir;
    GhostShelf shelf;

    std::string folder() { return dir / "ghosts"; }
    void put(const std::string& name, const GhostFile& g) { ASSERT_TRUE(writeGhostFile(folder() + "/" + name, g)); }
    void refresh(const std::string& track = "refa") { refreshShelf(shelf, folder(), track, ref.track, ref.hash, true); }
    GhostFile byFriend()
    {
        GhostFile g = ref.ghost;
        g.playerName = "friend";
        return g;
    }
    GhostFile tampered()
    {
        GhostFile g = ref.ghost;
        g.records[100].throttle = 0.0f;
        return g;
    }
    // The run under refb's name, a tampered run and a file of junk, under names.
    void putRejectsAndRefb(const std::string& tamperedName, const std::string& refbName, const std::string& junkName)
    {
        put(tamperedName, tampered());
        GhostFile elsewhere = ref.ghost;
        elsewhere.trackName = "refb";
        put(refbName, elsewhere);
        writeFileBytes(folder() + "/" + junkName, {1, 2, 3});
    }
    Track refbRoad;
    Track& refb()
    {
        EXPECT_TRUE(readTrackRoad(refbRoad, reference, "refb"));
        return refbRoad;
    }
    std::vector<std::string> offeredNames()
    {
        std::vector<std::string> names;
        for (size_t i : shelf.offered)
            names.push_back(shelf.entries[i].path.substr(folder().size() + 1));
        return names;
    }
};

}  // namespace

TEST_F(Shelf, OffersTheVerifiedFilesOfTheTrackAndCountsTheRejected)
{
    refresh();
    EXPECT_TRUE(shelf.offered.empty()) << "no folder, nothing offered";
    EXPECT_EQ(rejectedLine(shelf), "");

    put("b-friend.vghost", byFriend());
    put("a-mine.vghost", ref.ghost);
    putRejectsAndRefb("c-tampered.vghost", "d-refb.vghost", "e-junk.vghost");
    writeFileBytes(folder() + "/notes.txt", {1, 2, 3});
    refresh();
    EXPECT_EQ(offeredNames(), (std::vector<std::string>{"a-mine.vghost", "b-friend.vghost"}));
    EXPECT_EQ(shelf.rejected, 2) << "the tampered file and the junk; the other track's waits";
    EXPECT_EQ(rejectedLine(shelf), "2 ghost files rejected");

    // The rival cycles through the best run and each verified file.
    TrackRecord record;
    record.ghostRun = {ControlInput{}};
    EXPECT_EQ(rivalRecords(shelf, record), &record.ghostRun);
    cycleRival(shelf);
    EXPECT_EQ(rivalEntry(shelf)->ghost.playerName, ref.ghost.playerName);
    cycleRival(shelf);
    EXPECT_EQ(rivalEntry(shelf)->ghost.playerName, "friend");
    EXPECT_EQ(rivalRecords(shelf, record)->size(), 5426u);
    refresh();
    EXPECT_EQ(rivalEntry(shelf)->ghost.playerName, "friend") << "a refresh keeps the rival";
    cycleRival(shelf);
    EXPECT_EQ(rivalEntry(shelf), nullptr);

    // Another track: its own files, the rival back to the best run.
    cycleRival(shelf);
    Sha256Digest refbHash;
    ASSERT_TRUE(hashTrackFile(reference, "refb", refbHash));
    refreshShelf(shelf, folder(), "refb", refb(), refbHash, true);
    EXPECT_TRUE(shelf.offered.empty()) << "the file naming refb was driven on refa";
    EXPECT_EQ(rivalEntry(shelf), nullptr);
    EXPECT_EQ(shelf.rejected, 2) << "the refb file and the junk";
}

TEST_F(Shelf, AFileIsReadAgainOnlyWhenItChanges)
{
    put("a.vghost", ref.ghost);
    refresh();
    ASSERT_EQ(shelf.offered.size(), 1u);
    cycleRival(shelf);

    // Same size and time stamps, other bytes: the cached verdict stands.
    std::string path = folder() + "/a.vghost";
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    std::vector<uint8_t> bytes = readFileBytes(path);
    // The high byte of a steer record halfway through the run.
    bytes[bytes.size() - 12 * 3000 + 3] ^= 0x40;
    std::FILE* f = std::fopen(path.c_str(), "r+b");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    struct timespec times[2] = {st.st_atim, st.st_mtim};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    refresh();
    EXPECT_EQ(shelf.offered.size(), 1u);

    // A new time stamp: read and replayed again, found false, no longer the rival.
    times[1].tv_sec += 10;
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    refresh();
    EXPECT_TRUE(shelf.offered.empty());
    EXPECT_EQ(shelf.rejected, 1);
    EXPECT_EQ(rivalEntry(shelf), nullptr);

    // A track whose file cannot be read verifies nothing.
    put("a.vghost", ref.ghost);
    refreshShelf(shelf, folder(), "refa", ref.track, ref.hash, false);
    EXPECT_TRUE(shelf.offered.empty());
}

TEST_F(Shelf, AFullFolderIsJudgedAFewFilesAtATimeAndTheGoodOneAmongBadOnesIsOffered)
{
    // 499 bad files sorted before the one good file.
    ASSERT_EQ(mkdir(folder().c_str(), 0700), 0);
    for (int i = 0; i < 499; ++i)
        writeFileBytes(folder() + "/bad-" + std::to_string(1000 + i) + ".vghost", {1, 2, 3});
    put("zz-good.vghost", ref.ghost);
    beginShelf(shelf, folder(), "refa", ref.hash, true);
    EXPECT_EQ(shelf.pending, 500u) << "listing reads nothing";
    EXPECT_TRUE(shelf.offered.empty());

    const ShelfBudget frame{8, 1};
    size_t calls = 0, reads = 0, replays = 0;
    while (shelf.pending > 0 && calls < 1000) {
        ShelfWork work = stepShelf(shelf, ref.track, nullptr, frame);
        EXPECT_LE(work.reads, frame.reads);
        EXPECT_LE(work.replays, frame.replays);
        EXPECT_GT(work.reads + work.replays, 0u) << "every call gets on";
        reads += work.reads;
        replays += work.replays;
        ++calls;
    }
    EXPECT_EQ(reads, 500u);
    EXPECT_EQ(replays, 1u);
    EXPECT_EQ(offeredNames(), (std::vector<std::string>{"zz-good.vghost"}));
    EXPECT_EQ(shelf.rejected, 499);
    EXPECT_EQ(rejectedLine(shelf), "499 ghost files rejected");
}

TEST_F(Shelf, TheLineNamesALoneRejectedFileAndCountsWhatWasNotLookedAt)
{
    ASSERT_EQ(mkdir(folder().c_str(), 0700), 0);
    writeFileBytes(folder() + "/a-junk.vghost", {1, 2, 3});
    refresh();
    ASSERT_EQ(shelf.rejected, 1);
    const std::string line = rejectedLine(shelf);
    EXPECT_EQ(line.rfind("1 ghost file rejected: a-junk.vghost: ", 0), 0u) << line;
    EXPECT_GT(line.size(), std::string("1 ghost file rejected: a-junk.vghost: ").size()) << "with its reason";

    beginShelf(shelf, folder(), "refa", ref.hash, true);
    for (size_t i = 0; i < maxShelfFiles + 2; ++i)
        writeFileBytes(folder() + "/b-" + std::to_string(10000 + i) + ".vghost", {1});
    beginShelf(shelf, folder(), "refa", ref.hash, true);
    EXPECT_EQ(shelf.notLookedAt, 3u) << "the last three by name";
    EXPECT_EQ(shelf.entries.size(), maxShelfFiles);
    std::string checking = rejectedLine(shelf);
    EXPECT_NE(checking.find("checking 999 more"), std::string::npos) << checking;
    EXPECT_NE(checking.find("3 not looked at (over 1000)"), std::string::npos) << checking;
}

TEST_F(Shelf, VerdictsKeptFromAnEarlierStartSpareTheReplays)
{
    put("a-mine.vghost", ref.ghost);
    putRejectsAndRefb("b-tampered.vghost", "c-refb.vghost", "d-junk.vghost");
    refresh();
    ASSERT_EQ(offeredNames(), (std::vector<std::string>{"a-mine.vghost"}));
    std::vector<GhostCheck> kept = decodeGhostChecks(encodeGhostChecks(checksToKeep(shelf)));
    ASSERT_EQ(kept.size(), 4u);

    GhostShelf next;
    next.keptChecks = kept;
    beginShelf(next, folder(), "refa", ref.hash, true);
    ShelfWork work = stepShelf(next, ref.track, nullptr, ShelfBudget());
    EXPECT_EQ(work.replays, 0u);
    EXPECT_EQ(work.reads, 1u) << "only the verified file, to race against";
    EXPECT_EQ(next.offered.size(), 1u);
    EXPECT_EQ(next.rejected, 2);

    // Another track hash or a changed file: judged again.
    Sha256Digest otherHash = ref.hash;
    otherHash[0] ^= 1;
    GhostShelf changed;
    changed.keptChecks = kept;
    beginShelf(changed, folder(), "refa", otherHash, true);
    EXPECT_EQ(stepShelf(changed, ref.track, nullptr, ShelfBudget()).replays, 2u);
    put("a-mine.vghost", tampered());
    GhostShelf rewritten;
    rewritten.keptChecks = kept;
    beginShelf(rewritten, folder(), "refa", ref.hash, true);
    stepShelf(rewritten, ref.track, nullptr, ShelfBudget());
    EXPECT_TRUE(rewritten.offered.empty());
}

TEST_F(Shelf, AFileWithTheBestRunsRecordsIsListedOnce)
{
    put("a-mine.vghost", ref.ghost);
    put("b-friend.vghost", byFriend());
    TrackRecord best;
    best.scores.push_back({"ace", "ship", int32_t(ref.ghost.ticks), 1});
    best.ghostRun = ref.ghost.records;
    // The save's ghost run goes on with the frames spent in the name menu.
    best.ghostRun.resize(best.ghostRun.size() + 40);
    beginShelf(shelf, folder(), "refa", ref.hash, true);
    stepShelf(shelf, ref.track, &best, ShelfBudget());
    EXPECT_TRUE(shelf.offered.empty()) << "both files hold the best run's records";
    EXPECT_EQ(shelf.rejected, 0);

    best.scores[0].ticks += 1;
    stepShelf(shelf, ref.track, &best, ShelfBudget());
    EXPECT_EQ(shelf.offered.size(), 2u) << "a different best run";
}

TEST_F(Shelf, TheRivalChosenOnATrackComesBackOnItsNextVisitAndStart)
{
    put("a-mine.vghost", ref.ghost);
    put("b-friend.vghost", byFriend());
    refresh();
    cycleRival(shelf);
    cycleRival(shelf);
    ASSERT_EQ(rivalEntry(shelf)->ghost.playerName, "friend");
    EXPECT_EQ(shelf.chosen["refa"], "b-friend.vghost");

    refreshShelf(shelf, folder(), "refb", refb(), ref.hash, false);
    EXPECT_EQ(rivalEntry(shelf), nullptr);
    refresh();
    ASSERT_NE(rivalEntry(shelf), nullptr);
    EXPECT_EQ(rivalEntry(shelf)->ghost.playerName, "friend");

    GhostShelf nextStart;
    nextStart.chosen = decodeRivalChoices(encodeRivalChoices(shelf.chosen));
    refreshShelf(nextStart, folder(), "refa", ref.track, ref.hash, true);
    ASSERT_NE(rivalEntry(nextStart), nullptr);
    EXPECT_EQ(rivalEntry(nextStart)->ghost.playerName, "friend");

    // Back to the best run: remembered as that.
    cycleRival(nextStart);
    EXPECT_EQ(rivalEntry(nextStart), nullptr);
    GhostShelf third;
    third.chosen = decodeRivalChoices(encodeRivalChoices(nextStart.chosen));
    refreshShelf(third, folder(), "refa", ref.track, ref.hash, true);
    EXPECT_EQ(rivalEntry(third), nullptr);
}

TEST(GhostChecksFile, RoundTripsAndSkipsLinesThatDoNotParse)
{
    GhostCheck ok;
    ok.path = "/g/a b.vghost";
    ok.size = 1234;
    ok.modifiedNs = 1796724900123456789;
    ok.verdict = GhostVerdict::verified;
    ok.trackName = "00";
    ok.trackHash.fill(0xab);
    GhostCheck bad = ok;
    bad.path = "/g/c.vghost";
    bad.verdict = GhostVerdict::failed;
    bad.reason = "it does not finish at its stated tick";
    GhostCheck tabbed = ok;
    tabbed.path = "/g/tab\there.vghost";
    std::string text = encodeGhostChecks({ok, bad, tabbed});
    std::vector<GhostCheck> back = decodeGhostChecks(text);
    ASSERT_EQ(back.size(), 2u) << "a name with a tab is not kept";
    EXPECT_EQ(back[0].path, ok.path);
    EXPECT_EQ(back[0].modifiedNs, ok.modifiedNs);
    EXPECT_TRUE(back[0].trackHash == ok.trackHash);
    EXPECT_EQ(back[1].verdict, GhostVerdict::failed);
    EXPECT_EQ(back[1].reason, bad.reason);

    const std::string headerLine = text.substr(0, text.find('\n') + 1);
    for (const std::string& line : {std::string("verified\t12\t3\tzz\t00\t\t/p\n"),
                                    std::string("sure\t12\t3\t") + std::string(64, 'a') + "\t00\t\t/p\n",
                                    std::string("verified\t-1\t3\t") + std::string(64, 'a') + "\t00\t\t/p\n",
                                    std::string("verified\t1\t3\t") + std::string(64, 'a') + "\t00\t\t\n",
                                    std::string("verified\t1\t3\n")})
        EXPECT_TRUE(decodeGhostChecks(headerLine + line).empty()) << line;
    EXPECT_TRUE(decodeGhostChecks("other header\n" + text.substr(headerLine.size())).empty());
}

TEST(RivalChoiceFile, KeepsOneFileNamePerTrackAndNoPath)
{
    std::map<std::string, std::string> chosen = {{"00", "a.vghost"}, {"01", ""}, {"0\t2", "x"}};
    std::map<std::string, std::string> back = decodeRivalChoices(encodeRivalChoices(chosen));
    EXPECT_EQ(back, (std::map<std::string, std::string>{{"00", "a.vghost"}, {"01", ""}}));
    EXPECT_TRUE(decodeRivalChoices("00\t../../etc/passwd\n\tx\nno tab\n").empty());
}
