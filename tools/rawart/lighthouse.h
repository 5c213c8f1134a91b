#pragma once
#include "picture.h"

// The 80 x 50 harbour picture (kolonv.raw): a lighthouse sending its beams
// over the sea. The scene that shows it turns it a quarter turn, so it is
// drawn lying on its side: upright it is 50 cells wide and 80 tall.
Picture draw_lighthouse();
