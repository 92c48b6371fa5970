#pragma once
// The document and page operations behind the exports, shared by every call
// that has to end a page or a watermark first.
#include <string>

#include "engine/interface/environment.h"

namespace pyra::interface {

int32_t beginDocument(PyraEnvironment& e, const std::string& file_name, bool to_stream);
void endDocument(PyraEnvironment& e);
void startPage(PyraEnvironment& e, int32_t width, int32_t height, int32_t rotation);
void endPage(PyraEnvironment& e);
// Ends whatever is open (page or watermark) before a new one starts.
void endOpenPage(PyraEnvironment& e);

}  // namespace pyra::interface
