#include "scenes/textflash.h"

#include "scenes/trackvalues.h"

void flash_background(AsciiEngine& canvas, float flash) {
    const int f = flash_level(flash);
    if (f <= 0)
        canvas.clear();
    else if (f == 1)
        canvas.fill(32, 8, 8);
    else if (f == 2)
        canvas.fill(32, 7, 7);
    else
        canvas.fill(32, 15, 15);
}
