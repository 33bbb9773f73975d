// The command line: input pattern and its extension rules, switches, and the
// output name or output folder.
#include "driver/command_line.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "construction/ascii_case.h"
#include "driver/context.h"
#include "driver/help.h"
#include "driver/paths.h"

namespace penloom {

namespace {

constexpr int status_refused = 1;
constexpr int status_no_arguments = -1;
constexpr int status_folder_not_writable = -36;

struct ReleaseSwitch {
    const char* name;  // without its prefix
    int release;
};

constexpr ReleaseSwitch release_switches[] = {
    {"9", 2},     {"10", 3},      {"DXF12", 4},    {"11", 4},   {"12", 4},   {"13", 5},
    {"DXF14", 6}, {"14", 6},      {"DXF2000", 7},  {"2000", 7}, {"2004", 8}, {"2007", 9},
};

bool has_switch_prefix(const std::string& argument) {
    return !argument.empty() && (argument[0] == '/' || argument[0] == '-');
}

// Applies a switch of one of the fixed names. Returns false for any other
// argument.
bool apply_named_switch(BatchState& batch, const std::string& argument) {
    std::string_view name = std::string_view(argument).substr(1);
    if (equals_nocase(name, "MONO")) {
        batch.mono = true;
    } else if (equals_nocase(name, "TEST")) {
        batch.test_run = true;
    } else if (equals_nocase(name, "PARSE")) {
        batch.parse_trace = true;
    } else {
        for (const ReleaseSwitch& entry : release_switches) {
            if (equals_nocase(name, entry.name)) {
                batch.OutputRelease = entry.release;
                return true;
            }
        }
        return false;
    }
    return true;
}

// An absolute path looks like a switch: it is a path when it goes on into a
// further folder or names an existing one.
bool is_absolute_path_argument(const std::string& argument) {
    return argument[0] == '/' && (argument.find('/', 1) != std::string::npos || folder_exists(argument));
}

bool is_refused_source_extension(std::string_view extension) {
    return equals_nocase(extension, ".dxf") || equals_nocase(extension, ".dwg");
}

// Input extension rules. Returns 0, or the exit status.
int check_input_extension(Context& ctx) {
    BatchState& batch = ctx.batch;
    if (!batch.wildcard) {
        std::string extension = extension_of(batch.input_name);
        if (extension.empty()) {
            batch.input_name += ".PLT";
        } else if (is_refused_source_extension(extension)) {
            ctx.out.print("ERROR: Source file should not be DXF or DWG\n");
            return status_refused;
        }
        return 0;
    }
    std::string_view pattern = batch.input_pattern;
    size_t start = pattern.find_last_of("/\\");
    std::string_view component = start == std::string_view::npos ? pattern : pattern.substr(start + 1);
    size_t dot = component.rfind('.');
    if (dot == std::string_view::npos) {
        // Only a warning: the pattern is used as it is.
        ctx.out.print("ERROR: Wildcard pattern must specify an extension.  e.g. *.PLT\n");
        return 0;
    }
    std::string_view extension = component.substr(dot);
    if (is_refused_source_extension(extension)) {
        ctx.out.print("ERROR: Source file should not be DXF or DWG\n");
        return status_refused;
    }
    if (extension == ".*") {
        ctx.out.print("ERROR: Wildcard pattern must specify an extension.  e.g. *.PLT \n");
        ctx.out.print("       *.* pattern not allowed.\n");
        return status_refused;
    }
    return 0;
}

void read_further_arguments(Context& ctx, const std::vector<std::string>& args) {
    BatchState& batch = ctx.batch;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& argument = args[i];
        if (!has_switch_prefix(argument)) {
            batch.output_name = argument;
        } else if (apply_named_switch(batch, argument)) {
            continue;
        } else if (is_absolute_path_argument(argument)) {
            batch.output_name = argument;
        } else if (argument.size() >= 2 && argument[1] == 'R') {
            batch.rotation = rotation_from_switch(argument, batch.rotation);
        } else if (argument.size() >= 2 && (argument[1] == 'J' || argument[1] == 'j')) {
            batch.jobs = jobs_from_switch(argument, batch.jobs);
        }
        // Any other switch is ignored without a word.
    }
}

// Wildcard mode: the output folder, with the extension selector of a
// trailing "*.DXF" or "*.DWG". Returns 0, or the exit status.
int fix_output_folder(Context& ctx) {
    BatchState& batch = ctx.batch;
    batch.extension_selector = 0;
    if (batch.output_name.empty() && !batch.wildcard_folder.empty()) batch.output_name = batch.wildcard_folder;
    std::string folder = batch.output_name;
    if (folder.size() >= 5) {
        if (ends_with_nocase(folder, "*.dxf")) batch.extension_selector = 1;
        if (ends_with_nocase(folder, "*.dwg")) batch.extension_selector = 2;
        if (batch.extension_selector != 0) folder.resize(folder.size() - 5);
    }
    make_absolute(folder);
    if (!folder_exists(folder)) {
        ctx.out.print("ERROR: Output directory must exist.\n");
        ctx.out.print("       ( %s )\n", folder.c_str());
        return status_refused;
    }
    add_trailing_backslash(folder);
    batch.output_folder = folder;
    if (!probe_folder_writable(ctx.out, folder)) return status_folder_not_writable;
    return 0;
}

// Non-wildcard mode: the output name, by default the input name with the
// extension of the OutputExt setting. Returns 0, or the exit status.
int fix_single_output_name(Context& ctx) {
    BatchState& batch = ctx.batch;
    const char* extension = ctx.settings.output_is_dwg ? ".DWG" : ".DXF";
    if (batch.output_name.empty()) {
        batch.output_name = batch.input_name;
        replace_extension(batch.output_name, extension);
    } else if (extension_is(batch.output_name, "")) {
        replace_extension(batch.output_name, extension);
    }
    if (!extension_is(batch.output_name, "dxf") && !extension_is(batch.output_name, "dwg")) {
        ctx.out.print("ERROR: Output file should be DXF or DWG\n");
        return status_refused;
    }
    batch.output_is_dwg = !extension_is(batch.output_name, "dxf");
    return 0;
}

}  // namespace

