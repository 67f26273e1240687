#pragma once
// The one-copy lock of a program folder: a named mutex, machine-wide where the session may use
// the global namespace, so that a copy started in another log-on session does not export the
// same hours.
#include <cstdint>
#include <string>

#include "win32/win32_handles.h"

namespace hdq {

// "Global\HistDataToQorp-0123ABCD" or the "Local\" one, from the key of the program folder.
std::string InstanceMutexName(const char* ns, uint32_t key);

// Takes the folder's lock; alreadyRunning tells that another process holds it. The mutex
// allows other users only to wait on it (so that their copies see it), never to change it.
win::UniqueKernelHandle CreateInstanceMutex(uint32_t key, bool* alreadyRunning);

// The lock of the folder, opened to wait on; null when nobody holds it.
win::UniqueKernelHandle OpenInstanceMutex(uint32_t key);

// The folder's exit request, "Global\HistDataToQorp-Exit-0123ABCD": an event the running copy
// waits on and "/exit" sets, from any session (an installer runs as SYSTEM or as another
// administrator). Only the system, administrators and the copy's own user may set it.
win::UniqueKernelHandle CreateExitEvent(uint32_t key);
win::UniqueKernelHandle OpenExitEvent(uint32_t key);  // to set; null when no copy waits on one
// The same for "/export": the request file beside the program is waiting.
win::UniqueKernelHandle CreateExportEvent(uint32_t key);
win::UniqueKernelHandle OpenExportEvent(uint32_t key);

}  // namespace hdq
