#pragma once
// The video compression dialog behind AVISaveOptions (FLTK): full
// uncompressed frames or Motion JPEG with a quality.
#include "platform/win32_types.h"

// Shows the dialog modally, the given handler selected and the quality field
// at 90 %. On OK stores the chosen handler ('DIB ' or 'MJPG') and quality
// (100 to 10000) and returns true; Cancel, Escape or the close box return
// false. Without a display it returns false at once.
bool run_avi_compression_dialog(DWORD& handler, DWORD& quality);
