// A report host in a few lines, driving PyraControl the way a report
// runtime's PDF export does: option fields, InitializeEx, BeginDoc, one
// page per page file (StartPageEx, DrawWMF, EndPage), EndDoc, Finalize.
//
//   pyra_report_host OUT.pdf PAGE_FILE...
//
// Page files are placeable or plain Windows metafiles, or enhanced
// metafiles (names ending in "emf"). Pages are US Letter, 612 x 792 points.
#include <cstdio>
#include <string>

#include "pyra/pyractl.h"
#include "wrapper/pyra_control.h"

namespace {

// Engine errors go to standard error; the class itself reports nothing.
void printError(int32_t, int32_t code, const void* data, int32_t length) {
  std::fprintf(stderr, "pyra error %d: %.*s\n", code, length > 0 ? int(length) : 0,
               data && length > 0 ? static_cast<const char*>(data) : "");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s OUT.pdf PAGE_FILE...\n", argv[0]);
    return 2;
  }
  constexpr int32_t kWidth = 612, kHeight = 792;

  pyra::wrapper::PyraControl pdf;
  pdf.COMPRESSION = 1;  // Flate
  pdf.TITLE = "Report";
  pdf.PRODUCER = "pyra_report_host";
  if (pdf.InitializeEx() <= 0) return 1;
  PYRA_SetCallback(pdf.PDFENV, PYRA_CB_ERROR, printError);

  if (pdf.BeginDoc(argv[1], 0) == 0) return 1;
  for (int i = 2; i < argc; ++i) {
    pdf.StartPageEx(kWidth, kHeight, 0);
    pdf.DrawWMF(argv[i], 0, 0, kWidth, kHeight);
    pdf.EndPage();
  }
  pdf.EndDoc();
  pdf.Finalize();
  std::printf("%s\n", argv[1]);
  return 0;
}
