// The maker as the program and its setup name it: in the main dialog's status line, which links to
// the web page, and in the system's list of removable programs.
#pragma once

inline constexpr char kMakerName[] = "Kestrilon";
inline constexpr char kMakerWebPage[] = "https://www.kestrilon.example/tallyquill/";
