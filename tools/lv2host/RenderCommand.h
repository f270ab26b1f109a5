#pragma once

namespace lv2host
{
// vantrel-lv2host render [--block N] [--set ID=VALUE]... [--control SYMBOL=VALUE]...
//                        [--output OUT.wav] INPUT URI
//
// Runs INPUT (any file libsndfile reads, at its own rate) through the plug-in
// in blocks of N frames (512; the last one filled up with silence), as a host
// that measures a plug-in's cost does: plug-in audio input j is fed from file
// channel j modulo the file's channels, control inputs start at their
// defaults, --control sets one by its symbol, and --set sends a patch:Set
// (VALUE as atom:Float, the parameter's own units) at the start of the first
// block for the property ID, a full URI or a name appended to "URI:". The
// thread CPU time and the wall time of the block loop alone are measured (no
// flush-to-zero is set: the plug-in must handle subnormal numbers itself).
// Prints one tab-separated line:
//   URI block= in= out= cpu_s= wall_s= cpu_per_audio_s= rt_factor= out_rms_db= peak=
// and writes the outputs, one channel per output port, as a 32-bit float WAV
// with --output. Exit status 0; 1 when a file, the plug-in, a port or a
// parameter is missing; 2 for a usage mistake.
int renderCommand (int argc, char* argv[]);
} // namespace lv2host
