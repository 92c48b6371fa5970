// The font-mode rules: which fonts carry their program, whole or subset,
// and what their names say.
#include <gtest/gtest.h>

#include "engine/fonts/font_subset.h"
#include "engine/fonts/truetype_embedding.h"

namespace pyra::fonts {
namespace {

struct DecisionCase {
  const char* name;
  uint8_t mode;
  const char* face;
  bool symbol;
  int32_t charset;
  const char* embed_only;
  const char* never_embed;
  bool embed, full_font, mark_code_page, marks_drawn;
};

TEST(TrueTypeEmbedding, DecisionFollowsModeListsAndCharset) {
  const DecisionCase rows[] = {
      {"mode 0 references", 0, "Arial", false, 0, "", "", false, true, false, false},
      {"unknown mode references", 9, "Arial", false, 0, "", "", false, true, false, false},
      {"mode 1 embeds whole", 1, "Arial", false, 0, "", "", true, true, false, false},
      {"mode 1, embed-only lists the face", 1, "Arial", false, 0, "\"arial\", Verdana", "", true, true, false, false},
      {"mode 1, embed-only omits the face", 1, "Tahoma", false, 0, "Arial", "", false, true, false, false},
      {"mode 1, never-embed lists the face", 1, "Arial", false, 0, "", "Tahoma,ARIAL", false, true, false, false},
      {"mode 1, blank embed-only leaves never-embed", 1, "Arial", false, 0, " ,Arial", "Arial", false, true, false, false},
      {"mode 1, embed-only beats never-embed", 1, "Arial", false, 0, "Arial", "Arial", true, true, false, false},
      {"mode 2, plain font", 2, "Arial", false, 0, "", "", false, true, false, false},
      {"mode 2, symbol font despite never-embed", 2, "Wingdings", true, 2, "", "Wingdings", true, true, false, false},
      {"mode 4 subsets the code page", 4, "Arial", false, 0, "", "", true, false, true, false},
      {"mode 4 symbol font marks what is drawn", 4, "Symbol", true, 2, "", "", true, false, false, true},
      {"mode 5 subsets what is drawn", 5, "Arial", false, 238, "", "", true, false, false, true},
      {"mode 5, never-embed", 5, "Arial", false, 0, "", "Arial", false, false, false, false},
      {"Japanese never embedded", 1, "MS Mincho", false, 128, "", "", false, true, false, false},
      {"Korean never embedded", 5, "Batang", false, 129, "", "", false, false, false, false},
      {"simplified Chinese never embedded", 4, "SimSun", false, 134, "", "", false, false, false, false},
      {"traditional Chinese never embedded", 2, "MingLiU", true, 136, "", "", false, true, false, false},
  };
  for (const auto& r : rows) {
    const auto embed_only = splitFontList(r.embed_only), never_embed = splitFontList(r.never_embed);
    EmbeddingRequest q;
    q.font_mode = r.mode;
    q.face = r.face;
    q.symbol_font = r.symbol;
    q.charset = r.charset;
    q.embed_only = embed_only;
    q.never_embed = never_embed;
    const EmbeddingDecision d = decideEmbedding(q);
    EXPECT_FALSE(d.standard_font) << r.name;
    EXPECT_EQ(d.embed, r.embed) << r.name;
    EXPECT_EQ(d.full_font, r.full_font) << r.name;
    EXPECT_EQ(d.mark_code_page, r.mark_code_page) << r.name;
    EXPECT_EQ(d.marks_drawn, r.marks_drawn) << r.name;
  }
  EmbeddingRequest standard;
  standard.font_mode = kFontModeStandard;
  standard.face = "Arial";
  const auto d = decideEmbedding(standard);
  EXPECT_TRUE(d.standard_font);
  EXPECT_FALSE(d.embed);
}

TEST(TrueTypeEmbedding, ListsSplitOnCommasWithOptionalQuotes) {
  const struct {
    const char* text;
    std::vector<std::string> items;
  } rows[] = {
      {"", {}},
      {"   ", {}},
      {"Arial", {"Arial"}},
      {" Arial , \"Times New Roman\",Courier New ", {"Arial", "Times New Roman", "Courier New"}},
      {",Arial", {"", "Arial"}},
      {"\"\"", {""}},
  };
  for (const auto& r : rows) EXPECT_EQ(splitFontList(r.text), r.items) << "\"" << r.text << "\"";
}

TEST(TrueTypeEmbedding, ProgramFormAtTheEndOfTheDocument) {
  struct Row {
    const char* name;
    ProgramState state;
    ProgramForm form;
  };
  auto state = [](uint8_t mode, bool full, bool desc, bool stream, bool cjk, bool read, bool visible) {
    ProgramState s;
    s.font_mode = mode;
    s.full_font = full;
    s.descriptor_embed = desc;
    s.stream_embed = stream;
    s.cjk = cjk;
    s.program_read = read;
    s.visible_glyph = visible;
    return s;
  };
  const Row rows[] = {
      {"whole program", state(1, true, true, true, false, true, false), ProgramForm::Whole},
      {"subset", state(5, false, true, true, false, true, true), ProgramForm::Subset},
      {"mode 4 subset without visible glyphs", state(4, false, true, true, false, true, false), ProgramForm::Subset},
      {"mode 5, only spaces drawn", state(5, false, true, true, false, true, false), ProgramForm::Reference},
      {"font not embedded", state(1, true, false, true, false, true, true), ProgramForm::Reference},
      {"stream not embedded", state(1, true, true, false, false, true, true), ProgramForm::Reference},
      {"CJK", state(1, true, true, true, true, true, true), ProgramForm::Reference},
      {"program unreadable or refused", state(5, false, true, true, false, false, true), ProgramForm::Reference},
      {"whole mode set last wins", state(5, true, true, true, false, true, true), ProgramForm::Whole},
  };
  for (const auto& r : rows) EXPECT_EQ(decideProgramForm(r.state), r.form) << r.name;
}

TEST(TrueTypeEmbedding, NamesAndMessages) {
  EXPECT_EQ(fontNameForPdf("Arial,Bold", true), "MOBREL+Arial,Bold");
  EXPECT_EQ(fontNameForPdf("Arial,Bold", false), "Arial,Bold");
  EXPECT_EQ(fontProgramErrorText("TimesNewRoman,Italic"), "internal error TimesNewRoman,Italic");
  EXPECT_EQ(kMessageEmbeddingFont, 3);
  EXPECT_EQ(kErrorInternal, 5);
}

}  // namespace
}  // namespace pyra::fonts
