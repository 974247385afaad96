/*
 * decode.c - the decoder library CorvaneMP3.dll from plain C.
 *
 *   decode FILE.mp3
 *
 * Prints the file's stream facts (get_frame_info) and its ID3 version 1 tag
 * (get_id3_tag), then plays it to the end, polling the library for the
 * position (get_status) and the end (is_finished).
 *
 * The program links the import library (lib/x86 or lib/x64), so
 * CorvaneMP3.dll must be beside it or on the PATH when it runs. Playback goes
 * to the default audio device; with the environment variable
 * CORVANEMP3_OUTPUT=null the audio is discarded instead (paced in real time),
 * which lets the program run on a machine without one.
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include "CorvaneMP3.h"

/* The fields of the frame-information text, in the order the library writes
 * them ("|"-separated; see CorvaneMP3.h for all of them). */
enum {
    INFO_VERSION, INFO_LAYER, INFO_MILLISECONDS, INFO_BITRATE, INFO_SAMPLE_RATE, INFO_CRC, INFO_CHANNELS,
    INFO_CHANNEL_MODE, INFO_EMPHASIS, INFO_COPYRIGHT, INFO_ORIGINAL, INFO_BITRATE_MODE, INFO_FILE_SIZE,
    INFO_FRAMES, INFO_SECONDS, INFO_FIRST_FRAME, INFO_AUDIO_BYTES, INFO_SAMPLES, INFO_LENGTH_SOURCE,
    INFO_FIELDS
};

/* Splits the text in place into its fields; missing fields are empty. */
static void SplitFields(char *text, const char *fields[INFO_FIELDS]) {
    for (int i = 0; i < INFO_FIELDS; ++i) {
        fields[i] = text;
        char *bar = strchr(text, '|');
        if (bar == NULL) {
            text += strlen(text);
        } else {
            *bar = '\0';
            text = bar + 1;
        }
    }
}

static int PrintStreamFacts(const char *path) {
    char info[CORVANE_FRAME_INFO_SIZE + 1];
    const char *field[INFO_FIELDS];
    int16_t result = get_frame_info(path, info);
    if (result == 53) return printf("%s: file not found\n", path), 1;
    if (result == 0) return printf("%s: not a recognised MPEG audio file\n", path), 1;
    SplitFields(info, field);
    printf("stream: MPEG %s layer %s, %s Hz, %s bit/s %s, %s\n", field[INFO_VERSION], field[INFO_LAYER],
           field[INFO_SAMPLE_RATE], field[INFO_BITRATE], field[INFO_BITRATE_MODE], field[INFO_CHANNEL_MODE]);
    printf("length: %s ms, %s frames, %s bytes\n", field[INFO_MILLISECONDS], field[INFO_FRAMES],
           field[INFO_FILE_SIZE]);
    return 0;
}

/* Copies one fixed-width field of the tag block, without its padding. */
static void TagField(const char *block, int offset, int width, char *out) {
    memcpy(out, block + offset, width);
    out[width] = '\0';
    for (int i = width - 1; i >= 0 && (out[i] == ' ' || out[i] == '\0'); --i) out[i] = '\0';
}

/* The ID3 version 1 block: "TAG", title 30, artist 30, album 30, year 4,
 * comment 30 (28 and a track number in version 1.1), genre 1. */
static int PrintTag(const char *path) {
    char block[CORVANE_TAG_SIZE + 1], text[31];
    int16_t result = get_id3_tag(path, block);
    if (result != 0) return printf("tag: cannot be read (error %d)\n", result), 1;
    if (memcmp(block, "TAG", 3) != 0) return printf("tag: none\n"), 0;
    static const struct { const char *name; int offset, width; } fields[] = {
        {"title", 3, 30}, {"artist", 33, 30}, {"album", 63, 30}, {"year", 93, 4}, {"comment", 97, 30}};
    for (size_t i = 0; i < sizeof fields / sizeof fields[0]; ++i) {
        TagField(block, fields[i].offset, fields[i].width, text);
        printf("tag %s: %s\n", fields[i].name, text);
    }
    if (block[125] == '\0' && block[126] != '\0') printf("tag track: %d\n", (unsigned char)block[126]);
    printf("tag genre: %d\n", (unsigned char)block[127]);
    return 0;
}

/* Plays the file and polls until it has ended. */
static int Play(const char *path) {
    int16_t status = CORVANE_STATUS_STOPPED, vu[CORVANE_CHANNELS];
    int16_t wave[CORVANE_CHANNELS * CORVANE_WAVE_SAMPLES];
    float spectrum[CORVANE_CHANNELS * CORVANE_SPECTRUM_BINS];
    double position = 0;

    play_mp3(0, NULL); /* no notification window: this program polls */
    int16_t result = play(path);
    if (result == 30101) return printf("play: no audio device (set CORVANEMP3_OUTPUT=null to play without one)\n"), 1;
    if (result != 0) return printf("play: error %d\n", result), 1;
    printf("playing\n");
    for (int tick = 1; !is_finished(); ++tick) {
        Sleep(100);
        get_status(&status, &position, vu, wave, spectrum);
        if (tick % 10 == 0) printf("position %.1f s, peak %d\n", position, vu[0]);
    }
    printf("finished\n");
    return 0;
}

int main(int argc, char **argv) {
    if (argc != 2) return fprintf(stderr, "usage: decode FILE.mp3\n"), 2;
    setvbuf(stdout, NULL, _IONBF, 0);
    if (PrintStreamFacts(argv[1]) != 0) return 1;
    if (PrintTag(argv[1]) != 0) return 1;
    return Play(argv[1]);
}
