#include "platform/audio_fft.h"

#include <cmath>
#include <map>
#include <vector>

#include <fftw3.h>

namespace {

struct Plan {
    int n = 0;
    float* input = nullptr;
    fftwf_complex* output = nullptr;
    fftwf_plan plan = nullptr;
    std::vector<float> window;
    float scale = 0.0f;

    explicit Plan(int size) : n(size)
    {
        input = fftwf_alloc_real(static_cast<std::size_t>(n));
        output = fftwf_alloc_complex(static_cast<std::size_t>(n / 2 + 1));
        plan = fftwf_plan_dft_r2c_1d(n, input, output, FFTW_ESTIMATE);
        window.resize(static_cast<std::size_t>(n));
        double sum = 0.0;
        for (int i = 0; i < n; ++i) {
            window[static_cast<std::size_t>(i)] =
                static_cast<float>(0.5 - 0.5 * std::cos(2.0 * M_PI * i / (n - 1)));
            sum += window[static_cast<std::size_t>(i)];
        }
        scale = static_cast<float>(2.0 / sum);
    }
    ~Plan()
    {
        fftwf_destroy_plan(plan);
        fftwf_free(input);
        fftwf_free(output);
    }
    Plan(const Plan&) = delete;
    Plan& operator=(const Plan&) = delete;
};

Plan& planFor(int n)
{
    // Plans are made once per size and kept; FFTW planning is not thread-safe,
    // and the audio layer calls this with its lock held.
    static std::map<int, Plan> plans;
    auto it = plans.find(n);
    if (it == plans.end())
        it = plans.try_emplace(n, n).first;
    return it->second;
}

} // namespace

void audio_fft_magnitudes(const float* samples, int n, float* out)
{
    Plan& p = planFor(n);
    for (int i = 0; i < n; ++i)
        p.input[i] = samples[i] * p.window[static_cast<std::size_t>(i)];
    fftwf_execute(p.plan);
    for (int k = 0; k < n / 2; ++k)
        out[k] = std::hypot(p.output[k][0], p.output[k][1]) * p.scale;
}
