// vantor-sim verify, run as the real binary on real save files.

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>

#include "save/runs.h"
#include "save_test_util.h"

namespace {

const std::string reference = VANTOR_REFERENCE_DIR;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs vantor-sim with args (already quoted) and the environment words env
// before it, at most a minute: a tool that blocks ends with status -1.
Outcome runSim(const std::string& args, const std::string& env = "")
{
    TempDir errDir;
    std::string command = "env -u APPDATA -u XDG_DATA_HOME " + env + " timeout 60 " +
                          std::string(VANTOR_BUILD_DIR) + "/vantor-sim " + args + " 2>'" + (errDir / "err") + "'";
    Outcome o;
    std::FILE* p = popen(command.c_str(), "r");
    char buffer[256];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0)
        o.out.append(buffer, n);
    int status = pclose(p);
    o.status = WIFEXITED(status) && WEXITSTATUS(status) != 124 ? WEXITSTATUS(status) : -1;
    std::vector<uint8_t> err = readFileBytes(errDir / "err");
    o.err.assign(err.begin(), err.end());
    return o;
}

size_t lineCount(const std::string& text) { return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')); }

Outcome verify(const std::string& saveFile, const std::string& data = reference, const std::string& flags = "")
{
    return runSim("verify " + flags + "--data '" + data + "' '" + saveFile + "'");
}

// verify on save written into dir.
Outcome verifySaved(const SaveData& save, const TempDir& dir)
{
    EXPECT_TRUE(writeSaveFile(save, dir / "game.save"));
    return verify(dir / "game.save");
}

// verify on a save holding the run of the records in controlFile as the game
// records it on track, with menuFrames records of the name menu after them.
Outcome verifyRecordedRun(const std::string& track, const std::string& controlFile, int32_t ticks, size_t menuFrames)
{
    SaveData save;
    save.trackName = track;
    ::Run run;
    run.controls = controlsOf(controlFile);
    run.ticks = ticks < 0 ? static_cast<int32_t>(run.controls.size()) : ticks;
    run.controls.resize(run.controls.size() + menuFrames, ControlInput{});
    recordRun(save, run, 60.0, 70.0, 80.0, 0.01, 1765150000);
    TempDir dir;
    return verifySaved(save, dir);
}

}  // namespace

TEST(VerifySaveFile, TheReferenceRecordReplaysToItsBestScore)
{
    Outcome o = verify(reference + "/reference.save");
    EXPECT_EQ(o.out, "refa ok 5426\n");
    EXPECT_EQ(o.status, 0);
}

TEST(VerifySaveFile, WithLapsTheBestRunsLapTimesFollowItsLine)
{
    Outcome o = verify(reference + "/reference.save", reference, "--laps ");
    EXPECT_EQ(o.status, 0);
    ASSERT_EQ(o.out.rfind("refa ok 5426\nrefa laps ", 0), 0u) << o.out;
    // Two full laps; with the run-up to the start joint they make the run's time.
    int m[2], sec[2], h[2];
    char rest = 0;
    ASSERT_EQ(std::sscanf(o.out.c_str() + 22, "%d:%d.%d %d:%d.%d%c", &m[0], &sec[0], &h[0], &m[1], &sec[1], &h[1],
                          &rest),
              7)
        << o.out;
    EXPECT_EQ(rest, '\n');
    int total = 0;
    for (int i = 0; i < 2; ++i) {
        const int lap = m[i] * 6000 + sec[i] * 100 + h[i];
        EXPECT_GT(lap, 1500);
        total += lap;
    }
    EXPECT_GT(total, 5426 - 500);
    EXPECT_LT(total, 5426);
}

TEST(VerifySaveFile, ARecordedRunVerifies)
{
    // The reference run on refb as the game records it, with the frames of
    // the name menu after the finish.
    Outcome o = verifyRecordedRun("refb", reference + "/refb.ctl", -1, 40);
    EXPECT_EQ(o.out, "refb ok 6281\n");
    EXPECT_EQ(o.status, 0);
}

TEST(VerifySaveFile, ARecordedBotRunVerifies)
{
    TempDir dir;
    const Outcome bot = runSim("bot --data '" + reference + "' --track refa --out " + dir.quoted("bot.ctl"));
    ASSERT_EQ(bot.status, 0);
    const std::string last = bot.out.substr(bot.out.rfind('\n', bot.out.size() - 2) + 1);
    int ticks = 0;
    ASSERT_EQ(std::sscanf(last.c_str(), "finish %d", &ticks), 1) << last;
    Outcome o = verifyRecordedRun("refa", dir / "bot.ctl", ticks, 15);
    EXPECT_EQ(o.out, "refa ok " + std::to_string(ticks) + "\n");
    EXPECT_EQ(o.status, 0);
}

