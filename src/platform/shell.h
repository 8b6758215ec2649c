// The shell's services: the taskbar's appbar queries and notification icons.
#pragma once

#include <cstdint>

#include "platform/window.h"

namespace platform {

// Appbar edges.
inline constexpr std::int32_t kEdgeLeft = 0;
inline constexpr std::int32_t kEdgeTop = 1;
inline constexpr std::int32_t kEdgeRight = 2;
inline constexpr std::int32_t kEdgeBottom = 3;

// Bits of the appbar state.
inline constexpr std::uint32_t kAppBarAutoHide = 0x1;
inline constexpr std::uint32_t kAppBarAlwaysOnTop = 0x2;

// Notification icon flags.
inline constexpr std::uint32_t kIconMessage = 0x1;

// ABM_GETTASKBARPOS for the taskbar window: the edge it stands on. The
// record is zeroed first, so a failed query reads 0 (left).
std::int32_t QueryTaskbarEdge(WindowHandle taskbar);

// ABM_GETSTATE for the taskbar window: kAppBar* bits, 0 when it fails.
std::uint32_t QueryAppBarState(WindowHandle taskbar);

// NIM_ADD of an icon with no image and no tip. False when the shell refuses,
// e.g. when (owner, id) is already there.
bool AddNotifyIcon(WindowHandle owner, std::uint32_t id, std::uint32_t flags,
                   std::uint32_t callbackMessage);

// NIM_DELETE. False when the shell holds no such icon.
bool DeleteNotifyIcon(WindowHandle owner, std::uint32_t id);

}  // namespace platform
