// Fuzz target: arbitrary bytes translated as a plot file into an ASCII DXF
// or a DWG. The first byte chooses the release (bits 0-1: R12, R13, R14,
// 2000), the rotation (bits 2-3: none, 90, 180, 270) and DWG output (bit 4);
// the rest is the plot file. It runs through the whole program exactly as
// from the command line, so classification, the PJL and PCL wrappers, the
// HP-GL interpreter, drawing construction and the DXF or DWG writer all see
// it. Every drawing written (page ends make several) must pass the DXF checks
// of fuzz_support.h or the DWG frame checks of dwg_frame_check.h (R12:
// dwg_r12_frame_check.h).
//
// The drawings are saved as files in the process's scratch folder on tmpfs
// and removed after the check: the writer saves through a temporary file and
// a rename, and that path is part of what is tested here; a memory sink
// would need a second output path in the product for the fuzzer alone.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "driver/context.h"
#include "driver/program.h"
#include "dwg2004_frame_check.h"
#include "dwg_frame_check.h"
#include "dwg_r12_frame_check.h"
#include "fuzz_support.h"

namespace {

constexpr const char* release_switches[] = {"/12", "/13", "/14", "/2000"};
constexpr const char* rotation_switches[] = {"", "/R=90", "/R=180", "/R=270"};
constexpr const char* dwg_magic[] = {"AC1009", "AC1012", "AC1014", "AC1015"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string& folder = penloom_fuzz::scratch_folder();
    const std::uint8_t options = data[0];
    const std::string input = folder + "in.plt";
    penloom_fuzz::write_file(input, data + 1, size - 1);

    const bool dwg = (options & 16) != 0;
    // Bit 32 with a DWG asks for 2004 (the paged layout) instead.
    const bool dwg2004 = dwg && (options & 32) != 0;
    std::vector<std::string> args{input, folder + (dwg ? "out.dwg" : "out.dxf"),
                                  dwg2004 ? "/2004" : release_switches[options & 3]};
    if (const char* rotation = rotation_switches[(options >> 2) & 3]; *rotation != '\0')
        args.emplace_back(rotation);
    {
        penloom::Context ctx;
        (void)penloom::run_program(ctx, args);
    }
    for (const std::string& name : penloom_fuzz::files_in(folder)) {
        // Pages after the first are named from the input with the default
        // extension, so a DWG run's later pages are DXF files.
        if (penloom_fuzz::ends_with_nocase(name, ".dxf"))
            penloom_fuzz::check_dxf_text(penloom_fuzz::read_file(folder + name));
        else if (dwg2004 && penloom_fuzz::ends_with_nocase(name, ".dwg"))
            penloom_fuzz::check_dwg2004(penloom_fuzz::read_file(folder + name));
        else if (dwg && penloom_fuzz::ends_with_nocase(name, ".dwg") && (options & 3) == 0)
            penloom_fuzz::check_dwg_r12(penloom_fuzz::read_file(folder + name));
        else if (dwg && penloom_fuzz::ends_with_nocase(name, ".dwg"))
            penloom_fuzz::check_dwg(penloom_fuzz::read_file(folder + name), dwg_magic[options & 3]);
        else if (name != "in.plt")
            penloom_fuzz::fail("unexpected file left beside the drawing", name);
    }
    penloom_fuzz::clear_folder(folder);
    return 0;
}
