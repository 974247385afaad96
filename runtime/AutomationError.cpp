#include "runtime/AutomationError.h"

#include <utility>

namespace corvane::runtime {

AutomationError::AutomationError(int32_t number, Text description, Text source)
    : number_(number),
      description_(std::move(description)),
      source_(std::move(source)),
      message_(std::to_string(number) + ": " + ToUtf8(description_)) {}

void Raise(int32_t number, Text description, Text source) {
    throw AutomationError(number, std::move(description), std::move(source));
}

}  // namespace corvane::runtime
