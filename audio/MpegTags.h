#pragma once
// Tags that MP3 files carry around the audio: ID3v2 in front (and, rarely,
// appended with a footer), APEv2 and ID3v1 at the end. None of it is sound.
#include <cstddef>
#include <cstdint>

// The whole size (header, body, footer) of an ID3v2 tag whose 10-byte header is
// at h, or 0 when h is not a well-formed ID3v2 header.
uint32_t MeloxId3v2Size(const unsigned char h[10]);

// The whole size of an appended ID3v2 tag whose 10-byte footer ("3DI") is at f,
// or 0 when f is not such a footer.
uint32_t MeloxId3v2FooterSize(const unsigned char f[10]);

// The whole size of an APEv2 tag whose 32-byte footer is at f, or 0.
uint32_t MeloxApeFooterSize(const unsigned char f[32]);

// Whether the last 128 bytes of a file, starting at t, are an ID3v1 tag.
bool MeloxIsId3v1(const unsigned char t[3]);
