// Groups of registry calls that land whole: a service of the platform layer with no Win32
// counterpart on the emulated systems (their registries wrote each value on its own).
#pragma once

#include "win32.h"

// From here to the matching WinplatEndRegistryTransaction, the registry calls of this thread
// on the persistent hives (every root but HKEY_DYN_DATA) are one transaction. With `write`
// TRUE, other processes see all of its changes or none of them; with FALSE, its reads all see
// one moment of the hives, whatever other processes write meanwhile (and it should write
// nothing). Other threads of the process wait until it ends. Groups nest: an inner group is a
// part of the outer one that can be taken back alone, and only the outermost end makes the
// changes visible to other processes. ERROR_SUCCESS, or the registry's error (the group has
// then not begun).
WINPLAT_API LONG WinplatBeginRegistryTransaction(BOOL write);
// Ends the innermost group. `commit` TRUE keeps its changes (for the outermost group: lands
// them); FALSE takes back the changes made since it began, and the enclosing group goes on.
// ERROR_SUCCESS, the error of the commit (its changes are then taken back), or
// ERROR_INVALID_FUNCTION without a group of this thread.
WINPLAT_API LONG WinplatEndRegistryTransaction(BOOL commit);

#ifdef __cplusplus
namespace winplat {

// A group for the life of a scope: dropped unless commit() is called.
class RegistryTransaction {
public:
    explicit RegistryTransaction(bool write = true)
        : status_(WinplatBeginRegistryTransaction(write ? TRUE : FALSE)) {}
    ~RegistryTransaction() {
        if (status_ == ERROR_SUCCESS && !ended_) WinplatEndRegistryTransaction(FALSE);
    }
    RegistryTransaction(const RegistryTransaction&) = delete;
    RegistryTransaction& operator=(const RegistryTransaction&) = delete;

    // ERROR_SUCCESS when the group began.
    LONG status() const { return status_; }
    LONG commit() {
        if (status_ != ERROR_SUCCESS) return status_;
        ended_ = true;
        return WinplatEndRegistryTransaction(TRUE);
    }

private:
    LONG status_;
    bool ended_ = false;
};

}  // namespace winplat
#endif
