// Key codes: the Win32 virtual-key codes, under their Win32 names. Key events,
// KeyIsDown/KeyHits and the platform's key messages all use them. Letters and
// digits have no names of their own: their codes are the ASCII codes of the
// upper-case letter or the digit ('A' is 0x41, '0' is 0x30). The OEM keys
// are named after the characters they carry on a US keyboard.
#pragma once

#include "platform/windows_macros_push.h"

namespace platform {

inline constexpr int VK_LBUTTON = 0x01;  // left mouse button
inline constexpr int VK_RBUTTON = 0x02;  // right mouse button
inline constexpr int VK_CANCEL = 0x03;   // Ctrl+Break
inline constexpr int VK_MBUTTON = 0x04;  // middle mouse button
inline constexpr int VK_XBUTTON1 = 0x05;
inline constexpr int VK_XBUTTON2 = 0x06;
inline constexpr int VK_BACK = 0x08;  // Backspace
inline constexpr int VK_TAB = 0x09;
inline constexpr int VK_CLEAR = 0x0C;   // keypad 5 with Num Lock off
inline constexpr int VK_RETURN = 0x0D;  // Enter, main and keypad
inline constexpr int VK_SHIFT = 0x10;   // either Shift (key events report VK_LSHIFT or VK_RSHIFT)
inline constexpr int VK_CONTROL =
    0x11;                             // either Ctrl (key events report VK_LCONTROL or VK_RCONTROL)
inline constexpr int VK_MENU = 0x12;  // either Alt (key events report VK_LMENU or VK_RMENU)
inline constexpr int VK_PAUSE = 0x13;
inline constexpr int VK_CAPITAL = 0x14;  // Caps Lock
inline constexpr int VK_ESCAPE = 0x1B;
inline constexpr int VK_SPACE = 0x20;
inline constexpr int VK_PRIOR = 0x21;  // Page Up
inline constexpr int VK_NEXT = 0x22;   // Page Down
inline constexpr int VK_END = 0x23;
inline constexpr int VK_HOME = 0x24;
inline constexpr int VK_LEFT = 0x25;
inline constexpr int VK_UP = 0x26;
inline constexpr int VK_RIGHT = 0x27;
inline constexpr int VK_DOWN = 0x28;
inline constexpr int VK_SELECT = 0x29;
inline constexpr int VK_PRINT = 0x2A;
inline constexpr int VK_EXECUTE = 0x2B;
inline constexpr int VK_SNAPSHOT = 0x2C;  // Print Screen
inline constexpr int VK_INSERT = 0x2D;
inline constexpr int VK_DELETE = 0x2E;
inline constexpr int VK_HELP = 0x2F;
inline constexpr int VK_LWIN = 0x5B;  // left Windows (Super) key
inline constexpr int VK_RWIN = 0x5C;  // right Windows (Super) key
inline constexpr int VK_APPS = 0x5D;  // Menu key
inline constexpr int VK_SLEEP = 0x5F;
inline constexpr int VK_NUMPAD0 = 0x60;  // keypad 0 with Num Lock on
inline constexpr int VK_NUMPAD1 = 0x61;
inline constexpr int VK_NUMPAD2 = 0x62;
inline constexpr int VK_NUMPAD3 = 0x63;
inline constexpr int VK_NUMPAD4 = 0x64;
inline constexpr int VK_NUMPAD5 = 0x65;
inline constexpr int VK_NUMPAD6 = 0x66;
inline constexpr int VK_NUMPAD7 = 0x67;
inline constexpr int VK_NUMPAD8 = 0x68;
inline constexpr int VK_NUMPAD9 = 0x69;
inline constexpr int VK_MULTIPLY = 0x6A;  // keypad *
inline constexpr int VK_ADD = 0x6B;       // keypad +
inline constexpr int VK_SEPARATOR = 0x6C;
inline constexpr int VK_SUBTRACT = 0x6D;  // keypad -
inline constexpr int VK_DECIMAL = 0x6E;   // keypad . with Num Lock on
inline constexpr int VK_DIVIDE = 0x6F;    // keypad /
inline constexpr int VK_F1 = 0x70;
inline constexpr int VK_F2 = 0x71;
inline constexpr int VK_F3 = 0x72;
inline constexpr int VK_F4 = 0x73;
inline constexpr int VK_F5 = 0x74;
inline constexpr int VK_F6 = 0x75;
inline constexpr int VK_F7 = 0x76;
inline constexpr int VK_F8 = 0x77;
inline constexpr int VK_F9 = 0x78;
inline constexpr int VK_F10 = 0x79;
inline constexpr int VK_F11 = 0x7A;
inline constexpr int VK_F12 = 0x7B;
inline constexpr int VK_F13 = 0x7C;
inline constexpr int VK_F14 = 0x7D;
inline constexpr int VK_F15 = 0x7E;
inline constexpr int VK_F16 = 0x7F;
inline constexpr int VK_F17 = 0x80;
inline constexpr int VK_F18 = 0x81;
inline constexpr int VK_F19 = 0x82;
inline constexpr int VK_F20 = 0x83;
inline constexpr int VK_F21 = 0x84;
inline constexpr int VK_F22 = 0x85;
inline constexpr int VK_F23 = 0x86;
inline constexpr int VK_F24 = 0x87;
inline constexpr int VK_NUMLOCK = 0x90;
inline constexpr int VK_SCROLL = 0x91;  // Scroll Lock
inline constexpr int VK_LSHIFT = 0xA0;
inline constexpr int VK_RSHIFT = 0xA1;
inline constexpr int VK_LCONTROL = 0xA2;
inline constexpr int VK_RCONTROL = 0xA3;
inline constexpr int VK_LMENU = 0xA4;  // left Alt
inline constexpr int VK_RMENU = 0xA5;  // right Alt (AltGr)
inline constexpr int VK_BROWSER_BACK = 0xA6;
inline constexpr int VK_BROWSER_FORWARD = 0xA7;
inline constexpr int VK_BROWSER_REFRESH = 0xA8;
inline constexpr int VK_BROWSER_STOP = 0xA9;
inline constexpr int VK_BROWSER_SEARCH = 0xAA;
inline constexpr int VK_BROWSER_FAVORITES = 0xAB;
inline constexpr int VK_BROWSER_HOME = 0xAC;
inline constexpr int VK_VOLUME_MUTE = 0xAD;
inline constexpr int VK_VOLUME_DOWN = 0xAE;
inline constexpr int VK_VOLUME_UP = 0xAF;
inline constexpr int VK_MEDIA_NEXT_TRACK = 0xB0;
inline constexpr int VK_MEDIA_PREV_TRACK = 0xB1;
inline constexpr int VK_MEDIA_STOP = 0xB2;
inline constexpr int VK_MEDIA_PLAY_PAUSE = 0xB3;
inline constexpr int VK_LAUNCH_MAIL = 0xB4;
inline constexpr int VK_LAUNCH_MEDIA_SELECT = 0xB5;
inline constexpr int VK_LAUNCH_APP1 = 0xB6;
inline constexpr int VK_LAUNCH_APP2 = 0xB7;
inline constexpr int VK_OEM_1 = 0xBA;       // ; :
inline constexpr int VK_OEM_PLUS = 0xBB;    // = +
inline constexpr int VK_OEM_COMMA = 0xBC;   // , <
inline constexpr int VK_OEM_MINUS = 0xBD;   // - _
inline constexpr int VK_OEM_PERIOD = 0xBE;  // . >
inline constexpr int VK_OEM_2 = 0xBF;       // / ?
inline constexpr int VK_OEM_3 = 0xC0;       // ` ~
inline constexpr int VK_OEM_4 = 0xDB;       // [ {
inline constexpr int VK_OEM_5 = 0xDC;       // \ |
inline constexpr int VK_OEM_6 = 0xDD;       // ] }
inline constexpr int VK_OEM_7 = 0xDE;       // ' "
inline constexpr int VK_OEM_8 = 0xDF;
inline constexpr int VK_OEM_102 = 0xE2;  // the extra key beside left Shift on 102-key keyboards

}  // namespace platform

#include "platform/windows_macros_pop.h"
