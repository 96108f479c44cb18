// The test hooks' script and frame-list readers, and the key tables behind
// scripted and real typing.

#include <gtest/gtest.h>

#include "platform/keys.h"
#include "platform/sdlwindow.h"
#include "platform/testhooks.h"

namespace {

using platform::ScriptEvent;

ScriptEvent parseOk(const std::string& line) {
    ScriptEvent e;
    std::string error;
    EXPECT_EQ(platform::parseScriptLine(line, e, error), 1) << line << ": " << error;
    return e;
}

std::string parseError(const std::string& line) {
    ScriptEvent e;
    std::string error;
    EXPECT_EQ(platform::parseScriptLine(line, e, error), -1) << line;
    return error;
}

TEST(PlatformScriptTest, KeyEvents) {
    ScriptEvent e = parseOk("12 keydown 0x41 shift");
    EXPECT_EQ(e.frame, 12);
    EXPECT_EQ(e.kind, ScriptEvent::KeyDown);
    EXPECT_EQ(e.virtualKey, 0x41);
    EXPECT_EQ(e.modifiers, unsigned(platform::ModShift));

    e = parseOk("  3   keyup   ESCAPE   # leave the menu");
    EXPECT_EQ(e.kind, ScriptEvent::KeyUp);
    EXPECT_EQ(e.virtualKey, 0x1B);
    EXPECT_EQ(e.modifiers, 0u);

    e = parseOk("0 key f3 caps shift");
    EXPECT_EQ(e.kind, ScriptEvent::Key);
    EXPECT_EQ(e.virtualKey, 0x72);
    EXPECT_EQ(e.modifiers, unsigned(platform::ModShift | platform::ModCaps));

    EXPECT_EQ(parseOk("1 key 27").virtualKey, 27);
    EXPECT_EQ(parseOk("1 key e").virtualKey, 'E');
    EXPECT_EQ(parseOk("1 key VK_NUMPAD5").virtualKey, 0x65);
}

TEST(PlatformScriptTest, MouseAndCloseEvents) {
    ScriptEvent e = parseOk("7 lclick 320 240");
    EXPECT_EQ(e.kind, ScriptEvent::LeftClick);
    EXPECT_EQ(e.x, 320);
    EXPECT_EQ(e.y, 240);
    EXPECT_EQ(parseOk("7 ldblclick 1 2").kind, ScriptEvent::LeftDoubleClick);
    EXPECT_EQ(parseOk("7 rdown 1 2").kind, ScriptEvent::RightDown);
    EXPECT_EQ(parseOk("7 mousemove 0 0").kind, ScriptEvent::MouseMove);
    EXPECT_EQ(parseOk("99 close").kind, ScriptEvent::Close);
}

TEST(PlatformScriptTest, BlankAndCommentLinesAreNoEvents) {
    ScriptEvent e;
    std::string error;
    EXPECT_EQ(platform::parseScriptLine("", e, error), 0);
    EXPECT_EQ(platform::parseScriptLine("   \t", e, error), 0);
    EXPECT_EQ(platform::parseScriptLine("# 5 close", e, error), 0);
}

TEST(PlatformScriptTest, BadLinesSayWhy) {
    EXPECT_NE(parseError("x keydown A").find("frame"), std::string::npos);
    EXPECT_NE(parseError("-1 close").find("frame"), std::string::npos);
    EXPECT_NE(parseError("5").find("no event"), std::string::npos);
    EXPECT_NE(parseError("5 jump").find("unknown event"), std::string::npos);
    EXPECT_NE(parseError("5 keydown").find("no key"), std::string::npos);
    EXPECT_NE(parseError("5 keydown NOSUCHKEY").find("unknown key"), std::string::npos);
    EXPECT_NE(parseError("5 keydown A alt").find("option"), std::string::npos);
    EXPECT_NE(parseError("5 lclick 10").find("coordinates"), std::string::npos);
    EXPECT_NE(parseError("5 lclick 10 -3").find("coordinates"), std::string::npos);
    EXPECT_NE(parseError("5 close now").find("close"), std::string::npos);
}

TEST(PlatformScriptTest, WholeScriptSortedByFrameKeepingFileOrder) {
    std::vector<std::string> problems;
    const auto events = platform::parseScript(
        "# demo\r\n"
        "5 keydown A\r\n"
        "2 mousemove 1 1\n"
        "5 keyup A\n"
        "oops\n"
        "2 close\n",
        &problems);
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0].kind, ScriptEvent::MouseMove);
    EXPECT_EQ(events[1].kind, ScriptEvent::Close);
    EXPECT_EQ(events[2].kind, ScriptEvent::KeyDown);
    EXPECT_EQ(events[3].kind, ScriptEvent::KeyUp);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].rfind("line 5:", 0), 0u) << problems[0];
}

