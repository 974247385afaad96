/*
 * CorvaneMP3.h - the C interface of the CorvaneMP3 decoder library
 * (libCorvaneMP3.so on Linux, CorvaneMP3.dll on Windows).
 *
 * The library decodes MPEG audio (Layers 1, 2 and 3), plays it, equalizes and
 * analyses what is heard, and reads and writes ID3 version 1 tags. Any C
 * program can call it; the CorvaneMP3 controls load it by name at run time.
 *
 * Text arguments are null-terminated 8-bit strings: file names in UTF-8 on
 * Linux and in the ANSI code page on Windows; the 128-byte tag block is
 * single-byte (Latin-1) text, one byte per character.
 *
 * Error numbers (the same numbering the controls use):
 *   53    file not found            57    device I/O error
 *   75    path/file access error    30074 file locked by another program
 *   30075 not a recognised audio file format
 *   30099 unable to allocate sound memory
 *   30101 no audio devices present
 *
 * Output. Playback goes to the default audio device through PortAudio unless
 * the environment variable CORVANEMP3_OUTPUT chooses another output:
 *   null           discard the audio, paced in real time
 *   wav:PATH       write a 16-bit PCM WAV file of what would be heard, real time
 *   wav-fast:PATH  the same, as fast as the machine can go; positions,
 *                  notifications and the end follow that output's audio clock
 * Without a device and without CORVANEMP3_OUTPUT, play and fade_in return 30101.
 *
 * Status and the end of a track. get_status reports
 *   1  playing, with new analysis data
 *   2  paused
 *   3  stopped
 *   0  the track has ended (played to its last sample, or a fade-out reached
 *      silence)
 * Each end of a track is reported exactly once to a host that asks through
 * both get_status and is_finished:
 *   - at the end the library signals the notification handle;
 *   - the first get_status after the end reports 0, unless is_finished has
 *     already returned 1 since that end, in which case it reports 3;
 *   - after that get_status reports 3 until the next start;
 *   - is_finished returns 1 from the end until the next start, 0 otherwise;
 *   - after stop_playing the status is 3, never 0.
 */
#ifndef CORVANEMP3_H
#define CORVANEMP3_H

#include <stdint.h>

#ifdef _WIN32
#define CORVANE_CALL __stdcall
#ifdef CORVANE_BUILDING_LIBRARY
#define CORVANE_API __declspec(dllexport)
#else
#define CORVANE_API __declspec(dllimport)
#endif
#else
#define CORVANE_CALL
#define CORVANE_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The notification handle, signalled from any of the library's threads
 * whenever new analysis data or a new state is ready; the host coalesces the
 * signals into one repaint on its user-interface thread. A null handle
 * means: never signal.
 * On Windows it is a window: the library posts it the message registered
 * under CORVANE_NOTIFY_MESSAGE (RegisterWindowMessage), which the window
 * treats as a request to repaint (message-only windows get no WM_PAINT).
 * Elsewhere the host owns a target and the library calls
 * invalidate(target). */
#ifdef _WIN32
#define CORVANE_NOTIFY_MESSAGE "CorvaneMP3.Notify"
typedef struct HWND__ *CorvaneNotifyHandle;
#else
typedef struct CorvaneNotifyTarget CorvaneNotifyTarget;
struct CorvaneNotifyTarget {
    void (*invalidate)(CorvaneNotifyTarget *self);
};
typedef CorvaneNotifyTarget *CorvaneNotifyHandle;
#endif

/* Sizes of the analysis arrays that get_status fills. Arrays are laid out
 * with the channel varying fastest: element (channel n, index k) is at
 * n + 3 * k. Channel 0 is both channels (or the only one), 1 left, 2 right. */
enum {
    CORVANE_CHANNELS = 3,
    CORVANE_WAVE_SAMPLES = 256,
    CORVANE_SPECTRUM_BINS = 128,
    CORVANE_TAG_SIZE = 128,
    CORVANE_FRAME_INFO_SIZE = 200
};

/* Status codes of get_status. */
enum {
    CORVANE_STATUS_ENDED = 0,
    CORVANE_STATUS_PLAYING = 1,
    CORVANE_STATUS_PAUSED = 2,
    CORVANE_STATUS_STOPPED = 3
};

