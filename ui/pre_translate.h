// The runtime's part of the application's message pre-translation.
#pragma once

#include <windows.h>

// For mouse (0x200 to 0x20E) and keyboard (0x100 to 0x109) messages: walks from the message's window up
// through its parents, as long as the window is a child, and sends each runtime window (GWLP_USERDATA =
// kRuntimeWindowMarker) kPreTranslateMessage with the message record; the first that answers with the
// marker consumed the message. Returns true when the message was consumed (do not dispatch it).
bool RelayRuntimePreTranslate(MSG* message);
