#include "runtime/Text.h"

namespace corvane::runtime {

// File names and other text the system hands over are UTF-8 here.
std::string ToSystemText(TextView text) { return ToUtf8(text); }
Text FromSystemText(std::string_view bytes) { return FromUtf8(bytes); }

}  // namespace corvane::runtime
