#pragma once

#include <cstdint>
#include <string>

// A name for every command the tool sends, sub-codes included, for the command line and the
// simulator's log. The traffic monitor keeps the reader's own short table
// (CFrameParser::CommandName), which calls most of the newer codes " unknown ".
namespace CommandNames {

// "get config", "set clock", "get output format"; for a multi-function code without a known
// sub-code (sub < 0 when there is none) the family's name, "datasets"; "unknown command" else.
std::string Of(uint8_t code, int sub = -1);
// The name of a frame (STX up to the CRC): "tag data" for a tag data message, else the answered
// command code at byte 4 and, for the multi-function codes, the sub-code at byte 5 when the frame
// repeats it.
std::string OfAnswer(const uint8_t* frame, int length);

}  // namespace CommandNames
