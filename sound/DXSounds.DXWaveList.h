// TDXWaveList: the wave list as a window places it.
#pragma once

#include "sound/DXSounds.CustomDXWaveList.h"

class TDXWaveList : public TCustomDXWaveList {
public:
    using TCustomDXWaveList::TCustomDXWaveList;
};
