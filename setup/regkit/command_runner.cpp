#include "command_runner.h"

#include <cinttypes>
#include <cstring>
#include <vector>

#include "command_parser.h"
#include "regkit.h"
#include "win32.h"
#include "win32_holders.h"

namespace regkit {

std::string systemText(long code) {
    char text[512];
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             static_cast<DWORD>(code), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text,
                             sizeof text, nullptr);
    if (n == 0) return "Error " + std::to_string(code);
    std::string s(text, n);
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
    return s;
}

namespace {

// The root and every key opened along the path, closed innermost first.
class KeyStack {
public:
    explicit KeyStack(HKEY root) : root_(root) {}
    KeyStack(const KeyStack&) = delete;
    KeyStack& operator=(const KeyStack&) = delete;
    ~KeyStack() {
        while (!keys_.empty()) keys_.pop_back();
    }
    // Opens `name` below the innermost key with full access; the registry's code.
    LONG push(const std::string& name) {
        winplat::RegKey key;
        LONG rc = key.open(top(), name, KEY_ALL_ACCESS);
        if (rc == ERROR_SUCCESS) keys_.push_back(std::move(key));
        return rc;
    }
    HKEY top() const { return keys_.empty() ? root_ : keys_.back().get(); }
    HKEY parentOfTop() const { return keys_.size() < 2 ? root_ : keys_[keys_.size() - 2].get(); }
    size_t opened() const { return keys_.size(); }
    // Closes the innermost key; its Win32 code.
    LONG pop() {
        LONG rc = keys_.back().close();
        keys_.pop_back();
        return rc;
    }
    // Closes all; stops at the first failure and reports it (result 8).
    int closeAll(const Console& console) {
        while (!keys_.empty()) {
            if (LONG rc = pop()) {
                std::fprintf(console.err, "%s\n", systemText(rc).c_str());
                return REGKIT_CLOSE_FAILED;
            }
        }
        return REGKIT_DONE;
    }

private:
    HKEY root_;
    std::vector<winplat::RegKey> keys_;
};

// A subkey with its class, read with buffers sized from RegQueryInfoKeyA, so that no name or
// class is too long for them.
struct Subkey {
    std::string name, cls;
};
LONG subkeyAt(HKEY key, DWORD index, Subkey& subkey) {
    DWORD longestName = 0, longestClass = 0;
    if (LONG rc = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, &longestName,
                                   &longestClass, nullptr, nullptr, nullptr, nullptr, nullptr))
        return rc;
    std::vector<char> name(longestName + 1), cls(longestClass + 1);
    DWORD nameSize = static_cast<DWORD>(name.size()), classSize = static_cast<DWORD>(cls.size());
    if (LONG rc = RegEnumKeyExA(key, index, name.data(), &nameSize, nullptr, cls.data(), &classSize,
                                nullptr))
        return rc;
    subkey = {std::string(name.data(), nameSize), std::string(cls.data(), classSize)};
    return ERROR_SUCCESS;
}

std::string dataAsText(DWORD type, const std::vector<BYTE>& data, DWORD size) {
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        const char* text = reinterpret_cast<const char*>(data.data());
        return std::string(text, strnlen(text, size));
    }
    if (type == REG_DWORD && size == 4) {
        DWORD v;
        std::memcpy(&v, data.data(), 4);
        return std::to_string(v);
    }
    std::string hex;
    char byte[4];
    for (DWORD i = 0; i < size; ++i) {
        std::snprintf(byte, sizeof byte, i ? " %02x" : "%02x", data[i]);
        hex += byte;
    }
    return hex;
}

