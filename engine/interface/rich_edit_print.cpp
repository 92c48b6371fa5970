#include "engine/interface/rich_edit_print.h"

#include <cmath>

#include "engine/interface/document_calls.h"
#include "engine/interface/drawing_surface.h"
#include "pyra/gdi.h"

namespace pyra::interface {

void printRichEdit(PyraEnvironment& e, uint32_t rich_edit, double page_width, double page_height, double left,
                   double top, double right, double bottom, bool centimetres) {
  if (centimetres) {
    for (double* v : {&page_width, &page_height, &left, &top, &right, &bottom}) *v /= 2.54;
  }
  auto finite = [](double v) { return std::isfinite(v) && std::fabs(v) < 1e5; };
  if (!finite(page_width) || !finite(page_height) || !finite(left) || !finite(top) || !finite(right) ||
      !finite(bottom) || page_width <= 0 || page_height <= 0)
    return;
  const LRESULT length = SendMessageA(rich_edit, WM_GETTEXTLENGTH, 0, 0);
  if (length <= 0) return;
  const int32_t columns = e.rich_edit_columns < 1 ? 1 : e.rich_edit_columns;
  // The page in environment units, so that it has the size asked for
  // whatever the resolution.
  const int32_t width_units = int32_t(std::lround(page_width * e.xres));
  const int32_t height_units = int32_t(std::lround(page_height * e.yres));
  const double column_width = page_width / columns;
  auto twips = [](double inches) { return LONG(std::lround(inches * 1440)); };

  LONG next = 0;
  int32_t column = 1;
  bool page_open = false;
  while (next < length) {
    if (column == 1) {
      startPage(e, width_units, height_units, 0);
      page_open = true;
    }
    FORMATRANGE fr{};
    fr.hdc = fr.hdcTarget = surfaceOf(e).dc();
    const LONG shift = twips(column_width * (column - 1));
    fr.rc = {twips(left) + shift, twips(top), twips(column_width - right) + shift, twips(page_height - bottom)};
    fr.rcPage = {0, 0, twips(page_width), twips(page_height)};
    fr.chrg = {next, -1};
    const LRESULT printed = SendMessageA(rich_edit, EM_FORMATRANGE, 1, reinterpret_cast<LPARAM>(&fr));
    // The control guarantees progress; a value that does not move on ends
    // the print rather than looping.
    if (printed < 0 || printed <= next) break;
    next = LONG(printed);
    if (column == columns) {
      endPage(e);
      page_open = false;
      column = 1;
    } else {
      ++column;
    }
  }
  if (page_open) endPage(e);
  SendMessageA(rich_edit, EM_FORMATRANGE, 0, 0);
}

}  // namespace pyra::interface
