// Test support shared by every module: a fresh system root per test and a captured message box.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "winplat.h"

namespace spx::test {

struct CapturedMessageBox {
    std::string text;
    std::string caption;
    UINT type = 0;
};

// Gives the test its own empty system root ($SPECTRINE_ROOT in a new temporary directory,
// with the WINDOWS/SYSTEM/COLOR folders), resets the platform's process state, and captures
// message boxes (answered with `messageBoxAnswer`). The root is removed afterwards unless the
// test failed or $SPECTRINE_KEEP_ROOT is set.
class FreshRootTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    const std::string& root() const { return root_; }
    // Absolute path of a file below the root ("WINDOWS/x.ini").
    std::string rootPath(const std::string& relative) const { return root_ + "/" + relative; }
    void writeFile(const std::string& relative, const std::string& content) const;
    std::string readFile(const std::string& relative) const;

    std::vector<CapturedMessageBox> messageBoxes;
    int messageBoxAnswer = IDOK;

private:
    std::string root_;
    std::string savedRoot_;
    bool hadRoot_ = false;
};

// Removes a directory tree; used by the fixture and by tests that make their own folders.
void removeTree(const std::string& path);

}  // namespace spx::test
