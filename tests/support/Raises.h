#pragma once
// The errors members raise, for the tests of every component.
#include <gtest/gtest.h>

#include "runtime/AutomationError.h"

namespace corvane::testing {

// The error that `call` raises; a test failure when it raises none.
template <class Call>
runtime::AutomationError ErrorOf(Call &&call) {
    try {
        call();
    } catch (const runtime::AutomationError &error) {
        return error;
    }
    ADD_FAILURE() << "no error was raised";
    return runtime::AutomationError(0, u"");
}

inline void ExpectError(const runtime::AutomationError &error, int32_t number, const runtime::Text &description,
                        const runtime::Text &source) {
    EXPECT_EQ(error.Number(), number);
    EXPECT_EQ(error.Description(), description);
    EXPECT_EQ(error.Source(), source);
}

}  // namespace corvane::testing
