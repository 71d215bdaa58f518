#pragma once
// The content generators. Each writes its part of the game's data directory
// below root and returns false on a write failure. Same inputs, same bytes.

#include <string>

// gui/: the fonts, medals and screen border, and icon.png for the desktop menu.
bool writeGuiAssets(const std::string& root);
// tracks/NAME/track.track and textures.txt of the fifteen tracks.
bool writeTracks(const std::string& root);
// tex_road/*.png: the road surfaces the tracks name.
bool writeRoadTextures(const std::string& root);
// tracks/NAME/area.tris and area.png: terrain and scenery around each road.
bool writeScenery(const std::string& root);
// tracks/NAME/times.txt: the medal target times, from the autopilot's race on each track.
bool writeMedalTimes(const std::string& root);
// tracks/NAME/gold.vghost, silver.vghost and bronze.vghost: a run finishing
// within 0.30 s under each medal time, each checked by replaying the file.
bool writeMedalGhosts(const std::string& root);
// ships/ship.tris and ship.tga.
bool writeShip(const std::string& root);
// gui/trackCR.tga for every track, gui/trackSel.tga and gui/trackUnsel.tga.
bool writeTrackPictures(const std::string& root);

// sounds/*.wav: the race and menu cues and the engine loop, 16-bit mono PCM.
bool writeSounds(const std::string& root);

// root/tracks/NAME
std::string trackFolder(const std::string& root, const std::string& name);
