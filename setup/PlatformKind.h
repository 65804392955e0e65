#pragma once
// The handheld's kind as the installer hooks and the dial-up entry see it.

// 1 on a Windows CE "PocketPC", 0 on a "Palm PC2", -1 otherwise (not
// Windows CE, another type, or the type query failed).
int PlatformKind();
