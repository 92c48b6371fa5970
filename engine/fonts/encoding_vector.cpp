#include "engine/fonts/encoding_vector.h"

#include <cstdio>
#include <string_view>

namespace pyra::fonts {

namespace {

constexpr std::string_view kCyrillicLow =
    "afii10051 afii10052 quotesinglbase afii10100 quotedblbase ellipsis dagger daggerdbl euro perthousand "
    "afii10058 guilsinglleft afii10059 afii10061 afii10060 afii10145 afii10099 quoteleft quoteright "
    "quotedblleft quotedblright bullet endash emdash space trademark afii10106 guilsinglright afii10107 "
    "afii10109 afii10108 afii10193 space afii10062 afii10110 afii10057 currency afii10050 brokenbar section "
    "afii10023 copyright afii10053 guillemotleft logicalnot sfthyphen registered afii10056 degree plusminus "
    "afii10055 afii10103 afii10098 mu1 paragraph middot afii10071 afii61352 afii10101 guillemotright "
    "afii10105 afii10054 afii10102 afii10104";
constexpr std::string_view kCyrillicHigh =
    "afii10017 afii10018 afii10019 afii10020 afii10021 afii10022 afii10024 afii10025 afii10026 afii10027 "
    "afii10028 afii10029 afii10030 afii10031 afii10032 afii10033 afii10034 afii10035 afii10036 afii10037 "
    "afii10038 afii10039 afii10040 afii10041 afii10042 afii10043 afii10044 afii10045 afii10046 afii10047 "
    "afii10048 afii10049 afii10065 afii10066 afii10067 afii10068 afii10069 afii10070 afii10072 afii10073 "
    "afii10074 afii10075 afii10076 afii10077 afii10078 afii10079 afii10080 afii10081 afii10082 afii10083 "
    "afii10084 afii10085 afii10086 afii10087 afii10088 afii10089 afii10090 afii10091 afii10092 afii10093 "
    "afii10094 afii10095 afii10096 afii10097";
constexpr std::string_view kBaltic =
    "space space cent sterling currency space bar section Oslash copyright Rcommaaccent guillemotleft "
    "logicalnot minus registered AE ring plusminus twosuperior threesuperior acute mu paragraph middot "
    "oslash onesuperior rcommaaccent guillemotright onequarter onehalf onethird ae Aogonek Iogonek Amacron "
    "Cacute Adieresis Aring Eogonek Emacron Ccaron Eacute Zacute Edotaccent Gcommaaccent Kcommaaccent "
    "Imacron Lcommaaccent Scaron Nacute Ncommaaccent Oacute Omacron Otilde Odieresis multiply Uogonek Lslash "
    "Sacute Umacron Udieresis Zdotaccent Zcaron germandbls aogonek iogonek amacron cacute adieresis aring "
    "eogonek emacron ccaron eacute zacute edotaccent gcommaaccent kcommaaccent imacron lcommaaccent scaron "
    "nacute ncommaaccent oacute omacron otilde odieresis divide uogonek lslash sacute umacron udieresis "
    "zdotaccent zcaron dotaccent";
constexpr std::string_view kGreek =
    "space tonos Alphatonos sterling currency yen brokenbar section dieresis copyright ordfeminine "
    "guillemotleft logicalnot uni00AD registered afii00208 degree plusminus twosuperior threesuperior tonos "
    "dieresistonos Alphatonos periodcentered Epsilontonos Etatonos Iotatonos guillemotright Omicrontonos "
    "onehalf Upsilontonos Omegatonos iotadieresistonos Alpha Beta Gamma Delta Epsilon Zeta Eta Theta Iota "
    "Kappa Lambda Mu Nu Xi Omicron Pi Rho Ograve Sigma Tau Upsilon Phi Chi Psi Omega Iotadieresis "
    "Upsilondieresis alphatonos epsilontonos etatonos iotatonos upsilondieresistonos alpha beta gamma delta "
    "epsilon zeta eta theta iota kappa lambda mu nu xi omicron pi rho sigma1 sigma tau upsilon phi chi psi "
    "omega iotadieresis upsilondieresis omicrontonos upsilontonos omegatonos ydieresis";
constexpr std::string_view kTurkish =
    "space exclamdown cent sterling currency yen brokenbar section dieresis copyright ordfeminine "
    "guillemotleft logicalnot uni00AD registered macron degree plusminus twosuperior threesuperior acute mu "
    "paragraph periodcentered cedilla onesuperior ordmasculine guillemotright onequarter onehalf "
    "threequarters questiondown Agrave Aacute Acircumflex Atilde Adieresis Aring AE Ccedilla Egrave Eacute "
    "Ecircumflex Edieresis Igrave Iacute Icircumflex Idieresis Gbreve Ntilde Ograve Oacute Ocircumflex "
    "Otilde Odieresis multiply Oslash Ugrave Uacute Ucircumflex Udieresis Idotaccent Scedilla germandbls "
    "agrave aacute acircumflex atilde adieresis aring ae ccedilla egrave eacute ecircumflex edieresis igrave "
    "iacute icircumflex idieresis gbreve ntilde ograve oacute ocircumflex otilde odieresis divide oslash "
    "ugrave uacute ucircumflex udieresis dotlessi scedilla ydieresis";
constexpr std::string_view kCentralEuropean =
    "Euro space quotesinglbase space quotedblbase ellipsis dagger daggerdbl space perthousand Scaron "
    "guilsinglleft Sacute Tcaron Zcaron Zacute space quoteleft quoteright quotedblleft quotedblright bullet "
    "endash emdash space trademark scaron guilsinglright sacute tcaron zcaron zacute space breve breve "
    "Lslash currency Aogonek bar section dieresis copyright Scedilla guillemotleft logicalnot hyphen "
    "registered Zdot degree plusminus ogonek lslash acute mu paragraph dotaccent cedilla aogonek scedilla "
    "guillemotright Lcaron hungarumlaut lcaron zdot Racute Aacute Acircumflex Abreve Adieresis Lacute "
    "Cacute Ccedilla Ccaron Eacute Eogonek Edieresis Ecaron Iacute Icircumflex Dcaron Dcroat Nacute Ncaron "
    "Oacute Ocircumflex Ohungarumlaut Odieresis multiply Rcaron Uring Uacute Uhungarumlaut Udieresis Yacute "
    "Tcommaaccent germandbls racute aacute acircumflex abreve adieresis lacute cacute ccedilla ccaron "
    "eacute eogonek edieresis ecaron iacute icircumflex dcaron dcroat nacute ncaron oacute ocircumflex "
    "ohungarumlaut odieresis divide rcaron uring uacute uhungarumlaut udieresis yacute tcommaaccent "
    "dotaccent";

// "/a/b/c..." with a line feed after every 16 names, so no line of the
// dictionary grows long.
std::string slashNames(std::string_view blank_separated) {
  std::string out;
  int in_line = 0;
  size_t pos = 0;
  while (pos < blank_separated.size()) {
    size_t end = blank_separated.find(' ', pos);
    if (end == std::string_view::npos) end = blank_separated.size();
    if (in_line == 16) {
      out += '\n';
      in_line = 0;
    }
    out += '/';
    out.append(blank_separated.substr(pos, end - pos));
    ++in_line;
    pos = end + 1;
  }
  return out;
}

constexpr std::string_view kHead = "/Type/Encoding/Differences\n[";
constexpr std::string_view kTail = "]\n/BaseEncoding/WinAnsiEncoding";

}  // namespace

std::string encodingDictionaryText(int32_t charset) {
  switch (charset) {
    case 204:
      return std::string(kHead) + "128 " + slashNames(kCyrillicLow) + "\n192 " + slashNames(kCyrillicHigh) +
             std::string(kTail);
    case 186:
      return "/Type/Encoding/BaseEncoding/WinAnsiEncoding/Differences\n[160 " + slashNames(kBaltic) + "]\n";
    case 161: return std::string(kHead) + "160 " + slashNames(kGreek) + std::string(kTail);
    case 162: return std::string(kHead) + "160 " + slashNames(kTurkish) + std::string(kTail);
    case 238: return std::string(kHead) + "128 " + slashNames(kCentralEuropean) + std::string(kTail);
    default: return "/Type/Encoding/Differences\n[128 /Euro]/BaseEncoding/WinAnsiEncoding";
  }
}

std::string encodingFromUnicode(const char16_t (&unicode)[128]) {
  std::string names;
  for (int i = 0; i < 128; ++i) {
    char name[16];
    if (unicode[i] == 0) std::snprintf(name, sizeof name, ".notdef");
    else std::snprintf(name, sizeof name, "uni%04X", unsigned(unicode[i]));
    if (i) names += ' ';
    names += name;
  }
  return std::string(kHead) + "128 " + slashNames(names) + std::string(kTail);
}

}  // namespace pyra::fonts
