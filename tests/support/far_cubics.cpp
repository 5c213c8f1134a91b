#include "support/far_cubics.h"

#include <cmath>
#include <random>

namespace testsupport {

SegmentList far_flung_cubics(int count, std::uint32_t seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> exponent(6.0f, 30.0f), page(0.0f, 200.0f);
    std::bernoulli_distribution negative(0.5);
    auto far = [&] { return (negative(rng) ? -1.0f : 1.0f) * std::pow(10.0f, exponent(rng)); };
    SegmentList segments;
    segments.push_back(std::make_unique<Vectors::SegmentMove>(page(rng), page(rng)));
    for (int i = 0; i < count; i++) {
        const vec3 c1(far(), far(), 0.0f), c2(far(), far(), 0.0f);
        const vec3 end = i % 2 ? vec3(page(rng), page(rng), 0.0f) : vec3(far(), far(), 0.0f);
        segments.push_back(std::make_unique<Vectors::SegmentCubic>(c1, c2, end));
    }
    return segments;
}

}
