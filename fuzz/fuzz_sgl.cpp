// SGL models: any file either loads records that lie inside its bytes or is
// refused (an empty file stops in the data layer), and every geometry
// operation on what loaded stays inside them.
#include <cmath>
#include <cstdlib>

#include "effects/skydome/model_sgl.h"
#include "fuzz_support.h"
#include "system/fatal_error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz_init(DataFileMode::Off);
    const std::string path = fuzz_write_input(data, size, ".sgl");
    SglModel model;
    bool loaded = false;
    try {
        loaded = model.load(path.c_str());
    } catch (const FatalErrorException&) {
        return 0;
    }
    if (loaded != (model.get_data() != nullptr))
        std::abort();
    float x = 0, y = 0, z = 0;
    model.centre(x, y, z);
    model.extents(x, y, z);
    if (loaded && !(x >= 0 && y >= 0 && z >= 0) && !std::isnan(x + y + z))
        std::abort();
    model.translate(1.0f, -2.0f, 3.0f);
    model.scale(0.5f);
    model.normalise();
    model.clear();
    return 0;
}
