#include "platform/dialog.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Double_Window.H>
#include <FL/x.H>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>

#include "platform/window_internal.h"

namespace {

// ---- reading the template -------------------------------------------------

struct Reader {
    const std::uint8_t* base;
    const std::uint8_t* p;

    WORD word()
    {
        const WORD v = static_cast<WORD>(p[0] | (p[1] << 8));
        p += 2;
        return v;
    }
    DWORD dword()
    {
        const DWORD lo = word();
        const DWORD hi = word();
        return lo | (hi << 16);
    }
    void align4()
    {
        const std::size_t offset = static_cast<std::size_t>(p - base);
        p += (4 - offset % 4) % 4;
    }
    // NUL-terminated UTF-16, as UTF-8.
    std::string text()
    {
        std::string out;
        for (;;) {
            std::uint32_t c = word();
            if (c == 0)
                break;
            if (c >= 0xD800 && c < 0xDC00) {
                const std::uint32_t low = word();
                if (low >= 0xDC00 && low < 0xE000)
                    c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                else
                    c = 0xFFFD;
            }
            if (c < 0x80) {
                out += static_cast<char>(c);
            } else if (c < 0x800) {
                out += static_cast<char>(0xC0 | (c >> 6));
                out += static_cast<char>(0x80 | (c & 0x3F));
            } else if (c < 0x10000) {
                out += static_cast<char>(0xE0 | (c >> 12));
                out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
                out += static_cast<char>(0x80 | (c & 0x3F));
            } else {
                out += static_cast<char>(0xF0 | (c >> 18));
                out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
                out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
                out += static_cast<char>(0x80 | (c & 0x3F));
            }
        }
        return out;
    }
    // Name or number form; numbers come back as "#<n>".
    std::string nameOrNumber()
    {
        const WORD first = static_cast<WORD>(p[0] | (p[1] << 8));
        if (first == 0) {
            p += 2;
            return "";
        }
        if (first == 0xFFFF) {
            p += 2;
            return "#" + std::to_string(word());
        }
        return text();
    }
};

std::string classNameFromNumber(const std::string& name)
{
    static const std::map<std::string, std::string> predefined = {
        {"#128", "BUTTON"}, {"#129", "EDIT"}, {"#130", "STATIC"},
        {"#131", "LISTBOX"}, {"#132", "SCROLLBAR"}, {"#133", "COMBOBOX"},
    };
    const auto it = predefined.find(name);
    if (it != predefined.end())
        return it->second;
    std::string upper = name;
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

// Windows texts are single-byte (Latin-1 here); FLTK draws UTF-8.
std::string latin1ToUtf8(const std::string& s)
{
    std::string out;
    for (unsigned char c : s) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string utf8ToLatin1(const std::string& s)
{
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if ((c & 0xE0) == 0xC0 && i + 1 < s.size()) {
            const unsigned v = ((c & 0x1F) << 6) | (static_cast<unsigned char>(s[i + 1]) & 0x3F);
            out += v < 0x100 ? static_cast<char>(v) : '?';
            ++i;
        } else {
            out += '?';
            while (i + 1 < s.size() && (static_cast<unsigned char>(s[i + 1]) & 0xC0) == 0x80)
                ++i;
        }
    }
    return out;
}

// Menu item labels treat '/', '\\', '&' and '_' specially: quote them.
std::string menuLabel(const std::string& text)
{
    std::string out;
    for (char c : latin1ToUtf8(text)) {
        if (c == '/' || c == '\\' || c == '_')
            out += '\\';
        if (c == '&')
            out += '&';
        out += c;
    }
    return out;
}

// ---- live dialogs -----------------------------------------------------------

struct Dialog;

struct Control {
    enum class Type { Static, PushButton, CheckBox, ComboBox, Other };
    Type type = Type::Other;
    bool autoCheck = false;
    HWND hwnd = nullptr;
    Fl_Widget* widget = nullptr;
    Dialog* dialog = nullptr;
    std::string text;               // as the program set it (single-byte)
    std::vector<std::string> items; // combo box entries, as added
};

class DialogWindow;

struct Dialog {
    HWND hwnd = nullptr;
    DLGPROC proc = nullptr;
    DialogWindow* window = nullptr;
    std::vector<std::unique_ptr<Control>> controls;
    std::string caption;
    WORD defaultId = 1;
    bool ended = false;
    INT_PTR result = 0;
};

std::map<HWND, Dialog*>& dialogs()
{
    static std::map<HWND, Dialog*> d;
    return d;
}

void command(Dialog* d, WORD id, WORD code, HWND control)
{
    if (!d->ended)
        SendMessageA(d->hwnd, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control));
}

class DialogWindow : public Fl_Double_Window {
public:
    DialogWindow(int x, int y, int w, int h, Dialog* d)
        : Fl_Double_Window(x, y, w, h), dialog_(d) {}

