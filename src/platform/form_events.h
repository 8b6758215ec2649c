// The form's event handlers. The form layer defines them; the platform's
// message loop calls them, one at a time, on the one thread.
#pragma once

#include <cstddef>
#include <cstdint>

namespace frmClepsydrium {

void Form_Load();
// The session ends (logoff, shutdown): the process may be ended as soon as
// this returns, so the taskbar must be restored inside it.
void Form_EndSession();
// The form's window was destroyed from outside: it lived in the shell's
// notification area, and the shell ended. The form stays loaded, without a
// window and without timer ticks, until it is built anew.
void Form_WindowLost();
// A shell started (again) and broadcast "TaskbarCreated".
void Form_TaskbarCreated();
void Form_Resize();
void Form_MouseMove(std::int16_t button, std::int16_t shift, float x, float y);
void picTicker_MouseMove(std::int16_t button, std::int16_t shift, float x, float y);
void picTicker_MouseUp(std::int16_t button, std::int16_t shift, float x, float y);
void picTicker_DblClick();
void tmrTicker_Timer();
void tmrCheck_Timer();
// A popup menu item was chosen: its position in the form's menu design.
void mnuCtx_Click(std::size_t item);

}  // namespace frmClepsydrium
