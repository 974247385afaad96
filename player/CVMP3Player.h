#pragma once
// The player control: the current file, the commands that start, pause, stop,
// fade and seek it, its stream and tag information, the analysis data of what
// is heard, and the container notifications of a control's life.
//
// Everything runs on the control site's user-interface thread. The decoder
// library signals the notification window from its own threads; the window
// turns that into a repaint on the loop, and each repaint runs the status poll.
//
// Life: the constructor runs Initialize and the destructor runs Terminate
// unless the container has already called it, so a C++ host needs no
// ceremony. A container that loads saved state calls ReadProperties after
// construction; one that places a new control calls InitProperties.
//
// player/ includes playlist/, equalizer/ and the folders below them.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "common/Enumerations.h"
#include "decoder/DecoderLibrary.h"
#include "runtime/Object.h"
#include "runtime/Text.h"
#include "runtime/Variant.h"

namespace corvane::runtime {
class ControlSite;
class NotifyWindow;
class PropertyBag;
class Timer;
}  // namespace corvane::runtime

namespace corvane::equalizer {
class Equalizer;
}

namespace corvane::playlist {
class PlayListEntry;
}

namespace corvane::player {

using runtime::Text;

// Dispatch ids and names of the player's events.
inline constexpr int32_t kFinishedPlayingId = 1;
inline constexpr char16_t kFinishedPlayingName[] = u"FinishedPlaying";
inline constexpr int32_t kVisualizationUpdateId = 2;
inline constexpr char16_t kVisualizationUpdateName[] = u"VisualizationUpdate";

// The device name a control has until its saved state says otherwise.
inline constexpr char16_t kDefaultDeviceName[] = u"Maltrex Wave Mapper";

// Period of the finish timer.
inline constexpr int kFinishTimerMilliseconds = 10;

class CVMP3Player : public runtime::Object {
public:
    // Throws decoder::DecoderLoadError (from the default argument) when no
    // decoder library is given and none can be loaded.
    explicit CVMP3Player(runtime::ControlSite &site,
                         decoder::DecoderLibraryRef library = decoder::DefaultDecoderLibrary());
    ~CVMP3Player() override;
    CVMP3Player(const CVMP3Player &) = delete;
    CVMP3Player &operator=(const CVMP3Player &) = delete;

    // --- playback ------------------------------------------------------------
    Text Filename() const { return filename_; }
    // A name equal to the current one (case-sensitive) changes nothing; any
    // other stops playback and hands the name to the file-information entry.
    // A file the entry rejects leaves Filename empty, quietly.
    void SetFilename(Text newFileName);

    // Raise runtime::AutomationError with the library's number when the start
    // fails; on a paused player they resume instead (without any fade).
    void PlayStart();
    void PlayFadeIn(double &attackTime);
    void PlayPause();
    void PlayStop();
    // Times above 20 are cut to 20 and written back; 0 or less does nothing.
    void PlayFadeOut(float &decayTime);

    double TrackPosition(CorvaneMP3Seek &from) const;
    void SetTrackPosition(CorvaneMP3Seek &from, double newTrackPosition);

    bool IsPlaying() const { return playing_; }
    bool IsPaused() const { return paused_; }

    // --- stream information (from the file-information entry) ---------------
    Text ChannelMode() const;
    Text Layer() const;
    Text MPEGVersion() const;
    int32_t DataRate() const;
    int32_t Frames() const;
    int32_t SampleRate() const;
    int16_t TrackLength() const;
    bool CRCExists() const;
    bool Original() const;
    // A Boolean variant, or an empty variant when no file is set.
    runtime::Variant Copyrighted() const;
    int32_t FileSize() const;

    // --- tag (read from and written to the file; texts trimmed) --------------
    Text ID3Title();
    void SetID3Title(Text &newID3Title);
    Text ID3Artist();
    void SetID3Artist(Text &newID3Artist);
    Text ID3Album();
    void SetID3Album(Text &newID3Album);
    Text ID3Year();
    void SetID3Year(Text &newID3Year);
    Text ID3Comment();
    void SetID3Comment(Text &newID3Comment);
    int16_t ID3Genre();
    void SetID3Genre(int16_t &newID3Genre);