int queryKey(HKEY key, const Console& console) {
    DWORD maxName = 0, maxClass = 0, maxValueName = 0, maxData = 0;
    if (LONG rc = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, &maxName, &maxClass, nullptr,
                                   &maxValueName, &maxData, nullptr, nullptr)) {
        std::fprintf(console.err, "%s\n", systemText(rc).c_str());
        return REGKIT_QUERY_FAILED;
    }
    std::vector<char> name(std::max<DWORD>(maxName, maxValueName) + 1), cls(maxClass + 1);
    LONG rc = ERROR_SUCCESS;
    for (DWORD i = 0;; ++i) {
        DWORD nameSize = static_cast<DWORD>(name.size()), classSize = static_cast<DWORD>(cls.size());
        rc = RegEnumKeyExA(key, i, name.data(), &nameSize, nullptr, cls.data(), &classSize, nullptr);
        if (rc != ERROR_SUCCESS) break;
        std::fprintf(console.out, "*%s*%s\n", name.data(), cls.data());
    }
    std::vector<BYTE> data(maxData + 1);
    if (rc == ERROR_NO_MORE_ITEMS) {
        for (DWORD i = 0;; ++i) {
            DWORD nameSize = static_cast<DWORD>(name.size()), type = 0;
            DWORD dataSize = static_cast<DWORD>(data.size());
            rc = RegEnumValueA(key, i, name.data(), &nameSize, nullptr, &type, data.data(), &dataSize);
            if (rc != ERROR_SUCCESS) break;
            std::fprintf(console.out, "%s=%s\n", name[0] ? name.data() : "Default",
                         dataAsText(type, data, dataSize).c_str());
        }
    }
    if (rc != ERROR_NO_MORE_ITEMS) {
        std::fprintf(console.err, "%s\n", systemText(rc).c_str());
        return REGKIT_QUERY_FAILED;
    }
    return REGKIT_DONE;
}

int queryValue(HKEY key, const std::string& name, const Console& console) {
    DWORD type = 0, size = 0;
    LONG rc = RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size);
    std::vector<BYTE> data(size + 1);
    if (rc == ERROR_SUCCESS) rc = RegQueryValueExA(key, name.c_str(), nullptr, &type, data.data(), &size);
    if (rc != ERROR_SUCCESS) {
        std::fprintf(console.err, "%s\n", systemText(rc).c_str());
        return REGKIT_QUERY_FAILED;
    }
    if (type == REG_SZ)
        std::fprintf(console.out, "%s\n", dataAsText(type, data, size).c_str());
    else
        std::fprintf(console.out, "Can't handle data return type yet.\n");
    return REGKIT_DONE;
}

// How deep the tree below `key` goes, counting no further than `limit` levels; `limit` (a
// tree that is not emptied) when a key of it cannot be opened or listed whole, so that a
// recursive delete is refused before anything is gone.
int treeDepth(HKEY key, int limit) {
    if (limit <= 0) return 1;
    int deepest = 0;
    for (DWORD i = 0;; ++i) {
        Subkey subkey;
        const LONG rc = subkeyAt(key, i, subkey);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc != ERROR_SUCCESS) return limit;
        winplat::RegKey sub;
        if (sub.open(key, subkey.name, KEY_ALL_ACCESS) != ERROR_SUCCESS) return limit;
        const int d = 1 + treeDepth(sub.get(), limit - 1);
        if (d > deepest) deepest = d;
        if (deepest >= limit) break;
    }
    return deepest;
}

