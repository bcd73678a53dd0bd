// An owned GDI object (pen, brush, font, bitmap, palette), deleted when it goes.
#pragma once

#include <utility>

#include "win32.h"

namespace huevista {

template <typename H>
class GdiHandle {
public:
    GdiHandle() = default;
    explicit GdiHandle(H handle) : handle_(handle) {}
    GdiHandle(GdiHandle&& other) noexcept : handle_(std::exchange(other.handle_, H{})) {}
    GdiHandle& operator=(GdiHandle&& other) noexcept {
        if (this != &other) reset(std::exchange(other.handle_, H{}));
        return *this;
    }
    GdiHandle(const GdiHandle&) = delete;
    GdiHandle& operator=(const GdiHandle&) = delete;
    ~GdiHandle() { reset(); }

    void reset(H handle = H{}) {
        if (handle_) DeleteObject(handle_);
        handle_ = handle;
    }
    H get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    H handle_{};
};

// Selects an object into a device context for the life of a scope.
class Selected {
public:
    Selected(HDC dc, HGDIOBJ object) : dc_(dc), old_(object ? SelectObject(dc, object) : nullptr) {}
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;
    ~Selected() {
        if (old_) SelectObject(dc_, old_);
    }

private:
    HDC dc_;
    HGDIOBJ old_;
};

}  // namespace huevista
