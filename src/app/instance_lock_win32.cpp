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
// Nobody else may ask a copy to end or to export.
constexpr const char* kExitSddl = "D:P(A;;GA;;;SY)(A;;GA;;;BA)(A;;GA;;;OW)";

std::string NameOf(const char* ns, const char* kind, uint32_t key) {
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(key));
    return std::string(ns) + "HistDataToQorp-" + kind + hex;
}

// Calls make with the security attributes of the descriptor (null when it cannot be built).
template <typename Make>
auto WithSecurity(const char* sddl, Make make) {
    PSECURITY_DESCRIPTOR raw = nullptr;
    ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &raw, nullptr);
    const std::unique_ptr<void, LocalFreer> descriptor(raw);
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor.get(), FALSE};
    return make(descriptor ? &attributes : nullptr);
}

}  // namespace

std::string InstanceMutexName(const char* ns, uint32_t key) { return NameOf(ns, "", key); }

static win::UniqueKernelHandle CreateRequestEvent(const char* kind, uint32_t key) {
    return WithSecurity(kExitSddl, [&](SECURITY_ATTRIBUTES* secured) {
        win::UniqueKernelHandle event(CreateEventA(secured, FALSE, FALSE, NameOf("Global\\", kind, key).c_str()));
        if (!event) event.reset(CreateEventA(secured, FALSE, FALSE, NameOf("Local\\", kind, key).c_str()));
        return event;
    });
}

static win::UniqueKernelHandle OpenRequestEvent(const char* kind, uint32_t key) {
    win::UniqueKernelHandle event(OpenEventA(EVENT_MODIFY_STATE, FALSE, NameOf("Global\\", kind, key).c_str()));
    if (!event) event.reset(OpenEventA(EVENT_MODIFY_STATE, FALSE, NameOf("Local\\", kind, key).c_str()));
    return event;
}

win::UniqueKernelHandle CreateExitEvent(uint32_t key) { return CreateRequestEvent("Exit-", key); }
win::UniqueKernelHandle OpenExitEvent(uint32_t key) { return OpenRequestEvent("Exit-", key); }
win::UniqueKernelHandle CreateExportEvent(uint32_t key) { return CreateRequestEvent("Export-", key); }
win::UniqueKernelHandle OpenExportEvent(uint32_t key) { return OpenRequestEvent("Export-", key); }

static win::UniqueKernelHandle CreateLock(SECURITY_ATTRIBUTES* secured, uint32_t key, bool* alreadyRunning) {
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

win::UniqueKernelHandle CreateInstanceMutex(uint32_t key, bool* alreadyRunning) {
    return WithSecurity(kLockSddl, [&](SECURITY_ATTRIBUTES* secured) { return CreateLock(secured, key, alreadyRunning); });
}

win::UniqueKernelHandle OpenInstanceMutex(uint32_t key) {
    win::UniqueKernelHandle mutex(OpenMutexA(SYNCHRONIZE, FALSE, InstanceMutexName("Global\\", key).c_str()));
    if (!mutex) mutex.reset(OpenMutexA(SYNCHRONIZE, FALSE, InstanceMutexName("Local\\", key).c_str()));
    return mutex;
}

}  // namespace hdq
