#include "app/instance_lock_win32.h"

#include <windows.h>
#include <sddl.h>

#include <cstdio>
#include <memory>

namespace hdq {
namespace {

struct LocalFreer {
    void operator()(void* p) const { LocalFree(p); }
};

// Full control for the system, the administrators and whoever creates it (its owner); other
// signed-in users may only wait on it. Without an explicit list a mutex made by a service or
// an elevated installer could not even be seen by an operator's copy.
constexpr const char* kLockSddl = "D:P(A;;GA;;;SY)(A;;GA;;;BA)(A;;GA;;;OW)(A;;0x00100000;;;AU)";

}  // namespace

std::string InstanceMutexName(const char* ns, uint32_t key) {
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(key));
    return std::string(ns) + "HistDataToQorp-" + hex;
}

win::UniqueKernelHandle CreateInstanceMutex(uint32_t key, bool* alreadyRunning) {
    PSECURITY_DESCRIPTOR raw = nullptr;
    ConvertStringSecurityDescriptorToSecurityDescriptorA(kLockSddl, SDDL_REVISION_1, &raw, nullptr);
    const std::unique_ptr<void, LocalFreer> descriptor(raw);
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor.get(), FALSE};
    SECURITY_ATTRIBUTES* secured = descriptor ? &attributes : nullptr;

    win::UniqueKernelHandle mutex(CreateMutexA(secured, FALSE, InstanceMutexName("Global\\", key).c_str()));
    DWORD error = GetLastError();
    if (!mutex && error == ERROR_ACCESS_DENIED) {
        // Refused because a copy of another user made it (it exists, which is what counts),
        // or because this session may not use the global namespace at all.
        win::UniqueKernelHandle other(OpenMutexA(SYNCHRONIZE, FALSE, InstanceMutexName("Global\\", key).c_str()));
        if (other || GetLastError() != ERROR_FILE_NOT_FOUND) {
            *alreadyRunning = true;
            return other;
        }
    }
    if (!mutex) {
        mutex.reset(CreateMutexA(secured, FALSE, InstanceMutexName("Local\\", key).c_str()));
        error = GetLastError();
    }
    *alreadyRunning = mutex && error == ERROR_ALREADY_EXISTS;
    return mutex;
}

win::UniqueKernelHandle OpenInstanceMutex(uint32_t key) {
    win::UniqueKernelHandle mutex(OpenMutexA(SYNCHRONIZE, FALSE, InstanceMutexName("Global\\", key).c_str()));
    if (!mutex) mutex.reset(OpenMutexA(SYNCHRONIZE, FALSE, InstanceMutexName("Local\\", key).c_str()));
    return mutex;
}

}  // namespace hdq