    // The name of an ID3 genre; empty outside 0 to 148.
    Text GenreList(int16_t &genre) const;

    // --- visualization -------------------------------------------------------
    int16_t ChangeInterval() const { return interval_; }
    // Clamped to 10..250 (written back) and sent to the library at once.
    void SetChangeInterval(int16_t &newChangeInterval);

    // The channel is pulled into 0..2 (0 on a one-channel device) and written
    // back; an index out of range gives 0.
    int16_t VUMeter(CorvaneMP3Channels &channel) const;
    int16_t GfxWaveFormSample(CorvaneMP3Channels &channel, int16_t &index) const;
    float SpectrumAnalysis(CorvaneMP3Channels &channel, int16_t &index) const;
    int32_t GfxWaveFormLBound() const { return -32768; }
    int32_t GfxWaveFormUBound() const { return 32767; }

    // The last delivered analysis data, for hosts that draw all of it: element
    // (channel n, index k) is at n + 3 * k. Valid as long as the player lives.
    static constexpr int kChannelSlots = CORVANE_CHANNELS;
    static constexpr int kWaveSamples = CORVANE_WAVE_SAMPLES;
    static constexpr int kSpectrumBins = CORVANE_SPECTRUM_BINS;
    const int16_t *VUData() const { return vu_; }
    const int16_t *WaveFormData() const { return wave_; }
    const float *SpectrumData() const { return spectrum_; }

    // --- members of the control's life ---------------------------------------
    // The player's own equalizer, the same object on every call.
    std::shared_ptr<equalizer::Equalizer> Equalizer() const { return equalizer_; }
    // Channels of the current file: 0 without a file, 1 for a single-channel
    // mode, else 2.
    int16_t Channels() const;
    // Read-only: the value is kept; at design time a message box says so.
    void SetChannels(int16_t &newChannels);
    Text DeviceName() const { return deviceName_; }
    void SetDeviceName(Text &newDeviceName);

    // --- container notifications ---------------------------------------------
    void Initialize();  // run by the constructor; later calls do nothing
    void InitProperties();
    void ReadProperties(runtime::PropertyBag &bag);
    void WriteProperties(runtime::PropertyBag &bag);
    void Paint();
    void Resize(int32_t widthTwips, int32_t heightTwips);
    // Stops a playing file and empties the equalizer; the player is inert
    // afterwards. Run by the destructor when the container has not.
    void Terminate();

private:
    void StartPlayback(const std::function<int16_t(const std::string &path)> &start);
    void SetFinishTimer(bool enabled);
    void OnFinishTimerTick();
    void OnStatusPoll();
    void RaiseFinishedPlaying();
    int ChannelSlot(CorvaneMP3Channels &channel) const;
    bool HasFile() const { return !filename_.empty(); }
    playlist::PlayListEntry &Entry() const;
    void ShowReadOnlyMessage(const Text &property, const Text &message);
    Text ReadTagText(Text (playlist::PlayListEntry::*get)());
    void WriteTagText(void (playlist::PlayListEntry::*set)(Text &), Text &newValue);

    runtime::ControlSite &site_;
    decoder::DecoderLibraryRef library_;
    std::shared_ptr<equalizer::Equalizer> equalizer_;
    std::shared_ptr<playlist::PlayListEntry> entry_;

    Text filename_;
    bool playing_ = false;
    bool paused_ = false;
    bool tickGuard_ = false;
    bool initialized_ = false;
    bool terminated_ = false;

    int16_t interval_ = 100;
    int16_t channelCount_ = 2;
    Text deviceName_;
    float playbackRate_ = 1.0f;

    // Written in place by the library's get_status.
    double position_ = 0;
    int16_t vu_[kChannelSlots] = {};
    int16_t wave_[kChannelSlots * kWaveSamples] = {};
    float spectrum_[kChannelSlots * kSpectrumBins] = {};

    // Last, so that they go first: no tick or repaint reaches a half-destroyed
    // player.
    std::unique_ptr<runtime::Timer> tmrIsFinished_;
    std::unique_ptr<runtime::NotifyWindow> hWndProvider_;
};

}  // namespace corvane::player
