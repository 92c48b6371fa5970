// billbook, the demonstration report application.
//
//   billbook --list
//   billbook --export REPORT [--invoice N] [--data FILE] -o OUT.pdf
//
// The windowed application is still to come; until then every other use
// prints the usage.
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>

#include "demo/headless_export.h"

namespace {

int usage(std::FILE* to, int status) {
  std::fprintf(to,
               "usage: billbook --list\n"
               "       billbook --export REPORT [--invoice N] [--data FILE] -o OUT.pdf\n"
               "  --export   print REPORT and write its PDF without a window\n"
               "  --invoice  the invoice number PrintInvoice prints\n"
               "  --data     the billbook database (default: demonstration data in a temporary folder)\n"
               "  -o         the PDF file to write\n");
  return status;
}

bool number(const char* text, int32_t& out) {
  const char* end = text + std::strlen(text);
  auto [p, ec] = std::from_chars(text, end, out);
  return ec == std::errc() && p == end;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--list") == 0) {
    pyra::billbook::listReports(stdout);
    return 0;
  }
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) return usage(stdout, 0);
  pyra::billbook::HeadlessRequest request;
  bool exporting = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool has_value = i + 1 < argc;
    if (arg == "--export" && has_value) {
      exporting = true;
      request.report = argv[++i];
    } else if (arg == "--invoice" && has_value) {
      int32_t n = 0;
      if (!number(argv[++i], n)) return usage(stderr, 2);
      request.invoice = n;
    } else if (arg == "--data" && has_value) {
      request.data = argv[++i];
    } else if (arg == "-o" && has_value) {
      request.output = argv[++i];
    } else {
      return usage(stderr, 2);
    }
  }
  if (!exporting) return usage(stderr, 2);
  return pyra::billbook::runHeadlessExport(request, stdout, stderr);
}
