#pragma once
// UTF-8 texts of the data files to the UTF-16 the wide text calls take; the
// recorder turns them into the font's code page. Bytes that are not UTF-8
// become U+FFFD rather than stopping the page.
#include <string>
#include <string_view>

namespace pyra::reports {

std::u16string utf16FromUtf8(std::string_view text);

}  // namespace pyra::reports
