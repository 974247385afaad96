#pragma once
// The automation objects of the published classes, made over core objects.
// Each function returns a new reference (the same object for the same core
// object while a client holds it), or null for a null core object.
//
// automation/ is one of the two faces of the components (cli/ is the other):
// it may include every folder below it, and nothing includes it.
#include <memory>

#include "CorvaneMP3TypeLibrary.h"

namespace corvane::equalizer {
class Equalizer;
class EqualizerBand;
}  // namespace corvane::equalizer
namespace corvane::playlist {
class PlayListEntry;
}

namespace corvane::automation {

_Equalizer *EqualizerObjectOf(const std::shared_ptr<equalizer::Equalizer> &core);
_EqualizerBand *BandObjectOf(const std::shared_ptr<equalizer::EqualizerBand> &core);
_PlayListEntry *EntryObjectOf(const std::shared_ptr<playlist::PlayListEntry> &core);

// The two controls, for the class factory: a new control asked for `iid`.
HRESULT CreatePlayerObject(REFIID iid, void **out);
HRESULT CreatePlayListObject(REFIID iid, void **out);

}  // namespace corvane::automation
