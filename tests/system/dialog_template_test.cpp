#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/dialog.h"
#include "system/dialog_template.h"
#include "system/os_windows.h"
#include "system/velmosystem.h"

namespace {

// Little-endian template bytes written out by hand.
struct Bytes {
    std::vector<std::uint8_t> b;
    void u16(unsigned v)
    {
        b.push_back(static_cast<std::uint8_t>(v & 0xFF));
        b.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
    }
    void u32(unsigned v)
    {
        u16(v & 0xFFFF);
        u16(v >> 16);
    }
    void text(const std::string& s)
    {
        for (char c : s)
            u16(static_cast<unsigned char>(c));
        u16(0);
    }
    void pad()
    {
        while (b.size() % 4)
            b.push_back(0);
    }
    void item(unsigned style, int x, int y, int w, int h, unsigned id, const std::string& cls,
              const char* label)
    {
        pad();
        u32(style);
        u32(0);
        u16(x);
        u16(y);
        u16(w);
        u16(h);
        u16(id);
        text(cls);
        if (label) {
            text(label);
        } else {
            u16(0xFFFF);
            u16(0);
        }
        u16(0);
    }
};

TEST(SettingsDialogTemplate, BytesAreTheStandardLayoutOfTheTwelveItems)
{
    VelmoSystem::title = "Glass Harbour Signal";
    constexpr unsigned child = 0x40000000, visible = 0x10000000, tab = 0x00010000;
    Bytes e;
    e.u32(0x80CA0080);
    e.u32(0x00010000);
    e.u16(12);
    e.u16(300);
    e.u16(300);
    e.u16(135);
    e.u16(75);
    e.u16(0); // no menu
    e.u16(0); // standard class
    e.text("Glass Harbour Signal");
    e.item(child | visible, 5, 5, 65, 10, 0, "STATIC", "Choose resolution");
    e.item(child | visible | tab | 3, 75, 5, 55, 500, 100, "COMBOBOX", nullptr);
    e.item(child | visible, 5, 20, 65, 10, 0, "STATIC", "Anti-aliasing");
    e.item(child | visible | tab | 3, 75, 20, 55, 500, 102, "COMBOBOX", nullptr);
    e.item(child | visible, 5, 35, 65, 10, 0, "STATIC", "Aspect ratio");
    e.item(child | visible | tab | 3, 75, 35, 55, 500, 104, "COMBOBOX", nullptr);
    e.item(child | visible | tab | 1, 5, 50, 30, 10, 1, "BUTTON", "&Run");
    e.item(child | visible | tab | 0, 40, 50, 30, 10, 106, "BUTTON", "Get &avi");
    e.item(child | visible | tab | 3, 75, 50, 55, 10, 101, "BUTTON", "&Fullscreen");
    e.item(child | visible | tab | 0, 5, 60, 30, 10, 2, "BUTTON", "&Quit");
    e.item(child | visible | tab | 0, 40, 60, 30, 10, 105, "BUTTON", "Get &mp3");
    e.item(child | visible | tab | 3, 75, 60, 55, 10, 103, "BUTTON", "&Vsync enable");
    e.pad();

    std::uint8_t* bytes = makeSettingsDialogTemplate();
    const std::vector<std::uint8_t> actual(bytes, bytes + e.b.size());
    EXPECT_EQ(actual, e.b);
    std::free(bytes);
}

TEST(SettingsDialogTemplate, CaptionWidensEachTitleByte)
{
    VelmoSystem::title = "caf\xE9";
    std::uint8_t* bytes = makeSettingsDialogTemplate();
    // Header (18), menu (2), class (2), then the caption.
    EXPECT_EQ(bytes[22], 'c');
    EXPECT_EQ(bytes[28], 0xE9);
    EXPECT_EQ(bytes[29], 0x00);
    EXPECT_EQ(bytes[30], 0x00);
    std::free(bytes);
    VelmoSystem::title = "Glass Harbour Signal";
}

TEST(DialogTemplate, GrowsByDoublingAndKeepsEveryItemReadable)
{
    DialogTemplate* t = DialogTemplate::begin(64, 1, 2, 3, 4, 0x80C80000, 0, nullptr, nullptr, u"T", nullptr, 0);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->capacity, 64);
    std::vector<std::u16string> labels;
    for (int i = 0; i < 20; ++i)
        labels.push_back(u"item number " + std::u16string(static_cast<std::size_t>(i), u'x'));
    std::vector<int> capacities;
    for (int i = 0; i < 20; ++i) {
        t = DialogTemplate::addItem(t, labels[static_cast<std::size_t>(i)].c_str(), static_cast<std::uint16_t>(200 + i),
                                    u"BUTTON", 0x10000000, i, i + 1, 10, 10, 0);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ((t->next - t->buffer) % 4, 0);
        EXPECT_EQ(t->capacity - (t->next - t->buffer), t->free);
        capacities.push_back(t->capacity);
    }
    EXPECT_GT(capacities.back(), 64);
    for (int c : capacities) // only ever doubled
        EXPECT_EQ(c & (c - 1), 0) << c;

