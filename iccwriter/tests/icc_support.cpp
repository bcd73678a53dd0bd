#include "icc_support.h"

#include <cstdlib>

namespace icctest {

void IccWriterTest::SetUp() {
    setenv("SPECTRINE_FAKE_TIME", kTestClockText, 1);
    FreshRootTest::SetUp();
}

void IccWriterTest::TearDown() {
    FreshRootTest::TearDown();
    unsetenv("SPECTRINE_FAKE_TIME");
}

ProfilePtr IccWriterTest::newProfile() {
    ProfilePtr p;
    EXPECT_EQ(SpProfileCreate(1, p.out()), SP_OK);
    EXPECT_NE(p.get(), nullptr);
    return p;
}

}  // namespace icctest