    int handle(int event) override
    {
        if (event == FL_SHORTCUT && !(Fl::event_state() & (FL_ALT | FL_CTRL | FL_META))) {
            const int key = Fl::event_key();
            if (key == FL_Enter || key == FL_KP_Enter) {
                command(dialog_, dialog_->defaultId, BN_CLICKED, GetDlgItem(dialog_->hwnd, dialog_->defaultId));
                return 1;
            }
            if (key == FL_Escape) {
                command(dialog_, 2, BN_CLICKED, GetDlgItem(dialog_->hwnd, 2));
                return 1;
            }
        }
        // '&' in a label marks its key (with or without Alt): the buttons
        // answer FL_SHORTCUT themselves.
        return Fl_Double_Window::handle(event);
    }

private:
    Dialog* dialog_;
};

void onWindowClose(Fl_Widget*, void* data)
{
    // The close box (and Escape, when FLTK routes it here) answers Cancel.
    auto* d = static_cast<Dialog*>(data);
    command(d, 2, BN_CLICKED, GetDlgItem(d->hwnd, 2));
}

void onButton(Fl_Widget*, void* data)
{
    auto* c = static_cast<Control*>(data);
    if (c->type == Control::Type::CheckBox && !c->autoCheck) {
        // A plain check box only changes when the program says so.
        auto* b = static_cast<Fl_Check_Button*>(c->widget);
        b->value(!b->value());
    }
    command(c->dialog, static_cast<WORD>(c->hwnd->id), BN_CLICKED, c->hwnd);
}

void onChoice(Fl_Widget*, void* data)
{
    auto* c = static_cast<Control*>(data);
    command(c->dialog, static_cast<WORD>(c->hwnd->id), CBN_SELCHANGE, c->hwnd);
    command(c->dialog, static_cast<WORD>(c->hwnd->id), CBN_SELENDOK, c->hwnd);
}

LRESULT copyText(const std::string& text, WPARAM capacity, LPARAM buffer)
{
    if (!buffer || capacity == 0)
        return 0;
    const std::size_t n = std::min<std::size_t>(text.size(), capacity - 1);
    char* out = reinterpret_cast<char*>(buffer);
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
    return static_cast<LRESULT>(n);
}

void setControlText(Control* c, const std::string& text)
{
    c->text = text;
    if (c->widget && c->type != Control::Type::ComboBox)
        c->widget->copy_label(latin1ToUtf8(text).c_str());
}

LRESULT controlMessage(Control* c, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SETTEXT:
        setControlText(c, lParam ? reinterpret_cast<const char*>(lParam) : "");
        return TRUE;
    case WM_GETTEXT:
        return copyText(c->text, wParam, lParam);
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(c->text.size());
    default:
        break;
    }
    if (c->type == Control::Type::CheckBox) {
        auto* b = static_cast<Fl_Check_Button*>(c->widget);
        if (message == BM_GETCHECK)
            return b->value() ? BST_CHECKED : BST_UNCHECKED;
        if (message == BM_SETCHECK) {
            b->value(wParam == BST_CHECKED ? 1 : 0);
            return 0;
        }
    }
    if (c->type == Control::Type::ComboBox) {
        auto* choice = static_cast<Fl_Choice*>(c->widget);
        const auto count = static_cast<LRESULT>(c->items.size());
        switch (message) {
        case CB_ADDSTRING: {
            const std::string item = lParam ? reinterpret_cast<const char*>(lParam) : "";
            c->items.push_back(item);
            choice->add(menuLabel(item).c_str(), 0, nullptr, nullptr, 0);
            // A new box shows nothing until an entry is chosen.
            if (c->items.size() == 1)
                choice->value(-1);
            return count;
        }
        case CB_GETCOUNT:
            return count;
        case CB_GETCURSEL:
            return choice->value() >= 0 && choice->value() < count ? choice->value() : CB_ERR;
        case CB_SETCURSEL: {
            const auto index = static_cast<LRESULT>(static_cast<int>(wParam));
            if (index < 0 || index >= count) {
                choice->value(-1);
                return CB_ERR;
            }
            choice->value(static_cast<int>(index));
            return index;
        }
        case CB_GETLBTEXT:
        case CB_GETLBTEXTLEN: {
            const auto index = static_cast<LRESULT>(static_cast<int>(wParam));
            if (index < 0 || index >= count)
                return CB_ERR;
            const std::string& item = c->items[static_cast<std::size_t>(index)];
            if (message == CB_GETLBTEXTLEN)
                return static_cast<LRESULT>(item.size());
            if (!lParam)
                return CB_ERR;
            std::memcpy(reinterpret_cast<char*>(lParam), item.c_str(), item.size() + 1);
            return static_cast<LRESULT>(item.size());
        }
        default:
            break;
        }
    }
    return 0;
}