    std::uint8_t* bytes = DialogTemplate::finish(t);
    DialogInfo info;
    ASSERT_TRUE(read_dialog_template(bytes, info));
    ASSERT_EQ(info.items.size(), 20u);
    EXPECT_EQ(info.caption, "T");
    for (int i = 0; i < 20; ++i) {
        const DialogItemInfo& item = info.items[static_cast<std::size_t>(i)];
        EXPECT_EQ(item.id, 200 + i);
        EXPECT_EQ(item.x, i);
        EXPECT_EQ(item.className, "BUTTON");
        EXPECT_EQ(item.style, 0x50000000u); // WS_CHILD added
        EXPECT_EQ(item.text, "item number " + std::string(static_cast<std::size_t>(i), 'x'));
    }
    std::free(bytes);
}

TEST(DialogTemplate, NumberFormsFontAndMissingText)
{
    DialogTemplate* t = DialogTemplate::begin(0, 0, 0, 10, 10, 0x40 | 0x80, 0, dialog_number(7),
                                              u"MyClass", nullptr, u"Face", 9);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->capacity, 4096);
    t = DialogTemplate::addItem(t, dialog_number(5), 9, dialog_number(0x0082), 0, 0, 0, 1, 1, 0);
    t = DialogTemplate::addItem(t, nullptr, 10, dialog_number(0x0080), 0, 0, 0, 1, 1, 0);
    std::uint8_t* bytes = DialogTemplate::finish(t);

    Bytes e;
    e.u32(0xC0); // a face keeps DS_SETFONT
    e.u32(0);
    e.u16(2);
    e.u16(0);
    e.u16(0);
    e.u16(10);
    e.u16(10);
    e.u16(0xFFFF);
    e.u16(7);
    e.text("MyClass");
    e.u16(0); // empty caption
    e.u16(9);
    e.text("Face");
    e.pad();
    e.u32(0x40000000);
    e.u32(0);
    for (int v : {0, 0, 1, 1, 9})
        e.u16(static_cast<unsigned>(v));
    e.u16(0xFFFF);
    e.u16(0x0082);
    e.u16(0xFFFF);
    e.u16(5);
    e.u16(0);
    e.pad();
    e.u32(0x40000000);
    e.u32(0);
    for (int v : {0, 0, 1, 1, 10})
        e.u16(static_cast<unsigned>(v));
    e.u16(0xFFFF);
    e.u16(0x0080);
    e.u16(0xFFFF);
    e.u16(0);
    e.u16(0);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes, bytes + e.b.size()), e.b);

    DialogInfo info;
    ASSERT_TRUE(read_dialog_template(bytes, info));
    EXPECT_EQ(info.fontFace, "Face");
    EXPECT_EQ(info.pointSize, 9);
    ASSERT_EQ(info.items.size(), 2u);
    EXPECT_EQ(info.items[0].className, "STATIC");
    EXPECT_EQ(info.items[1].className, "BUTTON");
    std::free(bytes);

    // Without a face the font flag goes.
    t = DialogTemplate::begin(0, 0, 0, 1, 1, 0x40 | 0x80, 0, nullptr, nullptr, nullptr, nullptr, 12);
    bytes = DialogTemplate::finish(t);
    EXPECT_EQ(bytes[0], 0x80);
    std::free(bytes);
}

} // namespace
