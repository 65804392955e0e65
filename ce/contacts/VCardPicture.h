#pragma once
// Pictures of any common kind made into what the phone keeps: a bitmap file
// of at most 100 x 100 pixels.
#include <windows.h>

#include <string>
#include <vector>

namespace vcard {

// Longest side of a picture made here.
constexpr int kPictureSide = 100;

// Decodes a JPEG, PNG, GIF (first frame) or bitmap picture, scales it to fit
// kPictureSide x kPictureSide (never up), lays transparent parts on white and
// writes a 24-bit bitmap file into `out`. False, with `why`, when the bytes
// are no picture it can read.
bool FitPicture(const std::vector<BYTE>& in, std::vector<BYTE>& out, std::wstring& why);

}  // namespace vcard