/* Describes the scale of the analysis values (get_vis_info). All values are
 * taken from the audio being heard, after equalizer, gain and fades:
 *   VU       the peak of the last analysis interval times vu_max (32767 is
 *            a full-scale peak); channel 0 is the louder of left and right.
 *   wave     the latest 256 samples heard, oldest first, times 32767;
 *            channel 0 is the mean of left and right.
 *   spectrum the amplitude per bin of a 256-point FFT of those 256 samples
 *            under a Hann window: bin k is centred on k * spectrum_bin_hz
 *            (sample_rate / 256), bins 0 to 127; a full-scale sine centred
 *            on a bin reads spectrum_full_scale (1.0) there.
 * get_status reports 1 on every call while a track plays, whether or not an
 * interval completed since the last call; the notification handle is the
 * sign of new data. The values are the last delivered ones: they hold while
 * paused and after a stop or the end of the track, until the next track
 * delivers its own (zero until its first interval completes); they are zero
 * before anything has been heard. Fields that do not fit in struct_size are left unwritten. */
typedef struct CorvaneVisInfo {
    int32_t struct_size;      /* set by the caller to sizeof(CorvaneVisInfo) */
    int32_t wave_samples;     /* CORVANE_WAVE_SAMPLES */
    int32_t spectrum_bins;    /* CORVANE_SPECTRUM_BINS */
    int32_t sample_rate;      /* of the track being heard; 0 when none */
    float spectrum_bin_hz;    /* width of one spectrum bin in Hz */
    int32_t vu_max;           /* the VU value of a full-scale peak */
    float spectrum_full_scale;/* the spectrum value of a full-scale sine */
    int16_t interval_ms;      /* the analysis interval in force */
} CorvaneVisInfo;

/* Transport. */
CORVANE_API int32_t CORVANE_CALL play_mp3(int32_t reserved, CorvaneNotifyHandle handle);
CORVANE_API int16_t CORVANE_CALL play(const char *path);
CORVANE_API int16_t CORVANE_CALL fade_in(const char *path, float attack_seconds);
CORVANE_API int32_t CORVANE_CALL pause_playing(void);
CORVANE_API int32_t CORVANE_CALL continue_playing(void);
CORVANE_API int32_t CORVANE_CALL stop_playing(void);
CORVANE_API int32_t CORVANE_CALL fade_out(float decay_seconds);
CORVANE_API int32_t CORVANE_CALL seek_playing(double seconds);
CORVANE_API int16_t CORVANE_CALL is_finished(void);

/* Analysis. vu: 3 values, wave: 3 * 256, spectrum: 3 * 128. */
CORVANE_API int32_t CORVANE_CALL get_status(int16_t *status, double *position,
                                            int16_t vu[3], int16_t wave[3 * 256],
                                            float spectrum[3 * 128]);
CORVANE_API int32_t CORVANE_CALL set_vu_interval(int16_t *milliseconds);
CORVANE_API int32_t CORVANE_CALL get_vis_info(CorvaneVisInfo *info);

/* Files. get_id3_tag writes 128 bytes and a NUL; set_id3_tag takes the first
 * 128 bytes of tag as the block. get_frame_info writes at most 200 bytes and a
 * NUL and returns 0 when the file is not recognised, 53 when it does not
 * exist, another value on success. The frame-information text is
 * "|"-separated:
 *   0 MPEG version (1, 2, 2.5)         1 layer (1, 2, 3)
 *   2 length in milliseconds            3 bitrate, bits/s (average for VBR)
 *   4 sample rate, Hz                   5 CRC protected (1/0)
 *   6 channel count (1/2)               7 channel mode: Stereo, Joint Stereo,
 *   8 emphasis (0 none, 1 50/15 us,       Dual Channel, Single Channel
 *     3 CCITT J.17)                     9 copyright (1/0)
 *  10 original (1/0)                   11 bitrate mode (CBR, VBR)
 *  12 file size, bytes                 13 frame count
 *  14 length, whole seconds            15 offset of the first audio frame
 *  16 audio bytes                      17 total samples per channel
 *  18 where the length came from (Xing, Info, VBRI, scan)
 */
CORVANE_API int16_t CORVANE_CALL get_id3_tag(const char *path, char tag[129]);
CORVANE_API int16_t CORVANE_CALL set_id3_tag(const char *path, const char *tag);
CORVANE_API int16_t CORVANE_CALL get_frame_info(const char *path, char info[201]);

/* Equalizer and gain. Gains in dB; overall gain -20 to +20 dB per channel.
 * Up to 32 peaking bands at the given frequencies; set_eq takes 32 gains in
 * band order. The settings outlast a stop and a new start. */
CORVANE_API int32_t CORVANE_CALL create_eq(int16_t *frequencies, int16_t count);
CORVANE_API int32_t CORVANE_CALL set_eq(float *gains32);
CORVANE_API int32_t CORVANE_CALL set_gain(float *left, float *right);
CORVANE_API int32_t CORVANE_CALL eq_state(int32_t on);

#ifdef __cplusplus
}
#endif

#endif
