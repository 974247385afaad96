#pragma once
// One entry of the play list while it is sorted: its position when the sort
// began and the text by which it is ordered. Internal to the component.
#include <cstdint>

#include "runtime/Text.h"

namespace corvane::playlist {

class PlayListSortingEntry {
public:
    int32_t OrigPosition() const;  // 1-based
    void SetOrigPosition(int32_t position);
    const runtime::Text &SortingString() const;
    void SetSortingString(runtime::Text sortString);

private:
    int32_t origPosition_ = 0;
    runtime::Text sortingString_;
};

}  // namespace corvane::playlist
