#include "cli/command_line.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <functional>
#include <map>
#include <sstream>

namespace pyra::tools {

namespace {

// Integer properties the record has no field for.
constexpr int kPropKeyLengthMode = 13;
// Text properties that take texts longer than the record's fields.
constexpr int kPropAuthor = 1, kPropDate = 2, kPropModDate = 3, kPropProducer = 4, kPropTitle = 5,
              kPropSubject = 6, kPropKeywords = 7, kPropOwnerPassword = 11, kPropUserPassword = 12;

constexpr int kPermEncrypt = 0x01, kPermPrint = 0x02, kPermModify = 0x04, kPermCopy = 0x08,
              kPermAnnotate = 0x10, kPermLowPrint = 0x20;
constexpr int kPermAll = kPermPrint | kPermModify | kPermCopy | kPermAnnotate;

struct Choice {
  const char* name;
  int value;
};

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return s;
}

int parseInt(const std::string& flag, const std::string& text, int lo, int hi) {
  int v = 0;
  const char* end = text.data() + text.size();
  auto [p, ec] = std::from_chars(text.data(), end, v);
  if (text.empty() || ec != std::errc{} || p != end || v < lo || v > hi) {
    throw UsageError(flag + ": '" + text + "' is not a whole number from " + std::to_string(lo) + " to " +
                     std::to_string(hi));
  }
  return v;
}

// A name from the list, or its number.
int parseChoice(const std::string& flag, const std::string& text, std::initializer_list<Choice> choices) {
  const std::string t = lower(text);
  std::string names;
  int lo = 1 << 30, hi = -1;
  for (const Choice& c : choices) {
    if (t == c.name) return c.value;
    names += names.empty() ? "" : ", ";
    names += c.name;
    lo = std::min(lo, c.value);
    hi = std::max(hi, c.value);
  }
  int v = 0;
  auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
  if (!t.empty() && ec == std::errc{} && p == t.data() + t.size() && v >= lo && v <= hi) return v;
  throw UsageError(flag + ": '" + text + "' is not one of " + names + " (or " + std::to_string(lo) + ".." +
                   std::to_string(hi) + ")");
}

int parsePermissions(const std::string& text) {
  int bits = 0;
  std::stringstream ss(text);
  std::string item;
  bool any = false;
  while (std::getline(ss, item, ',')) {
    any = true;
    const std::string t = lower(item);
    if (t == "print") bits |= kPermPrint;
    else if (t == "print-low") bits |= kPermPrint | kPermLowPrint;
    else if (t == "modify") bits |= kPermModify;
    else if (t == "copy") bits |= kPermCopy;
    else if (t == "annotate") bits |= kPermAnnotate;
    else if (t == "all") bits |= kPermAll;
    else if (t == "none") continue;
    else
      throw UsageError("--allow: '" + item +
                       "' is not one of print, print-low, modify, copy, annotate, all, none");
  }
  if (!any) throw UsageError("--allow: empty list (use --allow none to forbid everything)");
  return bits;
}

// Short texts go into the record; longer ones, which the record cannot hold,
// through the text property of the same meaning.
template <size_t N>
void setText(CommandLine& cl, char (&field)[N], int property, const std::string& flag, const std::string& value) {
  if (value.find('\0') != std::string::npos) throw UsageError(flag + ": the text contains a zero byte");
  std::memset(field, 0, N);
  std::erase_if(cl.text_properties, [&](const auto& p) { return p.first == property; });
  if (value.size() < N) std::memcpy(field, value.data(), value.size());
  else cl.text_properties.emplace_back(property, value);
}

struct EncryptionRequest {
  bool on = false;
  std::optional<int> allow;
  std::optional<int> raw_permission;
  int key_mode = 3;
};

}  // namespace

PageSize parsePageSize(const std::string& text) {
  static constexpr struct {
    const char* name;
    PageSize size;
  } kNamed[] = {{"a3", {842, 1191}}, {"a4", {595, 842}}, {"a5", {420, 595}}, {"b5", {499, 709}},
                {"letter", {612, 792}}, {"legal", {612, 1008}}, {"tabloid", {792, 1224}}};
  const std::string t = lower(text);
  for (const auto& n : kNamed)
    if (t == n.name) return n.size;
  const auto x = t.find('x');
  const auto bad = [&] {
    return UsageError("--page-size: '" + text +
                      "' is neither WIDTHxHEIGHT in points (1 to 14400) nor one of a3, a4, a5, b5, letter, legal, "
                      "tabloid");
  };
  if (x == std::string::npos) throw bad();
  auto number = [&](std::string_view s) {
    double v = 0;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || ec != std::errc{} || p != s.data() + s.size() || !std::isfinite(v)) throw bad();
    const long r = std::lround(v);
    if (r < 1 || r > kMaxPagePoints) throw bad();
    return static_cast<int>(r);
  };
  const std::string_view sv(t);
  return PageSize{number(sv.substr(0, x)), number(sv.substr(x + 1))};
}

