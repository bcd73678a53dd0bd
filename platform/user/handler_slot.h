// A replaceable process-wide handler and its context (internal), as the Winplat*Handler setters
// install them: setting returns the previous handler, null restores the default.
#pragma once

#include <mutex>
#include <utility>

namespace winplat::detail {

template <typename Handler>
class HandlerSlot {
public:
    Handler set(Handler handler, void* context) {
        std::lock_guard lock(mutex_);
        Handler previous = handler_;
        handler_ = handler;
        context_ = handler ? context : nullptr;
        return previous;
    }
    // The handler (or `fallback` when none is installed) and its context.
    std::pair<Handler, void*> get(Handler fallback = nullptr) {
        std::lock_guard lock(mutex_);
        return {handler_ ? handler_ : fallback, handler_ ? context_ : nullptr};
    }
    void reset() { set(nullptr, nullptr); }

private:
    std::mutex mutex_;
    Handler handler_ = nullptr;
    void* context_ = nullptr;
};

}  // namespace winplat::detail
