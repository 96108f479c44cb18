// Virtual-key codes from SDL keys and names, characters from virtual keys.

#include "platform/keys.h"

#include <SDL.h>
#include <strings.h>

#include <cstdlib>
#include <cstring>

#include "platform/win32.h"

namespace platform {

namespace {

struct ScancodeKey {
    int scancode;
    int vk;
};

const ScancodeKey kScancodeKeys[] = {
    {SDL_SCANCODE_ESCAPE, VK_ESCAPE},
    {SDL_SCANCODE_RETURN, VK_RETURN},
    {SDL_SCANCODE_KP_ENTER, VK_RETURN},
    {SDL_SCANCODE_BACKSPACE, VK_BACK},
    {SDL_SCANCODE_TAB, VK_TAB},
    {SDL_SCANCODE_SPACE, VK_SPACE},
    {SDL_SCANCODE_LSHIFT, VK_SHIFT},
    {SDL_SCANCODE_RSHIFT, VK_SHIFT},
    {SDL_SCANCODE_LCTRL, VK_CONTROL},
    {SDL_SCANCODE_RCTRL, VK_CONTROL},
    {SDL_SCANCODE_LALT, VK_MENU},
    {SDL_SCANCODE_RALT, VK_MENU},
    {SDL_SCANCODE_PAUSE, VK_PAUSE},
    {SDL_SCANCODE_CAPSLOCK, VK_CAPITAL},
    {SDL_SCANCODE_PAGEUP, VK_PRIOR},
    {SDL_SCANCODE_PAGEDOWN, VK_NEXT},
    {SDL_SCANCODE_END, VK_END},
    {SDL_SCANCODE_HOME, VK_HOME},
    {SDL_SCANCODE_LEFT, VK_LEFT},
    {SDL_SCANCODE_UP, VK_UP},
    {SDL_SCANCODE_RIGHT, VK_RIGHT},
    {SDL_SCANCODE_DOWN, VK_DOWN},
    {SDL_SCANCODE_PRINTSCREEN, VK_SNAPSHOT},
    {SDL_SCANCODE_INSERT, VK_INSERT},
    {SDL_SCANCODE_DELETE, VK_DELETE},
    {SDL_SCANCODE_KP_0, VK_NUMPAD0},
    {SDL_SCANCODE_KP_1, VK_NUMPAD1},
    {SDL_SCANCODE_KP_2, VK_NUMPAD2},
    {SDL_SCANCODE_KP_3, VK_NUMPAD3},
    {SDL_SCANCODE_KP_4, VK_NUMPAD4},
    {SDL_SCANCODE_KP_5, VK_NUMPAD5},
    {SDL_SCANCODE_KP_6, VK_NUMPAD6},
    {SDL_SCANCODE_KP_7, VK_NUMPAD7},
    {SDL_SCANCODE_KP_8, VK_NUMPAD8},
    {SDL_SCANCODE_KP_9, VK_NUMPAD9},
    {SDL_SCANCODE_KP_MULTIPLY, VK_MULTIPLY},
    {SDL_SCANCODE_KP_PLUS, VK_ADD},
    {SDL_SCANCODE_KP_MINUS, VK_SUBTRACT},
    {SDL_SCANCODE_KP_PERIOD, VK_DECIMAL},
    {SDL_SCANCODE_KP_DIVIDE, VK_DIVIDE},
    {SDL_SCANCODE_NUMLOCKCLEAR, VK_NUMLOCK},
    {SDL_SCANCODE_SCROLLLOCK, VK_SCROLL},
    {SDL_SCANCODE_SEMICOLON, VK_OEM_1},
    {SDL_SCANCODE_EQUALS, VK_OEM_PLUS},
    {SDL_SCANCODE_COMMA, VK_OEM_COMMA},
    {SDL_SCANCODE_MINUS, VK_OEM_MINUS},
    {SDL_SCANCODE_PERIOD, VK_OEM_PERIOD},
    {SDL_SCANCODE_SLASH, VK_OEM_2},
    {SDL_SCANCODE_GRAVE, VK_OEM_3},
    {SDL_SCANCODE_LEFTBRACKET, VK_OEM_4},
    {SDL_SCANCODE_BACKSLASH, VK_OEM_5},
    {SDL_SCANCODE_RIGHTBRACKET, VK_OEM_6},
    {SDL_SCANCODE_APOSTROPHE, VK_OEM_7},
};

// The OEM punctuation keys of a US layout: unshifted and shifted character.
struct OemKey {
    int vk;
    char plain;
    char shifted;
};

const OemKey kOemKeys[] = {
    {VK_OEM_1, ';', ':'},      {VK_OEM_PLUS, '=', '+'},   {VK_OEM_COMMA, ',', '<'}, {VK_OEM_MINUS, '-', '_'},
    {VK_OEM_PERIOD, '.', '>'}, {VK_OEM_2, '/', '?'},      {VK_OEM_3, '`', '~'},     {VK_OEM_4, '[', '{'},
    {VK_OEM_5, '\\', '|'},     {VK_OEM_6, ']', '}'},      {VK_OEM_7, '\'', '"'},
};

struct NamedKey {
    const char* name;
    int vk;
};

const NamedKey kNamedKeys[] = {
    {"BACK", VK_BACK},         {"BACKSPACE", VK_BACK},    {"TAB", VK_TAB},          {"RETURN", VK_RETURN},
    {"ENTER", VK_RETURN},      {"SHIFT", VK_SHIFT},       {"CONTROL", VK_CONTROL},  {"MENU", VK_MENU},
    {"PAUSE", VK_PAUSE},       {"CAPITAL", VK_CAPITAL},   {"ESCAPE", VK_ESCAPE},    {"ESC", VK_ESCAPE},
    {"SPACE", VK_SPACE},       {"PRIOR", VK_PRIOR},       {"NEXT", VK_NEXT},        {"END", VK_END},
    {"HOME", VK_HOME},         {"LEFT", VK_LEFT},         {"UP", VK_UP},            {"RIGHT", VK_RIGHT},
    {"DOWN", VK_DOWN},         {"INSERT", VK_INSERT},     {"DELETE", VK_DELETE},    {"MULTIPLY", VK_MULTIPLY},
    {"ADD", VK_ADD},           {"SUBTRACT", VK_SUBTRACT}, {"DECIMAL", VK_DECIMAL},  {"DIVIDE", VK_DIVIDE},
    {"OEM_1", VK_OEM_1},       {"OEM_PLUS", VK_OEM_PLUS}, {"OEM_COMMA", VK_OEM_COMMA},
    {"OEM_MINUS", VK_OEM_MINUS}, {"OEM_PERIOD", VK_OEM_PERIOD}, {"OEM_2", VK_OEM_2},
    {"OEM_3", VK_OEM_3},       {"OEM_4", VK_OEM_4},       {"OEM_5", VK_OEM_5},      {"OEM_6", VK_OEM_6},
    {"OEM_7", VK_OEM_7},
};

}  // namespace

int virtualKeyFromSdl(int scancode, int keycode) {
    if (keycode >= 'a' && keycode <= 'z') return keycode - 'a' + 'A';
    if (keycode >= '0' && keycode <= '9') return keycode;
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) return 'A' + (scancode - SDL_SCANCODE_A);
    if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9) return '1' + (scancode - SDL_SCANCODE_1);
    if (scancode == SDL_SCANCODE_0) return '0';
    if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12) return VK_F1 + (scancode - SDL_SCANCODE_F1);
    for (const ScancodeKey& k : kScancodeKeys)
        if (k.scancode == scancode) return k.vk;
    return 0;
}

