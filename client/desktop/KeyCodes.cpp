#include "client/desktop/KeyCodes.h"

#include <gdk/gdkkeysyms.h>

namespace vantor::desktop {

namespace {

struct KeyPair {
    unsigned keyval;
    int32_t code;
};

constexpr KeyPair kKeys[] = {
    {GDK_KEY_BackSpace, 0x08},
    {GDK_KEY_Tab, 0x09},
    {GDK_KEY_Clear, 0x0C},
    {GDK_KEY_Return, 0x0D},
    {GDK_KEY_KP_Enter, 0x0D},
    {GDK_KEY_Shift_L, 0x10},
    {GDK_KEY_Shift_R, 0x10},
    {GDK_KEY_Control_L, 0x11},
    {GDK_KEY_Control_R, 0x11},
    {GDK_KEY_Escape, 0x1B},
    {GDK_KEY_space, 0x20},
    {GDK_KEY_Page_Up, 0x21},
    {GDK_KEY_Page_Down, 0x22},
    {GDK_KEY_End, 0x23},
    {GDK_KEY_Home, 0x24},
    {GDK_KEY_Left, 0x25},
    {GDK_KEY_Up, 0x26},
    {GDK_KEY_Right, 0x27},
    {GDK_KEY_Down, 0x28},
    {GDK_KEY_Insert, 0x2D},
    {GDK_KEY_Delete, 0x2E},
    {GDK_KEY_KP_Multiply, 0x6A},
    {GDK_KEY_KP_Add, 0x6B},
    {GDK_KEY_KP_Subtract, 0x6D},
    {GDK_KEY_KP_Decimal, 0x6E},
    {GDK_KEY_KP_Divide, 0x6F},
    {GDK_KEY_semicolon, 0xBA},
    {GDK_KEY_equal, 0xBB},
    {GDK_KEY_comma, 0xBC},
    {GDK_KEY_minus, 0xBD},
    {GDK_KEY_period, 0xBE},
    {GDK_KEY_slash, 0xBF},
    {GDK_KEY_grave, 0xC0},
    {GDK_KEY_bracketleft, 0xDB},
    {GDK_KEY_backslash, 0xDC},
    {GDK_KEY_bracketright, 0xDD},
    {GDK_KEY_apostrophe, 0xDE},
    {GDK_KEY_AudioMute, 0xAD},
    {GDK_KEY_AudioLowerVolume, 0xAE},
    {GDK_KEY_AudioRaiseVolume, 0xAF},
    {GDK_KEY_AudioNext, 0xB0},
    {GDK_KEY_AudioPrev, 0xB1},
    {GDK_KEY_AudioStop, 0xB2},
    {GDK_KEY_AudioPlay, 0xB3},
};

}  // namespace

int32_t VirtualKeyFromKeyval(unsigned keyval) {
    if (keyval >= GDK_KEY_0 && keyval <= GDK_KEY_9)
        return 0x30 + static_cast<int32_t>(keyval - GDK_KEY_0);
    if (keyval >= GDK_KEY_a && keyval <= GDK_KEY_z)
        return 0x41 + static_cast<int32_t>(keyval - GDK_KEY_a);
    if (keyval >= GDK_KEY_A && keyval <= GDK_KEY_Z)
        return 0x41 + static_cast<int32_t>(keyval - GDK_KEY_A);
    if (keyval >= GDK_KEY_KP_0 && keyval <= GDK_KEY_KP_9)
        return 0x60 + static_cast<int32_t>(keyval - GDK_KEY_KP_0);
    if (keyval >= GDK_KEY_F1 && keyval <= GDK_KEY_F24)
        return 0x70 + static_cast<int32_t>(keyval - GDK_KEY_F1);
    for (const KeyPair& key : kKeys)
        if (key.keyval == keyval) return key.code;
    return -1;
}

}  // namespace vantor::desktop
