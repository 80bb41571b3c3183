#pragma once

namespace varlo {

// Whether the operating system runs on a 64-bit x86 processor; the window
// caption ends in "(x64)" then, else in "(x86)".
bool Is64BitX86System();

}  // namespace varlo
