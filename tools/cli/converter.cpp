#include "cli/converter.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "cli/metafile_loader.h"
#include "cli/metafile_probe.h"

namespace pyra::tools {

namespace {

namespace fs = std::filesystem;

struct Input {
  std::string path;
  std::vector<uint8_t> bytes;
  MetafileProbe probe;
  PageSize page;
};

// What the engine's callbacks need; reached through the environment's user
// pointer, so no state lives outside this run.
struct Session {
  Verbosity verbosity = Verbosity::Normal;
  std::FILE* out = nullptr;
  std::string current_file;           // named when the engine reports an error
  std::optional<std::string> failure;  // the first error, "FILE: reason"
};

Session* sessionOf(int32_t env) { return static_cast<Session*>(PYRA_GetPointer(env)); }

std::string textOf(const void* data) { return data ? std::string(static_cast<const char*>(data)) : std::string(); }

void onError(int32_t env, int32_t code, const void* data, int32_t) {
  Session* s = sessionOf(env);
  if (!s || s->failure) return;
  std::string text;
  // These two carry a record, not a text.
  if (code != PYRA_ERR_DECORATION_FILE && code != PYRA_ERR_DECORATION_IMAGE) text = textOf(data);
  if (code == PYRA_ERR_CANNOT_OPEN_FILE) text = "cannot create the output file";
  s->failure = s->current_file + ": engine error " + std::to_string(code) + (text.empty() ? "" : ": " + text);
}

void onMessage(int32_t env, int32_t code, const void* data, int32_t) {
  Session* s = sessionOf(env);
  if (!s || s->verbosity != Verbosity::Verbose) return;
  switch (code) {
    case PYRA_MSG_PAGE_STARTED: std::fprintf(s->out, "pyra: page %s started\n", textOf(data).c_str()); break;
    case PYRA_MSG_PAGE_ENDING: std::fprintf(s->out, "pyra: page %s ending\n", textOf(data).c_str()); break;
    case PYRA_MSG_FONT_EMBEDDED: std::fprintf(s->out, "pyra: embedding font %s\n", textOf(data).c_str()); break;
    default: break;
  }
}

// The environment, finalised on every path out.
class Environment {
 public:
  explicit Environment(int32_t id) : id_(id) {}
  ~Environment() {
    if (id_ > 0) PYRA_Finalize(id_);
  }
  Environment(const Environment&) = delete;
  Environment& operator=(const Environment&) = delete;
  int32_t id() const { return id_; }

 private:
  int32_t id_;
};

// The temporary output beside the final one (same file system, so the rename
// is atomic); removed unless committed.
class TempOutput {
 public:
  explicit TempOutput(const std::string& final_path) {
    const fs::path target(final_path);
    fs::path dir = target.parent_path();
    if (dir.empty()) dir = ".";
    std::string tmpl = (dir / ("." + target.filename().string() + ".XXXXXX")).string();
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    const int fd = ::mkstemp(buf.data());
    if (fd < 0) throw std::runtime_error("cannot create a file in " + dir.string() + ": " + std::strerror(errno));
    // mkstemp makes the file private; the result should carry the usual
    // permissions, as if the engine had created it.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    ::close(fd);
    path_ = buf.data();
  }
  ~TempOutput() {
    if (!path_.empty()) ::unlink(path_.c_str());
  }
  TempOutput(const TempOutput&) = delete;
  TempOutput& operator=(const TempOutput&) = delete;
  const std::string& path() const { return path_; }
  void commit(const std::string& final_path) {
    if (::rename(path_.c_str(), final_path.c_str()) != 0) throw std::runtime_error(std::strerror(errno));
    path_.clear();
  }

 private:
  std::string path_;
};

bool sameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  return fs::equivalent(a, b, ec) && !ec;
}

}  // namespace

