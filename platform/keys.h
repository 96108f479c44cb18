#pragma once
// Keys as the program sees them: Windows virtual-key codes, and the characters
// a US keyboard layout makes of them. Used by the message queue (SDL keys in,
// WM_CHAR out) and by the test hooks' script (key names).

namespace platform {

// The virtual-key code of an SDL key (scancode and keycode of one key event);
// 0 for a key without one. Letters and digits follow the keyboard layout,
// every other key its position.
int virtualKeyFromSdl(int scancode, int keycode);

// The character a key-down of `virtualKey` types on a US layout, with Shift
// and Caps Lock (which affects letters only) in the given state, or -1 for a
// key that types none. Escape gives 27, Enter 13, Backspace 8, Tab 9; the
// numeric keypad types its digits and operators.
int charFromVirtualKey(int virtualKey, bool shift, bool capsLock);

// The virtual-key code of a name: a single letter or digit ("A", "7"), a key
// name without the VK_ prefix in any case ("ESCAPE", "return", "F3",
// "NUMPAD5", "SUBTRACT"), or a number in decimal or 0x hex. 0 when the name
// means nothing.
int virtualKeyFromName(const char* name);

}  // namespace platform
