// Which standard icon a message box shows.
#pragma once

#include <windows.h>

namespace ambrel_test {

enum class MessageIcon { None, Error, Warning, Information, Question, Unknown };
const char* NameOf(MessageIcon icon);

// Compares the icon's pixels on the screen with the system's standard icons
// drawn here over the same background. The icon's handle belongs to the
// other process, so its image cannot be read directly; the screen can.
// Waits a little for the box to be painted.
MessageIcon IdentifyMessageIcon(HWND box);

}  // namespace ambrel_test
