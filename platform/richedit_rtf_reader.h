#pragma once
// Reads RTF into a RichDocument: paragraphs and their alignment, bold,
// italic, underline, font size, font and colour tables, tabs, line and page
// breaks, code-page and Unicode escapes. Everything else (pictures, fields'
// instructions, style sheets, document information, unknown control words
// and ignorable destinations) is skipped.
//
// The input is untrusted: the reader is a loop over the bytes with an
// explicit group stack (no recursion), nesting beyond kMaxDepth shares the
// innermost saved state, numbers saturate, and tables are capped.
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/richedit_document.h"

namespace pyra::gdi {

// Whether the bytes start (after white space) with "{\rtf".
bool looksLikeRtf(std::span<const uint8_t> bytes);

// Replaces the document's content with the RTF document in `bytes`.
void readRtf(std::span<const uint8_t> bytes, RichDocument& document);

// The format text gets when nothing says otherwise.
CharFormat defaultRtfFormat();

}  // namespace pyra::gdi
