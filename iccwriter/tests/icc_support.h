// The profile writer's test fixture, on top of the shared ICC checks.
#pragma once

#include "fresh_root.h"
#include "icc_checks.h"
#include "kalvicm.h"

namespace icctest {

// Releases a profile at the end of a scope.
class ProfilePtr {
public:
    ProfilePtr() = default;
    explicit ProfilePtr(SpProfileHandle h) : h_(h) {}
    ProfilePtr(ProfilePtr&& other) noexcept : h_(other.h_) { other.h_ = nullptr; }
    ProfilePtr& operator=(ProfilePtr&&) = delete;
    ~ProfilePtr() {
        if (h_) SpProfileFree(&h_);
    }
    SpProfileHandle get() const { return h_; }
    SpProfileHandle* out() { return &h_; }
    operator SpProfileHandle() const { return h_; }

private:
    SpProfileHandle h_ = nullptr;
};

// A fresh system root and the fixed test clock for every test.
class IccWriterTest : public spx::test::FreshRootTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // A new profile (created through the library; fails the test when that fails).
    ProfilePtr newProfile();
    // Path of a file in the system colour directory of the test's root.
    std::string colorPath(const std::string& name) const {
        return rootPath("WINDOWS/SYSTEM/COLOR/" + name);
    }
};

}  // namespace icctest
