#pragma once
// Images the host hands in (DIBs, bitmap handles, JPEG data, bitmap files)
// made into image XObjects of the document and placed on the page.
#include <cstdint>
#include <string>

#include "engine/interface/environment.h"

namespace pyra::interface {

// Each returns the image's number; errors raise images::ImageError.
int32_t imageFromDib(PyraEnvironment& e, const void* info, const void* bits);
int32_t imageFromBitmap(PyraEnvironment& e, uint32_t bitmap, int32_t* width = nullptr, int32_t* height = nullptr);
int32_t imageFromJpeg(PyraEnvironment& e, const void* data, int64_t size, int32_t* width = nullptr,
                      int32_t* height = nullptr);
// True when `number` names an image of the document.
bool isImageNumber(PyraEnvironment& e, int32_t number);
void placeImage(PyraEnvironment& e, int32_t number, double x, double y, double w, double h);

// The whole content of a file; false when it cannot be read.
bool readWholeFile(const std::string& name, std::string& out);
bool fileExists(const std::string& name);
// The file's extension, upper-cased, with its dot (".JPG"); empty if none.
std::string upperExtension(const std::string& name);

}  // namespace pyra::interface
