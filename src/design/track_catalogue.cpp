// The fifteen track designs, easiest first in the order the menu unlocks them.
// Coordinates and radii in metres; corners {x, y, radius, z, bank, width}.
// The physics sets the scale: about 90 m/s flat out, about 1.1 g of grip, so a
// bend of radius R is taken at roughly sqrt(9 R) m/s and only bends of 700 m
// and more are flat out.
#include "design/track_catalogue.h"

namespace {

// A corner on the straight from a to b, at fraction f: it does not turn, it
// only carries a height (a crest or a dip) or a width.
Corner along(const Corner& a, const Corner& b, double f, double z, double width = 0.0)
{
    Corner c;
    c.x = a.x + (b.x - a.x) * f;
    c.y = a.y + (b.y - a.y) * f;
    c.z = z;
    c.width = width;
    return c;
}

TrackDesign withCrests(TrackDesign d, size_t from, std::vector<std::pair<double, double>> crests)
{
    Corner a = d.corners[from], b = d.corners[(from + 1) % d.corners.size()];
    std::vector<Corner> add;
    for (auto [f, z] : crests)
        add.push_back(along(a, b, f, z));
    d.corners.insert(d.corners.begin() + static_cast<long>(from) + 1, add.begin(), add.end());
    return d;
}

std::vector<TrackDesign> makeDesigns()
{
    std::vector<TrackDesign> d;
    // 00 Meadow loop: a wide stadium, two long straights, bends taken at 55 m/s.
    d.push_back({"00", "meadow", "asphalt", 22.0,
                 {{0, 0, 250, 0}, {700, 0, 250, 0}, {700, 500, 250, 8}, {0, 500, 250, 8}}});
    // 10 Pinewood: seven sweepers, one of them a right-hander, a gentle climb.
    d.push_back({"10", "forest", "asphalt", 20.0,
                 {{0, 0, 160, 0}, {900, 0, 200, 5}, {1250, 350, 160, 15}, {1000, 800, 120, 20},
                  {600, 650, 160, 12}, {300, 900, 140, 6}, {-200, 700, 160, 0}}});
    // 20 Seafront: a long straight by the sea into a tight hairpin, sweepers inland.
    d.push_back({"20", "coast", "asphalt", 18.0,
                 {{0, 0, 130, 0}, {1400, 0, 55, 2}, {1400, 280, 55, 4}, {700, 300, 150, 6},
                  {350, 520, 110, 14}, {-150, 420, 95, 8}}});
    // 30 Mesa run: long fast sweepers over crests and dips.
    d.push_back(withCrests({"30", "desert", "dusty", 18.0,
                            {{0, 0, 220, 0}, {1300, 100, 220, 20}, {1700, 700, 180, 35}, {1100, 1100, 220, 30},
                             {500, 800, 260, 12}, {-200, 900, 150, 18}, {-300, 300, 180, 6}}},
                           0, {{0.35, -7}, {0.7, 12}}));
    // 40 Foothills: two hairpins up the hillside, a fast descent back.
    d.push_back({"40", "alpine", "basalt", 16.0,
                 {{0, 0, 100, 0}, {800, 0, 40, 5}, {800, 140, 40, 10}, {350, 170, 90, 25}, {150, 450, 90, 40},
                  {-250, 420, 90, 22}, {-250, 150, 100, 8}}});
    // 01 Downtown: square street corners between the blocks, a chicane on the main straight.
    d.push_back({"01", "city", "concrete", 16.0,
                 {{-150, 0, 50}, {200, 0, 60}, {300, 30, 60}, {400, 0, 60}, {800, 0, 50}, {800, 300, 40},
                  {450, 300, 40}, {450, 480, 40}, {-150, 480, 50}}});
    // 11 Ridgeway: linked esses through the woods, the road narrowing in the middle sector.
    d.push_back({"11", "forest", "asphalt", 18.0,
                 {{0, 0, 120, 0}, {700, 0, 90, 4}, {850, 250, 75, 10, 0, 15}, {650, 450, 70, 14, 0, 13},
                  {850, 650, 75, 18, 0, 12}, {650, 900, 85, 14, 0, 13}, {250, 850, 75, 10, 0, 15},
                  {350, 550, 70, 8}, {-50, 450, 100, 4}}});
    // 21 Red canyon: banked bends between the canyon walls, crests on the straights.
    d.push_back(withCrests({"21", "canyon", "dusty", 16.0,
                            {{0, 0, 120, 0, 12}, {900, 0, 100, 10, 15}, {1000, 450, 110, 20, 15},
                             {500, 500, 90, 14, 12}, {450, 850, 100, 24, 15}, {-250, 800, 110, 16, 15},
                             {-300, 250, 120, 6, 12}}},
                           0, {{0.4, 8}, {0.75, -4}}));
    // 31 Harbour: chicanes along the quay and a hairpin round the pier head.
    d.push_back({"31", "coast", "asphalt", 14.0,
                 {{0, 0, 70}, {350, 0, 50}, {395, 13, 50}, {440, 0, 50}, {1000, 0, 40}, {1000, 130, 40, 3},
                  {150, 150, 50, 4}, {150, 420, 55, 8}, {-200, 420, 55, 6}, {-250, 150, 60, 2}}});
    // 41 Refinery: narrow and angular, ninety-degree bends, two of them banked.
    d.push_back({"41", "industrial", "concrete", 12.0,
                 {{0, 0, 40}, {650, 0, 35, 0, 10}, {650, 220, 30}, {420, 220, 30}, {420, 420, 30, 4},
                  {800, 420, 35, 6, 10}, {800, 650, 30, 6}, {200, 650, 40, 4}, {200, 400, 30, 2},
                  {-150, 400, 35, 0, 10}}});
    // 02 High pass: a hairpin stair of 80 m climb, thin air, a long fast drop.
    d.push_back({"02", "alpine", "basalt", 13.0,
                 {{0, 0, 90, 0}, {700, 0, 30, 4}, {700, 130, 30, 12}, {250, 170, 30, 30}, {250, 300, 30, 40},
                  {800, 350, 80, 60}, {800, 650, 90, 52}, {-150, 650, 90, 26}, {-250, 260, 90, 8}}});
    // 12 Night market: tight city blocks, chicanes, banked corners at the ends.
    d.push_back({"12", "city", "concrete", 12.0,
                 {{0, 0, 60}, {300, 0, 40}, {340, 12, 40}, {380, 0, 40}, {700, 0, 35, 0, 12}, {700, 250, 30},
                  {500, 250, 30}, {500, 400, 30}, {740, 400, 35, 2, 12}, {740, 620, 35, 2},
                  {-100, 620, 35, 0, 12}, {-100, 350, 40}, {-20, 250, 40}, {-100, 150, 40}}});
    // 22 Ash fields: a lava plain, huge crests and dips, banked bends, the road narrowing.
    d.push_back(withCrests({"22", "volcanic", "basalt", 16.0,
                            {{0, 0, 100, 0, 10}, {1000, 0, 80, 20, 18, 14}, {1000, 400, 60, 10, 15, 12},
                             {600, 450, 70, 30, 15, 11}, {700, 800, 60, 40, 18, 10}, {150, 850, 60, 22, 15, 11},
                             {250, 450, 50, 12, 0, 12}, {-200, 380, 70, 6, 15, 14}}},
                           0, {{0.3, 14}, {0.55, -6}, {0.8, 16}}));
    // 32 Gorge: tight and narrow in the canyon floor, banked, climbing and falling.
    d.push_back({"32", "canyon", "dusty", 11.0,
                 {{0, 0, 70, 0, 10}, {600, 0, 35, 8, 15}, {700, 200, 30, 14, 12}, {450, 300, 35, 20, 15},
                  {650, 500, 30, 28, 15}, {350, 650, 40, 22, 12}, {100, 480, 30, 14, 15}, {-100, 650, 35, 8, 15},
                  {-300, 400, 40, 4, 12}, {-150, 200, 40, 2, 10}}});
    // 42 Summit: the hardest: narrow, hairpins on a steep climb, banked bends, a crest at the top.
    d.push_back({"42", "alpine", "basalt", 10.0,
                 {{0, 0, 60, 0, 10}, {550, 0, 25, 6, 10}, {550, 120, 25, 14}, {200, 140, 25, 30}, {200, 260, 25, 38},
                  {520, 300, 35, 52, 20}, {600, 500, 40, 60, 20}, {300, 650, 30, 46}, {-100, 560, 35, 26, 15},
                  {-200, 250, 40, 10, 15}}});
    // Plan scales fitted so the autopilot's races grow from about 85 s on the first
    // track to about 145 s on the last: the difficulty rises with the time.
    const std::pair<const char*, double> scales[] = {
        {"00", 1.0},   {"10", 0.465}, {"20", 0.455}, {"30", 0.46},  {"40", 0.618}, {"01", 0.485}, {"11", 0.531},
        {"21", 0.595}, {"31", 0.611}, {"41", 0.4},   {"02", 0.547}, {"12", 0.481}, {"22", 0.581}, {"32", 0.607},
        {"42", 0.588}};
    for (TrackDesign& t : d)
        for (auto [name, k] : scales)
            if (t.name == name)
                t.scale = k;
    return d;
}

} // namespace

const std::vector<TrackDesign>& trackDesigns()
{
    static const std::vector<TrackDesign> designs = makeDesigns();
    return designs;
}

const std::vector<BuiltTrack>& builtTracks()
{
    static const std::vector<BuiltTrack> tracks = [] {
        std::vector<BuiltTrack> out;
        for (const TrackDesign& d : trackDesigns())
            out.push_back(buildTrack(d));
        return out;
    }();
    return tracks;
}

const BuiltTrack* findBuilt(const std::string& name)
{
    for (const BuiltTrack& t : builtTracks())
        if (t.design.name == name)
            return &t;
    return nullptr;
}

const std::vector<std::string>& trackOrder()
{
    static const std::vector<std::string> order = {"00", "10", "20", "30", "40", "01", "11", "21",
                                                   "31", "41", "02", "12", "22", "32", "42"};
    return order;
}