TEST(VerifySaveFile, AnAlteredGhostRunOrScoreIsReported)
{
    TempDir dir;
    SaveData steered = referenceSave();
    for (size_t i = 2000; i < 2100; ++i)
        steered.records["refa"].ghostRun[i].steer += 0.5f;
    Outcome o = verifySaved(steered, dir);
    EXPECT_EQ(o.out.rfind("refa mismatch 5426 ", 0), 0u) << o.out;
    EXPECT_EQ(o.status, 1);

    SaveData claimed = referenceSave();
    claimed.records["refa"].scores[0].ticks = 5425;
    o = verifySaved(claimed, dir);
    EXPECT_EQ(o.out, "refa mismatch 5425 finish 5426\n");
    EXPECT_EQ(o.status, 1);

    SaveData cut = referenceSave();
    cut.records["refa"].ghostRun.resize(3000);
    o = verifySaved(cut, dir);
    EXPECT_EQ(o.out, "refa mismatch 5426 unfinished 3000\n");
    EXPECT_EQ(o.status, 1);
}

TEST(VerifySaveFile, UnreadableTracksAndFilesFail)
{
    TempDir dir;
    SaveData save = referenceSave();
    TrackRecord& lost = recordFor(save, "gone");
    lost = save.records["refa"];
    lost.name = "gone";
    Outcome o = verifySaved(save, dir);
    EXPECT_EQ(o.out, "gone mismatch 5426 unreadable\nrefa ok 5426\n");
    EXPECT_EQ(o.status, 1);

    // Damage after the first record: what was read verifies, the file fails.
    std::vector<uint8_t> bytes = readFileBytes(reference + "/reference.save");
    bytes.resize(bytes.size() - 3);
    writeFileBytes(dir / "damaged.save", bytes);
    o = verify(dir / "damaged.save");
    EXPECT_EQ(o.out, "refa ok 5426\n");
    EXPECT_EQ(o.status, 1);

    EXPECT_EQ(verify(dir / "missing.save").status, 2);
    EXPECT_EQ(verify(dir.path).status, 2);
}

TEST(GhostFiles, AnExportedBestRunVerifiesAndEveryAlterationIsRejected)
{
    TempDir dir;
    const std::string data = "--data '" + reference + "' ";
    Outcome o = runSim("ghost export " + data + "'" + reference + "/reference.save' refa " + dir.quoted("refa.vghost"));
    ASSERT_EQ(o.status, 0);
    EXPECT_EQ(o.out, (dir / "refa.vghost") + " ok 5426\n");

    GhostFile ghost;
    std::string reason;
    ASSERT_TRUE(readGhostFile(dir / "refa.vghost", ghost, reason)) << reason;
    const TrackRecord record = referenceSave().records.at("refa");
    EXPECT_EQ(ghost.trackName, "refa");
    EXPECT_EQ(ghost.ticks, 5426u);
    EXPECT_EQ(ghost.playerName, record.scores[0].playerName);
    EXPECT_EQ(ghost.date, record.scores[0].date);
    EXPECT_TRUE(ghost.startState == record.ghostStart);
    ASSERT_EQ(ghost.records.size(), 5426u) << "the records up to the finish, nothing after";
    EXPECT_EQ(std::memcmp(ghost.records.data(), record.ghostRun.data(), 5426 * 12), 0);
    Sha256Digest hash;
    ASSERT_TRUE(hashTrackFile(reference, "refa", hash));
    EXPECT_TRUE(ghost.trackHash == hash);

    auto variant = [&](const std::string& name, GhostFile g) {
        EXPECT_TRUE(writeGhostFile(dir / name, g));
        return dir.quoted(name);
    };
    GhostFile steered = ghost;
    steered.records[2500].steer += 0.75f;
    GhostFile claimed = ghost;
    claimed.ticks = 5400;
    GhostFile otherTrack = ghost;
    ASSERT_TRUE(hashTrackFile(reference, "refb", otherTrack.trackHash));
    GhostFile noTrack = ghost;
    noTrack.trackName = "gone";
    std::vector<uint8_t> bytes = readFileBytes(dir / "refa.vghost");
    writeFileBytes(dir / "cut.vghost", std::vector<uint8_t>(bytes.begin(), bytes.end() - 7));
    std::vector<uint8_t> huge = bytes;
    // The record count, right before the records: claims four billion.
    for (size_t i = 0; i < 4; ++i)
        huge[bytes.size() - 12 * 5426 - 4 + i] = 0xff;
    writeFileBytes(dir / "huge.vghost", huge);

    o = runSim("ghost verify " + data + dir.quoted("refa.vghost") + variant("steered", steered) +
               variant("claimed", claimed) + variant("other", otherTrack) + variant("gone", noTrack) +
               dir.quoted("cut.vghost") + dir.quoted("huge.vghost") + dir.quoted("absent"));
    EXPECT_EQ(o.status, 1);
    std::vector<std::string> lines;
    std::istringstream in(o.out);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line.substr(dir.path.size() + 1));
    ASSERT_EQ(lines.size(), 8u) << o.out;
    EXPECT_EQ(lines[0], "refa.vghost ok 5426");
    EXPECT_EQ(lines[1].rfind("steered rejected replay ", 0), 0u) << lines[1];
    EXPECT_EQ(lines[2], "claimed rejected replay finishes at 5426, not 5400");
    EXPECT_EQ(lines[3], "other rejected track refa differs from the one the run was driven on");
    EXPECT_EQ(lines[4], "gone rejected no track gone");
    EXPECT_EQ(lines[5], "cut.vghost rejected truncated");
    EXPECT_EQ(lines[6], "huge.vghost rejected too many records");
    EXPECT_EQ(lines[7], "absent rejected unreadable");

    o = runSim("ghost verify " + data + dir.quoted("refa.vghost"));
    EXPECT_EQ(o.status, 0);
}

