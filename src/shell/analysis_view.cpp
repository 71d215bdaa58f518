#include "shell/analysis_view.h"

#include <algorithm>
#include <cstdlib>

#include "sim/time_text.h"

AnalysisView analysisView(const RunAnalysis& a, const std::string& referenceName)
{
    AnalysisView view;
    view.referenceName = referenceName;
    view.title = "against " + referenceName;
    view.timeLine = "this run " + formatTicks(a.ticks);
    view.referenceLine = referenceName + " " + formatTicks(a.referenceTicks);
    view.differenceText = formatDelta(a.difference);
    view.behind = a.difference > 0;
    view.theoreticalLine =
        "theoretical best " + (a.theoreticalBest >= 0 ? formatTicks(a.theoreticalBest) : std::string(noTimeText));
    for (size_t i = 0; i < a.sectors.size(); ++i) {
        const SectorRow& sector = a.sectors[i];
        // A sector without a common crossing has nothing exact to say.
        if (sector.sections == 0)
            continue;
        AnalysisRow row;
        row.sector = static_cast<int32_t>(i);
        row.lap = sectorLap(a.layout, row.sector);
        row.label = sectorLabel(a.layout, row.sector);
        row.timeText = formatTicks(sector.ticksA);
        row.referenceText = formatTicks(sector.ticksB);
        row.deltaText = formatDelta(sector.ticksA - sector.ticksB);
        row.behind = sector.ticksA > sector.ticksB;
        row.worst = row.sector == a.worstSector;
        view.rows.push_back(row);
    }
    if (a.worstSector >= 0 && size_t(a.worstSector) < a.sectors.size()) {
        const SectorRow& worst = a.sectors[size_t(a.worstSector)];
        view.worstLine =
            "most lost in " + sectorLabel(a.layout, a.worstSector) + "  " + formatDelta(worst.ticksA - worst.ticksB);
    } else {
        view.worstLine = "lost in no sector";
    }
    for (const GapSample& sample : a.gap) {
        if (view.graph.empty() || view.graph.back().lap != sample.lap) {
            view.graph.push_back(GapLine());
            view.graph.back().lap = sample.lap;
        }
        const double x = a.lapLength > 0.0 ? sample.distance / a.lapLength : 0.0;
        view.graph.back().x.push_back(std::min(1.0, std::max(0.0, x)));
        view.graph.back().gap.push_back(sample.gap);
        view.gapScale = std::max<int64_t>(view.gapScale, std::llabs(sample.gap));
    }
    const std::vector<int32_t> sectors = practiceSectors(view);
    if (!sectors.empty())
        view.practiceSector =
            std::find(sectors.begin(), sectors.end(), a.worstSector) != sectors.end() ? a.worstSector : sectors[0];
    return view;
}

std::vector<int32_t> practiceSectors(const AnalysisView& view)
{
    std::vector<int32_t> sectors;
    for (const AnalysisRow& row : view.rows)
        if (row.sector > 0)
            sectors.push_back(row.sector);
    return sectors;
}

int32_t nextPracticeSector(const AnalysisView& view, int32_t current, int32_t step)
{
    const std::vector<int32_t> sectors = practiceSectors(view);
    if (sectors.empty())
        return 0;
    const auto at = std::find(sectors.begin(), sectors.end(), current);
    if (at == sectors.end())
        return sectors[0];
    const long index = std::min<long>(long(sectors.size()) - 1, std::max<long>(0, (at - sectors.begin()) + step));
    return sectors[size_t(index)];
}

JointKey practiceJoint(const SectorLayout& layout, int32_t sector)
{
    return sectorEnd(layout, sector - 1);
}

std::string practiceCaption(const AnalysisView& view, int32_t sector)
{
    for (const AnalysisRow& row : view.rows)
        if (row.sector == sector && sector > 0)
            return "practice from " + row.label;
    return "";
}

std::string practiceSectionsLine(const RunAnalysis& a, int32_t fromSector)
{
    std::string line;
    for (size_t i = size_t(std::max(0, fromSector)); i < a.sectors.size(); ++i) {
        const SectorRow& sector = a.sectors[i];
        if (sector.sections == 0)
            continue;
        line += (line.empty() ? "practice " : "  ") + sectorLabel(a.layout, int32_t(i)) + " " +
                formatDelta(sector.ticksA - sector.ticksB);
    }
    return line;
}
