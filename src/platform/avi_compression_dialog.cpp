#include "platform/avi_compression_dialog.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Int_Input.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Round_Button.H>
#include <FL/Fl_Window.H>

#include "platform/avifile.h"

namespace {

enum class Answer { Pending, Ok, Cancel };

// What the quality field shows when the dialog opens: a picture a viewer
// would accept, at a fraction of the full frames' size.
constexpr int kStartPercent = 90;

void on_ok(Fl_Widget*, void* answer) { *static_cast<Answer*>(answer) = Answer::Ok; }
void on_cancel(Fl_Widget*, void* answer) { *static_cast<Answer*>(answer) = Answer::Cancel; }

}  // namespace

bool run_avi_compression_dialog(DWORD& handler, DWORD& quality)
{
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display)
        return false;

    Answer answer = Answer::Pending;
    Fl_Window window(340, 190, "Video Compression");
    Fl_Box heading(15, 10, 310, 20, "Compressor:");
    heading.align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
    Fl_Round_Button full(25, 35, 290, 25, "&Full frames (uncompressed)");
    full.type(FL_RADIO_BUTTON);
    Fl_Round_Button mjpeg(25, 60, 290, 25, "&Motion JPEG");
    mjpeg.type(FL_RADIO_BUTTON);
    const bool wasMjpeg = handler == AVI_HANDLER_MJPG;
    full.value(wasMjpeg ? 0 : 1);
    mjpeg.value(wasMjpeg ? 1 : 0);
    Fl_Int_Input percent(120, 100, 60, 25, "&Quality (%):");
    percent.align(FL_ALIGN_LEFT);
    percent.value(std::to_string(kStartPercent).c_str());
    Fl_Return_Button ok(130, 150, 90, 28, "OK");
    ok.callback(on_ok, &answer);
    Fl_Button cancel(235, 150, 90, 28, "Cancel");
    cancel.callback(on_cancel, &answer);
    window.callback(on_cancel, &answer);  // close box and Escape
    window.end();
    window.set_modal();
    window.show();
    while (answer == Answer::Pending && window.shown())
        Fl::wait();
    window.hide();
    Fl::check();
    if (answer != Answer::Ok)
        return false;
    handler = mjpeg.value() ? AVI_HANDLER_MJPG : AVI_HANDLER_DIB;
    // An empty field keeps the starting value; others are held to 1 to 100.
    const int typed = *percent.value() ? std::atoi(percent.value()) : kStartPercent;
    quality = static_cast<DWORD>(std::clamp(typed, 1, 100)) * 100;
    return true;
}
