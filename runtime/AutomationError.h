#pragma once
// The raised error object of the automation surface: a number, a source and a
// description (help file and help context stay unset). Members raise it as a
// C++ exception; the Windows layer turns it into an error object.
#include <cstdint>
#include <exception>
#include <string>

#include "runtime/Text.h"

namespace corvane::runtime {

class AutomationError : public std::exception {
public:
    AutomationError(int32_t number, Text description, Text source = {});

    int32_t Number() const { return number_; }
    const Text &Source() const { return source_; }
    const Text &Description() const { return description_; }
    const Text &HelpFile() const { return helpFile_; }
    int32_t HelpContext() const { return 0; }

    const char *what() const noexcept override { return message_.c_str(); }

private:
    int32_t number_;
    Text description_;
    Text source_;
    Text helpFile_;
    std::string message_;  // "number: description" in UTF-8
};

[[noreturn]] void Raise(int32_t number, Text description, Text source = {});

// Members run their inner steps "with failures absorbed step by step": a step
// that fails is skipped and the member goes on with the next one. Errors that
// a member must report are raised outside such steps.
template <class Step>
void Absorb(Step &&step) noexcept {
    try {
        step();
    } catch (...) {
    }
}

// A step that yields a value: the value, or the fallback when the step fails.
template <class T, class Step>
T AbsorbOr(T fallback, Step &&step) noexcept {
    try {
        return step();
    } catch (...) {
        return fallback;
    }
}

}  // namespace corvane::runtime
