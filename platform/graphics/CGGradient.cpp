#include "platform/graphics/CGGradient.h"

#include <algorithm>
#include <cmath>

std::shared_ptr<CGGradient> CGGradient::createWithColors(const std::vector<UIColorPtr>& colors,
                                                         const std::vector<double>& locations)
{
    const bool useLocations = !locations.empty() && locations.size() == colors.size();
    std::vector<Stop> stops;
    std::size_t present = 0;
    for (const auto& c : colors)
        present += c ? 1 : 0;
    if (present == 0)
        return nullptr;
    std::size_t index = 0;
    for (std::size_t i = 0; i < colors.size(); ++i) {
        if (!colors[i])
            continue;
        double location = present == 1 ? 0.0 : static_cast<double>(index) / static_cast<double>(present - 1);
        if (useLocations)
            location = std::isfinite(locations[i]) ? std::clamp(locations[i], 0.0, 1.0) : 0.0;
        stops.push_back({location, colors[i]->rgba()});
        ++index;
    }
    std::stable_sort(stops.begin(), stops.end(), [](const Stop& a, const Stop& b) { return a.location < b.location; });
    return std::shared_ptr<CGGradient>(new CGGradient(std::move(stops)));
}