void print_usage(Output& out) {
    out.print("Usage:  Penloom Plot.PLT [Plot.DXF|DWG] [/R=nnn] [/12|13|14|2000]\n");
    out.print("Batch:  Penloom *.PLT [*.DXF|DWG] [/switches]\n\n");
    out.print("  /R=nnn Apply Rotation, where nnn=90,180,270\n");
    out.print("  /12 = Rel 12 DXF/DWG\n");
    out.print("  /14 = Rel 14 DXF/DWG\n");
    out.print("  /2000 = Rel 2000 DXF/DWG\n");
    out.print("  /TEST = Do a test run.\n");
    out.print("  Full list of options in user manual.  Type 'Penloom /HELP'\n");
}

int rotation_from_switch(const std::string& argument, int rotation_in_force) {
    long value = rotation_in_force;
    if (argument.size() > 3) {
        // The third character (normally `=`) is skipped unread.
        const char* start = argument.c_str() + 3;
        char* end = nullptr;
        errno = 0;
        long read = std::strtol(start, &end, 10);
        if (end != start) value = (errno == ERANGE || read < INT_MIN || read > INT_MAX) ? 0 : read;
    }
    if (value < 0) value += 360;
    return (value == 90 || value == 180 || value == 270) ? static_cast<int>(value) : 0;
}

int jobs_from_switch(const std::string& argument, int jobs_in_force) {
    if (argument.size() <= 3) return jobs_in_force;
    const char* start = argument.c_str() + 3;
    char* end = nullptr;
    errno = 0;
    long read = std::strtol(start, &end, 10);
    if (end == start) return jobs_in_force;
    if (errno == ERANGE || read < 0) return 0;
    return read > max_jobs ? max_jobs : static_cast<int>(read);
}

int read_command_line(Context& ctx, const std::vector<std::string>& args) {
    BatchState& batch = ctx.batch;
    if (args.empty()) {
        print_usage(ctx.out);
        return status_no_arguments;
    }
    batch.input_pattern = args[0];
    batch.wildcard = batch.input_pattern.find_first_of("*?") != std::string::npos;
    batch.wildcard_folder = folder_of(batch.input_pattern);
    if (!batch.wildcard) batch.input_name = batch.input_pattern;

    if (args.size() == 1) {
        const std::string& only = args[0];
        if (has_switch_prefix(only) && (equals_nocase(only.substr(1), "HELP") || only.substr(1) == "?")) {
            show_help(ctx);
            return status_refused;
        }
    }

    if (int status = check_input_extension(ctx); status != 0) return status;
    read_further_arguments(ctx, args);
    return batch.wildcard ? fix_output_folder(ctx) : fix_single_output_name(ctx);
}

}  // namespace penloom