void destroyDialog(Dialog* d)
{
    dialogs().erase(d->hwnd);
    for (auto& c : d->controls)
        c->hwnd->destroyed = true;
    d->hwnd->destroyed = true;
    if (d->window) {
        d->window->hide();
        delete d->window; // and every widget in it
        d->window = nullptr;
    }
    // The handles stay allocated: a stale handle reads as a destroyed window.
    delete d;
}

LRESULT dialogMessage(Dialog* d, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        d->proc(d->hwnd, message, wParam, lParam);
        destroyDialog(d);
        return 0;
    }
    if (message == WM_GETTEXT)
        return copyText(d->caption, wParam, lParam);
    if (message == WM_GETTEXTLENGTH)
        return static_cast<LRESULT>(d->caption.size());
    if (message == WM_SETTEXT) {
        d->caption = lParam ? reinterpret_cast<const char*>(lParam) : "";
        if (d->window)
            d->window->copy_label(latin1ToUtf8(d->caption).c_str());
        return TRUE;
    }
    const INT_PTR handled = d->proc(d->hwnd, message, wParam, lParam);
    // The default handling: closing the dialog asks for Cancel.
    if (!handled && message == WM_CLOSE)
        command(d, 2, BN_CLICKED, GetDlgItem(d->hwnd, 2));
    return handled;
}

