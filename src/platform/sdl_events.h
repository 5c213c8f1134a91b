#pragma once
// SDL events as the window messages and virtual-key codes of the engine's
// window procedure. Private to the platform layer (and its tests).
#include <SDL.h>

#include <vector>

#include "platform/messages.h"

// The virtual-key code of a key, 0 for keys that have none.
int virtual_key_from_sdl(const SDL_Keysym& key);

// Appends the messages that `event` means for `window` (none for events
// that no window procedure sees).
void translate_sdl_event(const SDL_Event& event, HWND window, std::vector<MSG>& out);
