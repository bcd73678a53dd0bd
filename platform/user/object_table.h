// A process-wide table of objects behind handles of their own (internal): menus and
// accelerator tables. Handles are `first` and every fourth value after it, never reused within
// a process state, so that each kind keeps its own residue apart from files, windows and GDI
// objects.
#pragma once

#include <memory>
#include <mutex>
#include <unordered_map>

namespace winplat::detail {

template <typename Handle, typename Object>
class ObjectTable {
public:
    explicit ObjectTable(uintptr_t first) : next_(first) {}
    std::mutex mutex;  // held by callers around find, add, erase and clear

    std::shared_ptr<Object> find(Handle h) const {
        auto it = objects_.find(reinterpret_cast<uintptr_t>(h));
        return it == objects_.end() ? nullptr : it->second;
    }
    Handle add(std::shared_ptr<Object> object) {
        auto h = reinterpret_cast<Handle>(next_);
        next_ += 4;
        objects_.emplace(reinterpret_cast<uintptr_t>(h), std::move(object));
        return h;
    }
    bool erase(Handle h) { return objects_.erase(reinterpret_cast<uintptr_t>(h)) != 0; }
    void clear() { objects_.clear(); }

private:
    std::unordered_map<uintptr_t, std::shared_ptr<Object>> objects_;
    uintptr_t next_;
};

}  // namespace winplat::detail
