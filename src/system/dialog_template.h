#pragma once
// Writes a dialog template in memory: the standard little-endian layout with
// UTF-16 texts (header, menu, class, caption, optional font, then items on
// 4-byte boundaries). The buffer doubles when the next item might not fit.
#include <cstdint>

// A text argument is either a NUL-terminated UTF-16 name or, when the
// pointer's value is below 0x10000, a number (see dialog_number).
using DialogText = const char16_t*;

inline DialogText dialog_number(std::uint16_t number)
{
    return reinterpret_cast<DialogText>(static_cast<std::uintptr_t>(number));
}

struct DialogTemplate {
    std::uint8_t* buffer;   // the template
    int free;               // bytes still free
    int capacity;           // bytes allocated
    std::uint8_t* next;     // where the next item goes

    // Allocates `size` bytes (4096 for 0) and writes the header, menu, class
    // and caption; without a font face DS_SETFONT is cleared and no font is
    // written. Null on allocation failure.
    static DialogTemplate* begin(int size, int x, int y, int width, int height, std::uint32_t style,
                                 std::uint32_t extendedStyle, DialogText menu, DialogText windowClass,
                                 DialogText caption, DialogText fontFace, int pointSize);
    // Appends one item (WS_CHILD added) and counts it in the header. An item
    // that does not fit even after growing releases the template: null.
    static DialogTemplate* addItem(DialogTemplate* t, DialogText text, std::uint16_t id,
                                   DialogText windowClass, std::uint32_t style, int x, int y, int width,
                                   int height, std::uint32_t extendedStyle);
    // Releases the writer and hands over the buffer (release it with std::free).
    static std::uint8_t* finish(DialogTemplate* t);
    // Makes room for one more item with this text and class.
    static void grow(DialogTemplate* t, DialogText text, DialogText windowClass);
};