int convert(const CommandLine& cl, std::FILE* out, std::FILE* err) {
  const bool quiet = cl.verbosity == Verbosity::Quiet;
  const bool verbose = cl.verbosity == Verbosity::Verbose;

  {
    std::error_code ec;
    if (fs::is_directory(cl.output, ec)) {
      std::fprintf(err, "pyra: %s: is a directory\n", cl.output.c_str());
      return kExitFailed;
    }
  }
  // Every input is read and checked before anything is written.
  std::vector<Input> inputs;
  inputs.reserve(cl.inputs.size());
  for (const std::string& path : cl.inputs) {
    Input in;
    in.path = path;
    try {
      if (sameFile(path, cl.output)) throw InputError("is also the output file");
      in.bytes = readInputFile(path);
      in.probe = probeMetafile(in.bytes);
    } catch (const InputError& e) {
      std::fprintf(err, "pyra: %s: %s\n", path.c_str(), e.what());
      return kExitFailed;
    }
    in.page = cl.page_size ? *cl.page_size : in.probe.natural_size.value_or(kDefaultPage);
    if (in.probe.shrunk && !quiet)
      std::fprintf(err, "pyra: %s: warning: page larger than %d points, scaled down to %d x %d\n", path.c_str(),
                   kMaxPagePoints, in.page.width, in.page.height);
    inputs.push_back(std::move(in));
  }

  Session session;
  session.verbosity = cl.verbosity;
  session.out = out;

  std::optional<TempOutput> temp;
  try {
    temp.emplace(cl.output);
  } catch (const std::exception& e) {
    std::fprintf(err, "pyra: %s: %s\n", cl.output.c_str(), e.what());
    return kExitFailed;
  }

  PyraOptions record = cl.record;
  record.ONERROR = onError;
  record.ONMESSAGE = onMessage;
  Environment env(PYRA_InitializeEx(&record));
  if (env.id() <= 0) {
    std::fprintf(err, "pyra: %s: the engine refused the options record\n", cl.output.c_str());
    return kExitFailed;
  }
  PYRA_SetPointer(env.id(), &session);
  for (const auto& [property, value] : cl.int_properties) PYRA_SetIProp(env.id(), property, value);
  for (const auto& [property, value] : cl.text_properties) PYRA_SetSProp(env.id(), property, value.c_str());

  const auto failed = [&] {
    if (!session.failure) return false;
    std::fprintf(err, "pyra: %s\n", session.failure->c_str());
    return true;
  };

  session.current_file = cl.output;
  if (!PYRA_BeginDoc(env.id(), temp->path().c_str(), 0) || failed()) {
    if (!session.failure) std::fprintf(err, "pyra: %s: cannot begin the document\n", cl.output.c_str());
    return kExitFailed;
  }
  int page_number = 0;
  for (const Input& in : inputs) {
    ++page_number;
    session.current_file = in.path;
    if (verbose)
      std::fprintf(out, "pyra: page %d: %s (%s, %d x %d pt)\n", page_number, in.path.c_str(),
                   kindName(in.probe.kind), in.page.width, in.page.height);
    LoadedMetafile metafile;
    try {
      metafile = LoadedMetafile::load(in.probe, in.bytes);
    } catch (const InputError& e) {
      std::fprintf(err, "pyra: %s: %s\n", in.path.c_str(), e.what());
      return kExitFailed;
    }
    PYRA_StartPageEx(env.id(), in.page.width, in.page.height, 0);
    if (failed()) return kExitFailed;
    PYRA_DrawMetafile(env.id(), metafile.handle(), 0, 0, in.page.width, in.page.height);
    if (failed()) return kExitFailed;
    PYRA_EndPage(env.id());
    if (failed()) return kExitFailed;
  }
  session.current_file = cl.output;
  PYRA_EndDoc(env.id());
  if (failed()) return kExitFailed;

  try {
    temp->commit(cl.output);
  } catch (const std::exception& e) {
    std::fprintf(err, "pyra: %s: cannot move the finished file into place: %s\n", cl.output.c_str(), e.what());
    return kExitFailed;
  }
  if (!quiet)
    std::fprintf(out, "pyra: wrote %s (%d page%s)\n", cl.output.c_str(), page_number, page_number == 1 ? "" : "s");
  return kExitOk;
}

}  // namespace pyra::tools
