// Fuzz target: the settings file. The input becomes "penloom.ini" in the
// program folder (the process's scratch folder) and a fixed plot is
// translated with it, so every key the program reads is read: the
// "Settings" keys at start-up, pen colours and widths, layer names, text
// style and typeface entries while the plot is drawn. The drawing written,
// when the settings allow one, must pass the DXF checks of fuzz_support.h.
#include <cstddef>
#include <cstdint>
#include <string>

#include "driver/context.h"
#include "driver/program.h"
#include "fuzz_support.h"

namespace {

// Pens and widths, line types, both fonts with several typefaces, a label,
// polygons with solid, hatched and raster fills, and a circle.
constexpr char fixed_plot[] =
    "IN;SP1;PA0,0;PD1000,0,1000,1000;PU;SP3;PW0.7;LT2,4,1;PD2000,0;PU;LT;"
    "SD1,21,2,1,4,12,5,0,6,3,7,5;SS;LBAbc\x03;SA;AD1,21,7,52;LBDe\x03;"
    "SD7,4148;SS;LBFg\x03;SI0.3,0.4;DI0,1;LBHi\x03;"
    "PA3000,3000;PM0;PD4000,3000,4000,4000,3000,4000;PM2;FT1;FP;FT3,50,45;FP;"
    "RF1,4,4,0,1,1,0,1,0,0,1,0,1,1,0,1,0;FT11,1;RA5000,5000;FT10,30;RR500,500;"
    "PC2,255,0,0;SP2;CI400;SP9;PD;PU;NP16;SP12;PA100,100;PD;PU;PG;";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& folder = penloom_fuzz::scratch_folder();
    penloom_fuzz::write_file(folder + "penloom.ini", data, size);
    const std::string input = folder + "in.plt";
    penloom_fuzz::write_file(input, reinterpret_cast<const std::uint8_t*>(fixed_plot), sizeof fixed_plot - 1);
    {
        penloom::Context ctx;
        (void)penloom::run_program(ctx, {input, folder + "out.dxf"});
    }
    for (const std::string& name : penloom_fuzz::files_in(folder))
        if (penloom_fuzz::ends_with_nocase(name, ".dxf"))
            penloom_fuzz::check_dxf_text(penloom_fuzz::read_file(folder + name));
    penloom_fuzz::clear_folder(folder);
    return 0;
}
