#pragma once

#include "ProcessBlock/ProcessBlock.h"

// Base of the effect's level-dependent gain blocks. It only marks their
// family: the owner computes the gain from the state its subclasses keep.
class LegacyCompressor : public ProcessBlock
{
};