CommandLine parseCommandLine(std::span<const std::string> args) {
  CommandLine cl;
  PyraOptions& r = cl.record;
  r.SIZEOFSTRUCT = PYRA_OPTIONS_SIZE;
  r.COMPRESSION = 1;
  r.FONTMODE = 1;
  r.PDFWIDTH = kDefaultPage.width;
  r.PDFHEIGHT = kDefaultPage.height;
  EncryptionRequest enc;
  bool output_given = false;

  using Handler = std::function<void(const std::string& flag, const std::string& value)>;
  struct Flag {
    bool takes_value;
    Handler handle;
  };
  bool no_clipping = false;
  auto bit = [&](int b) { return Flag{false, [&r, b](auto&, auto&) { r.ENHANCEDOPTIONS |= b; }}; };
  const std::map<std::string, Flag> flags = {
      {"--help", {false, [&](auto&, auto&) { cl.help = true; }}},
      {"--version", {false, [&](auto&, auto&) { cl.version = true; }}},
      {"--show-options", {false, [&](auto&, auto&) { cl.show_options = true; }}},
      {"--quiet", {false, [&](auto&, auto&) { cl.verbosity = Verbosity::Quiet; }}},
      {"--verbose", {false, [&](auto&, auto&) { cl.verbosity = Verbosity::Verbose; }}},
      {"--output",
       {true,
        [&](auto& f, auto& v) {
          if (output_given) throw UsageError(f + ": given twice");
          if (v.empty()) throw UsageError(f + ": empty file name");
          output_given = true;
          cl.output = v;
        }}},
      {"--page-size", {true, [&](auto&, auto& v) { cl.page_size = parsePageSize(v); }}},
      {"--compression",
       {true,
        [&](auto& f, auto& v) {
          r.COMPRESSION = parseChoice(f, v, {{"none", 0}, {"flate", 1}, {"rle", 2}, {"flate-fast", 3}});
        }}},
      {"--encoding",
       {true, [&](auto& f, auto& v) { r.ENCODING = parseChoice(f, v, {{"none", 0}, {"ascii85", 1}, {"hex", 2}}); }}},
      {"--font-mode",
       {true,
        [&](auto& f, auto& v) {
          r.FONTMODE = parseChoice(f, v,
                                   {{"reference", 0}, {"embed", 1}, {"embed-symbol", 2}, {"standard", 3},
                                    {"subset-codepage", 4}, {"subset", 5}});
        }}},
      {"--jpeg-quality",
       {true,
        [&](auto& f, auto& v) {
          const int q = lower(v) == "off" ? 0 : parseInt(f, v, 0, 100);
          r.JPEGCOMPRESS = -q;
        }}},
      {"--thumbnails",
       {true, [&](auto& f, auto& v) { r.THUMBNAILS = parseChoice(f, v, {{"none", 0}, {"color", 1}, {"mono", 2}}); }}},
      {"--page-mode",
       {true,
        [&](auto& f, auto& v) {
          r.PAGEMODE = parseChoice(f, v, {{"none", 0}, {"outlines", 1}, {"thumbnails", 2}, {"fullscreen", 3}});
        }}},
      {"--encrypt", {false, [&](auto&, auto&) { enc.on = true; }}},
      {"--user-password",
       {true,
        [&](auto& f, auto& v) {
          enc.on = true;
          setText(cl, r.USERPASSWORD, kPropUserPassword, f, v);
        }}},
      {"--owner-password",
       {true,
        [&](auto& f, auto& v) {
          enc.on = true;
          setText(cl, r.OWNERPASSWORD, kPropOwnerPassword, f, v);
        }}},
      {"--allow",
       {true,
        [&](auto&, auto& v) {
          enc.on = true;
          enc.allow = parsePermissions(v);
        }}},
      {"--permission",
       {true,
        [&](auto& f, auto& v) {
          enc.raw_permission = parseInt(f, v, 0, 255);
        }}},
      {"--key-length",
       {true,
        [&](auto& f, auto& v) {
          enc.on = true;
          // Names are matched before numbers, so "40" is 40-bit RC4 while
          // "0".."3" are the engine's mode numbers.
          enc.key_mode = parseChoice(f, v, {{"40", 0}, {"128", 1}, {"aes128", 2}, {"aes256", 3}});
        }}},
      {"--title", {true, [&](auto& f, auto& v) { setText(cl, r.TITLE, kPropTitle, f, v); }}},
      {"--author", {true, [&](auto& f, auto& v) { setText(cl, r.AUTHOR, kPropAuthor, f, v); }}},
      {"--subject", {true, [&](auto& f, auto& v) { setText(cl, r.SUBJECT, kPropSubject, f, v); }}},
      {"--keywords", {true, [&](auto& f, auto& v) { setText(cl, r.KEYWORDS, kPropKeywords, f, v); }}},
      {"--producer", {true, [&](auto& f, auto& v) { setText(cl, r.PRODUCER, kPropProducer, f, v); }}},
      {"--creation-date", {true, [&](auto& f, auto& v) { setText(cl, r.DATE, kPropDate, f, v); }}},
      {"--mod-date", {true, [&](auto& f, auto& v) { setText(cl, r.MODDATE, kPropModDate, f, v); }}},
      {"--no-spacing", bit(PYRA_EO_NO_SPACING)},
      // Clipping is on unless asked off: files from drawing programs clip
      // with clip paths and look wrong without them.
      {"--clipping", bit(PYRA_EO_CLIPPING)},
      {"--no-clipping", Flag{false, [&no_clipping](auto&, auto&) { no_clipping = true; }}},
      {"--no-printer-reference", bit(PYRA_EO_NO_PRINTER_REF)},
      {"--char-positions", bit(PYRA_EO_CHAR_POSITIONS)},
      {"--fill-as-outline", bit(PYRA_EO_FILL_AS_OUTLINE)},
      {"--skip-white-fill", bit(PYRA_EO_SKIP_WHITE_FILL)},
      {"--ignore-patblt", bit(PYRA_EO_IGNORE_PATBLT)},
      {"--no-text-clip", bit(PYRA_EO_NO_TEXT_CLIP)},
      {"--reset-matrix", bit(PYRA_EO_RESET_MATRIX)},
      {"--no-bitmap-crop", bit(PYRA_EO_NO_BITMAP_CROP)},
      {"--enhanced-options",
       {true, [&](auto& f, auto& v) { r.ENHANCEDOPTIONS |= parseInt(f, v, 0, 0x7FF); }}},
  };
  const std::map<char, std::string> short_flags = {
      {'o', "--output"}, {'h', "--help"}, {'q', "--quiet"}, {'v', "--verbose"}};

  bool options_done = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (options_done || a.empty() || a[0] != '-' || a == "-") {
      if (a.empty()) throw UsageError("empty input file name");
      cl.inputs.push_back(a);
      continue;
    }
    if (a == "--") {
      options_done = true;
      continue;
    }
    std::string name = a;
    std::optional<std::string> value;
    if (a.size() >= 2 && a[1] != '-') {
      auto s = short_flags.find(a[1]);
      if (s == short_flags.end()) throw UsageError("unknown option '" + a + "'");
      name = s->second;
      if (a.size() > 2) {
        if (name != "--output") throw UsageError("unknown option '" + a + "'");
        value = a.substr(2);
      }
    } else if (auto eq = a.find('='); eq != std::string::npos) {
      name = a.substr(0, eq);
      value = a.substr(eq + 1);
    }
    auto f = flags.find(name);
    if (f == flags.end()) throw UsageError("unknown option '" + name + "'");
    if (f->second.takes_value && !value) {
      if (i + 1 >= args.size()) throw UsageError(name + ": missing value");
      value = args[++i];
    } else if (!f->second.takes_value && value) {
      throw UsageError(name + " takes no value");
    }
    f->second.handle(name, value.value_or(""));
  }

  if (no_clipping) r.ENHANCEDOPTIONS &= ~PYRA_EO_CLIPPING;
  else r.ENHANCEDOPTIONS |= PYRA_EO_CLIPPING;

  if (enc.on || enc.raw_permission) {
    int p = enc.raw_permission ? *enc.raw_permission : (kPermEncrypt | enc.allow.value_or(kPermAll));
    if (enc.on) p |= kPermEncrypt;
    r.PERMISSION = p;
    if (p & kPermEncrypt) cl.int_properties.emplace_back(kPropKeyLengthMode, enc.key_mode);
  }

  if (cl.help || cl.version || cl.show_options) return cl;
  if (!output_given) throw UsageError("no output file (give -o OUT.pdf)");
  if (cl.inputs.empty()) throw UsageError("no input files");
  return cl;
}

