#include "support/large_paths.h"

#include <random>

namespace testsupport {

SegmentList zigzag_path(int n, double step, double height)
{
    SegmentList s;
    s.push_back(std::make_unique<Vectors::SegmentMove>(0.0f, 0.0f));
    for (int i = 1; i <= n; i++)
        s.push_back(std::make_unique<Vectors::SegmentLine>(static_cast<float>(i * step),
                                                           static_cast<float>(i % 2 ? height : 0)));
    s.push_back(std::make_unique<Vectors::SegmentClose>());
    return s;
}

SegmentList random_segments_path(int n, std::uint32_t seed, double size)
{
    std::mt19937 rng(seed);
    auto next = [&] { return static_cast<float>(size * (rng() >> 8) * (1.0 / 16777216.0)); };
    SegmentList s;
    const float x = next(), y = next();
    s.push_back(std::make_unique<Vectors::SegmentMove>(x, y));
    for (int i = 0; i < n; i++) {
        const float px = next(), py = next();
        s.push_back(std::make_unique<Vectors::SegmentLine>(px, py));
    }
    s.push_back(std::make_unique<Vectors::SegmentClose>());
    return s;
}

}
