#pragma once

#include "platform/graphics/UIColor.h"

#include <memory>
#include <vector>

// Colour stops along 0 to 1. Without locations the stops lie evenly from 0 to 1.
class CGGradient {
public:
    struct Stop {
        double location = 0;
        UIColor::RGBA color;
    };

    enum Options : unsigned {
        DrawsBeforeStartLocation = 1u << 0,
        DrawsAfterEndLocation = 1u << 1,
    };

    // Absent colours are skipped. Locations, when given, must match the colours one to one;
    // a list of another length is ignored and the stops are spread evenly. Null with no colour.
    static std::shared_ptr<CGGradient> createWithColors(const std::vector<UIColorPtr>& colors,
                                                        const std::vector<double>& locations = {});

    const std::vector<Stop>& stops() const { return m_stops; }

private:
    explicit CGGradient(std::vector<Stop> stops) : m_stops(std::move(stops)) {}
    std::vector<Stop> m_stops;
};
