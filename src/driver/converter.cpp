// Loading and calling the converter plug-in (see converter.h).
#include "driver/converter.h"

#include <dlfcn.h>

#include "plugin/crdll/cadrelay.h"
#include "driver/context.h"

namespace penloom {

namespace {

// Owns one dlopen handle; unloading happens however the call sequence ends.
class LoadedLibrary {
public:
    explicit LoadedLibrary(const std::string& path) : handle_(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {}
    ~LoadedLibrary() {
        if (handle_ != nullptr) dlclose(handle_);
    }
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;

    bool loaded() const { return handle_ != nullptr; }

    // The export as a function pointer of type Fn; null when it is missing.
    template <class Fn>
    Fn find(const char* name) const {
        void* symbol = dlsym(handle_, name);
        // dlsym hands functions back as void*; POSIX guarantees the round trip.
        return reinterpret_cast<Fn>(symbol);
    }

private:
    void* handle_;
};

}  // namespace

const char* release_switch(int output_release) {
    switch (output_release) {
        case 9: return "/2007";
        case 8: return "/2004";
        case 7: return "/2000";
        case 6: return "/14";
        case 5: return "/13";
        default: return "/12";
    }
}

std::string converter_command_text(const std::string& dxf_path, const std::string& output_path,
                                   const char* release_switch) {
    std::string text;
    text.reserve(dxf_path.size() + output_path.size() + 16);
    text += " \"";
    text += dxf_path;
    text += "\" \"";
    text += output_path;
    text += "\" ";
    text += release_switch;
    return text;
}

int convert_dxf_to_dwg(Context& ctx, const std::string& dxf_path, const std::string& output_path,
                       const char* release_switch) {
    const LoadedLibrary library(ctx.program_folder + converter_file_name);
    exec_cadrelay_fn exec = nullptr;
    init_cadrelay_fn init = nullptr;
    vers_cadrelay_fn vers = nullptr;
    if (library.loaded()) {
        exec = library.find<exec_cadrelay_fn>("exec_cadrelay");
        init = library.find<init_cadrelay_fn>("init_cadrelay");
        vers = library.find<vers_cadrelay_fn>("vers_cadrelay");
    }
    if (exec == nullptr || init == nullptr || vers == nullptr) {
        ctx.out.print("1 load_dll_dc() FAILED:\n");
        return -2;
    }

    // The version text is asked for but never shown.
    char version[CADRELAY_VERSION_SIZE] = {};
    vers(version);

    const int status = init(CADRELAY_INTERFACE);
    if (status != CADRELAY_OK) return status;

    const std::string command = converter_command_text(dxf_path, output_path, release_switch);
    return exec(command.c_str(), 0);
}

}  // namespace penloom
