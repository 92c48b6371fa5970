#pragma once
// Which fonts carry their TrueType program, and in which form. Pure
// functions of the font mode, the face, its character set and the host's
// embed lists, so the font resources decide the same way everywhere and the
// rules can be tested without a platform font.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pyra::fonts {

// FONTMODE values. Any value not listed behaves as kFontModeReference.
inline constexpr uint8_t kFontModeReference = 0;   // by reference, with widths and descriptor
inline constexpr uint8_t kFontModeEmbed = 1;       // whole programs, as the lists allow
inline constexpr uint8_t kFontModeEmbedSymbol = 2; // symbol fonts only, whatever the lists say
inline constexpr uint8_t kFontModeStandard = 3;    // the standard Type 1 fonts only
inline constexpr uint8_t kFontModeSubsetCodePage = 4;  // subsets of codes 1-255 of the code page
inline constexpr uint8_t kFontModeSubsetUsed = 5;  // subsets of the characters drawn

// Host messages and errors about font programs.
inline constexpr int kMessageEmbeddingFont = 3;  // text: the descriptor's FontName
inline constexpr int kErrorInternal = 5;
// The error text when a program to embed cannot be read or used; the font
// is then written by reference.
std::string fontProgramErrorText(std::string_view font_name);

// Splits an embed-only or never-embed list: comma-separated, items trimmed
// and optionally enclosed in double quotation marks.
std::vector<std::string> splitFontList(std::string_view text);

bool isCjkCharset(int32_t charset);

struct EmbeddingRequest {
  uint8_t font_mode = kFontModeEmbed;
  std::string_view face;      // the normalised Windows face name
  bool symbol_font = false;
  int32_t charset = 0;        // the requested character set (2 for symbol fonts)
  std::span<const std::string> embed_only;
  std::span<const std::string> never_embed;
};

struct EmbeddingDecision {
  bool standard_font = false;   // FONTMODE 3: a standard Type 1 font, nothing read
  bool embed = false;           // the descriptor's embed flag: read the program
  bool full_font = true;        // the device's full-font flag: false means subsets
  bool mark_code_page = false;  // FONTMODE 4, non-symbol font: codes 1-255 are marked used
  bool marks_drawn = false;     // characters drawn are marked for the subset
};

// The decision made when a font is loaded.
EmbeddingDecision decideEmbedding(const EmbeddingRequest& request);

enum class ProgramForm { Reference, Whole, Subset };

// What is known when a descriptor is written at the end of the document.
struct ProgramState {
  uint8_t font_mode = kFontModeEmbed;
  bool full_font = true;        // the device's flag as the document ends
  bool descriptor_embed = false;
  bool stream_embed = false;
  bool cjk = false;
  bool program_read = false;    // font bytes were read and parsed
  bool visible_glyph = false;   // a glyph above 0 was marked for a code above 32
};

// Whether the descriptor gets "/FontFile2" and whether that program is whole
// or a subset. Take the name for "/BaseFont" and "/FontName" from this too
// (fontNameForPdf(name, form == ProgramForm::Subset)), so that a font
// written by reference never carries a subset tag.
ProgramForm decideProgramForm(const ProgramState& state);

}  // namespace pyra::fonts
