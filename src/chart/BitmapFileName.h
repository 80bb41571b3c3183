#pragma once

#include <string>
#include <string_view>

namespace varlo {

// The file a chart picture is written to, from the name the user chose: a
// name whose extension is exactly "bmp" stays as it is; any other extension
// (upper case included) is replaced by ".bmp", and a name without one gets
// ".bmp" appended. The extension is what follows the last dot of the file
// name itself; a dot that starts the name (a hidden file) or lies in a folder
// name is not one.
std::string BitmapFileName(std::string_view chosen);

}  // namespace varlo
