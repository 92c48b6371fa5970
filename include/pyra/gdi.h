/* Public interface of libpyragdi, the stand-in for the Windows graphics
 * services that the engine, the wrapper and the demo rely on. */
#ifndef PYRA_GDI_H
#define PYRA_GDI_H

#include "gdi_types.h"

#endif
