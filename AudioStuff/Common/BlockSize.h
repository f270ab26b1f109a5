#pragma once

// Every scratch buffer of the engine (ramp buffers, the blocks' work buffers)
// holds this many samples. The processor splits longer host blocks into pieces
// of at most this length before they reach a kernel; the framework asserts the
// limit in debug builds and clamps to it in release builds.
inline constexpr unsigned long kMaxFramesPerBlock = 4096;
