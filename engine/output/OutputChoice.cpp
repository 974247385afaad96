#include "engine/output/OutputChoice.h"

#include <cstdlib>
#include <string_view>

#include "engine/output/PacedSink.h"
#include "engine/output/PortAudioSink.h"
#include "engine/output/WavSink.h"

namespace corvane::engine {

namespace {

constexpr int kNoAudioDevice = 30101;
constexpr std::string_view kVariable = "CORVANEMP3_OUTPUT";

}  // namespace

OutputChoice ParseOutputChoice(const char *value) {
    const std::string_view text = value != nullptr ? value : "";
    if (text.empty()) return {OutputChoice::Kind::kDevice, {}};
    if (text == "null") return {OutputChoice::Kind::kNull, {}};
    if (text.starts_with("wav-fast:")) return {OutputChoice::Kind::kWavFast, std::string(text.substr(9))};
    if (text.starts_with("wav:")) return {OutputChoice::Kind::kWav, std::string(text.substr(4))};
    return {OutputChoice::Kind::kUnknown, {}};
}

OutputChoice OutputChoiceFromEnvironment() { return ParseOutputChoice(std::getenv(kVariable.data())); }

std::unique_ptr<AudioSink> MakeSink(const OutputChoice &choice, int sampleRate, int &error) {
    error = 0;
    switch (choice.kind) {
    case OutputChoice::Kind::kDevice:
        return std::make_unique<PortAudioSink>(sampleRate);
    case OutputChoice::Kind::kNull:
        return std::make_unique<PacedSink>(sampleRate, PacedSink::Pace::kRealTime, nullptr);
    case OutputChoice::Kind::kWav:
    case OutputChoice::Kind::kWavFast: {
        auto writer = std::make_unique<WavFileWriter>(choice.path, sampleRate);
        if (choice.path.empty() || !writer->IsOpen()) break;
        const auto pace = choice.kind == OutputChoice::Kind::kWav ? PacedSink::Pace::kRealTime : PacedSink::Pace::kFast;
        return std::make_unique<PacedSink>(sampleRate, pace, std::move(writer));
    }
    case OutputChoice::Kind::kUnknown:
        break;
    }
    error = kNoAudioDevice;
    return nullptr;
}

}  // namespace corvane::engine