std::string helpText() {
  return R"(Usage: pyra [options] INPUT... -o OUT.pdf

Converts enhanced metafiles (EMF), Windows metafiles (WMF) and placeable
Windows metafiles into one PDF file, one page per input, in the order given.
The kind of each input is read from its content, not its name. Every input
is checked before anything is written; OUT.pdf appears only when the whole
conversion succeeded.

Output and pages:
  -o, --output FILE        the PDF to write (required)
  --page-size SIZE         size of every page: WIDTHxHEIGHT in points
                           (72 per inch, e.g. 595x842) or a3, a4, a5, b5,
                           letter, legal, tabloid. Default: each page takes
                           the size of its metafile (EMF frame, placeable
                           bounding box); a plain WMF, which has no size,
                           gets 576x800
  -q, --quiet              print nothing but errors
  -v, --verbose            report every input and page
  --show-options           print the options record the flags make, and exit
  -h, --help               this text
  --version                the program's version

Compression and fonts:
  --compression MODE       none, flate, rle, flate-fast       (default flate)
  --encoding MODE          none, ascii85, hex                 (default none)
  --font-mode MODE         reference (fonts named, not embedded), embed
                           (whole TrueType programs), embed-symbol (symbol
                           fonts only), standard (the 14 standard fonts),
                           subset-codepage, subset             (default embed)
  --jpeg-quality Q         1..100: store colour bitmaps as JPEG of that
                           quality; 0 or off: lossless    (default off)
  --thumbnails MODE        none, color, mono                  (default none)
  --page-mode MODE         how a viewer opens the file: none, outlines,
                           thumbnails, fullscreen             (default none)

Encryption (any of these switches encryption on):
  --encrypt                encrypt with the permissions of --allow
  --user-password TEXT     password needed to open the file (default empty:
                           anyone can open it, the permissions apply)
  --owner-password TEXT    password that lifts the permissions
                           (default empty: a random one)
  --allow LIST             comma-separated: print, print-low (printing in
                           low quality only), modify, copy, annotate, all,
                           none                               (default all)
  --key-length MODE        40 (RC4 40-bit), 128 (RC4 128-bit), aes128,
                           aes256; or 0..3                 (default aes256)
  --permission N           the raw permission byte 0..255 (bit 1 encrypts;
                           replaces --allow)

Document information (stored as given):
  --title TEXT  --author TEXT  --subject TEXT  --keywords TEXT
  --producer TEXT
  --creation-date TEXT     e.g. D:20240131120000+01'00'
  --mod-date TEXT

Metafile playback (all off by default but clipping):
  --no-spacing             ignore the character spacing of text records
  --no-clipping            ignore the metafile's clipping regions
  --clipping               apply them (the default)
  --char-positions         place every character at its own position
  --fill-as-outline        draw filled shapes as outlines
  --skip-white-fill        leave out white filled areas
  --ignore-patblt          leave out pattern fills (PatBlt)
  --no-text-clip           do not clip text to its rectangle
  --reset-matrix           reset the matrix before every record group
  --no-bitmap-crop         draw bitmaps whole, not cropped to the source area
  --no-printer-reference   measure text without a printer reference
  --enhanced-options N     raw ENHANCEDOPTIONS bits 0..2047, added to the above

Exit status: 0 success, 1 an input is missing or damaged or the conversion
failed (one line on standard error names the file and the reason; no output
file is left behind), 2 the command line is wrong.
)";
}

