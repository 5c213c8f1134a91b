#include "effects/effect.h"

#include "system/fatal_error.h"
#include "util/fbo/fbo.h"

namespace Effects {

void Effect::render(float) { FATAL_ERROR("Virtual render called?"); }

void PostProc::prepare(int, int, float, FBO*) {}

void PostProc::apply(int, int, float) { FATAL_ERROR("Well this shouldn't happen..."); }

void PostProc::draw(FBO* source) { source->draw(); }

bool PostProc::leaves_picture_unchanged() const { return false; }

float PostProc::getParam(int index) const
{
    if (index >= 0 && index < static_cast<int>(param_values.size()))
        return param_values[index];
    return 0.0f;
}

void PostProc::setParam(int index, float value)
{
    if (index < 0 || index >= static_cast<int>(param_values.size()))
        FATAL_ERROR("WARNING: Param index " + std::to_string(index) + " for effect " + effect_name +
                    " is out of bounds\n");
    param_values[index] = value;
}

void PostProc::addParam(const std::string& name, float defaultValue)
{
    param_names.push_back(effect_name + name);
    param_values.push_back(defaultValue);
}

}  // namespace Effects