int charFromVirtualKey(int vk, bool shift, bool capsLock) {
    if (vk >= 'A' && vk <= 'Z') return (shift != capsLock) ? vk : vk - 'A' + 'a';
    if (vk >= '0' && vk <= '9') return shift ? ")!@#$%^&*("[vk - '0'] : vk;
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) return '0' + (vk - VK_NUMPAD0);
    switch (vk) {
        case VK_ESCAPE: return 27;
        case VK_RETURN: return 13;
        case VK_BACK: return 8;
        case VK_TAB: return 9;
        case VK_SPACE: return ' ';
        case VK_MULTIPLY: return '*';
        case VK_ADD: return '+';
        case VK_SUBTRACT: return '-';
        case VK_DECIMAL: return '.';
        case VK_DIVIDE: return '/';
        default: break;
    }
    for (const OemKey& k : kOemKeys)
        if (k.vk == vk) return shift ? k.shifted : k.plain;
    return -1;
}

int virtualKeyFromName(const char* name) {
    if (!name || !*name) return 0;
    if (name[1] == '\0') {
        const char c = name[0];
        if (c >= 'a' && c <= 'z') return c - 'a' + 'A';
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return c;
        return 0;
    }
    if (name[0] >= '0' && name[0] <= '9') {
        char* end = nullptr;
        const long v = std::strtol(name, &end, name[0] == '0' && (name[1] == 'x' || name[1] == 'X') ? 16 : 10);
        return (*end == '\0' && v > 0 && v < 256) ? static_cast<int>(v) : 0;
    }
    if (strncasecmp(name, "VK_", 3) == 0) {
        name += 3;
        if (name[0] == '\0' || name[1] == '\0') return name[0] ? virtualKeyFromName(name) : 0;
    }
    if ((name[0] == 'F' || name[0] == 'f') && name[1] >= '1' && name[1] <= '9') {
        char* end = nullptr;
        const long n = std::strtol(name + 1, &end, 10);
        if (*end == '\0' && n >= 1 && n <= 12) return VK_F1 + static_cast<int>(n) - 1;
    }
    if (strncasecmp(name, "NUMPAD", 6) == 0 && name[6] >= '0' && name[6] <= '9' && name[7] == '\0')
        return VK_NUMPAD0 + (name[6] - '0');
    for (const NamedKey& k : kNamedKeys)
        if (strcasecmp(k.name, name) == 0) return k.vk;
    return 0;
}

}  // namespace platform
