// A test-program-wide step: setUp before the first test, tearDown after the
// last. Registered once per pair however many test files include the header
// that asks for it.
#pragma once

#include <gtest/gtest.h>

namespace vx {

class CallingEnvironment : public ::testing::Environment {
public:
    CallingEnvironment(void (*setUp)(), void (*tearDown)()) : setUp_(setUp), tearDown_(tearDown) {}
    void SetUp() override {
        if (setUp_) setUp_();
    }
    void TearDown() override {
        if (tearDown_) tearDown_();
    }

private:
    void (*setUp_)();
    void (*tearDown_)();
};

template <void (*setUp)(), void (*tearDown)()> bool RegisterProgramEnvironment() {
    static const bool registered =
        (::testing::AddGlobalTestEnvironment(new CallingEnvironment(setUp, tearDown)), true);
    return registered;
}

} // namespace vx
