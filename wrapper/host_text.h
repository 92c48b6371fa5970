#pragma once
// How host strings become the byte strings the engine and the options
// record take.
#include <span>
#include <string>
#include <string_view>

namespace pyra::wrapper {

// Host runtimes pad strings with blanks; names lose them, texts keep them.
std::string_view withoutTrailingSpaces(std::string_view text);

// Copies `text` into a fixed, already zeroed buffer: at most size - 1 bytes,
// always NUL-terminated. A cut that would split a UTF-8 sequence steps back
// to the sequence's start, so the record never ends in half a character.
void copyIntoBuffer(std::string_view text, std::span<char> buffer);

// The ".pdf" rule for a name chosen in the save dialog: appended only when
// the name has no "." anywhere, folders included.
std::string pdfNameFromChosen(std::string chosen);

// Page files whose name ends in "EMF" in any letter case are enhanced
// metafiles; every other name is read as a Windows metafile.
bool isEnhancedMetafileName(std::string_view name);

}  // namespace pyra::wrapper
