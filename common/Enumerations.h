#pragma once
// The enumerations of the object model, shared by the components and both of
// their faces (the host program and the automation server). Each is a 32-bit
// signed integer; a variable of these types may hold any value, in range or not.
#include <cstdint>

namespace corvane {

enum CorvaneMP3Channels : int32_t {
    corMP3AllChannels = 0,
    corMP3LeftChannel = 1,
    corMP3RightChannel = 2,
};

enum CorvaneMP3Seek : int32_t {
    corMP3SeekFromBeginning = 0,
    corMP3SeekFromCurrent = 1,
    corMP3SeekFromEnd = 2,
};

enum CorvanePlayListSortType : int32_t {
    corMP3SortByFile = 0,
    corMP3SortByID3Title = 1,
    corMP3SortByID3Tag = 2,
    corMP3SortByTime = 3,
};

enum CorvanePlayListSortOrder : int32_t {
    corMP3SortDescending = -1,
    corMP3SortRandom = 0,
    corMP3SortAscending = 1,
};

enum CorvanePlayListMovement : int32_t {
    corMP3MoveNone = 0,
    corMP3MoveUpOne = 1,
    corMP3MoveDownOne = 2,
    corMP3MoveToTop = 3,
    corMP3MoveToBottom = 4,
    corMP3MoveBeforeFile = 5,
    corMP3MoveAfterFile = 6,
};

enum CorvaneEQBands : int32_t {
    corEQBandsByFrequency = 0,
    corEQBandsByIndex = 1,
};

}  // namespace corvane
