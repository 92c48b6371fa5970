#include "render_text_support.h"
