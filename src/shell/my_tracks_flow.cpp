#include "shell/my_tracks_flow.h"

#include <algorithm>

#include "gui/menu_my_tracks.h"
#include "shell/flow.h"
#include "shell/game.h"
#include "shell/my_tracks.h"
#include "shell/paths.h"
#include "shell/screens.h"
#include "track/track_file.h"

static void refreshMyTracks(Game& g, bool focusChosen)
{
    if (g.menuMyTracks)
        g.menuMyTracks->refresh(myTracksView(g.myTracks), focusChosen);
}

static void relist(Game& g)
{
    MyTracksScreen& s = g.myTracks;
    s.tracks = listMyTracks(saveDirectory());
    s.chosen = std::min(std::max(s.chosen, 0), std::max(0, static_cast<int>(s.tracks.size()) - 1));
}

static const MyTrack* chosenTrack(const Game& g)
{
    const MyTracksScreen& s = g.myTracks;
    if (s.chosen < 0 || static_cast<size_t>(s.chosen) >= s.tracks.size())
        return nullptr;
    return &s.tracks[size_t(s.chosen)];
}

void openMyTracks(Game& g)
{
    MyTracksScreen& s = g.myTracks;
    s.askingDelete = false;
    s.message.clear();
    s.refusals.clear();
    s.pending.clear();
    relist(g);
    const std::string dir = saveDirectory();
    for (const std::string& file : listSharedFiles(dir)) {
        auto judged = s.judged.find(sharedFileKey(dir, file));
        if (judged == s.judged.end())
            s.pending.push_back(file);
        else if (!judged->second.empty())
            s.refusals.push_back(judged->second);
    }
    if (!s.pending.empty())
        s.message = "checking " + shownFileName(s.pending.front());
    showScreen(Screen::myTracks);
    refreshMyTracks(g, true);
}

void leaveMyTracks(Game& g)
{
    if (g.myTracks.askingDelete) {
        g.myTracks.askingDelete = false;
        g.myTracks.message.clear();
        refreshMyTracks(g, false);
        return;
    }
    openTrackMenu(g);
}

void chooseMyTrack(Game& g, int index)
{
    MyTracksScreen& s = g.myTracks;
    if (index < 0 || static_cast<size_t>(index) >= s.tracks.size())
        return;
    s.chosen = index;
    if (s.askingDelete) {
        s.askingDelete = false;
        s.message.clear();
    }
    refreshMyTracks(g, true);
}

void playMyTrack(Game& g)
{
    const MyTrack* t = chosenTrack(g);
    if (!t)
        return;
    g.myTracks.askingDelete = false;
    const std::string name = myTrackRecordName(saveDirectory(), t->plan);
    if (name.empty()) {
        g.myTracks.message = t->plan + " holds no road to race";
        refreshMyTracks(g, false);
        return;
    }
    chooseTrack(g, name);
}

void deleteChosenTrack(Game& g)
{
    MyTracksScreen& s = g.myTracks;
    const MyTrack* t = chosenTrack(g);
    if (!t)
        return;
    if (!s.askingDelete) {
        s.askingDelete = true;
        s.message = "delete " + t->plan + "? delete again to confirm, Escape to keep it";
        refreshMyTracks(g, false);
        return;
    }
    s.askingDelete = false;
    const std::string plan = t->plan;
    std::string error;
    s.message = deleteMyTrack(saveDirectory(), plan, error) ? plan + " deleted" : error;
    relist(g);
    refreshMyTracks(g, true);
}

void shareChosenTrack(Game& g)
{
    MyTracksScreen& s = g.myTracks;
    const MyTrack* t = chosenTrack(g);
    if (!t)
        return;
    s.askingDelete = false;
    std::string where, error;
    s.message = shareMyTrack(saveDirectory(), t->plan, where, error) ? "shared as " + where : error;
    refreshMyTracks(g, false);
}

void stepMyTracks(Game& g)
{
    MyTracksScreen& s = g.myTracks;
    if (g.screen != Screen::myTracks || s.pending.empty())
        return;
    const std::string dir = saveDirectory();
    const std::string file = s.pending.front();
    s.pending.erase(s.pending.begin());
    const std::string key = sharedFileKey(dir, file);
    const ImportResult result = importSharedTrack(dir, file);
    s.judged[key] = result.line;
    if (result.outcome == ImportOutcome::refused)
        s.refusals.push_back(result.line);
    s.message = s.pending.empty() ? std::string() : "checking " + shownFileName(s.pending.front());
    if (result.outcome == ImportOutcome::taken) {
        relist(g);
        for (size_t i = 0; i < s.tracks.size(); ++i)
            if (s.tracks[i].plan == result.plan)
                s.chosen = static_cast<int>(i);
        if (s.pending.empty())
            s.message = result.plan + " taken in";
    }
    refreshMyTracks(g, result.outcome == ImportOutcome::taken);
}

bool playingMyTrack(const Game& g) { return !playerTrackPlan(g.save.trackName).empty(); }