Dialog* buildDialog(const DialogInfo& info, DLGPROC proc, int screenX, int screenY)
{
    auto* d = new Dialog;
    d->proc = proc;
    d->hwnd = new PlatformWindow;
    d->hwnd->kind = PlatformWindow::Kind::Dialog;
    d->hwnd->style = info.style;
    d->hwnd->exStyle = info.exStyle;
    d->hwnd->handler = [d](UINT m, WPARAM w, LPARAM l) { return dialogMessage(d, m, w, l); };
    d->caption = utf8ToLatin1(info.caption);
    dialogs()[d->hwnd] = d;

    d->window = new DialogWindow(screenX, screenY, dialog_units_to_pixels_x(info.width),
                                 dialog_units_to_pixels_y(info.height), d);
    d->window->copy_label(info.caption.c_str());
    d->window->callback(onWindowClose, d);
    d->window->xclass("#32770"); // the standard dialog class

    bool sawDefault = false;
    for (const DialogItemInfo& item : info.items) {
        auto c = std::make_unique<Control>();
        c->dialog = d;
        c->hwnd = new PlatformWindow;
        c->hwnd->kind = PlatformWindow::Kind::Control;
        c->hwnd->style = item.style;
        c->hwnd->exStyle = item.exStyle;
        c->hwnd->id = item.id;
        c->hwnd->parent = d->hwnd;
        Control* raw = c.get();
        c->hwnd->handler = [raw](UINT m, WPARAM w, LPARAM l) { return controlMessage(raw, m, w, l); };
        d->hwnd->children.push_back(c->hwnd);

        const int x = dialog_units_to_pixels_x(item.x);
        const int y = dialog_units_to_pixels_y(item.y);
        const int w = dialog_units_to_pixels_x(item.width);
        int h = dialog_units_to_pixels_y(item.height);
        const std::string label = latin1ToUtf8(utf8ToLatin1(item.text));
        const DWORD kind = item.style & BS_TYPEMASK;

        if (item.className == "STATIC") {
            c->type = Control::Type::Static;
            auto* box = new Fl_Box(x, y, w, h);
            box->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_TOP | FL_ALIGN_WRAP);
            c->widget = box;
        } else if (item.className == "BUTTON" && (kind == BS_CHECKBOX || kind == BS_AUTOCHECKBOX)) {
            c->type = Control::Type::CheckBox;
            c->autoCheck = kind == BS_AUTOCHECKBOX;
            c->widget = new Fl_Check_Button(x, y, w, h);
            c->widget->callback(onButton, raw);
        } else if (item.className == "BUTTON") {
            c->type = Control::Type::PushButton;
            c->widget = new Fl_Button(x, y, w, h);
            c->widget->callback(onButton, raw);
            if (kind == BS_DEFPUSHBUTTON && !sawDefault) {
                d->defaultId = item.id;
                sawDefault = true;
                c->widget->labelfont(FL_HELVETICA_BOLD);
            }
        } else if (item.className == "COMBOBOX") {
            // The template's height is the open list's; the closed box is one line.
            h = std::min(h, dialog_units_to_pixels_y(12));
            c->type = Control::Type::ComboBox;
            auto* choice = new Fl_Choice(x, y, w, h);
            choice->when(FL_WHEN_RELEASE_ALWAYS);
            choice->textsize(12);
            choice->callback(onChoice, raw);
            c->widget = choice;
        }
        if (c->widget) {
            c->widget->labelsize(13);
            if (!(item.style & WS_VISIBLE))
                c->widget->hide();
            if (item.style & 0x08000000 /* WS_DISABLED */)
                c->widget->deactivate();
        }
        setControlText(raw, utf8ToLatin1(label));
        d->controls.push_back(std::move(c));
    }
    d->window->end();
    d->window->set_modal();
    return d;
}

} // namespace

int dialog_units_to_pixels_x(int units)
{
    return units * 8 / 4;
}

int dialog_units_to_pixels_y(int units)
{
    return units * 16 / 8;
}

