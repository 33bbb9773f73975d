// One conversion (see relay.h).
#include "relay.h"

#include "cadrelay.h"
#include "drawing_survey.h"
#include "relay_command.h"
#include "relay_files.h"
#include "release_upgrade.h"

namespace penloom::relay {

int run_command(std::string_view command, std::FILE* messages, std::uint64_t write_limit) {
    RelayCommand cmd;
    if (!parse_command(command, cmd)) return CADRELAY_BAD_COMMAND;

    // The program writes DWG of R12 to 2004 itself; what reaches us is a
    // release it cannot write yet.
    if (cmd.output_is_dwg) {
        std::fprintf(
            messages,
            "crdll: DWG output is available at /12, /13, /14, /2000 and /2004 only; %s was not written.\n",
            cmd.output.c_str());
        std::fflush(messages);
        return CADRELAY_DWG_UNAVAILABLE;
    }
    // The program writes release 2000 itself; older DXF would lose entity
    // kinds (LWPOLYLINE, HATCH), so it is the program's job, not ours.
    if (cmd.release == Release::r12 || cmd.release == Release::r13 || cmd.release == Release::r14)
        return CADRELAY_DOWNGRADE_REFUSED;

    MappedFile input;
    if (!input.open(cmd.input)) return CADRELAY_CANNOT_READ;
    DrawingSurvey survey;
    if (const int status = survey_drawing(input.text(), survey); status != CADRELAY_OK) return status;
    if (const int status = check_code_page(survey, cmd.release); status != CADRELAY_OK) return status;

    ReplacingWriter output;
    if (!output.open(cmd.output, write_limit)) return CADRELAY_CANNOT_WRITE;
    if (cmd.release == Release::r2000)
        output.write(input.text());
    else
        upgrade_drawing(input.text(), survey, cmd.release, output);
    return output.commit() ? CADRELAY_OK : CADRELAY_CANNOT_WRITE;
}

}  // namespace penloom::relay
