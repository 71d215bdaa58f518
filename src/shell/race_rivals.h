#pragma once
// The ghosts a race runs beside the player. The lead rival is the one the
// play menu's rival button picks (the best run or a verified ghost file, as
// always); the ghosts button adds others beside it (the medal ghosts, the best
// run when a file leads, the other verified ghost files), up to four ghosts
// in all. At a race start the set is resolved once into the session's
// ghost lanes: the first ghost is the reference the deltas compare with.

#include <string>
#include <vector>

#include "save/rivals.h"
#include "sim/control.h"
#include "sim/pose_blend.h"
#include "sim/ship.h"

struct Game;

// A ghost's colour; the first ghost is white, as a race with one rival
// always drew it.
struct GhostTint {
    float red = 1.0f;
    float green = 1.0f;
    float blue = 1.0f;
};

struct RaceRivals {
    // The medal ghosts the current track ships, read at the play menu's load.
    MedalGhostRuns medals;
    // Rivals raced beside the lead, in the order they were added.
    std::vector<Rival> added;
    // The track added was made for, and whether the player changed it there;
    // until then every load of the play menu takes the default again.
    std::string addedTrack;
    bool addedByPlayer = false;
    // The rival the ghosts button shows; when it can no longer be added, the
    // button shows the first that can.
    Rival shown{RivalKind::gold, ""};
    // Resolved at a race start: each lane's name, lane 0 the session's ghost.
    std::vector<std::string> names;
    // Ships and drawn poses of the lanes after the first.
    ShipState ships[maxRivals - 1];
    PoseHistory poses[maxRivals - 1];
};

// The colour of ghost lane lane, on the road and as its map dot.
GhostTint ghostTint(size_t lane);
GhostTint ghostDotTint(size_t lane);

// How opaque a ghost is drawn at distance metres from the player: as always
// when it is clear of the player, fading out close by so that a ghost in the
// player's place never hides the road ahead.
float ghostOpacity(double distance);
// The same fade for a ghost's name tag, from 0 where the ghost is faded
// most to 1 where it is clear of the player.
float tagFade(double distance);
// The same fade for a ghost the settings draw at chosen (0 to 1) when clear
// of the player: the fade keeps its shape, scaled.
float ghostOpacityFor(double distance, float chosen);

// The name a rival races under: "best run", "gold", a ghost file's player.
std::string rivalName(RivalKind kind);

// The play menu's load: the track's medal ghosts read again and, unless the
// player chose them on this track, the added ghosts taken from the default
// (the next medal not yet earned).
void loadRaceRivals(Game& g);

// What the ghosts button can add now, in its order (addableRivals), and the
// one it shows.
std::vector<Rival> addableNow(const Game& g);
Rival shownRival(const Game& g);

// The ghosts button: Left and Right step through addableNow, Enter adds the
// shown one or takes it out again.
void stepRivalCursor(Game& g, int step);
void toggleShownRival(Game& g);

// The ghosts button's caption ("ghost silver: racing", "ghost gold: add",
// "ghost best run: add", a file's player), empty when nothing can be added; and the line naming every ghost
// the next race runs ("ghosts: best run, silver"), empty for none.
std::string ghostsButtonCaption(const Game& g);
std::string raceGhostsLine(const Game& g);

// The race's lanes: the lead rival's records when they are not empty, then
// each added rival that is still offered and not the lead, at most maxRivals; with the ghost switched off,
// none. Names are filled alongside.
std::vector<const std::vector<ControlInput>*> raceGhostRuns(const Game& g, std::vector<std::string>* names);

// Resolves the lanes into g.race before its start: the first as the
// session's ghost (the lead rival's records, empty or not, when there is no
// lane), the rest on the ships of g.rivals.
void resolveRaceGhosts(Game& g);

// After a finish of g.run on a track whose medal times were read: the medal
// it beat and the next to beat ("gold beaten by 0.42", "silver: 1.37 to
// go"); empty before a finish, for practice and without the times.
std::string finishNextToBeat(const Game& g);

// Forgets the lanes after the first: the files they point into are about to
// be read again.
void dropExtraGhosts(Game& g);
