#include "shell/shelf_files.h"

#include <sys/stat.h>

#include "assets/regular_file.h"
#include "save/rival_choice.h"
#include "save/runs.h"
#include "save/save_file.h"
#include "shell/game.h"
#include "shell/paths.h"

namespace {

std::string besideSave(const std::string& name)
{
    std::string dir = saveDirectory();
    return dir.empty() ? dir : dir + "/" + name;
}

// The second game on a save writes nothing, and none of these files is
// worth creating the save's folder for.
bool mayWriteBesideSave(const Game& g)
{
    struct stat st;
    std::string dir = saveDirectory();
    return g.saveStatus.writable && g.saveLock.fd >= 0 && !dir.empty() && stat(dir.c_str(), &st) == 0 &&
           S_ISDIR(st.st_mode);
}

void writeText(const std::string& path, const std::string& text)
{
    // A folder, FIFO or link in its place is not ours to replace.
    struct stat st;
    if (lstat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
        return;
    writeFileAtomically(path, std::vector<uint8_t>(text.begin(), text.end()));
}

}  // namespace

std::string ghostChecksPath() { return besideSave("ghosts.checks"); }
std::string rivalChoicePath() { return besideSave("rivals.txt"); }

void loadShelfMemory(Game& g)
{
    if (ghostChecksPath().empty())
        return;
    FileRead checks = readRegularFile(ghostChecksPath(), maxGhostChecksBytes);
    if (checks.status == FileStatus::ok)
        g.ghosts.keptChecks = decodeGhostChecks(asText(checks));
    FileRead rivals = readRegularFile(rivalChoicePath(), maxRivalChoiceBytes);
    if (rivals.status == FileStatus::ok)
        g.ghosts.chosen = decodeRivalChoices(asText(rivals));
}

bool stepGhostChecks(Game& g)
{
    const bool stepped = g.ghosts.pending > 0;
    if (stepped)
        stepShelf(g.ghosts, g.track, &recordFor(g.save, g.save.trackName), menuFrameShelfBudget);
    if (g.ghosts.pending == 0 && g.ghosts.judgedSinceKept && mayWriteBesideSave(g)) {
        g.ghosts.keptChecks = checksToKeep(g.ghosts);
        g.ghosts.judgedSinceKept = false;
        writeText(ghostChecksPath(), encodeGhostChecks(g.ghosts.keptChecks));
    }
    return stepped;
}

void keepRivalChoice(Game& g)
{
    if (mayWriteBesideSave(g))
        writeText(rivalChoicePath(), encodeRivalChoices(g.ghosts.chosen));
}
