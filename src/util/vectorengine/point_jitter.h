#pragma once
// The jitter of one flattening: the counter into the table of eight offsets,
// and an index of the positions already in the point list, so that a
// repeated position is found without scanning the list.
#include <cstddef>
#include <unordered_set>
#include <vector>

class PointJitter {
public:
    // True when one of the points in the first count doubles of the list
    // (whole x, y, z triplets) has exactly x and y. The list may only have
    // grown at its end since the previous call, and only the points beyond
    // count may have changed.
    bool seen(const std::vector<double>& points, std::size_t count, double x, double y);
    // The next offset of the table; the counter advances.
    void next(double& dx, double& dy);

    unsigned counter = 0;

private:
    struct Position {
        double x, y;
        bool operator==(const Position& other) const { return x == other.x && y == other.y; }
    };
    struct Hash {
        std::size_t operator()(const Position& p) const;
    };

    std::unordered_set<Position, Hash> positions;
    std::size_t indexed = 0; // doubles of the list whose points are in positions
};