bool read_dialog_template(const void* dialogTemplate, DialogInfo& out)
{
    if (!dialogTemplate)
        return false;
    Reader r{static_cast<const std::uint8_t*>(dialogTemplate), static_cast<const std::uint8_t*>(dialogTemplate)};
    out = DialogInfo{};
    out.style = r.dword();
    out.exStyle = r.dword();
    const int count = r.word();
    out.x = static_cast<SHORT>(r.word());
    out.y = static_cast<SHORT>(r.word());
    out.width = static_cast<SHORT>(r.word());
    out.height = static_cast<SHORT>(r.word());
    r.nameOrNumber(); // menu: dialogs here have none
    r.nameOrNumber(); // class: the standard dialog class
    out.caption = r.text();
    if (out.style & DS_SETFONT) {
        out.pointSize = r.word();
        out.fontFace = r.text();
    }
    for (int i = 0; i < count; ++i) {
        r.align4();
        DialogItemInfo item;
        item.style = r.dword();
        item.exStyle = r.dword();
        item.x = static_cast<SHORT>(r.word());
        item.y = static_cast<SHORT>(r.word());
        item.width = static_cast<SHORT>(r.word());
        item.height = static_cast<SHORT>(r.word());
        item.id = r.word();
        item.className = classNameFromNumber(r.nameOrNumber());
        const std::string text = r.nameOrNumber();
        item.text = (!text.empty() && text[0] == '#') ? "" : text;
        const WORD extra = r.word();
        r.p += extra;
        out.items.push_back(item);
    }
    return true;
}

HWND CreateDialogIndirectParamA(HINSTANCE, const void* dialogTemplate, HWND, DLGPROC proc, LPARAM initParam)
{
    DialogInfo info;
    if (!proc || !read_dialog_template(dialogTemplate, info))
        return nullptr;
    Dialog* d = buildDialog(info, proc, dialog_units_to_pixels_x(info.x), dialog_units_to_pixels_y(info.y));
    HWND focus = nullptr;
    for (auto& c : d->controls)
        if (!focus && (c->hwnd->style & WS_TABSTOP))
            focus = c->hwnd;
    HWND hwnd = d->hwnd;
    d->proc(hwnd, WM_INITDIALOG, reinterpret_cast<WPARAM>(focus), initParam);
    return hwnd;
}

INT_PTR DialogBoxIndirectParamA(HINSTANCE instance, const void* dialogTemplate, HWND parent,
                                DLGPROC proc, LPARAM initParam)
{
    if (!fl_display)
        fl_open_display();
    if (!fl_display)
        return -1;
    HWND hwnd = CreateDialogIndirectParamA(instance, dialogTemplate, parent, proc, initParam);
    if (!hwnd)
        return -1;
    Dialog* d = dialogs().count(hwnd) ? dialogs()[hwnd] : nullptr;
    if (d && !d->ended) {
        Fl::scheme("gtk+");
        // Keep the dialog on the screen.
        const int x = std::max(0, std::min(d->window->x(), Fl::w() - d->window->w()));
        const int y = std::max(0, std::min(d->window->y(), Fl::h() - d->window->h()));
        d->window->position(x, y);
        d->window->show();
        d->window->wait_for_expose();
        // Take the keyboard, as a new dialog does (no window manager may do it).
        XSetInputFocus(fl_display, fl_xid(d->window), RevertToParent, CurrentTime);
        while (dialogs().count(hwnd) && !d->ended)
            Fl::wait();
    }
    INT_PTR result = -1;
    if (dialogs().count(hwnd)) {
        result = d->result;
        DestroyWindow(hwnd);
    }
    Fl::flush();
    if (fl_display)
        XSync(fl_display, False);
    return result;
}

BOOL EndDialog(HWND dialog, INT_PTR result)
{
    const auto it = dialogs().find(dialog);
    if (it == dialogs().end())
        return FALSE;
    it->second->ended = true;
    it->second->result = result;
    return TRUE;
}

bool dialog_has_ended(HWND dialog, INT_PTR* result)
{
    const auto it = dialogs().find(dialog);
    if (it == dialogs().end() || !it->second->ended)
        return false;
    if (result)
        *result = it->second->result;
    return true;
}

HWND GetDlgItem(HWND dialog, int id)
{
    if (!dialog || dialog->destroyed)
        return nullptr;
    for (HWND child : dialog->children)
        if (child->id == id && !child->destroyed)
            return child;
    return nullptr;
}
