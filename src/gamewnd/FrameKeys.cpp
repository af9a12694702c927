// The game frame's message rules.
#include "gamewnd/FrameKeys.h"

#include "protocol/ProgramMessages.h"

namespace zarn {
namespace {

constexpr unsigned KeyDown = 0x0100;    // WM_KEYDOWN
constexpr unsigned Char = 0x0102;       // WM_CHAR
constexpr unsigned SysKeyDown = 0x0104; // WM_SYSKEYDOWN
constexpr unsigned SysCommand = 0x0112; // WM_SYSCOMMAND
constexpr uint64_t CloseCommand = 0xF060;
constexpr uint64_t F5 = 0x74;
constexpr uint64_t CtrlD = 4;
constexpr uint32_t DKeyFlags = 0x0020; // the D key's scan code, no other flag

bool IsPlainF5(const HotKey& key) {
    return key.Key == static_cast<int>(F5) && key.ModifierMask == 0;
}

} // namespace

FrameKeyAction ClassifyFrameMessage(unsigned msg, uint64_t w, int64_t l, int modifierMask,
                                    const FrameHotKeys& keys) {
    const bool programMade = l == ProgramMadeMark;
    if ((msg == KeyDown || msg == SysKeyDown) && !programMade && w <= 0xFF &&
        MatchesHotKey(keys.Switch, static_cast<int>(w), modifierMask))
        return FrameKeyAction::ForwardSwitch;
    if (msg == Char && w == CtrlD && (static_cast<uint32_t>(l) >> 16) == DKeyFlags)
        return FrameKeyAction::Favourites;
    if (msg == KeyDown && w == F5) {
        if ((IsPlainF5(keys.Boss) || IsPlainF5(keys.Sound)) && !programMade)
            return FrameKeyAction::IgnoreF5;
        return FrameKeyAction::Reload;
    }
    if (msg == SysCommand && (w & 0xFFF0) == CloseCommand)
        return FrameKeyAction::CloseRequest;
    return FrameKeyAction::None;
}

} // namespace zarn