std::string describeOptions(const CommandLine& cl) {
  const PyraOptions& r = cl.record;
  std::ostringstream o;
  o << "SIZEOFSTRUCT=" << r.SIZEOFSTRUCT << "\nENCODING=" << r.ENCODING << "\nCOMPRESSION=" << r.COMPRESSION
    << "\nTHUMBNAILS=" << r.THUMBNAILS << "\nFONTMODE=" << r.FONTMODE << "\nPAGEMODE=" << r.PAGEMODE
    << "\nJPEGCOMPRESS=" << r.JPEGCOMPRESS << "\nENHANCEDOPTIONS=" << r.ENHANCEDOPTIONS << "\nPDFXRES=" << r.PDFXRES
    << "\nPDFYRES=" << r.PDFYRES << "\nPDFWIDTH=" << r.PDFWIDTH << "\nPDFHEIGHT=" << r.PDFHEIGHT
    << "\nPERMISSION=" << r.PERMISSION << "\nUSERPASSWORD=" << r.USERPASSWORD
    << "\nOWNERPASSWORD=" << r.OWNERPASSWORD << "\nDATE=" << r.DATE << "\nMODDATE=" << r.MODDATE
    << "\nAUTHOR=" << r.AUTHOR << "\nPRODUCER=" << r.PRODUCER << "\nTITLE=" << r.TITLE << "\nSUBJECT=" << r.SUBJECT
    << "\nKEYWORDS=" << r.KEYWORDS << "\n";
  for (const auto& [p, v] : cl.int_properties) o << "SetIProp " << p << "=" << v << "\n";
  for (const auto& [p, v] : cl.text_properties) o << "SetSProp " << p << "=" << v << "\n";
  if (cl.page_size) o << "page-size=" << cl.page_size->width << "x" << cl.page_size->height << "\n";
  return o.str();
}

}  // namespace pyra::tools