TEST(GhostFiles, ExportRefusesWhatItCannotProve)
{
    TempDir dir;
    const std::string data = "--data '" + reference + "' ";
    const std::string save = "'" + reference + "/reference.save' ";
    const std::string out = " " + dir.quoted("x.vghost");
    EXPECT_EQ(runSim("ghost export " + data + save + "refb" + out).status, 2) << "no run on refb";
    EXPECT_EQ(runSim("ghost export " + data + dir.quoted("none.save") + "refa" + out).status, 2);
    EXPECT_EQ(runSim("ghost export " + save + "refa" + out).status, 2) << "no --data";
    EXPECT_EQ(runSim("ghost export " + data + save + "refa").status, 2);
    EXPECT_EQ(runSim("ghost verify " + data).status, 2);
    EXPECT_EQ(runSim("ghost " + data).status, 2);

    // A stored run that no longer reaches the finish is not exported.
    SaveData cut = referenceSave();
    cut.records["refa"].ghostRun.resize(3000);
    ASSERT_TRUE(writeSaveFile(cut, dir / "cut.save"));
    EXPECT_EQ(runSim("ghost export " + data + dir.quoted("cut.save") + "refa" + out).status, 1);
    EXPECT_TRUE(readFileBytes(dir / "x.vghost").empty());
}

TEST(CompareAndPractice, AGhostFileStandsForTheSameRunAsItsControlFile)
{
    TempDir dir;
    GhostFile ghost;
    ghost.trackName = "refa";
    ASSERT_TRUE(hashTrackFile(reference, "refa", ghost.trackHash));
    ghost.records = controlsOf(reference + "/refa.ctl");
    ghost.ticks = static_cast<uint32_t>(ghost.records.size());
    ASSERT_TRUE(writeGhostFile(dir / "refa.vghost", ghost));
    ASSERT_EQ(runSim("bot --data '" + reference + "' --track refa --out " + dir.quoted("bot.ctl")).status, 0);

    const std::string data = "--data '" + reference + "' --track refa ";
    const Outcome fromGhost = runSim("compare " + data + dir.quoted("refa.vghost") + dir.quoted("bot.ctl"));
    const Outcome fromControls = runSim("compare " + data + "'" + reference + "/refa.ctl' " + dir.quoted("bot.ctl"));
    EXPECT_EQ(fromGhost.status, 0);
    EXPECT_EQ(fromGhost.out, fromControls.out);
    EXPECT_EQ(fromGhost.out.rfind("A finish 5426\nB finish ", 0), 0u) << fromGhost.out;
    const Outcome swapped = runSim("compare " + data + dir.quoted("bot.ctl") + dir.quoted("refa.vghost"));
    EXPECT_NE(swapped.out.find("\nB finish 5426\n"), std::string::npos) << swapped.out;

    const std::string practice = "practice " + data + "--lap 2 --segment 3 --controls " + dir.quoted("bot.ctl") + "--run ";
    const Outcome ghostRun = runSim(practice + dir.quoted("refa.vghost"));
    const Outcome controlRun = runSim(practice + "'" + reference + "/refa.ctl'");
    EXPECT_EQ(ghostRun.status, 0);
    EXPECT_EQ(ghostRun.out, controlRun.out);
    EXPECT_FALSE(ghostRun.out.empty());
}

