// Nothing thrown leaves an exported function: running out of memory (or any other exception)
// gives the call's failure value.
#pragma once

namespace builder {

template <typename R, typename Body>
R guarded(R onFailure, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return onFailure;
    }
}

}  // namespace builder