// Deletes every subkey and named value below parent\name; false after printing why it failed.
bool emptyKey(HKEY parent, const std::string& name, const std::string& cls, const Console& console) {
    winplat::RegKey key;
    if (LONG rc = key.open(parent, name, KEY_ALL_ACCESS)) {
        std::fprintf(console.out, "%s\n", systemText(rc).c_str());
        std::fprintf(console.out, "Couldn't remove the tree *%s*%s\n", name.c_str(), cls.c_str());
        return false;
    }
    for (;;) {
        Subkey sub;
        LONG rc = subkeyAt(key.get(), 0, sub);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc != ERROR_SUCCESS) {
            std::fprintf(console.out, "%s\n", systemText(rc).c_str());
            std::fprintf(console.out, "Couldn't remove the tree *%s*%s\n", name.c_str(), cls.c_str());
            return false;
        }
        if (!emptyKey(key.get(), sub.name, sub.cls, console)) return false;
        if (LONG drc = RegDeleteKeyA(key.get(), sub.name.c_str())) {
            std::fprintf(console.out, "%s\n", systemText(drc).c_str());
            std::fprintf(console.out, "Couldn't remove the key *%s*%s\n", sub.name.c_str(), sub.cls.c_str());
            return false;
        }
    }

    DWORD values = 0, maxName = 0;
    if (RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                         &maxName, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return false;
    std::vector<char> valueName(maxName + 1);
    for (DWORD i = values; i-- > 0;) {
        DWORD size = static_cast<DWORD>(valueName.size());
        if (RegEnumValueA(key.get(), i, valueName.data(), &size, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            continue;
        if (valueName[0]) RegDeleteValueA(key.get(), valueName.data());  // the unnamed value stays
    }
    return true;
}

int deleteTarget(KeyStack& stack, bool isKey, bool recursive, const std::string& name, const Console& console) {
    HKEY parent = isKey ? stack.parentOfTop() : stack.top();
    if (isKey && recursive) {
        if (treeDepth(stack.top(), kMaxDepth) >= kMaxDepth) {
            std::fprintf(console.err, "Error happened during recursive delete.\n");
            return REGKIT_RECURSIVE_DELETE_FAILED;
        }
        if (LONG rc = stack.pop()) {
            std::fprintf(console.err, "%s\n", systemText(rc).c_str());
            return REGKIT_CLOSE_FAILED;
        }
        if (!emptyKey(parent, name, "", console)) {
            std::fprintf(console.err, "Error happened during recursive delete.\n");
            return REGKIT_RECURSIVE_DELETE_FAILED;
        }
    }
    LONG rc = isKey ? RegDeleteKeyA(parent, name.c_str()) : RegDeleteValueA(parent, name.c_str());
    if (rc != ERROR_SUCCESS) {
        std::fprintf(console.err, "%s\n", systemText(rc).c_str());
        return REGKIT_DELETE_FAILED;
    }
    return REGKIT_DONE;
}

}  // namespace

int runCommand(const std::string& command, const Console& console) {
    if (command.size() > REGKIT_MAX_COMMAND) {
        // Cutting the command could leave a path that names a parent key: refuse it whole.
        std::fprintf(console.err, "Can't handle the operation I was given.\n");
        return REGKIT_BAD_OPERATION;
    }
    ParsedCommand parsed;
    int parseResult = parseCommand(command, parsed);
    for (int i = 0; i < parsed.dots; ++i) Sleep(2000);
    if (parseResult == REGKIT_BAD_ROOT) {
        std::fprintf(console.err, "Can't understand the root key.\n");
        return REGKIT_BAD_ROOT;
    }
    if (parsed.operation == '+') {
        std::fprintf(console.out, "Can't add yet.\n");
        return REGKIT_DONE;
    }
    const bool deleting = parsed.operation == '-' || parsed.operation == '!';
    if (deleting && parsed.components.empty()) {
        // A delete must name something below a root, never a root itself.
        std::fprintf(console.err, "Can't handle the operation I was given.\n");
        return REGKIT_BAD_OPERATION;
    }

    const auto& parts = parsed.components;
    KeyStack stack(parsed.root);
    const size_t reachable = std::min<size_t>(parts.size(), kMaxDepth);
    LONG openError = ERROR_SUCCESS;
    for (size_t i = 0; i < reachable && openError == ERROR_SUCCESS; ++i) openError = stack.push(parts[i]);
    const size_t opened = stack.opened();
    int result;
    if (openError != ERROR_SUCCESS && openError != ERROR_FILE_NOT_FOUND) {
        // Only a missing key means "no such key": any other failure is told as it is, with
        // the result of the operation it stopped (a remover must not take it for "gone").
        std::fprintf(console.err, "%s\n", systemText(openError).c_str());
        result = parsed.operation == '?' ? REGKIT_QUERY_FAILED : REGKIT_DELETE_FAILED;
    } else if (opened == parts.size()) {
        const std::string& name = parts.empty() ? std::string() : parts.back();
        result = parsed.operation == '?' ? queryKey(stack.top(), console)
                                         : deleteTarget(stack, true, parsed.operation == '!', name, console);
    } else if (opened + 1 == parts.size()) {
        result = parsed.operation == '?' ? queryValue(stack.top(), parts.back(), console)
                                         : deleteTarget(stack, false, false, parts.back(), console);
    } else if (opened == reachable) {
        std::fprintf(console.out, "I can't figure out if this is a key or a string.\n");
        result = REGKIT_KEY_OR_STRING;
    } else {
        std::fprintf(console.err, "No such key '%s'\n", parts[opened].c_str());
        result = REGKIT_NO_SUCH_KEY;
    }
    int closeResult = stack.closeAll(console);
    return result != REGKIT_DONE ? result : closeResult;
}

}  // namespace regkit