// Outputs that are devices, FIFOs, folders, links to them, an input of the
// command or the game's save file are refused with one line, exit 2, nothing
// changed; no folder is made for an output.
TEST(ToolOutputs, AnOutputThatIsNotAFileOfItsOwnIsRefusedAndLeftAsItIs)
{
    TempDir dir;
    const std::string home = dir / "home";
    const std::string gameSave = home + "/.local/share/Vantor/game.save";
    ASSERT_EQ(system(("mkdir -p '" + home + "/.local/share/Vantor'").c_str()), 0);
    writeFileBytes(gameSave, readFileBytes(reference + "/reference.save"));
    writeFileBytes(dir / "copy.save", readFileBytes(reference + "/reference.save"));
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
    ASSERT_EQ(mkdir((dir / "folder").c_str(), 0700), 0);
    ASSERT_EQ(symlink("/dev/full", (dir / "full").c_str()), 0);
    ASSERT_EQ(symlink((dir / "fifo").c_str(), (dir / "tofifo").c_str()), 0);
    ASSERT_EQ(symlink((dir / "copy.save").c_str(), (dir / "tosave").c_str()), 0);
    std::vector<std::string> outputs = {dir / "fifo", dir / "folder", dir / "full", dir / "tofifo",
                                        dir / "copy.save", dir / "tosave", gameSave};
    // Root can make a device node of its own to stand for /dev/full.
    if (geteuid() == 0 && mknod((dir / "device").c_str(), S_IFCHR | 0600, makedev(1, 7)) == 0)
        outputs.push_back(dir / "device");
    const std::string data = "--data '" + reference + "' ";
    const std::string env = "HOME='" + home + "'";
    for (const std::string& out : outputs) {
        SCOPED_TRACE(out);
        struct stat before;
        ASSERT_EQ(lstat(out.c_str(), &before), 0);
        const std::string q = "'" + out + "'";
        std::vector<std::string> commands = {"ghost export " + data + dir.quoted("copy.save") + "refa " + q};
        // The save the export reads is an input of it only.
        const bool input = out == dir / "copy.save" || out == dir / "tosave";
        if (!input) {
            commands.push_back("race " + data + "--track refa --hold 0,0,1 --max-ticks 5 --trace " + q);
            commands.push_back("bot " + data + "--track refa --max-ticks 5 --out " + q);
        }
        for (const std::string& command : commands) {
            Outcome o = runSim(command, env);
            EXPECT_EQ(o.status, 2) << command;
            EXPECT_EQ(lineCount(o.err), 1u) << command << ": " << o.err;
            EXPECT_TRUE(o.out.empty()) << command;
            struct stat after;
            ASSERT_EQ(lstat(out.c_str(), &after), 0);
            EXPECT_EQ(after.st_ino, before.st_ino);
            EXPECT_EQ(after.st_mode, before.st_mode);
            EXPECT_EQ(after.st_size, before.st_size);
        }
    }
    EXPECT_EQ(readFileBytes(dir / "copy.save"), readFileBytes(reference + "/reference.save"));
    EXPECT_EQ(readFileBytes(gameSave), readFileBytes(reference + "/reference.save"));

    // The folder of an output must exist already.
    Outcome o = runSim("ghost export " + data + dir.quoted("copy.save") + "refa " + dir.quoted("no/such/x.vghost"));
    EXPECT_EQ(o.status, 2);
    EXPECT_EQ(lineCount(o.err), 1u) << o.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "no"));
}

TEST(VerifySaveFile, ARecordNameThatCannotNameATrackIsReportedNotReplayed)
{
    TempDir dir;
    SaveData save = referenceSave();
    for (const std::string& name : std::vector<std::string>{"../refa", "refa/../refa", "re\nfa", ".hidden"}) {
        TrackRecord& copy = recordFor(save, name);
        copy = save.records["refa"];
        copy.name = name;
    }
    Outcome o = verifySaved(save, dir);
    EXPECT_EQ(o.out, "../refa mismatch 5426 bad track name\n"
                     ".hidden mismatch 5426 bad track name\n"
                     "re?fa mismatch 5426 bad track name\n"
                     "refa ok 5426\n"
                     "refa/../refa mismatch 5426 bad track name\n");
    EXPECT_EQ(o.status, 1);
}

// Two hours of records that never finish: stopped after the hour no real run
// goes beyond, not replayed to their end.
TEST(VerifySaveFile, ARunLongerThanAnHourThatDoesNotFinishIsReportedTooLong)
{
    TempDir dir;
    SaveData save = referenceSave();
    save.records["refa"].ghostRun.assign(maxStoredRunRecords, ControlInput{0.0f, 1.0f, 0.0f});
    Outcome o = verifySaved(save, dir);
    EXPECT_EQ(o.out, "refa mismatch 5426 run too long\n");
    EXPECT_EQ(o.status, 1);
}