TEST(PlatformScriptTest, FrameList) {
    EXPECT_EQ(platform::parseFrameList("10, 20,30 "), (std::vector<long>{10, 20, 30}));
    EXPECT_EQ(platform::parseFrameList("0,x,5,,-2"), (std::vector<long>{5}));
    EXPECT_TRUE(platform::parseFrameList("").empty());
    EXPECT_TRUE(platform::parseFrameList(nullptr).empty());
}

TEST(PlatformKeysTest, CharactersOfAUsLayout) {
    using platform::charFromVirtualKey;
    EXPECT_EQ(charFromVirtualKey('A', false, false), 'a');
    EXPECT_EQ(charFromVirtualKey('A', true, false), 'A');
    EXPECT_EQ(charFromVirtualKey('A', false, true), 'A');
    EXPECT_EQ(charFromVirtualKey('A', true, true), 'a');
    EXPECT_EQ(charFromVirtualKey('1', false, true), '1');  // Caps Lock leaves digits alone
    EXPECT_EQ(charFromVirtualKey('1', true, false), '!');
    EXPECT_EQ(charFromVirtualKey('0', true, false), ')');
    EXPECT_EQ(charFromVirtualKey(VK_OEM_PLUS, true, false), '+');
    EXPECT_EQ(charFromVirtualKey(VK_OEM_MINUS, false, false), '-');
    EXPECT_EQ(charFromVirtualKey(VK_ADD, false, false), '+');
    EXPECT_EQ(charFromVirtualKey(VK_SUBTRACT, false, false), '-');
    EXPECT_EQ(charFromVirtualKey(VK_NUMPAD5, false, false), '5');
    EXPECT_EQ(charFromVirtualKey(VK_SPACE, false, false), ' ');
    EXPECT_EQ(charFromVirtualKey(VK_ESCAPE, false, false), 27);
    EXPECT_EQ(charFromVirtualKey(VK_RETURN, false, false), 13);
    EXPECT_EQ(charFromVirtualKey(VK_BACK, false, false), 8);
    EXPECT_EQ(charFromVirtualKey(VK_F3, false, false), -1);
    EXPECT_EQ(charFromVirtualKey(VK_SHIFT, true, false), -1);
    EXPECT_EQ(charFromVirtualKey(VK_UP, false, false), -1);
}

TEST(PlatformKeysTest, VirtualKeysOfSdlKeys) {
    using platform::virtualKeyFromSdl;
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_E, SDLK_e), 'E');
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_Z, SDLK_y), 'Y');  // the layout decides letters
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_1, SDLK_1), '1');
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_F3, SDLK_F3), VK_F3);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_F12, SDLK_F12), VK_F12);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_KP_5, SDLK_KP_5), VK_NUMPAD5);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_KP_MINUS, SDLK_KP_MINUS), VK_SUBTRACT);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_ESCAPE, SDLK_ESCAPE), VK_ESCAPE);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_RETURN, SDLK_RETURN), VK_RETURN);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_UP, SDLK_UP), VK_UP);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_LSHIFT, SDLK_LSHIFT), VK_SHIFT);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_MINUS, SDLK_MINUS), VK_OEM_MINUS);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_APPLICATION, SDLK_APPLICATION), 0);
}

}  // namespace
