#include "system/dialog_template.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr std::uint32_t kSetFont = 0x40;     // DS_SETFONT
constexpr std::uint32_t kChild = 0x40000000; // WS_CHILD

bool isNumber(DialogText text)
{
    return reinterpret_cast<std::uintptr_t>(text) < 0x10000;
}

int textLength(DialogText text)
{
    int n = 0;
    while (text[n])
        ++n;
    return n;
}

// Bytes a name-or-number field takes.
int fieldSize(DialogText text)
{
    return isNumber(text) ? 4 : 2 * (textLength(text) + 1);
}

// An item's bytes at the most: the fixed fields, class and text, the empty
// creation data and up to three bytes of alignment.
int itemSize(DialogText text, DialogText windowClass)
{
    return 18 + fieldSize(windowClass) + fieldSize(text) + 2 + 3;
}

std::uint8_t* put16(std::uint8_t* p, std::uint16_t v)
{
    p[0] = static_cast<std::uint8_t>(v & 0xFF);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    return p + 2;
}

std::uint8_t* put32(std::uint8_t* p, std::uint32_t v)
{
    return put16(put16(p, static_cast<std::uint16_t>(v & 0xFFFF)), static_cast<std::uint16_t>(v >> 16));
}

std::uint8_t* putText(std::uint8_t* p, DialogText text)
{
    for (int i = 0; text[i]; ++i)
        p = put16(p, static_cast<std::uint16_t>(text[i]));
    return put16(p, 0);
}

// Number form: 0xFFFF and the number; else the NUL-terminated name.
std::uint8_t* putNameOrNumber(std::uint8_t* p, DialogText text)
{
    if (isNumber(text))
        return put16(put16(p, 0xFFFF), static_cast<std::uint16_t>(reinterpret_cast<std::uintptr_t>(text)));
    return putText(p, text);
}

// Menu and class of the header: null is a single 0.
std::uint8_t* putHeaderField(std::uint8_t* p, DialogText text)
{
    if (!text)
        return put16(p, 0);
    return putNameOrNumber(p, text);
}

std::uint8_t* align4(std::uint8_t* base, std::uint8_t* p)
{
    while ((p - base) % 4)
        *p++ = 0;
    return p;
}

} // namespace

DialogTemplate* DialogTemplate::begin(int size, int x, int y, int width, int height, std::uint32_t style,
                                      std::uint32_t extendedStyle, DialogText menu, DialogText windowClass,
                                      DialogText caption, DialogText fontFace, int pointSize)
{
    if (size <= 0)
        size = 4096;
    if (!fontFace)
        style &= ~kSetFont;
    const int headerSize = 18 + (menu ? fieldSize(menu) : 2) + (windowClass ? fieldSize(windowClass) : 2)
                         + 2 * ((caption ? textLength(caption) : 0) + 1)
                         + (fontFace ? 2 + 2 * (textLength(fontFace) + 1) : 0) + 3;
    while (size < headerSize)
        size *= 2;

    auto* t = new (std::nothrow) DialogTemplate;
    if (!t)
        return nullptr;
    t->buffer = static_cast<std::uint8_t*>(std::calloc(static_cast<std::size_t>(size), 1));
    if (!t->buffer) {
        delete t;
        return nullptr;
    }
    t->capacity = size;

    std::uint8_t* p = t->buffer;
    p = put32(p, style);
    p = put32(p, extendedStyle);
    p = put16(p, 0); // item count, counted up by addItem
    p = put16(p, static_cast<std::uint16_t>(x));
    p = put16(p, static_cast<std::uint16_t>(y));
    p = put16(p, static_cast<std::uint16_t>(width));
    p = put16(p, static_cast<std::uint16_t>(height));
    p = putHeaderField(p, menu);
    p = putHeaderField(p, windowClass);
    if (caption)
        p = putText(p, caption);
    else
        p = put16(p, 0);
    if (fontFace) {
        p = put16(p, static_cast<std::uint16_t>(pointSize));
        p = putText(p, fontFace);
    }
    p = align4(t->buffer, p);
    t->next = p;
    t->free = size - static_cast<int>(p - t->buffer);
    return t;
}

void DialogTemplate::grow(DialogTemplate* t, DialogText text, DialogText windowClass)
{
    if (itemSize(text, windowClass) < t->free)
        return;
    const std::ptrdiff_t offset = t->next - t->buffer;
    auto* bigger = static_cast<std::uint8_t*>(std::realloc(t->buffer, static_cast<std::size_t>(t->capacity) * 2));
    if (!bigger)
        return; // the caller's write check fails then
    std::memset(bigger + t->capacity, 0, static_cast<std::size_t>(t->capacity));
    t->buffer = bigger;
    t->next = bigger + offset;
    t->free += t->capacity;
    t->capacity *= 2;
}

DialogTemplate* DialogTemplate::addItem(DialogTemplate* t, DialogText text, std::uint16_t id,
                                        DialogText windowClass, std::uint32_t style, int x, int y, int width,
                                        int height, std::uint32_t extendedStyle)
{
    if (!t)
        return nullptr;
    grow(t, text, windowClass);
    if (itemSize(text, windowClass) > t->free) {
        // An item bigger than one doubling can hold: give up the template.
        std::free(t->buffer);
        delete t;
        return nullptr;
    }

    std::uint8_t* p = t->next;
    p = put32(p, style | kChild);
    p = put32(p, extendedStyle);
    p = put16(p, static_cast<std::uint16_t>(x));
    p = put16(p, static_cast<std::uint16_t>(y));
    p = put16(p, static_cast<std::uint16_t>(width));
    p = put16(p, static_cast<std::uint16_t>(height));
    p = put16(p, id);
    p = putNameOrNumber(p, windowClass);
    p = putNameOrNumber(p, text);
    p = put16(p, 0); // no creation data
    p = align4(t->buffer, p);

    t->free -= static_cast<int>(p - t->next);
    t->next = p;
    std::uint8_t* count = t->buffer + 8;
    put16(count, static_cast<std::uint16_t>((count[0] | (count[1] << 8)) + 1));
    return t;
}

std::uint8_t* DialogTemplate::finish(DialogTemplate* t)
{
    if (!t)
        return nullptr;
    std::uint8_t* buffer = t->buffer;
    delete t;
    return buffer;
}
